// The frame loop driven headless with scripted window messages: scene building, dragging, the
// kick, the settings panel (Escape, Apply, Restart, Quit) and what reaches the screen. Expected
// worlds are replicas stepped by hand from the same state, compared bit for bit.
#include "app/frame_loop.h"

#include <gtest/gtest.h>

#include "panel/settings_panel.h"
#include "sim/step.h"
#include "sim/vec2.h"
#include "tests/headless/headless_fixture.h"
#include "tests/sim/test_world.h"

namespace squish::app {
namespace {

using headless::HeadlessProgram;
using headless::testing::atFrame;
using headless::testing::expectSameWorld;
using headless::testing::runFrameWith;
using headless::testing::ScratchDir;

// Three atoms in a row at world (0, 100), (10, 100), (20, 100) (screen (320, 380) onwards),
// bonded 1-2 and 2-3, with no gravity so they stay put.
constexpr const char* chainScene = "# chain\nYGRAVITY=0\nBOX=0,100,3,1,14,0\n";

// Screen coordinates of an atom, rounded, as a "mouse X Y" message.
std::string mouseOnAtom(const sim::World& world, std::int32_t atom) {
  const sim::Vec2 pos = world.atoms()[atom].pos;
  return "mouse " + std::to_string(static_cast<int>(std::lround(320.0f + pos.x))) + " " +
         std::to_string(static_cast<int>(std::lround(480.0f - pos.y)));
}

std::uint8_t visiblePixel(display::Screen& screen, std::int32_t x, std::int32_t y) {
  return screen.pages[screen.visiblePage][static_cast<std::size_t>(y) * screen.pitch + x];
}

// Holds Escape for one frame: the panel appears.
void openPanel(HeadlessProgram& program) {
  runFrameWith(program, atFrame(program, "keydown 1"));
  runFrameWith(program, atFrame(program, "keyup 1"));
}

// A left click at a screen point: move, press, release, one frame each.
void click(HeadlessProgram& program, std::int32_t x, std::int32_t y) {
  runFrameWith(program, atFrame(program, "mouse " + std::to_string(x) + " " + std::to_string(y)));
  runFrameWith(program, atFrame(program, "down left"));
  runFrameWith(program, atFrame(program, "up left"));
}

// One character per frame, as the frame loop reads one key per frame.
void type(HeadlessProgram& program, const std::string& text) {
  for (const char c : text) {
    runFrameWith(program,
                 atFrame(program, "char " + std::to_string(static_cast<unsigned char>(c))));
  }
}

// Screen points of the panel's widgets (the window at (4, 4)).
constexpr std::int32_t applyX = 38, applyY = 16;
constexpr std::int32_t restartX = 38, restartY = 276;
constexpr std::int32_t quitX = 106, quitY = 276;
constexpr std::int32_t showBondsX = 100, showBondsY = 256;
std::int32_t fieldY(std::int32_t row) {
  return 4 + 20 * row + 6 + 6;
}
constexpr std::int32_t fieldX = 142;

TEST(FrameLoop, DefaultSceneIsBuiltWithoutArgumentsOrWithAnEmptyFirstOne) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"", "missing.txt"}}) {
    HeadlessProgram program(arguments, 1);
    EXPECT_EQ(program.world().atomCount(), 237);
    EXPECT_EQ(program.world().bondCount(), 639);
    // Box 1's corner atom is its anchor; the atom above it is turned 0.1 rad clockwise.
    const sim::Atom& corner = program.world().atoms()[1];
    EXPECT_EQ(corner.pos.x, 100.0f);
    EXPECT_EQ(corner.pos.y, 150.0f);
    EXPECT_EQ(corner.colour, 14);
    sim::Vec2 above{0.0f, 10.0f};
    sim::vecRotate(above, 0.1f);
    EXPECT_EQ(program.world().atoms()[2].pos.x, 100.0f + above.x);
    EXPECT_EQ(program.world().atoms()[2].pos.y, 150.0f + above.y);
    EXPECT_EQ(program.framesRun(), 0);
  }
}

