// Quoting untrusted text byte by byte.
#include "app/message_text.h"

namespace squish::app {
namespace {

bool isPlain(unsigned char c) {
  return c >= 0x20 && c < 0x7F && c != '\\';
}

void appendEscaped(std::string& out, unsigned char c) {
  constexpr char digits[] = "0123456789abcdef";
  out += "\\x";
  out += digits[c >> 4];
  out += digits[c & 0xF];
}

}  // namespace

std::string quoted(std::string_view text, std::size_t longest) {
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (isPlain(c)) {
      out += static_cast<char>(c);
    } else {
      appendEscaped(out, c);
    }
  }
  out += "'";
  if (text.size() > longest) out += "...";
  return out;
}

}  // namespace squish::app
