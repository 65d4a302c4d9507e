// UTF-8 decoding and the Latin-1 half of the Unicode to code page 437 mapping. Code points
// below 128 are the same in both; 128..159 are control codes that code page 437 lacks.
#include "display/code_page_437.h"

#include <array>
#include <cstddef>
#include <utility>

namespace squish::display {
namespace {

// Code page 437 bytes of U+00A0..U+00FF; -1 where it has no such character.
constexpr std::array<std::int16_t, 96> latin1Upper{
    0xFF, 0xAD, 0x9B, 0x9C, -1,   0x9D, -1,   -1,    // U+00A0
    -1,   -1,   0xA6, 0xAE, 0xAA, -1,   -1,   -1,    // U+00A8
    0xF8, 0xF1, 0xFD, -1,   -1,   0xE6, -1,   0xFA,  // U+00B0
    -1,   -1,   0xA7, 0xAF, 0xAC, 0xAB, -1,   0xA8,  // U+00B8
    -1,   -1,   -1,   -1,   0x8E, 0x8F, 0x92, 0x80,  // U+00C0
    -1,   0x90, -1,   -1,   -1,   -1,   -1,   -1,    // U+00C8
    -1,   0xA5, -1,   -1,   -1,   -1,   0x99, -1,    // U+00D0
    -1,   -1,   -1,   -1,   0x9A, -1,   -1,   0xE1,  // U+00D8
    0x85, 0xA0, 0x83, -1,   0x84, 0x86, 0x91, 0x87,  // U+00E0
    0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,  // U+00E8
    -1,   0xA4, 0x95, 0xA2, 0x93, -1,   0x94, 0xF6,  // U+00F0
    -1,   0x97, 0xA3, 0x96, 0x81, -1,   -1,   0x98,  // U+00F8
};

constexpr std::uint32_t notACodePoint = 0xFFFFFFFFu;

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0u) == 0x80u;
}

// The shape of a sequence by its lead byte: its length, the lead's payload bits and the
// smallest code point that needs this length (anything less is an overlong form).
struct SequenceShape {
  std::size_t length;
  std::uint32_t payloadMask;
  std::uint32_t smallest;
};

constexpr std::array<std::pair<std::uint32_t, SequenceShape>, 3> sequenceShapes{{
    {0xC0u, {2, 0x1Fu, 0x80u}},
    {0xE0u, {3, 0x0Fu, 0x800u}},
    {0xF0u, {4, 0x07u, 0x10000u}},
}};

// Decodes the sequence at text[at], advancing at past it (or past one byte when it is
// malformed, overlong, a surrogate or beyond U+10FFFF, giving notACodePoint).
std::uint32_t nextCodePoint(std::string_view text, std::size_t& at) {
  const unsigned char lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80u) return lead;
  for (const auto& [leadBits, shape] : sequenceShapes) {
    // The lead's marker bits are the ones above its payload.
    const std::uint32_t markerMask = ~shape.payloadMask & 0xFFu;
    if ((lead & markerMask) != leadBits) continue;
    if (text.size() - at < shape.length - 1) return notACodePoint;
    std::uint32_t codePoint = lead & shape.payloadMask;
    for (std::size_t i = 0; i + 1 < shape.length; ++i) {
      const unsigned char byte = static_cast<unsigned char>(text[at + i]);
      if (!isContinuation(byte)) return notACodePoint;
      codePoint = codePoint << 6 | (byte & 0x3Fu);
    }
    at += shape.length - 1;
    const bool surrogate = codePoint >= 0xD800u && codePoint <= 0xDFFFu;
    if (codePoint < shape.smallest || surrogate || codePoint > 0x10FFFFu) return notACodePoint;
    return codePoint;
  }
  return notACodePoint;
}

}  // namespace

std::int32_t codePage437FromUnicode(std::uint32_t codePoint) {
  if (codePoint < 0x80u) return static_cast<std::int32_t>(codePoint);
  if (codePoint < 0xA0u || codePoint > 0xFFu) return -1;
  return latin1Upper[codePoint - 0xA0u];
}

std::string codePage437FromUtf8(std::string_view text) {
  std::string bytes;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::uint32_t codePoint = nextCodePoint(text, at);
    if (codePoint == notACodePoint) continue;
    const std::int32_t byte = codePage437FromUnicode(codePoint);
    if (byte >= 0) bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

}  // namespace squish::display
