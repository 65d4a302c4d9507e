// The drawing primitives and image transfers with arbitrary floats (NaN, infinities, 1e30,
// huge radii), shapes, styles, source rectangles and row bands, onto the work page, the visible
// page and images of odd sizes, some shorter than their headers say. Each image block is its own
// allocation of exactly its size, so a write past it is caught.
#include <cstdlib>
#include <vector>

#include "display/draw.h"
#include "display/image.h"
#include "tests/fuzz/byte_reader.h"
#include "tests/fuzz/fuzz_entries.h"

namespace squish::fuzz {
namespace {

constexpr int mostOperations = 256;
constexpr std::int64_t largestMadeImage = std::int64_t{1} << 22;

struct Canvas {
  display::Screen screen;
  std::vector<std::uint8_t> image;   // a whole image block
  std::vector<std::uint8_t> short_;  // a block whose header claims more rows than it holds
  std::vector<std::uint8_t> glyph;   // what getImage fills and putImage combines

  display::DrawTarget target(std::uint8_t choice) {
    switch (choice % 4) {
      case 0:
        return image;
      case 1:
        return short_;
      default:
        return display::workPage;
    }
  }
};

void makeImages(Canvas& canvas, ByteReader& in) {
  const std::int32_t width = 1 + in.byte() % 40;
  const std::int32_t height = 1 + in.byte() % 40;
  canvas.image = display::createImage(canvas.screen, width, height, in.word());
  if (canvas.image.empty()) std::abort();
  canvas.short_.assign(4 + static_cast<std::size_t>(width) * (height / 2), 7);
  display::writeImageHeader(canvas.short_, 1, width, height);
  canvas.glyph.assign(4 + in.byte() % 200, 0);
}

std::uint32_t colour(ByteReader& in) {
  return in.byte() < 32 ? display::defaultColour : in.word();
}

void drawOne(Canvas& canvas, ByteReader& in) {
  display::Screen& screen = canvas.screen;
  switch (in.byte() % 10) {
    case 0: {
      const display::DrawTarget target = canvas.target(in.byte());
      const float x1 = in.coordinate(), y1 = in.coordinate();
      const float x2 = in.coordinate(), y2 = in.coordinate();
      const std::int32_t shape = in.byte() < 250 ? in.byte() % 3 : in.signedWord();
      display::drawLine(screen, target, x1, y1, x2, y2, colour(in), shape, in.word());
      break;
    }
    case 1: {
      const display::DrawTarget target = canvas.target(in.byte());
      const float x = in.coordinate(), y = in.coordinate(), radius = in.coordinate();
      const float aspect = in.byte() < 128 ? 0.0f : in.coordinate();
      display::drawCircle(screen, target, x, y, radius, colour(in), aspect, 0.0f, 6.283186f,
                          in.byte() % 2);
      break;
    }
    case 2: {
      const display::DrawTarget target = canvas.target(in.byte());
      const float x1 = in.coordinate(), y1 = in.coordinate();
      const float x2 = in.coordinate(), y2 = in.coordinate();
      display::getImage(screen, target, x1, y1, x2, y2, canvas.glyph);
      break;
    }
    case 3: {
      const display::DrawTarget target = canvas.target(in.byte());
      const float x = in.coordinate(), y = in.coordinate();
      const std::uint8_t source = in.byte();
      const std::span<const std::uint8_t> block = source % 3 == 0   ? canvas.image
                                                  : source % 3 == 1 ? canvas.short_
                                                                    : canvas.glyph;
      const std::int32_t mode = in.byte() < 250 ? in.byte() % 6 : in.signedWord();
      if (in.byte() < 128) {
        display::putImage(screen, target, x, y, block, mode);
      } else {
        display::putImage(screen, target, x, y, block, mode, in.word(), in.word(), in.word(),
                          in.word());
      }
      break;
    }
    case 4:
      display::setPages(screen, in.byte() % 3, in.byte() % 3);
      break;
    case 5:
      display::clearPage(screen, in.byte() < 128 ? display::notGiven : in.word());
      break;
    case 6: {
      // Sizes beyond the header's range are refused; huge ones that fit are skipped for speed.
      const std::int32_t width = in.signedWord() % 9000, height = in.signedWord() % 70000;
      if (std::int64_t{width} * height > largestMadeImage) break;
      const display::ImageBuffer made = display::createImage(screen, width, height, in.word());
      require(
          made.empty() || made.size() == 4 + static_cast<std::size_t>(display::imageWidth(made)) *
                                                 display::imageHeight(made),
          "a made image holds its header's pixels");
      break;
    }
    case 7:
      display::copyPage(screen, in.byte() % 3 - 1, in.byte() % 3 - 1);
      break;
    case 8: {
      const display::PixelLine line{in.signedWord(), in.signedWord(), in.signedWord(),
                                    in.signedWord(), colour(in)};
      const display::RowBand band{in.signedWord(), in.signedWord()};
      display::drawPixelLinesInBand(screen, {&line, 1}, band);
      break;
    }
    default: {
      const display::CircleCentre centre{in.coordinate(), in.coordinate(), colour(in)};
      const float radius = in.coordinate();
      const display::RowBand band{in.signedWord(), in.signedWord()};
      display::drawCirclesInBand(screen, {&centre, 1}, radius, band);
      break;
    }
  }
}

}  // namespace

void feedDrawing(Bytes input) {
  ByteReader in(input);
  Canvas canvas;
  if (!display::openScreen(canvas.screen, 18, 8, 2, 0, 0)) std::abort();
  makeImages(canvas, in);
  for (int n = 0; n < mostOperations && !in.done(); ++n)
    drawOne(canvas, in);
  display::closeScreen(canvas.screen);
  // The primitives must also do nothing at all once the screen is closed.
  for (int n = 0; n < 4 && !in.done(); ++n)
    drawOne(canvas, in);
}

}  // namespace squish::fuzz
