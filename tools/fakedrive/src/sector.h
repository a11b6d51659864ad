// One 512-byte ATA data block and the little-endian writers the ATA
// structures need.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fakedrive {

using Sector = std::array<std::uint8_t, 512>;

inline void put8(Sector& s, std::size_t at, unsigned v) { s.at(at) = static_cast<std::uint8_t>(v); }

inline void put16(Sector& s, std::size_t at, unsigned v)
{
    put8(s, at, v & 0xff);
    put8(s, at + 1, (v >> 8) & 0xff);
}

inline void put32(Sector& s, std::size_t at, std::uint32_t v)
{
    put16(s, at, v & 0xffff);
    put16(s, at + 2, v >> 16);
}

inline void put48(Sector& s, std::size_t at, std::uint64_t v)
{
    for (std::size_t i = 0; i < 6; ++i)
        put8(s, at + i, (v >> (8 * i)) & 0xff);
}

inline void put64(Sector& s, std::size_t at, std::uint64_t v)
{
    put32(s, at, static_cast<std::uint32_t>(v));
    put32(s, at + 4, static_cast<std::uint32_t>(v >> 32));
}

// IDENTIFY words are addressed by word number, not byte offset.
inline void put_word(Sector& s, unsigned word, unsigned v) { put16(s, 2 * std::size_t{word}, v); }

// ATA strings hold two characters per word, first character in the high
// byte, padded with spaces.
inline void put_ata_string(Sector& s, unsigned first_word, unsigned words, std::string_view text)
{
    for (unsigned i = 0; i < 2 * words; ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        put8(s, 2 * std::size_t{first_word} + (i ^ 1u), static_cast<unsigned char>(c));
    }
}

// SMART structures end in a byte that makes the sector sum to zero.
inline void seal_checksum(Sector& s, std::size_t at = 511)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (i != at)
            sum += s[i];
    s.at(at) = static_cast<std::uint8_t>((256 - (sum & 0xff)) & 0xff);
}

} // namespace fakedrive
