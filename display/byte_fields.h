#pragma once
// Little-endian fields of a file's bytes, for the image readers. Internal to the display
// service.
#include <cstddef>
#include <cstdint>
#include <span>

namespace squish::display {

// Whether count bytes from `at` lie within the bytes.
inline bool holds(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t count) {
  return at <= bytes.size() && count <= bytes.size() - at;
}

// Fields at a position the caller has checked to lie within the bytes.
inline std::uint32_t u16At(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}

inline std::uint32_t u32At(std::span<const std::uint8_t> bytes, std::size_t at) {
  return u16At(bytes, at) | u16At(bytes, at + 2) << 16;
}

}  // namespace squish::display
