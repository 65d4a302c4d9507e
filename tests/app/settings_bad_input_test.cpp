// Absurd settings (0, negative, NaN, infinite, 1e30) reaching the running program through the
// settings panel's Apply and through scene files: a thousand frames each must finish, with the
// world's tables sound and every frame drawn. The screen runs without a presenter, as the
// pixels shown are not what is checked here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "display/window_messages.h"
#include "panel/settings_panel.h"
#include "tests/app/headless_fixture.h"
#include "widgets/widget_tree.h"

namespace squish::app {
namespace {

constexpr int framesPerRun = 1000;
// Thirty-three runs of one setting each: fewer frames keep the test short.
constexpr int framesPerSingleSetting = 150;
// Three small bodies: frames stay cheap, and bonds, contacts and the walls all take part.
constexpr const char* smallScene =
    "BOX=0,100,4,3,14,0\nBOX=-100,200,3,3,12,0.3\nTRIANGLE=100,50,4,9,-0.2\n";
const std::vector<std::string> absurdValues = {"0", "-1", "nan", "1e999", "-1e999", "1e30"};

class Program {
 public:
  explicit Program(std::vector<std::string> scenes)
      : scenes_(std::move(scenes)),
        state_{.screen = screen_,
               .world = world_,
               .settings = settings_,
               .toolkit = toolkit_,
               .panel = panel_,
               .random = random_,
               .sceneArguments = scenes_,
               .fixedSeed = 1,
               .frame = {},
               .referenceStep = false,
               .stepState = {}} {
    started_ = startUp(state_);
    if (started_) buildScene(state_);
  }
  ~Program() {
    if (started_) shutDown(state_);
  }

  void send(display::MessageKind kind, std::int32_t value = 0, std::int32_t y = 0) {
    display::WindowMessage message;
    message.kind = kind;
    message.value = value;
    message.y = y;
    display::ScreenLock lock(screen_.screenLock);
    display::handleWindowMessage(screen_, message);
  }

  // Fills every field with text and clicks Apply.
  void applyToEveryField(const std::string& text) {
    panel::showSettingsPanel(panel_, toolkit_, settings_);
    for (std::int32_t n = 1; n <= panel::rowCount; ++n) {
      panel::setFieldText(toolkit_, panel_.panelWindow, panel::fieldIdBase + n, text);
    }
    clickApply();
  }

  // The panel filled from the settings, one field changed, then Apply.
  void applyToField(std::int32_t row, const std::string& text) {
    panel::showSettingsPanel(panel_, toolkit_, settings_);
    panel::setFieldText(toolkit_, panel_.panelWindow, panel::fieldIdBase + row, text);
    clickApply();
  }

  // A frame for the press and one for the release.
  void clickApply() {
    const widgets::Rect apply =
        widgets::findChild(toolkit_, panel_.panelWindow, panel::applyId)->rect;
    send(display::MessageKind::pointerMove, apply.x + 2, apply.y + 2);
    send(display::MessageKind::buttonDown, 1);
    runFrame(state_);
    send(display::MessageKind::buttonUp, 1);
    runFrame(state_);
  }

  // Runs the frames with the pointer dragging whatever is under it, and a kick now and then.
  void runFrames(int count) {
    send(display::MessageKind::pointerMove, 330, 400);
    send(display::MessageKind::buttonDown, 2);
    for (int n = 0; n < count; ++n) {
      if (n % 100 == 50) send(display::MessageKind::character, ' ');
      ASSERT_TRUE(runFrame(state_));
    }
    send(display::MessageKind::buttonUp, 2);
  }

  void expectSoundWorld() const {
    EXPECT_LE(world_.atomCount, world_.atomCapacity);
    EXPECT_LE(world_.bondCount, world_.bondCapacity);
    for (std::int32_t b = 1; b <= world_.bondCount; ++b) {
      if (world_.bonds[b].alive == sim::no) continue;
      EXPECT_GE(world_.bonds[b].atomA, 1);
      EXPECT_LE(world_.bonds[b].atomA, world_.atomCount);
      EXPECT_GE(world_.bonds[b].atomB, 1);
      EXPECT_LE(world_.bonds[b].atomB, world_.atomCount);
    }
    EXPECT_GE(state_.frame.heldAtom, 0);
    EXPECT_LE(state_.frame.heldAtom, world_.atomCount);
  }

  bool started() const { return started_; }
  const sim::SimSettings& settings() const { return settings_; }
  const sim::World& world() const { return world_; }

 private:
  std::vector<std::string> scenes_;
  display::Screen screen_;
  sim::World world_;
  sim::SimSettings settings_;
  widgets::Toolkit toolkit_;
  panel::SettingsPanel panel_;
  display::RandomGenerator random_;
  ProgramState state_;
  bool started_ = false;
};

TEST(AbsurdSettings, AppliedThroughThePanelEveryFrameStillFinishes) {
  for (const std::string& value : absurdValues) {
    SCOPED_TRACE(value);
    testing::ScratchDir dir;
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
  testing::ScratchDir dir;
  for (const std::string& value : absurdValues) {
    SCOPED_TRACE(value);
    std::string text = "BOX=0,100,4,3,14,0\n";
    for (const char* key : keys)
      text += std::string(key) + "=" + value + "\n";
    text += smallScene;
    Program program({dir.write("absurd.txt", text)});
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.world().atomCount, 43);
    program.runFrames(framesPerRun);
    program.expectSoundWorld();
  }
}

// One setting at a time, the others sane: each absurd value meets the ordinary values of the
// rest of the step, which all-absurd runs never show.
TEST(AbsurdSettings, EachSettingAloneThroughThePanelKeepsFramesFinishing) {
  testing::ScratchDir dir;
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
