// Absurd settings (0, negative, NaN, infinite, 1e30) reaching the running program through the
// settings panel's Apply and through scene files: a thousand frames each must finish, with the
// world's tables sound and every frame drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/window_messages.h"
#include "panel/settings_panel.h"
#include "tests/headless/headless_fixture.h"
#include "widgets/widget_tree.h"

namespace squish::app {
namespace {

using headless::HeadlessProgram;

constexpr int framesPerRun = 1000;
// Thirty-three runs of one setting each: fewer frames keep the test short.
constexpr int framesPerSingleSetting = 150;
// Three small bodies: frames stay cheap, and bonds, contacts and the walls all take part.
constexpr const char* smallScene =
    "BOX=0,100,4,3,14,0\nBOX=-100,200,3,3,12,0.3\nTRIANGLE=100,50,4,9,-0.2\n";
const std::vector<std::string> absurdValues = {"0", "-1", "nan", "1e999", "-1e999", "1e30"};

// A headless run of the program with helpers to type into the panel and to drag and kick.
class Program {
 public:
  explicit Program(std::vector<std::string> scenes) : program_(std::move(scenes), 1) {}

  void send(display::MessageKind kind, std::int32_t value = 0, std::int32_t y = 0) {
    display::WindowMessage message;
    message.kind = kind;
    message.value = value;
    message.y = y;
    program_.queueMessage(message);
  }

  // Fills every field with text and clicks Apply.
  void applyToEveryField(const std::string& text) {
    showPanel();
    for (std::int32_t n = 1; n <= panel::rowCount; ++n) {
      panel::setFieldText(program_.panel().panelWindow, panel::fieldIdBase + n,
                          text);
    }
    clickApply();
  }

  // The panel filled from the settings, one field changed, then Apply.
  void applyToField(std::int32_t row, const std::string& text) {
    showPanel();
    panel::setFieldText(program_.panel().panelWindow, panel::fieldIdBase + row,
                        text);
    clickApply();
  }

  // A frame for the press and one for the release.
  void clickApply() {
    const widgets::Rect apply =
        widgets::findChild(program_.panel().panelWindow, panel::applyId)->rect;
    send(display::MessageKind::pointerMove, apply.x + 2, apply.y + 2);
    send(display::MessageKind::buttonDown, 1);
    program_.runFrame();
    send(display::MessageKind::buttonUp, 1);
    program_.runFrame();
  }

  // Runs the frames with the pointer dragging whatever is under it, and a kick now and then.
  void runFrames(int count) {
    send(display::MessageKind::pointerMove, 330, 400);
    send(display::MessageKind::buttonDown, 2);
    for (int n = 0; n < count; ++n) {
      if (n % 100 == 50) send(display::MessageKind::character, ' ');
      ASSERT_TRUE(program_.runFrame());
    }
    send(display::MessageKind::buttonUp, 2);
  }

  void expectSoundWorld() {
    const sim::World& world = program_.world();
    EXPECT_LE(world.atomCount(), world.atomCapacity());
    EXPECT_LE(world.bondCount(), world.bondCapacity());
    for (std::int32_t b = 1; b <= world.bondCount(); ++b) {
      if (!world.bonds()[b].alive) continue;
      EXPECT_GE(world.bonds()[b].atomA, 1);
      EXPECT_LE(world.bonds()[b].atomA, world.atomCount());
      EXPECT_GE(world.bonds()[b].atomB, 1);
      EXPECT_LE(world.bonds()[b].atomB, world.atomCount());
    }
    EXPECT_GE(program_.frame().heldAtom, 0);
    EXPECT_LE(program_.frame().heldAtom, world.atomCount());
  }

  bool started() const { return program_.started(); }
  sim::SimSettings& settings() { return program_.settings(); }
  sim::World& world() { return program_.world(); }

 private:
  void showPanel() {
    panel::showSettingsPanel(program_.panel(), program_.toolkit(), program_.settings());
  }

  HeadlessProgram program_;
};

TEST(AbsurdSettings, AppliedThroughThePanelEveryFrameStillFinishes) {
  for (const std::string& value : absurdValues) {
    SCOPED_TRACE(value);
    headless::testing::ScratchDir dir;
    Program program({dir.write("small.txt", smallScene)});
    ASSERT_TRUE(program.started());
    program.applyToEveryField(value);
    // The texts reach the settings: "nan" reads as no number, 0.
    if (value == "0" || value == "nan") {
      EXPECT_EQ(program.settings().atomSpace, 0.0f);
    } else if (value == "1e999") {
      EXPECT_EQ(program.settings().maxSpeed, INFINITY);
    } else if (value == "-1e999") {
      EXPECT_EQ(program.settings().stiffness, -INFINITY);
    }
    program.runFrames(framesPerRun);
    program.expectSoundWorld();
  }
}

TEST(AbsurdSettings, SetByASceneFileEveryFrameStillFinishes) {
  const char* keys[] = {"ATOMSIZE",       "ATOMSPACE",  "MAXSPEED",     "YGRAVITY",
                        "XGRAVITY",       "BOUNDDECAY", "DEFORMFACTOR", "DEFORMTHRESHOLD",
                        "BREAKTHRESHOLD", "STIFFNESS",  "BONDTHRESHOLD"};
  headless::testing::ScratchDir dir;
  for (const std::string& value : absurdValues) {
    SCOPED_TRACE(value);
    std::string text = "BOX=0,100,4,3,14,0\n";
    for (const char* key : keys)
      text += std::string(key) + "=" + value + "\n";
    text += smallScene;
    Program program({dir.write("absurd.txt", text)});
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.world().atomCount(), 43);
    program.runFrames(framesPerRun);
    program.expectSoundWorld();
  }
}

// One setting at a time, the others sane: each absurd value meets the ordinary values of the
// rest of the step, which all-absurd runs never show.
TEST(AbsurdSettings, EachSettingAloneThroughThePanelKeepsFramesFinishing) {
  headless::testing::ScratchDir dir;
  for (std::int32_t row = 1; row <= panel::rowCount; ++row) {
    for (const char* value : {"1e999", "-1e30", "0"}) {
      SCOPED_TRACE(std::to_string(row) + " = " + std::string(value));
      Program program({dir.write("small.txt", smallScene)});
      ASSERT_TRUE(program.started());
      program.applyToField(row, value);
      program.runFrames(framesPerSingleSetting);
      program.expectSoundWorld();
    }
  }
}

}  // namespace
}  // namespace squish::app
