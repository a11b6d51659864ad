#include "smart_data.h"

namespace fakedrive {

namespace {

constexpr std::size_t entry_offset(std::size_t index) { return 2 + 12 * index; }

} // namespace

Sector build_smart_values(const Drive& drive)
{
    Sector s{};
    const Capabilities& c = drive.capabilities;
    put16(s, 0, c.revision);
    for (std::size_t i = 0; i < drive.attributes.size() && i < max_attributes; ++i) {
        const Attribute& a = drive.attributes[i];
        const std::size_t at = entry_offset(i);
        put8(s, at, a.id);
        put16(s, at + 1, a.flags);
        put8(s, at + 3, a.value);
        put8(s, at + 4, a.worst);
        put48(s, at + 5, a.raw);
    }
    put8(s, 362, c.offline_status);
    put8(s, 363, c.self_test_status);
    put16(s, 364, c.offline_seconds);
    put8(s, 367, c.offline_capabilities);
    put16(s, 368, c.smart_capabilities);
    put8(s, 370, c.error_logging);
    put8(s, 372, c.short_minutes);
    // Times above 254 minutes only fit in the word at 375; 0xff points there.
    if (c.extended_minutes > 0xfe) {
        put8(s, 373, 0xff);
        put16(s, 375, c.extended_minutes);
    } else {
        put8(s, 373, c.extended_minutes);
    }
    put8(s, 374, c.conveyance_minutes);
    seal_checksum(s);
    return s;
}

Sector build_smart_thresholds(const Drive& drive)
{
    Sector s{};
    put16(s, 0, drive.capabilities.revision);
    for (std::size_t i = 0; i < drive.attributes.size() && i < max_attributes; ++i) {
        const Attribute& a = drive.attributes[i];
        put8(s, entry_offset(i), a.id);
        put8(s, entry_offset(i) + 1, a.threshold);
    }
    seal_checksum(s);
    return s;
}

} // namespace fakedrive