TEST(FrameLoop, SceneFilesAreReadUpToTheFirstEmptyArgument) {
  ScratchDir dir;
  const std::string box = dir.write("box.txt", "BOX=0,0,2,2,14,0\n");
  const std::string triangle = dir.write("triangle.txt", "TRIANGLE=0,100,3,15,0\n");
  EXPECT_EQ(HeadlessProgram({box, triangle}, 1).world().atomCount(), 4 + 6);
  EXPECT_EQ(HeadlessProgram({box, "", triangle}, 1).world().atomCount(), 4);
  EXPECT_EQ(HeadlessProgram({dir.path("missing.txt"), triangle}, 1).world().atomCount(), 6);

  HeadlessProgram empty({dir.path("missing.txt")}, 1);
  EXPECT_EQ(empty.world().atomCount(), 0);
  EXPECT_TRUE(empty.runFrame());
  EXPECT_TRUE(empty.runFrame());
}

TEST(FrameLoop, PressGrabsHeldAtomFollowsRightButtonMovesNeighboursReleaseLetsGo) {
  ScratchDir dir;
  HeadlessProgram program({dir.write("chain.txt", chainScene)}, 1);
  sim::World& world = program.world();

  runFrameWith(program, atFrame(program, "mouse 320 380"));
  runFrameWith(program, atFrame(program, "down left"));
  EXPECT_EQ(program.frame().heldAtom, 1);

  // The held atom's velocity becomes the vector to the pointer (world (20, 150)).
  sim::World expected = world;
  expected.velocity(1) = {20.0f - expected.atoms()[1].pos.x, 150.0f - expected.atoms()[1].pos.y};
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, "mouse 340 330"));
  expectSameWorld(expected, world);
  EXPECT_GT(world.atoms()[1].pos.y, 100.0f);

  runFrameWith(program, atFrame(program, "up left"));
  EXPECT_EQ(program.frame().heldAtom, 0);

  // A press away from every atom grabs nothing, and moving onto one with the button down
  // does not grab it either.
  runFrameWith(program, atFrame(program, "mouse 600 100"));
  runFrameWith(program, atFrame(program, "down right"));
  EXPECT_EQ(program.frame().heldAtom, 0);
  runFrameWith(program, atFrame(program, mouseOnAtom(world, 3)));
  EXPECT_EQ(program.frame().heldAtom, 0);
  runFrameWith(program, atFrame(program, "up right"));

  // The right button: atom 2's bond partners (1 and 3) get its velocity.
  runFrameWith(program, atFrame(program, mouseOnAtom(world, 2)));
  const float worldX = static_cast<float>(program.frame().mouse.value().x - 320);
  const float worldY = static_cast<float>(480 - program.frame().mouse.value().y);
  const std::int32_t picked = sim::pickAtom(world, program.settings(), worldX, worldY);
  ASSERT_EQ(picked, 2);
  expected = world;
  const sim::Vec2 pos = expected.atoms()[2].pos;
  const sim::Vec2 pull{worldX - pos.x, worldY - pos.y};
  for (const std::int32_t atom : {1, 2, 3})
    expected.velocity(atom) = pull;
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, "down right"));
  EXPECT_EQ(program.frame().heldAtom, 2);
  expectSameWorld(expected, world);
}

TEST(FrameLoop, BrokenBondsStillCarryTheRightButtonDrag) {
  ScratchDir dir;
  HeadlessProgram program({dir.write("chain.txt", chainScene)}, 1);
  sim::World& world = program.world();
  sim::freeBond(world, 2);  // 2-3 broken; its slot still names both atoms
  runFrameWith(program, atFrame(program, mouseOnAtom(world, 3)));
  sim::World expected = world;
  const display::MouseState mouse = program.frame().mouse.value();
  const sim::Vec2 pull{static_cast<float>(mouse.x - 320) - expected.atoms()[3].pos.x,
                       static_cast<float>(480 - mouse.y) - expected.atoms()[3].pos.y};
  expected.velocity(3) = pull;
  expected.velocity(2) = pull;
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, "down right"));
  EXPECT_EQ(program.frame().heldAtom, 3);
  expectSameWorld(expected, world);
}

