// font_sheet: turns the glyph text source into the font sheet, either the BMP file the program
// loads ("bmp") or the C++ source of the built-in copy ("source").
//   font_sheet bmp|source GLYPHS.txt OUTPUT
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "files/whole_file.h"
#include "tools/glyph_source.h"
#include "tools/sheet_writers.h"

namespace {

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

  const squish::files::WholeFile source = squish::files::readWholeFile(sourcePath);
  if (!source.ok()) {
    std::cerr << "font_sheet: cannot read " << sourcePath << ": " << source.error << "\n";
    return 1;
  }
  const squish::tools::GlyphSourceResult parsed = squish::tools::parseGlyphSource(source.bytes);
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
  const squish::files::WriteResult written = squish::files::writeWholeFile(outputPath, bytes);
  if (!written.ok()) {
    std::cerr << "font_sheet: cannot write " << outputPath << ": " << written.error << "\n";
    return 1;
  }
  return 0;
}
