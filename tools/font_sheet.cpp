// font_sheet: turns the glyph text source into the font sheet, either the BMP file the program
// loads ("bmp") or the C++ source of the built-in copy ("source").
//   font_sheet bmp|source GLYPHS.txt OUTPUT
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/glyph_source.h"
#include "tools/sheet_writers.h"

namespace {

bool readWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return !in.bad();
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

int usage() {
  std::cerr << "usage: font_sheet bmp|source GLYPHS.txt OUTPUT\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return usage();
  const std::string format = argv[1];
  const std::string sourcePath = argv[2];
  const std::string outputPath = argv[3];
  if (format != "bmp" && format != "source") return usage();

  std::string text;
  if (!readWholeFile(sourcePath, text)) {
    std::cerr << "font_sheet: cannot read " << sourcePath << "\n";
    return 1;
  }
  const squish::tools::GlyphSourceResult parsed = squish::tools::parseGlyphSource(text);
  if (!parsed.ok) {
    std::cerr << sourcePath << ": " << parsed.error << "\n";
    return 1;
  }

  std::string bytes;
  if (format == "bmp") {
    const std::vector<std::uint8_t> bmp = squish::tools::encodeSheetBmp(parsed.sheet);
    bytes.assign(bmp.begin(), bmp.end());
  } else {
    bytes = squish::tools::encodeSheetSource(parsed.sheet);
  }
  if (!writeWholeFile(outputPath, bytes)) {
    std::cerr << "font_sheet: cannot write " << outputPath << "\n";
    return 1;
  }
  return 0;
}
