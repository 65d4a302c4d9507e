// Typed UTF-8 text into code page 437 bytes, including malformed input.
#include "display/code_page_437.h"

#include <gtest/gtest.h>

#include <string>

namespace squish::display {
namespace {

TEST(CodePage437, LatinLettersMapAndOthersAreLeftOut) {
  EXPECT_EQ(codePage437FromUnicode('A'), 'A');
  EXPECT_EQ(codePage437FromUnicode(0x00E9), 0x82);  // é
  EXPECT_EQ(codePage437FromUnicode(0x00C7), 0x80);  // Ç
  EXPECT_EQ(codePage437FromUnicode(0x00A0), 0xFF);  // no-break space
  EXPECT_EQ(codePage437FromUnicode(0x00FF), 0x98);  // ÿ
  EXPECT_EQ(codePage437FromUnicode(0x00A4), -1);    // ¤ has no place
  EXPECT_EQ(codePage437FromUnicode(0x0085), -1);
  EXPECT_EQ(codePage437FromUnicode(0x03B1), -1);  // above 255, though code page 437 has α
  EXPECT_EQ(codePage437FromUnicode(0xFFFFFFFFu), -1);

  EXPECT_EQ(codePage437FromUtf8("a\xC3\xA9\xC2\xA4z"), std::string("a\x82z"));
  EXPECT_EQ(codePage437FromUtf8("\xE2\x82\xAC\xF0\x9F\x98\x80!"), "!");  // € and an emoji
}

TEST(CodePage437, MalformedUtf8IsSkippedWithoutReadingPastTheEnd) {
  EXPECT_EQ(codePage437FromUtf8(""), "");
  EXPECT_EQ(codePage437FromUtf8("\xC3"), "");                // cut short
  EXPECT_EQ(codePage437FromUtf8("x\xE2\x82"), "x");          // cut short
  EXPECT_EQ(codePage437FromUtf8("\xC3(b"), "(b");            // bad continuation
  EXPECT_EQ(codePage437FromUtf8("\xC1\xA9q"), "q");          // overlong 'i'
  EXPECT_EQ(codePage437FromUtf8("\xED\xA0\x80q"), "q");      // surrogate
  EXPECT_EQ(codePage437FromUtf8("\xF4\x90\x80\x80q"), "q");  // beyond U+10FFFF
  EXPECT_EQ(codePage437FromUtf8("\x80\xBF\xFE\xFFq"), "q");  // stray bytes
}

}  // namespace
}  // namespace squish::display
