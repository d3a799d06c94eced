// Scenario files: what they may say, what a bad one is refused with, and how
// the runner plays their actions as a person at the keyboard and mouse would.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/forms/KardoForm.h"
#include "app/program/Options.h"
#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "controls/TextBox.h"
#include "controls/Track.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene3d/software/SoftwareCanvas.h"
#include "tests/app/program/HeadlessSession.h"

namespace kardo {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, gone afterwards.
class TTempDir {
 public:
  TTempDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    FPath = fs::temp_directory_path() / ("kardo_scenario_" + std::to_string(::getpid()) + "_" + test->name());
    fs::remove_all(FPath);
    fs::create_directories(FPath);
  }
  ~TTempDir() { fs::remove_all(FPath); }
  fs::path operator/(const std::string& Name) const { return FPath / Name; }

 private:
  fs::path FPath;
};

std::string ReadFile(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The rows of a timeline after its header, as (time, window, object, value).
struct TRow {
  long Time;
  std::string Window, Object, Value;
};
std::vector<TRow> Rows(const std::string& Csv) {
  std::vector<TRow> rows;
  std::stringstream in(Csv);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::stringstream row(line);
    std::string time;
    TRow r;
    std::getline(row, time, ',');
    std::getline(row, r.Window, ',');
    std::getline(row, r.Object, ',');
    std::getline(row, r.Value);
    r.Time = std::stol(time);
    rows.push_back(r);
  }
  return rows;
}

TEST(ScenarioFile, ReadsTheCommandsWithTheirArguments) {
  TScenario s;
  std::string error;
  ASSERT_TRUE(
      s.Parse("at 0.5 key settings Ctrl+A\n"
              "at 0.6 key settings shift+Left\n"
              "at 0.7 key settings Ctrl+Shift+Right\n"
              "at 0.8 move settings -20 30\n"
              "at 0.9 resize display 400 350\n"
              "at 4294967.295 end\n",
              "test", error))
      << error;
  const auto& a = s.Actions();
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[0].Key, 'A');
  EXPECT_EQ(a[0].Char, U'a');
  EXPECT_EQ(a[0].Shift, platform::plCtrl);
  EXPECT_EQ(a[1].Key, platform::plKeyLeft);
  EXPECT_EQ(a[1].Shift, platform::plShift);
  EXPECT_EQ(a[2].Shift, platform::plCtrl | platform::plShift);
  EXPECT_EQ(a[3].Verb, TScenarioAction::vMove);
  EXPECT_EQ(a[3].X, -20);
  EXPECT_EQ(a[3].Y, 30);
  EXPECT_EQ(a[4].Verb, TScenarioAction::vResize);
  EXPECT_EQ(a[4].Window, "display");
  EXPECT_EQ(a[4].X, 400);
  EXPECT_EQ(a[4].Y, 350);
  EXPECT_EQ(a[5].TimeMs, 4294967295u) << "the clock's last millisecond";
}

TEST(ScenarioFile, RefusesABadLineWithItsNumber) {
  const struct {
    const char* Text;
    const char* Error;
  } cases[] = {
      {"at 4294967.296 end\n", "test:1: "},          {"at 1 end\nat 1e300 end\n", "test:2: "},
      {"at 1 key settings Hyper+A\n", "test:1: "},   {"at 1 key settings Ctrl+\n", "test:1: "},
      {"at 1 move settings 10\n", "test:1: "},       {"at 1 move settings 1.5 10\n", "test:1: "},
      {"at 1 move settings 99999 10\n", "test:1: "}, {"at 1 resize settings 0 100\n", "test:1: "},
      {"at 1 resize nowhere 100 100\n", "test:1: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TScenario s;
    std::string error;
    EXPECT_FALSE(s.Parse(c.Text, "test", error));
    EXPECT_EQ(error.rfind(c.Error, 0), 0u) << error;
    EXPECT_TRUE(s.Actions().empty());
  }
  TScenario s;
  std::string error;
  ASSERT_FALSE(s.Parse("at 4294967.296 end\n", "test", error));
  EXPECT_NE(error.find("4294967.295"), std::string::npos) << "says the clock's range: " << error;
  // A file within the size limit can still hold more actions than memory
  // should go to.
  std::string many;
  for (size_t i = 0; i <= kScenarioMaxActions; ++i) many += "at 0 end\n";
  EXPECT_FALSE(s.Parse(many, "test", error));
  EXPECT_EQ(error, "test:" + std::to_string(kScenarioMaxActions + 1) + ": more than " +
                       std::to_string(kScenarioMaxActions) + " actions");
}

TEST(ScenarioFile, RefusesWhatIsNoRegularFileOrTooLarge) {
  TTempDir dir;
  const fs::path large = dir / "large.txt";
  {
    std::ofstream(large) << "at 1 end\n";
    fs::resize_file(large, kScenarioMaxBytes + 1);  // sparse: costs no disk
  }
  const struct {
    fs::path Path;
    const char* Error;
  } cases[] = {
      {dir / "", "not a regular file"},
      {large, "larger than 64 MiB"},
      {"/dev/zero", "not a regular file"},  // would be read for ever
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path);
    TScenario s;
    std::string error;
    ASSERT_FALSE(s.Load(c.Path.string(), error));
    EXPECT_NE(error.find(c.Error), std::string::npos) << error;
  }
}

