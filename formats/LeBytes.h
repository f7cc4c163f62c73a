// Little-endian fields of on-disk formats. The caller has checked that the
// bytes read lie within the data; these only assemble them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

inline uint16_t LeU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LeU32(const uint8_t* p) { return LeU16(p) | (static_cast<uint32_t>(LeU16(p + 2)) << 16); }
inline uint64_t LeU64(const uint8_t* p) { return LeU32(p) | (static_cast<uint64_t>(LeU32(p + 4)) << 32); }

inline void PutLeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// True when [offset, offset + length) lies within `size` bytes, without the
// sum overflowing.
inline bool Fits(size_t size, size_t offset, size_t length) { return offset <= size && length <= size - offset; }

}  // namespace engine
