// The edit buffer: a fixed-capacity text kept zero-terminated at its length, edited at the
// cursor. Every change sets bit 0 of `changed`; text that does not fit is dropped.
#include "widgets/edit_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace squish::widgets {

namespace {

// Larger requests are refused instead of allocated; a field needs about 1 KiB.
constexpr std::int32_t maxEditSize = 1 << 20;

void markChanged(EditBuffer* buffer) {
  buffer->changed |= 1u;
}

char* at(EditBuffer* buffer, std::int32_t pos) {
  return buffer->chars.data() + static_cast<std::size_t>(pos);
}

}  // namespace

std::unique_ptr<EditBuffer> newEditBuffer(std::int32_t size) {
  if (size < 0 || size > maxEditSize) return nullptr;
  auto buffer = std::unique_ptr<EditBuffer>(new (std::nothrow) EditBuffer);
  if (!buffer) return nullptr;
  buffer->capacity = (size + 4) / 4 * 4;
  try {
    buffer->chars.assign(static_cast<std::size_t>(buffer->capacity), '\0');
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return buffer;
}

void freeEditBuffer(std::unique_ptr<EditBuffer>& buffer) {
  buffer.reset();
}

void clearEditText(EditBuffer* buffer) {
  if (buffer == nullptr) return;
  buffer->cursor = 0;
  buffer->length = 0;
  buffer->chars[0] = '\0';
  markChanged(buffer);
}

std::int32_t setEditText(EditBuffer* buffer, std::string_view text) {
  if (buffer == nullptr) return 0;
  if (text.empty()) {
    clearEditText(buffer);
    return 0;
  }
  const auto n = static_cast<std::int32_t>(
      std::min(text.size(), static_cast<std::size_t>(buffer->capacity - 1)));
  std::memcpy(buffer->chars.data(), text.data(), static_cast<std::size_t>(n));
  *at(buffer, n) = '\0';
  buffer->length = n;
  buffer->cursor = std::min(buffer->cursor, n);
  markChanged(buffer);
  return n;
}

std::int32_t setCursor(EditBuffer* buffer, std::int32_t pos) {
  if (buffer == nullptr) return -1;
  buffer->cursor = std::clamp(pos, 0, buffer->length);
  return buffer->cursor;
}

void insertChar(EditBuffer* buffer, std::uint8_t byte) {
  if (buffer == nullptr || buffer->length >= buffer->capacity - 1) return;
  // The characters from the cursor and the terminator move one place right.
  std::memmove(at(buffer, buffer->cursor + 1), at(buffer, buffer->cursor),
               static_cast<std::size_t>(buffer->length - buffer->cursor + 1));
  *at(buffer, buffer->cursor) = static_cast<char>(byte);
  ++buffer->cursor;
  ++buffer->length;
  markChanged(buffer);
}

void deleteBefore(EditBuffer* buffer) {
  if (buffer == nullptr || buffer->cursor <= 0) return;
  std::memmove(at(buffer, buffer->cursor - 1), at(buffer, buffer->cursor),
               static_cast<std::size_t>(buffer->length - buffer->cursor + 1));
  --buffer->cursor;
  --buffer->length;
  markChanged(buffer);
}

void deleteAt(EditBuffer* buffer) {
  if (buffer == nullptr || buffer->cursor >= buffer->length) return;
  std::memmove(at(buffer, buffer->cursor), at(buffer, buffer->cursor + 1),
               static_cast<std::size_t>(buffer->length - buffer->cursor));
  --buffer->length;
  markChanged(buffer);
}

std::int32_t editLength(const EditBuffer* buffer) {
  return buffer != nullptr ? buffer->length : 0;
}

std::int32_t editCursor(const EditBuffer* buffer) {
  return buffer != nullptr ? buffer->cursor : 0;
}

const char* editChars(const EditBuffer* buffer) {
  return buffer != nullptr ? buffer->chars.data() : nullptr;
}

std::string_view editText(const EditBuffer* buffer) {
  if (buffer == nullptr) return {};
  return std::string_view(buffer->chars.data(), static_cast<std::size_t>(buffer->length));
}

void clearChanged(EditBuffer* buffer) {
  if (buffer != nullptr) buffer->changed &= ~1u;
}

std::uint32_t takeChanged(EditBuffer* buffer) {
  if (buffer == nullptr) return 0;
  const std::uint32_t bit = buffer->changed & 1u;
  clearChanged(buffer);
  return bit;
}

std::int32_t editCharAt(const EditBuffer* buffer, std::int32_t pos) {
  if (buffer == nullptr || pos < 0 || pos >= buffer->length) return -1;
  return static_cast<std::uint8_t>(buffer->chars[static_cast<std::size_t>(pos)]);
}

void setEditCharAt(EditBuffer* buffer, std::int32_t pos, std::uint8_t byte) {
  if (buffer == nullptr || pos < 0 || pos >= buffer->length) return;
  *at(buffer, pos) = static_cast<char>(byte);
}

std::int32_t copyEditText(const EditBuffer* buffer, char* destination, std::int32_t size) {
  if (buffer == nullptr) return 0;
  if (destination == nullptr || size <= 0) return buffer->length;
  const std::int32_t n = std::min(buffer->length, size - 1);
  std::memcpy(destination, buffer->chars.data(), static_cast<std::size_t>(n));
  destination[n] = '\0';
  return n;
}

}  // namespace squish::widgets