// The runner on the three windows of a headless session.
class ScenarioRunner : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TscSoftwareCanvas::Register(); }
  void SetUp() override {
    Session = testing::StartHeadlessSession(System);
    ASSERT_TRUE(Session->FirstFramesOut());
  }
  void TearDown() override {
    Runner.reset();
    Session.reset();
  }

  // Plays Text to its end (the last action's time plus 10 ms) and keeps the
  // runner for a look at what it wrote.
  void Play(const std::string& Text, const fs::path& Timeline = {}) {
    std::string error;
    ASSERT_TRUE(Scenario.Parse(Text, "test", error)) << error;
    Runner = std::make_unique<TScenarioRunner>(*Session, Scenario);
    if (!Timeline.empty()) {
      ASSERT_TRUE(Runner->OpenTimeline(Timeline.string(), error)) << error;
    }
    const uint64_t start = System.TickCount();
    Runner->Start();
    System.RunUntil(start + Scenario.Actions().back().TimeMs + 10);
    if (!Timeline.empty()) {
      ASSERT_TRUE(Runner->CloseTimeline(error)) << error;
    }
  }

  TKardoForm& Form(const std::string& Window) { return *Session->Form(Window); }
  platform::IWindow& Native(const std::string& Window) { return *Form(Window).NativeWindow(); }
  TuiCustomTextBox& TextBox() {
    return dynamic_cast<TuiCustomTextBox&>(*Form("settings").FindComponent("HudTextBox_Sefa1_H"));
  }
  std::string Text() { return TextBox().TextUtf8(); }

  platform::THeadlessWindowSystem System;
  std::unique_ptr<TKardoSession> Session;
  TScenario Scenario;
  std::unique_ptr<TScenarioRunner> Runner;
};

TEST_F(ScenarioRunner, TypeReplacesTheTextEveryTime) {
  Play(
      "at 0.1 type settings HudTextBox_Sefa1_H \"1.2.\"\n"
      "at 0.2 type settings HudTextBox_Sefa1_H \"3.4.\"\n");
  EXPECT_EQ(Runner->Error(), "");
  EXPECT_EQ(Text(), "3.4.");
}

// The editing keys of the text box, each sequence after typing "a b" (which
// leaves the box focused with the caret at the end). The box takes four
// characters at most, as the display shows no more.
TEST_F(ScenarioRunner, KeysEditTheFocusedTextBox) {
  const struct {
    const char* Keys;
    const char* Text;
  } cases[] = {
      {"Ctrl+A Backspace", ""},
      {"Home Shift+Right Ctrl+C End Ctrl+V", "a ba"},
      {"Home Shift+Right Ctrl+X End Ctrl+V", " ba"},
      {"Ctrl+Left Shift+End Delete", "a "},
      {"Home Ctrl+Right Shift+End Ctrl+Insert Home Shift+Insert", "ba b"},
      {"Home Shift+Right Shift+Delete Shift+Insert Shift+Insert", "aa b"},
      {"Left Left X", "ax b"},
      {"Ctrl+a Shift+Y 7", "Y7"},
      {"Ctrl+A Ctrl+C End Ctrl+V", "a b"},  // past the four characters: refused
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Keys);
    std::string text = "at 0.1 type settings HudTextBox_Sefa1_H \"a b\"\n";
    std::stringstream keys(c.Keys);
    int ms = 200;
    for (std::string key; keys >> key; ms += 10)
      text += "at " + std::to_string(ms / 1000.0) + " key settings " + key + "\n";
    Play(text);
    EXPECT_EQ(Runner->Error(), "");
    EXPECT_EQ(Text(), c.Text);
    Runner.reset();
  }
}

// Values between two pixels of a bar are reached with the arrow keys after the
// drag; the timeline tells how.
TEST_F(ScenarioRunner, DragReachesEveryValueOfTheBar) {
  TTempDir dir;
  const struct {
    const char* Bar;
    float Value;
  } cases[] = {
      {"HudTrackBar_Effects_Connect", 300},  {"HudTrackBar_Effects_Connect", 1},
      {"HudTrackBar_Effects_Connect", 999},  {"HudTrackBar_Effects_Connect", 1000},
      {"HudTrackBar_Effects_Connect", 0},    {"HudTrackBar_Sefa1_Level_Sensor", 37},
      {"HudTrackBar_Effects_Connect", 12.5}, {"HudTrackBar_Sefa1_Level_Sensor", 98},
  };
  bool keysSaid = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Bar) + " to " + std::to_string(c.Value));
    Play("at 0.1 drag settings " + std::string(c.Bar) + " to " + std::to_string(c.Value) + "\n",
         dir / "timeline.csv");
    EXPECT_EQ(Runner->Error(), "");
    const float value = dynamic_cast<TuiCustomTrack&>(*Form("settings").FindComponent(c.Bar)).Value();
    EXPECT_EQ(std::trunc(value), std::trunc(c.Value)) << value;
    for (const TRow& r : Rows(ReadFile(dir / "timeline.csv")))
      if (r.Object == c.Bar) {
        EXPECT_TRUE(r.Value.find("Right") != std::string::npos || r.Value.find("Left") != std::string::npos)
            << r.Value;
        keysSaid = true;
      }
    Runner.reset();
  }
  EXPECT_TRUE(keysSaid) << "some of these values lie between pixels";
}

