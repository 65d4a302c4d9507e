// World rendering on a real 640 x 480 page: circle outlines, lines, their order, the display
// flags, dead elements, colours reduced to 8 bits and the world-to-screen transform.
#include "app/render.h"

#include <gtest/gtest.h>

#include "display/headless_presenter.h"

namespace squish::app {
namespace {

class RenderWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    screen.presenter = &presenter;
    ASSERT_TRUE(display::openScreen(screen, 18, 8, 2, 0, 0));
    display::setPages(screen, 1, 0);
  }
  void TearDown() override { display::closeScreen(screen); }

  std::int32_t addAtom(float x, float y, std::int32_t colour) {
    const std::int32_t i = ++world.atomCount;
    world.atoms.resize(std::max<std::size_t>(world.atoms.size(), i + 1));
    world.atoms[i] = {sim::yes, {x, y}, {0.0f, 0.0f}, sim::yes, colour};
    return i;
  }
  void addBond(std::int32_t a, std::int32_t b, std::int32_t colour) {
    const std::int32_t i = ++world.bondCount;
    world.bonds[i] = {sim::yes, a, b, 10.0f, 10.0f, colour};
  }
  std::uint8_t pixel(std::int32_t x, std::int32_t y) const {
    return screen.pages[1][static_cast<std::size_t>(y) * screen.pitch + x];
  }
  std::int64_t litPixels() const {
    return std::count_if(screen.pages[1].begin(), screen.pages[1].end(),
                         [](std::uint8_t p) { return p != 0; });
  }

  display::HeadlessPresenter presenter;
  display::Screen screen;
  sim::World world;
  sim::SimSettings settings;
};

TEST_F(RenderWorld, AtomIsARoundOutlineCentredOnItsScreenPoint) {
  addAtom(0.0f, 240.0f, 12);
  renderWorld(screen, world, settings);
  EXPECT_EQ(pixel(324, 240), 12);
  EXPECT_EQ(pixel(316, 240), 12);
  EXPECT_EQ(pixel(320, 236), 12);
  EXPECT_EQ(pixel(320, 244), 12);
  EXPECT_EQ(pixel(320, 240), 0);  // outline only
  EXPECT_EQ(pixel(325, 240), 0);
  EXPECT_EQ(pixel(320, 245), 0);
  EXPECT_EQ(screen.pages[0],
            std::vector<std::uint8_t>(screen.pages[0].size(), 0));  // work page only
}

TEST_F(RenderWorld, BondsAreLinesDrawnOverAtoms) {
  const std::int32_t a = addAtom(-100.0f, 100.0f, 9);
  const std::int32_t b = addAtom(100.0f, 100.0f, 9);
  addBond(a, b, 14);
  renderWorld(screen, world, settings);
  for (std::int32_t x = 220; x <= 420; ++x)
    EXPECT_EQ(pixel(x, 380), 14) << x;
  EXPECT_EQ(pixel(216, 380), 9);  // the circle's far side, off the line
  EXPECT_EQ(pixel(220, 376), 9);
  EXPECT_EQ(pixel(320, 379), 0);
  EXPECT_EQ(pixel(320, 381), 0);
}

TEST_F(RenderWorld, DisplayFlagsHideEachKindIndependently) {
  const std::int32_t a = addAtom(-100.0f, 100.0f, 9);
  const std::int32_t b = addAtom(100.0f, 100.0f, 9);
  addBond(a, b, 14);

  settings.showAtoms = 0;
  renderWorld(screen, world, settings);
  EXPECT_EQ(pixel(216, 380), 0);
  EXPECT_EQ(pixel(320, 380), 14);

  display::clearPage(screen);
  settings.showAtoms = 2;  // any nonzero value shows
  settings.showBonds = 0;
  renderWorld(screen, world, settings);
  EXPECT_EQ(pixel(216, 380), 9);
  EXPECT_EQ(pixel(320, 380), 0);

  display::clearPage(screen);
  settings.showAtoms = 0;
  renderWorld(screen, world, settings);
  EXPECT_EQ(litPixels(), 0);
}

TEST_F(RenderWorld, DeadAtomsAndBrokenBondsAreNotDrawn) {
  const std::int32_t a = addAtom(-100.0f, 100.0f, 9);
  const std::int32_t b = addAtom(100.0f, 100.0f, 9);
  addBond(a, b, 14);
  world.atoms[a].alive = sim::no;
  world.atoms[b].alive = 1;  // only -1 means alive
  world.bonds[1].alive = sim::no;
  renderWorld(screen, world, settings);
  EXPECT_EQ(litPixels(), 0);
}

TEST_F(RenderWorld, ColoursUseTheirLowEightBitsAndEdgesClip) {
  addAtom(0.0f, 240.0f, 270);
  addAtom(-100.0f, 240.0f, static_cast<std::int32_t>(display::defaultColour));
  addAtom(0.0f, 0.0f, 10);      // centred one row below the page: only the upper half shows
  addAtom(320.0f, 240.0f, 11);  // centred on column 640: only the left part shows
  renderWorld(screen, world, settings);
  EXPECT_EQ(pixel(324, 240), 14);
  EXPECT_EQ(pixel(224, 240), 0xFF);  // not taken for the foreground colour
  EXPECT_EQ(pixel(320, 476), 10);
  EXPECT_EQ(pixel(636, 240), 11);
}

TEST_F(RenderWorld, BondsToAtomsOutsideTheTableAreSkipped) {
  const std::int32_t a = addAtom(0.0f, 100.0f, 9);
  addBond(a, 5000, 14);
  addBond(-3, a, 14);
  world.bondCount = 1000;  // beyond the bond table: only real slots are visited
  settings.showAtoms = 0;
  renderWorld(screen, world, settings);
  EXPECT_EQ(litPixels(), 0);
}

}  // namespace
}  // namespace squish::app
