// Draws atoms, then bonds (so bonds lie over atoms). Counts are read once before each loop.
// Colours go to the primitives as their low 8 bits, so no atom colour can ever be taken for
// one of the primitives' marker values (foreground colour, omitted argument).
//
// A world of many atoms mostly lies outside the page, so each element is first tested against
// the page's clip rectangle in pixels, with the primitives' own rounding, and handed over only
// when it may touch it, in batches. The screen lock is held for the whole pass. A picture of
// many elements on a page off show is drawn by two threads, each writing its own half of the
// rows.
#include "app/render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <system_error>
#include <thread>

#include "app/screen_mapping.h"
#include "display/draw.h"

namespace squish::app {
namespace {

// Circles up to this radius are tested against the page here; larger ones go straight to the
// primitive, which clips them itself.
constexpr float testedRadius = 1048576.0f;

float screenX(const sim::Atom& atom) {
  return screenFromWorldX(atom.pos.x);
}
float screenY(const sim::Atom& atom) {
  return screenFromWorldY(atom.pos.y);
}

std::uint32_t paletteIndex(std::int32_t colour) {
  return static_cast<std::uint32_t>(colour) & 0xFFu;
}

// The pixels the primitives may touch on the work page: its clip rectangle within the page,
// left and top included, right and bottom excluded.
struct PageArea {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;
};

PageArea drawableArea(const display::Screen& screen) {
  const display::ClipRect& clip = screen.clipRect;
  PageArea area;
  area.left = std::max<std::int64_t>(clip.left, 0);
  area.top = std::max<std::int64_t>(clip.top, 0);
  area.right = std::min<std::int64_t>(std::int64_t{clip.left} + clip.width, screen.width);
  area.bottom = std::min<std::int64_t>(std::int64_t{clip.top} + clip.height, screen.height);
  return area;
}

// Whether a coordinate lies more than a pixel beyond [low, high]: rounding to a pixel moves it
// by half a pixel at most, so its pixel lies beyond too. A first look that spares most elements
// far off the page the rounding; NaN is never beyond.
bool beyondLow(float v, std::int64_t low) {
  return v < static_cast<float>(low) - 1.0f;
}
bool beyondHigh(float v, std::int64_t high) {
  return v > static_cast<float>(high) + 1.0f;
}

// A circle's pixels lie within its radius (either way round, whatever the aspect) of its centre
// pixel; the reach doubles that and adds a few pixels, so rounding can never hide a touched one.
bool circleMissesArea(const PageArea& area, float x, float y, float radius) {
  if (!(std::fabs(radius) <= testedRadius)) return false;
  const std::int64_t reach = 2 * static_cast<std::int64_t>(std::fabs(radius)) + 4;
  if (beyondLow(x, area.left - reach) || beyondHigh(x, area.right + reach) ||
      beyondLow(y, area.top - reach) || beyondHigh(y, area.bottom + reach))
    return true;
  const std::int64_t cx = display::toPixel(x);
  const std::int64_t cy = display::toPixel(y);
  return cx + reach < area.left || cx - reach >= area.right || cy + reach < area.top ||
         cy - reach >= area.bottom;
}

// Both end points beyond the same edge: the line primitive's clipping draws nothing then.
bool lineMissesArea(const PageArea& area, const display::PixelLine& line) {
  return (line.x1 < area.left && line.x2 < area.left) ||
         (line.x1 >= area.right && line.x2 >= area.right) ||
         (line.y1 < area.top && line.y2 < area.top) ||
         (line.y1 >= area.bottom && line.y2 >= area.bottom);
}

// Elements go to the primitives in batches, in table order, so the lock and the page are
// looked up once a batch rather than once an element. `draw` takes a span of elements; the
// last, partly filled batch goes when the batch is destroyed.
template <typename Element, typename Draw>
class Batch {
 public:
  explicit Batch(Draw draw) : draw_(draw) {}
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;
  ~Batch() { draw_(std::span<const Element>(elements_.data(), used_)); }

  void add(const Element& element) {
    elements_[used_++] = element;
    if (used_ < elements_.size()) return;
    draw_(std::span<const Element>(elements_));
    used_ = 0;
  }

