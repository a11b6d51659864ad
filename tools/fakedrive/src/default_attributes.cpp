#include "drive.h"

namespace fakedrive {

namespace {

// Lay out a temperature the way smartctl's "tempminmax" format finds a
// lifetime minimum and maximum: current in byte 0, min in byte 2, max in 3.
constexpr std::uint64_t temperature_raw(unsigned current, unsigned min, unsigned max)
{
    return current | (std::uint64_t{min} << 16) | (std::uint64_t{max} << 24);
}

} // namespace

std::vector<Attribute> default_hdd_attributes()
{
    return {
        {1, 0x002f, 200, 200, 51, 0},
        {3, 0x0027, 175, 172, 21, 4241},
        {4, 0x0032, 100, 100, 0, 320},
        {5, 0x0033, 200, 200, 140, 0},
        {7, 0x002e, 200, 200, 0, 0},
        {9, 0x0032, 80, 80, 0, 14975},
        {10, 0x0032, 100, 100, 0, 0},
        {11, 0x0032, 100, 100, 0, 0},
        {12, 0x0032, 100, 100, 0, 318},
        {192, 0x0032, 200, 200, 0, 120},
        {193, 0x0032, 200, 200, 0, 450},
        {194, 0x0022, 116, 105, 0, temperature_raw(34, 20, 45)},
        {196, 0x0032, 200, 200, 0, 0},
        {197, 0x0032, 200, 200, 0, 0},
        {198, 0x0030, 100, 253, 0, 0},
        {199, 0x0032, 200, 200, 0, 0},
        {200, 0x0008, 100, 253, 0, 0},
    };
}

std::vector<Attribute> default_ssd_attributes()
{
    return {
        {1, 0x002f, 100, 100, 0, 0},
        {5, 0x0033, 100, 100, 10, 0},
        {9, 0x0032, 99, 99, 0, 5210},
        {12, 0x0032, 99, 99, 0, 412},
        {177, 0x0013, 98, 98, 0, 21},
        {181, 0x0032, 100, 100, 10, 0},
        {182, 0x0032, 100, 100, 10, 0},
        {187, 0x0032, 100, 100, 0, 0},
        {194, 0x0022, 67, 52, 0, temperature_raw(33, 18, 48)},
        {199, 0x003e, 100, 100, 0, 0},
        {241, 0x0032, 99, 99, 0, 9876543210},
    };
}

} // namespace fakedrive
