#pragma once
// A fixed-capacity, always zero-terminated line of text with an insertion cursor and a
// "changed" mark: the text field's storage. Every operation accepts a null buffer.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace squish::widgets {

struct EditBuffer {
  std::uint32_t changed = 0;  // bit 0: the text changed since last cleared
  std::int32_t capacity = 0;  // bytes in chars, terminator included
  std::int32_t length = 0;    // 0 <= length <= capacity - 1
  std::int32_t cursor = 0;    // 0 <= cursor <= length
  std::vector<char> chars;    // capacity bytes, zero at length
};

// capacity = (size + 4) rounded down to a multiple of 4; null for a size below 0 or above
// 1 MiB, or when memory runs out.
std::unique_ptr<EditBuffer> newEditBuffer(std::int32_t size);
void freeEditBuffer(std::unique_ptr<EditBuffer>& buffer);

void clearEditText(EditBuffer* buffer);
// Stores the text cut to capacity - 1 characters; returns how many were stored. The cursor is
// lowered to the new end if it was beyond it. An empty text clears the buffer.
std::int32_t setEditText(EditBuffer* buffer, std::string_view text);
// Clamps pos to 0..length; returns it, or -1 for a null buffer.
std::int32_t setCursor(EditBuffer* buffer, std::int32_t pos);
void insertChar(EditBuffer* buffer, std::uint8_t byte);  // nothing when full
void deleteBefore(EditBuffer* buffer);                   // backspace
void deleteAt(EditBuffer* buffer);                       // delete

std::int32_t editLength(const EditBuffer* buffer);
std::int32_t editCursor(const EditBuffer* buffer);
const char* editChars(const EditBuffer* buffer);      // null for a null buffer
std::string_view editText(const EditBuffer* buffer);  // the length characters
void clearChanged(EditBuffer* buffer);
std::uint32_t takeChanged(EditBuffer* buffer);                        // bit 0, then cleared
std::int32_t editCharAt(const EditBuffer* buffer, std::int32_t pos);  // -1 outside 0..length-1
void setEditCharAt(EditBuffer* buffer, std::int32_t pos, std::uint8_t byte);
// Copies at most size - 1 characters and a terminator; with no destination or size <= 0 only
// returns length.
std::int32_t copyEditText(const EditBuffer* buffer, char* destination, std::int32_t size);

}  // namespace squish::widgets
