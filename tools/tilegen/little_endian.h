// Little-endian fields, as the BMP and ICO headers store them.
#pragma once

#include <cstdint>
#include <vector>

namespace tilegen {

inline void Put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, static_cast<uint16_t>(value));
    Put16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace tilegen
