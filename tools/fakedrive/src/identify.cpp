#include "identify.h"

#include <algorithm>
#include <bit>

#include "ata_names.h"

namespace fakedrive {

namespace {

// Bits 15:14 = 01 tell the host that a word's contents are valid.
constexpr unsigned valid_word = 0x4000;

unsigned major_version_word(int major_bit)
{
    if (major_bit < 0)
        return 0;
    // Drives claim every version from ATA/ATAPI-4 (or their own) upwards.
    unsigned word = 0;
    for (int bit = std::min(major_bit, 4); bit <= major_bit; ++bit)
        word |= 1u << bit;
    return word;
}

unsigned sata_word(int version_bit)
{
    if (version_bit < 0)
        return 0;
    // Transport type SATA in bits 15:12, then one bit per version supported.
    return 0x1000 | ((2u << version_bit) - 1);
}

// Bits 0..1 of words 84/87: SMART error logging and self-test.
unsigned logging_bits(const Drive& drive)
{
    unsigned bits = 0;
    if (drive.capabilities.error_logging & 0x01)
        bits |= 0x0003;
    if (drive.identity.gpl)
        bits |= 0x0020;
    if (drive.identity.wwn)
        bits |= 0x0100;
    return bits;
}

} // namespace

Sector build_identify(const Drive& drive)
{
    const Identity& id = drive.identity;
    Sector s{};

    put_word(s, 0, 0x0040); // fixed ATA device
    put_word(s, 1, 16383);
    put_word(s, 2, 0xc837);
    put_word(s, 3, 16);
    put_word(s, 6, 63);
    put_ata_string(s, 10, 10, id.serial);
    put_ata_string(s, 23, 4, id.firmware);
    put_ata_string(s, 27, 20, id.model);
    put_word(s, 47, 0x8010);
    put_word(s, 48, valid_word);
    put_word(s, 49, 0x2f00); // LBA and DMA supported
    put_word(s, 50, valid_word);
    put_word(s, 53, 0x0007);
    put_word(s, 59, 0x0110);
    const auto lba28 = static_cast<std::uint32_t>(std::min<std::uint64_t>(id.sectors, 0x0fffffff));
    put_word(s, 60, lba28 & 0xffff);
    put_word(s, 61, lba28 >> 16);
    put_word(s, 63, 0x0007);
    put_word(s, 64, 0x0003);
    for (unsigned w = 65; w <= 68; ++w)
        put_word(s, w, 0x0078);
    put_word(s, 69, (id.trim_deterministic ? 0x4000 : 0) | (id.trim_zeroed ? 0x0020 : 0));
    put_word(s, 75, 0x001f);
    if (id.sata_version_bit >= 0) {
        // NCQ plus one bit per supported signalling speed; bit 0 must be clear.
        put_word(s, 76, 0x0100 | ((2u << id.sata_max_speed) - 2));
        put_word(s, 77, static_cast<unsigned>(id.sata_current_speed.value_or(id.sata_max_speed)) << 1);
        put_word(s, 78, 0x0044);
        put_word(s, 79, 0x0040);
    }
    put_word(s, 80, major_version_word(id.ata_major_bit));
    put_word(s, 81, id.ata_minor.value_or(default_ata_minor(id.ata_major_bit)));

    const unsigned smart_supported = drive.smart.supported ? 0x0001 : 0;
    const unsigned smart_enabled = drive.smart.enabled == Tristate::yes ? 0x0001 : 0;
    put_word(s, 82, 0x746a | smart_supported);
    put_word(s, 83, valid_word | 0x3401); // 48-bit addressing, flush cache (ext)
    put_word(s, 84, valid_word | logging_bits(drive));
    put_word(s, 85, 0x7468 | smart_enabled);
    put_word(s, 86, 0x3401);
    // Without the validity bits smartctl cannot tell whether SMART is on.
    put_word(s, 87, (drive.smart.enabled == Tristate::unknown ? 0 : valid_word) | logging_bits(drive));
    put_word(s, 88, 0x407f);

    for (unsigned i = 0; i < 4; ++i)
        put_word(s, 100 + i, static_cast<unsigned>((id.sectors >> (16 * i)) & 0xffff));

    unsigned word106 = valid_word;
    if (id.physical_sector_size > id.logical_sector_size)
        word106 |= 0x2000 | static_cast<unsigned>(std::countr_zero(id.physical_sector_size / id.logical_sector_size));
    if (id.logical_sector_size > 512) {
        word106 |= 0x1000;
        const unsigned words = id.logical_sector_size / 2;
        put_word(s, 117, words & 0xffff);
        put_word(s, 118, words >> 16);
    }
    put_word(s, 106, word106);

    if (id.wwn) {
        const Wwn& w = *id.wwn;
        put_word(s, 108, (w.naa << 12) | ((w.oui >> 12) & 0x0fff));
        put_word(s, 109, ((w.oui & 0x0fff) << 4) | static_cast<unsigned>((w.id >> 32) & 0xf));
        put_word(s, 110, static_cast<unsigned>((w.id >> 16) & 0xffff));
        put_word(s, 111, static_cast<unsigned>(w.id & 0xffff));
    }

    put_word(s, 168, id.form_factor);
    put_word(s, 169, id.trim ? 0x0001 : 0);
    put_word(s, 206, id.sct_capabilities);
    put_word(s, 217, id.rotation_rate);
    put_word(s, 222, sata_word(id.sata_version_bit));

    // Integrity word: signature 0xa5 and a checksum over the whole block.
    put8(s, 510, 0xa5);
    seal_checksum(s);
    return s;
}

} // namespace fakedrive
