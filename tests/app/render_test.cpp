// World rendering on a real 640 x 480 page: circle outlines, lines, their order, the display
// flags, dead elements, colours reduced to 8 bits and the world-to-screen transform.
#include "app/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "display/draw.h"

#include "display/headless_presenter.h"
#include "tests/sim/test_world.h"

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
    const std::int32_t i = sim::allocateAtom(world);
    sim::setAtom(world, i, x, y, 0.0f, 0.0f, colour);
    return i;
  }
  void addBond(std::int32_t a, std::int32_t b, std::int32_t colour) {
    sim::setBond(world, sim::allocateBond(world), a, b, 10.0f, 10.0f, colour);
  }
  // A bond in a colour of its own slot's.
  void addBondGrowing(std::int32_t a, std::int32_t b) {
    const std::int32_t i = sim::allocateBond(world);
    sim::setBond(world, i, a, b, 10.0f, 10.0f, 1 + i % 250);
  }
  // `count` atoms in random colours, anywhere over the page and up to `pastEdge` beyond it.
  void scatterAtoms(std::mt19937& random, std::int32_t count, float pastEdge) {
    std::uniform_real_distribution<float> across(-320.0f - pastEdge, 320.0f + pastEdge);
    std::uniform_real_distribution<float> up(-pastEdge, 480.0f + pastEdge);
    std::uniform_int_distribution<std::int32_t> colour(1, 255);
    for (std::int32_t i = 0; i < count; ++i)
      addAtom(across(random), up(random), colour(random));
  }
  // What rendering draws, element by element with no test of its own against the page.
  void drawEveryElement() {
    for (std::int32_t i = 1; i <= world.atomCount(); ++i) {
      const sim::Atom& atom = world.atoms()[i];
      display::drawCircle(screen, display::workPage, 320.0f + atom.pos.x, 480.0f - atom.pos.y,
                          settings.atomSize, static_cast<std::uint32_t>(atom.colour), 0.0f, 0.0f,
                          6.283186f, 0);
    }
    drawEveryBond();
  }
  void drawEveryBond() {
    for (std::int32_t i = 1; i <= world.bondCount(); ++i) {
      const sim::Atom& a = world.atoms()[world.bonds()[i].atomA];
      const sim::Atom& b = world.atoms()[world.bonds()[i].atomB];
      display::drawLine(screen, display::workPage, 320.0f + a.pos.x, 480.0f - a.pos.y,
                        320.0f + b.pos.x, 480.0f - b.pos.y,
                        static_cast<std::uint32_t>(world.bonds()[i].colour), display::line, 0xFFFF);
    }
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
  ASSERT_TRUE(sim::testing::setAtomLive(world, a, false));
  ASSERT_TRUE(sim::testing::setAtomLive(world, b, false));
  sim::freeBond(world, 1);
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

// The page is drawn as if every live element went to its primitive: atoms and bonds near, across
// and far beyond every edge of the page and of a narrowed clip rectangle, radii from nothing to
// huge, negative and NaN, end points at NaN, infinity and the int32 rim.
TEST_F(RenderWorld, ElementsLeftOutOffThePageChangeNoPixel) {
  std::mt19937 random(7);
  scatterAtoms(random, 400, 80.0f);
  const float oddPlaces[] = {std::nanf(""), INFINITY, -INFINITY, 3.0e9f, -3.0e9f, 1.0e30f};
  for (const float odd : oddPlaces) {
    addAtom(odd, 100.0f, 5);
    addAtom(0.0f, odd, 6);
  }
  std::uniform_int_distribution<std::int32_t> anyAtom(1, world.atomCount());
  for (std::int32_t k = 0; k < 600; ++k)
    addBondGrowing(anyAtom(random), anyAtom(random));

  const display::ClipRect clips[] = {screen.clipRect, {100, 50, 200, 300}};
  const float radii[] = {0.0f, 0.8f, 4.0f, 37.5f, -6.0f, 900.0f, 3.0e9f, std::nanf("")};
  for (const display::ClipRect& clip : clips) {
    for (const float radius : radii) {
      settings.atomSize = radius;
      screen.clipRect = clip;
      display::clearPage(screen);
      renderWorld(screen, world, settings);
      const std::vector<std::uint8_t> culled = screen.pages[1];
      display::clearPage(screen);
      drawEveryElement();
      EXPECT_EQ(culled, screen.pages[1]) << "radius " << radius << " clip " << clip.left;
      EXPECT_GT(litPixels(), 0);
    }
  }
}

// A picture of many elements is drawn by two threads, each writing half of the page's rows:
// lines that cross the middle row, circles cut by it and elements far off the page still end
// exactly as drawn one by one, with the full clip rectangle and a narrowed one whose middle is
// elsewhere.
TEST_F(RenderWorld, TwoThreadsDrawWhatOneDraws) {
  std::mt19937 random(11);
  scatterAtoms(random, 8000, 100.0f);
  addAtom(std::nanf(""), 240.0f, 5);
  addAtom(0.0f, INFINITY, 6);
  std::uniform_int_distribution<std::int32_t> anyAtom(1, world.atomCount());
  std::uniform_int_distribution<std::int32_t> nearby(-40, 40);
  for (std::int32_t k = 0; k < 14000; ++k) {
    const std::int32_t a = anyAtom(random);
    const std::int32_t b = k % 2 == 0 ? a + nearby(random) : anyAtom(random);
    addBondGrowing(a, std::clamp(b, 1, world.atomCount()));
  }
  const display::ClipRect clips[] = {screen.clipRect, {30, 111, 500, 200}};
  for (const display::ClipRect& clip : clips) {
    for (const float radius : {0.8f, 6.0f, 300.0f}) {
      settings.atomSize = radius;
      screen.clipRect = clip;
      RenderScratch scratch;
      scratch.elementsForTwoThreads = 1000;
      renderWorld(screen, world, settings, scratch);  // learns that the picture is large
      ASSERT_GE(scratch.elementsLastDrawn, scratch.elementsForTwoThreads);
      display::clearPage(screen);
      renderWorld(screen, world, settings, scratch);
      const std::vector<std::uint8_t> together = screen.pages[1];
      display::clearPage(screen);
      drawEveryElement();
      EXPECT_EQ(together, screen.pages[1]) << "radius " << radius << " clip " << clip.top;
    }
  }
}

// Bond ends are found by atom slot in a table the renderer keeps between pictures: a table
// left by a larger world must not leak into the next, and bonds to dead atoms or to slots past
// the atom count still meet the atoms' own positions, also when the table cannot grow.
TEST_F(RenderWorld, BondsMeetTheirAtomsWhateverTheRendererKeptFromBefore) {
  RenderScratch scratch;
  for (std::int32_t i = 0; i < 50; ++i)
    addAtom(-300.0f + 12.0f * static_cast<float>(i), 400.0f, 3);
  renderWorld(screen, world, settings, scratch);

  // The third atom is made before a clear, so its slot lies past the count after the clear.
  sim::clearWorld(world);
  const std::int32_t a = addAtom(-100.0f, 100.0f, 4);
  const std::int32_t dead = addAtom(50.0f, 300.0f, 4);
  const std::int32_t beyond = addAtom(200.0f, 20.0f, 4);
  sim::clearWorld(world);
  addAtom(-100.0f, 100.0f, 4);
  addAtom(50.0f, 300.0f, 4);
  ASSERT_TRUE(sim::testing::setAtomLive(world, dead, false));
  addBond(a, dead, 7);
  addBond(dead, beyond, 8);
  addBond(beyond, a, 9);
  settings.showAtoms = 0;
  display::clearPage(screen);
  renderWorld(screen, world, settings, scratch);
  const std::vector<std::uint8_t> kept = screen.pages[1];

  display::clearPage(screen);
  drawEveryBond();
  EXPECT_EQ(kept, screen.pages[1]);
  EXPECT_GT(litPixels(), 600);

  // Atoms that have moved since, in a world that outgrows the table when no memory can be had
  // for a larger one: what the table kept must not be read.
  scratch.faults.failFrom = scratch.faults.growths + 1;
  world.position(a) = {-150.0f, 250.0f};
  for (std::int32_t i = 0; i < 300; ++i)
    addBondGrowing(a, addAtom(-300.0f + 2.0f * static_cast<float>(i), 450.0f, 4));
  display::clearPage(screen);
  renderWorld(screen, world, settings, scratch);
  const std::vector<std::uint8_t> starved = screen.pages[1];
  display::clearPage(screen);
  drawEveryBond();
  EXPECT_EQ(starved, screen.pages[1]);
}

}  // namespace
}  // namespace squish::app