TEST_F(ScenarioRunner, ClosesMovesAndSizesWindowsAndRecordsIt) {
  TTempDir dir;
  Play(
      "at 0.1 move settings 10 20\n"
      "at 0.2 resize settings 500 400\n"
      "at 0.3 click settings close\n"
      "at 0.4 dblclick console Image_Kardo\n",
      dir / "timeline.csv");
  EXPECT_EQ(Runner->Error(), "");
  // The double click showed the settings window again, below the console.
  EXPECT_TRUE(Native("settings").Visible());
  EXPECT_EQ(Native("settings").Bounds().Left, Native("console").Bounds().Left);
  std::vector<std::string> settings;
  for (const TRow& r : Rows(ReadFile(dir / "timeline.csv")))
    if (r.Object == "window" && r.Window == "settings")
      settings.push_back(std::to_string(r.Time) + " " + r.Value);
  // Shown again, the window is placed below the console: its left, then its
  // top.
  const std::string left = std::to_string(Native("settings").Bounds().Left);
  EXPECT_EQ(settings, (std::vector<std::string>{
                          "100 moved 10 20", "200 sized 500 400", "300 hidden", "400 shown",
                          "400 moved " + left + " 20",
                          "400 moved " + left + " " + std::to_string(Native("settings").Bounds().Top)}));
}

TEST_F(ScenarioRunner, ResizeBeyondTheScreenIsRefused) {
  Play("at 0.1 resize settings 1281 400\n");
  EXPECT_NE(Runner->Error().find("scenario line 1: "), std::string::npos) << Runner->Error();
  EXPECT_EQ(Native("settings").Bounds().Width, 421);
}

// The program itself: how long a scenario runs, and a timeline that cannot be
// written.
int RunKardo(const std::string& Arguments, const fs::path& Output) {
  const std::string command = "timeout 30 " + std::string(KARDO_BINARY) + " --headless " + Arguments + " > " +
                              Output.string() + " 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ScenarioProgram, UntilTakesSecondsTheClockHolds) {
  const struct {
    const char* Value;
    std::optional<uint32_t> Ms;
  } cases[] = {{"1.5", 1500},       {"0", 0},   {"4294967.295", 4294967295u},
               {"4294967.296", {}}, {"-1", {}}, {"nan", {}},
               {"inf", {}},         {"2s", {}}, {"", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    std::string error;
    const auto o = ParseOptions({"--until", c.Value}, error);
    ASSERT_EQ(o.has_value(), c.Ms.has_value()) << error;
    if (o) {
      EXPECT_EQ(o->UntilMs, c.Ms);
    }
  }
}

TEST(ScenarioProgram, AHeadlessScenarioStopsOnItsOwn) {
  TTempDir dir;
  std::ofstream(dir / "s.txt") << "at 0.2 click settings HudRadioButton_Effects_Connect\n";
  const struct {
    const char* Until;
    long Last;  // the latest time a row may have
  } cases[] = {{"", 200 + kScenarioSettleMs}, {"--until 1", 1000}, {"--until=10", 10000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Until);
    ASSERT_EQ(RunKardo("--scenario " + (dir / "s.txt").string() + " --timeline " + (dir / "t.csv").string() +
                           " " + c.Until,
                       dir / "out.txt"),
              0)
        << ReadFile(dir / "out.txt");
    const auto rows = Rows(ReadFile(dir / "t.csv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.back().Time, c.Last);
    EXPECT_GT(rows.back().Time, c.Last - 200) << "the effect ran until then";
  }
}

TEST(ScenarioProgram, ATimelineThatCannotBeWrittenFails) {
  TTempDir dir;
  std::ofstream(dir / "s.txt") << "at 0.2 click settings HudRadioButton_Effects_Connect\nat 1 end\n";
  EXPECT_EQ(RunKardo("--scenario " + (dir / "s.txt").string() + " --timeline /dev/full", dir / "out.txt"), 1);
  EXPECT_NE(ReadFile(dir / "out.txt").find("cannot write timeline /dev/full"), std::string::npos)
      << ReadFile(dir / "out.txt");
}

}  // namespace
}  // namespace kardo