 private:
  std::array<Element, 512> elements_;
  std::size_t used_ = 0;
  Draw draw_;
};

// What one pass over the elements draws: the area it culls against, and when the page is drawn
// in bands on two threads, the band of rows it writes (the area's rows).
struct Pass {
  PageArea area;
  std::optional<display::RowBand> band;
};

// Each returns how many elements it handed to the primitives.
std::int64_t drawAtoms(display::Screen& screen, const Pass& pass, const sim::World& world,
                       const sim::SimSettings& settings) {
  const auto draw = [&](std::span<const display::CircleCentre> centres) {
    if (pass.band) {
      display::drawCirclesInBand(screen, centres, settings.atomSize, *pass.band);
    } else {
      display::drawCircles(screen, display::workPage, centres, settings.atomSize);
    }
  };
  Batch<display::CircleCentre, decltype(draw)> batch(draw);
  std::int64_t drawn = 0;
  const std::span<const sim::Atom> atoms = world.atoms();
  const std::int32_t count = world.atomCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    const sim::Atom& atom = atoms[i];
    if (!atom.alive) continue;
    const float x = screenX(atom);
    const float y = screenY(atom);
    if (circleMissesArea(pass.area, x, y, settings.atomSize)) continue;
    batch.add({x, y, paletteIndex(atom.colour)});
    ++drawn;
  }
  return drawn;
}

AtomPixel atomPixel(const sim::Atom& atom) {
  const float x = screenX(atom);
  const float y = screenY(atom);
  return {display::toPixel(x), display::toPixel(y), !std::isnan(x) && !std::isnan(y)};
}

// Each atom's pixel is worked out once, not once for every bond end that meets it (a body's
// atom ends about eight bonds).
void findAtomPixels(const sim::World& world, std::vector<AtomPixel>& atomPixels,
                    sim::AllocationFaults& faults) {
  const std::int32_t count = world.atomCount();
  if (!sim::tryResize(atomPixels, static_cast<std::size_t>(count) + 1, faults)) {
    atomPixels.clear();
    return;
  }
  for (std::int32_t i = 1; i <= count; ++i)
    atomPixels[i] = atomPixel(world.atoms()[i]);
}

// Bonds of dead atoms are drawn too, from where those atoms were left, and so are bonds to
// slots past the atom count; a line with a NaN end point draws nothing.
std::int64_t drawBonds(display::Screen& screen, const Pass& pass, const sim::World& world,
                       const std::vector<AtomPixel>& atomPixels) {
  const auto draw = [&](std::span<const display::PixelLine> lines) {
    if (pass.band) {
      display::drawPixelLinesInBand(screen, lines, *pass.band);
    } else {
      display::drawPixelLines(screen, display::workPage, lines);
    }
  };
  Batch<display::PixelLine, decltype(draw)> batch(draw);
  const auto pixelOf = [&](std::int32_t slot) {
    return static_cast<std::size_t>(slot) < atomPixels.size() ? atomPixels[slot]
                                                              : atomPixel(world.atoms()[slot]);
  };
  std::int64_t drawn = 0;
  const std::span<const sim::Bond> bonds = world.bonds();
  const std::int32_t count = world.bondCount();
  for (std::int32_t i = 1; i <= count; ++i) {
    const sim::Bond& bond = bonds[i];
    if (!bond.alive) continue;
    const AtomPixel a = pixelOf(bond.atomA);
    const AtomPixel b = pixelOf(bond.atomB);
    if (!a.isNumber || !b.isNumber) continue;
    const display::PixelLine line{a.x, a.y, b.x, b.y, paletteIndex(bond.colour)};
    if (lineMissesArea(pass.area, line)) continue;
    batch.add(line);
    ++drawn;
  }
  return drawn;
}

// Two threads each look at every element and draw into their half of the page's rows, so they
// pay when many elements lie on the page (judged by the last picture), not when most are culled.
// They need the work page off show: rows drawn in bands are not marked dirty.
bool worthTwoBands(const display::Screen& screen, const PageArea& page,
                   const RenderScratch& scratch) {
  return screen.workPage != screen.visiblePage && page.bottom - page.top >= 2 &&
         scratch.elementsLastDrawn >= scratch.elementsForTwoThreads;
}

// Runs `drawPass` for the upper half of the page here and for the lower half on a second
// thread, or here too when no thread can be started. Returns what both drew.
template <typename DrawPass>
std::int64_t drawInTwoBands(const PageArea& page, const DrawPass& drawPass) {
  const std::int64_t middle = page.top + (page.bottom - page.top) / 2;
  Pass upper{page, display::RowBand{page.top, middle}};
  upper.area.bottom = middle;
  Pass lower{page, display::RowBand{middle, page.bottom}};
  lower.area.top = middle;
  std::int64_t drawnBelow = 0;
  std::thread helper;
  try {
    helper = std::thread([&drawPass, &drawnBelow, lower] { drawnBelow = drawPass(lower); });
  } catch (const std::system_error&) {
    drawnBelow = drawPass(lower);
  }
  const std::int64_t drawnAbove = drawPass(upper);
  if (helper.joinable()) helper.join();
  return drawnAbove + drawnBelow;
}

}  // namespace

void renderWorld(display::Screen& screen, const sim::World& world, const sim::SimSettings& settings,
                 RenderScratch& scratch) {
  const display::ScreenLock lock(screen.screenLock);
  if (!screen.isOpen) return;
  if (settings.showBonds != 0) findAtomPixels(world, scratch.atomPixels, scratch.faults);
  const auto drawPass = [&](const Pass& pass) {
    std::int64_t drawn = 0;
    if (settings.showAtoms != 0) drawn += drawAtoms(screen, pass, world, settings);
    if (settings.showBonds != 0) drawn += drawBonds(screen, pass, world, scratch.atomPixels);
    return drawn;
  };
  const PageArea page = drawableArea(screen);
  scratch.elementsLastDrawn = worthTwoBands(screen, page, scratch) ? drawInTwoBands(page, drawPass)
                                                                   : drawPass({page, std::nullopt});
}

void renderWorld(display::Screen& screen, const sim::World& world,
                 const sim::SimSettings& settings) {
  RenderScratch scratch;
  renderWorld(screen, world, settings, scratch);
}

}  // namespace squish::app
