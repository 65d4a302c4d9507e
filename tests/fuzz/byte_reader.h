#pragma once
// Reads a fuzzer's input front to back as the fields of a structured input; past the end every
// read gives 0, so any byte string is a complete input.
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

namespace squish::fuzz {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool done() const { return at_ >= bytes_.size(); }
  std::uint8_t byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }

  std::uint32_t word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = value << 8 | byte();
    return value;
  }

  std::int32_t signedWord() {
    const std::uint32_t bits = word();
    std::int32_t value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // Mostly a value that lands on or near a 640 x 480 picture, often one of the values that
  // break arithmetic, now and then any bit pattern at all.
  float coordinate() {
    const std::uint8_t kind = byte();
    if (kind < 160)
      return static_cast<float>(static_cast<std::int32_t>(word() % 1400) - 380) / 2.0f;
    if (kind < 240) return awkwardFloats[kind % awkwardFloats.size()];
    const std::uint32_t bits = word();
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // The rest of the input.
  std::span<const std::uint8_t> rest() { return bytes_.subspan(std::min(at_, bytes_.size())); }

  static constexpr std::array<float, 16> awkwardFloats = {
      std::numeric_limits<float>::quiet_NaN(),
      std::numeric_limits<float>::infinity(),
      -std::numeric_limits<float>::infinity(),
      1e30f,
      -1e30f,
      std::numeric_limits<float>::max(),
      std::numeric_limits<float>::lowest(),
      std::numeric_limits<float>::denorm_min(),
      2147483648.0f,
      -2147483648.0f,
      1073741824.0f,
      0.0f,
      -0.0f,
      0.49999997f,
      -0.5f,
      65536.0f,
  };

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace squish::fuzz