TEST(FrameLoop, PointerOutsideTheWindowOrOverThePanelTouchesNoAtom) {
  ScratchDir dir;
  // One free atom under where the panel will be (screen (50, 100)), one in the open.
  HeadlessProgram program(
      {dir.write("two.txt", "YGRAVITY=0\nBOX=-270,380,1,1,12,0\nBOX=0,100,1,1,12,0\n")}, 1);
  sim::World& world = program.world();

  sim::World expected = world;
  runFrameWith(program, atFrame(program, "mouse -5 -5"));
  runFrameWith(program, atFrame(program, "down left"));
  runFrameWith(program, atFrame(program, "mouse 700 100"));
  EXPECT_FALSE(program.frame().mouse);
  EXPECT_EQ(program.frame().heldAtom, 0);
  runFrameWith(program, atFrame(program, "up left"));

  openPanel(program);
  runFrameWith(program, atFrame(program, "mouse 50 100"));
  runFrameWith(program, atFrame(program, "down left"));
  EXPECT_EQ(program.frame().heldAtom, 0);
  runFrameWith(program, atFrame(program, "up left"));
  for (std::int64_t i = 0; i < program.framesRun(); ++i)
    sim::stepWorld(expected, program.settings());
  expectSameWorld(expected, world);
}

TEST(FrameLoop, SpaceKicksEveryLiveAtomWithFreshRandomVelocities) {
  HeadlessProgram program({}, 7);
  runFrameWith(program, atFrame(program, "mouse 600 20"));
  sim::World expected = program.world();
  display::RandomGenerator random = program.random();
  ASSERT_TRUE(sim::testing::setAtomLive(expected, 5, false));
  ASSERT_TRUE(sim::testing::setAtomLive(program.world(), 5, false));
  const double maxSpeed = program.settings().maxSpeed;
  for (std::int32_t i = 1; i <= expected.atomCount(); ++i) {
    if (!expected.atoms()[i].alive) continue;
    const double r1 = display::randomUnit(random, 1);
    const double r2 = display::randomUnit(random, 1);
    expected.velocity(i) = {static_cast<float>((r2 - 0.5) * maxSpeed * 2.0),
                            static_cast<float>((r1 - 0.5) * maxSpeed * 2.0)};
  }
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, "keydown 57") + atFrame(program, "char 32"));
  expectSameWorld(expected, program.world());

  // The key stays held but no new character arrives: no second kick.
  expected = program.world();
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, "mouse 600 21"));
  expectSameWorld(expected, program.world());
}

TEST(FrameLoop, SpaceTypedIntoAFocusedFieldGivesNoKick) {
  HeadlessProgram program({}, 1);
  openPanel(program);
  click(program, fieldX, fieldY(1));
  sim::World expected = program.world();
  sim::stepWorld(expected, program.settings());
  runFrameWith(program, atFrame(program, "char 32"));
  expectSameWorld(expected, program.world());
  EXPECT_NE(panel::fieldText(program.panel().panelWindow, panel::fieldIdBase + 1).find(' '),
            std::string::npos);
}

TEST(FrameLoop, EscapeOpensThePanelFilledFromTheSettings) {
  HeadlessProgram program({}, 1);
  runFrameWith(program, atFrame(program, "mouse 600 400"));
  EXPECT_EQ(program.panel().panelWindow, nullptr);
  program.settings().atomSize = 6.0f;
  runFrameWith(program, atFrame(program, "keydown 1"));
  widgets::Widget* window = program.panel().panelWindow;
  ASSERT_NE(window, nullptr);
  EXPECT_NE(window->flags & widgets::visible, 0u);
  EXPECT_EQ(window->rect.x, 4);
  EXPECT_EQ(window->rect.y, 4);
  EXPECT_EQ(panel::fieldText(window, panel::fieldIdBase + 1), "6");
  EXPECT_EQ(panel::fieldText(window, panel::fieldIdBase + 2), "10");
  EXPECT_EQ(panel::isChecked(window, panel::showAtomsId), 1);
  runFrameWith(program, atFrame(program, "keyup 1"));
  runFrameWith(program, atFrame(program, "mouse 600 401"));
  EXPECT_NE(window->flags & widgets::visible, 0u);
  // The panel is drawn: its face colour covers the world at the window's middle.
  EXPECT_NE(visiblePixel(program.screen(), 90, 150), 0);
}

