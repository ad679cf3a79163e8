#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace kemoro {

// One record of the shared result file "成績累積データ.dat": 44 bytes, no
// header, integers little-endian, texts CP932 padded with blanks. Other
// classroom computers read and write the same bytes, so nothing here may
// change. Plain C++: the file layer and its Windows driver use it without Qt.
namespace record {
inline constexpr long long size = 44;
inline constexpr long long dateOffset = 0;        // double, OLE date: the day, no fraction
inline constexpr long long timeOffset = 8;        // double, OLE date: time of day, whole part 0
inline constexpr long long pupilOffset = 16;      // int16
inline constexpr long long levelOffset = 18;      // int16
inline constexpr long long resultTimeOffset = 20; // int32 seconds; 99999 after a time-out
inline constexpr long long schoolCodeOffset = 24; // text, 5 bytes
inline constexpr long long text2Offset = 29;      // text, 5 bytes
inline constexpr long long text3Offset = 34;      // text, 5 bytes: a number (" 0" after a drill)
inline constexpr long long text4Offset = 39;      // text, 5 bytes: reserved, never read
inline constexpr long long textSize = 5;

static_assert(text4Offset + textSize == size, "the record is exactly 44 bytes");
static_assert(resultTimeOffset + 4 == schoolCodeOffset);

// Little-endian fields on any host: one load where the host is little-endian.
template <typename T> T get(const char *data, long long offset)
{
    T value;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, data + offset, sizeof value);
        return value;
    }
    unsigned char b[sizeof(T)];
    std::memcpy(b, data + offset, sizeof b);
    using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                                 std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u |= U(b[i]) << (8 * i);
    std::memcpy(&value, &u, sizeof value);
    return value;
}
template <typename T> void put(char *data, long long offset, T value)
{
    using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                                 std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
    U u;
    std::memcpy(&u, &value, sizeof u);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        data[offset + static_cast<long long>(i)] = char((u >> (8 * i)) & 0xff);
}
} // namespace record

} // namespace kemoro
