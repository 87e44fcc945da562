// Little-endian 32-bit words, byte for byte as the document and data files lay them out.
#pragma once

#include <cstdint>
#include <cstring>

namespace core {

inline void put_le_u32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline uint32_t get_le_u32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void put_le_i32(unsigned char* p, int32_t v) { put_le_u32(p, static_cast<uint32_t>(v)); }
inline int32_t get_le_i32(const unsigned char* p) { return static_cast<int32_t>(get_le_u32(p)); }
inline void put_le_f32(unsigned char* p, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    put_le_u32(p, u);
}
inline float get_le_f32(const unsigned char* p) {
    const uint32_t u = get_le_u32(p);
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}
inline void put_le_i16(unsigned char* p, int16_t v) {
    p[0] = static_cast<unsigned char>(static_cast<uint16_t>(v));
    p[1] = static_cast<unsigned char>(static_cast<uint16_t>(v) >> 8);
}
inline int16_t get_le_i16(const unsigned char* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

}  // namespace core