TEST(FrameLoop, ApplyWritesTheFieldsAndRestartKeepsThem) {
  HeadlessProgram program({}, 1);
  openPanel(program);
  click(program, fieldX, fieldY(2));
  runFrameWith(program, atFrame(program, "keydown 79 extended"));  // End
  runFrameWith(program, atFrame(program, "keyup 79 extended"));
  type(program, "\b\b20");
  EXPECT_EQ(program.settings().atomSpace, 10.0f);  // not before Apply
  click(program, applyX, applyY);
  EXPECT_EQ(program.settings().atomSpace, 20.0f);

  program.frame().heldAtom = 3;
  click(program, restartX, restartY);
  EXPECT_FALSE(program.panel().restartRequested);
  EXPECT_EQ(program.frame().heldAtom, 0);
  EXPECT_EQ(program.settings().atomSpace, 20.0f);
  EXPECT_EQ(program.world().atomCount(), 237);
  EXPECT_EQ(program.world().bonds()[1].restLength, 20.0f);
  EXPECT_EQ(program.panel().panelWindow->flags & widgets::visible, 0u);
}

TEST(FrameLoop, QuitEndsTheLoopAtTheStartOfTheNextFrame) {
  HeadlessProgram program({}, 1);
  openPanel(program);
  runFrameWith(program, atFrame(program, "mouse 106 276"));
  runFrameWith(program, atFrame(program, "down left"));
  const sim::World before = program.world();
  EXPECT_TRUE(runFrameWith(program, atFrame(program, "up left")));  // Quit pressed: still steps
  EXPECT_TRUE(program.panel().quitRequested);
  EXPECT_NE(before.atoms()[1].pos.y, program.world().atoms()[1].pos.y);
  const std::int64_t frames = program.framesRun();
  EXPECT_FALSE(runFrameWith(program, atFrame(program, "mouse 1 1")));
  EXPECT_TRUE(program.quit());
  EXPECT_EQ(program.framesRun(), frames + 1);
  EXPECT_FALSE(program.runFrame());
  EXPECT_EQ(program.framesRun(), frames + 1);
}

TEST(FrameLoop, CloseControlDoesNotEndTheProgram) {
  HeadlessProgram program({}, 1);
  EXPECT_TRUE(runFrameWith(program, atFrame(program, "close")));
  EXPECT_TRUE(runFrameWith(program, atFrame(program, "focus out")));
  EXPECT_TRUE(program.runFrame());
  EXPECT_FALSE(program.quit());
}

TEST(FrameLoop, PictureShowsAtomsAndBondsAsTheFlagsSay) {
  ScratchDir dir;
  // Two atoms 200 apart joined by one bond at rest: screen (220, 240) and (420, 240).
  const std::string pair =
      dir.write("pair.txt", "YGRAVITY=0\nATOMSPACE=200\nBOX=-100,240,2,1,14,0\n");
  HeadlessProgram program({pair}, 1);
  runFrameWith(program, atFrame(program, "mouse 600 400"));
  display::Screen& screen = program.screen();
  EXPECT_EQ(visiblePixel(screen, 220, 236), 14);  // circle outline
  EXPECT_EQ(visiblePixel(screen, 220, 240), 14);  // on the line
  EXPECT_EQ(visiblePixel(screen, 320, 240), 14);  // the line
  EXPECT_EQ(visiblePixel(screen, 320, 238), 0);
  EXPECT_EQ(visiblePixel(screen, 420, 244), 14);

  openPanel(program);
  click(program, showBondsX, showBondsY);
  click(program, applyX, applyY);
  EXPECT_EQ(program.settings().showBonds, 0);
  EXPECT_EQ(program.settings().showAtoms, 1);
  runFrameWith(program, atFrame(program, "mouse 600 400"));
  EXPECT_EQ(visiblePixel(screen, 320, 240), 0);
  EXPECT_EQ(visiblePixel(screen, 220, 236), 14);

  HeadlessProgram hidden({dir.write("hidden.txt", "SHOWATOMS=0\n"), pair}, 1);
  hidden.runFrame();
  EXPECT_EQ(visiblePixel(hidden.screen(), 220, 236), 0);
  EXPECT_EQ(visiblePixel(hidden.screen(), 320, 240), 14);
}

}  // namespace
}  // namespace squish::app
