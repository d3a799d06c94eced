// The simulator end to end on the headless window layer: the three windows
// read from their embedded layouts, styled by the built-in sheet, and driven
// by the scenario runner's input injection on the virtual clock.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/forms/Timer.h"
#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "controls/CheckBoxes.h"
#include "controls/Panels.h"
#include "draw2d/Brush.h"
#include "draw2d/Shape.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene2d/Animation.h"
#include "scene2d/Triggers.h"
#include "scene3d/Scene.h"
#include "scene3d/software/SoftwareCanvas.h"
#include "tests/app/program/HeadlessSession.h"

namespace kardo {
namespace {

constexpr const char* kGreen = "#FF00FF00";
constexpr const char* kYellow = "#FFFFFF00";
constexpr const char* kRed = "#FFFF0000";
constexpr const char* kUnlit = "#FF3E3E3E";

const std::vector<std::string> kLeds = {"Circle_LY",  "Circle_LG1", "Circle_LG2", "Circle_LG3",
                                        "Circle_LG4", "Circle_LG5", "Circle_LR"};
// Segment letters in pattern bit order (bit 0 = A, bit 7 = the point).
const std::vector<std::string> kSegments = {"A", "B", "C", "D", "E", "F", "G", "Dp"};

// Seven-segment patterns of the characters the console's modes show.
constexpr unsigned kPatternA = 0x77, kPatternG = 0x3D, kPatternP = 0x73;

class KardoHeadless : public ::testing::Test {
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

  // Plays Text from now on; its times count from this call.
  void Play(const std::string& Text) {
    std::string error;
    ASSERT_TRUE(Scenario.Parse(Text, "test", error)) << error;
    Runner = std::make_unique<TScenarioRunner>(*Session, Scenario);
    Start = System.TickCount();
    Runner->Start();
  }
  // Runs the loop until Ms after the scenario started.
  void RunTo(uint64_t Ms) {
    System.RunUntil(Start + Ms);
    ASSERT_TRUE(!Runner || Runner->Error().empty()) << Runner->Error();
  }
  void RunFor(uint64_t Ms) { System.RunUntil(System.TickCount() + Ms); }

  TKardoForm& Form(const std::string& Window) { return *Session->Form(Window); }
  platform::THeadlessWindow& Native(const std::string& Window) {
    return dynamic_cast<platform::THeadlessWindow&>(*Form(Window).NativeWindow());
  }
  TuiShape& Shape(const std::string& Window, const std::string& Name) {
    auto* shape = dynamic_cast<TuiShape*>(Form(Window).FindComponent(Name));
    EXPECT_NE(shape, nullptr) << Name;
    return *shape;
  }
  std::string Fill(const std::string& Window, const std::string& Name) {
    return Shape(Window, Name).Fill()->Color();
  }
  std::string Led(const std::string& Name) { return Fill("console", Name); }

  // The pattern a digit ("H" or "L") shows, read back from its segments' fills.
  unsigned Digit(const std::string& Which) {
    unsigned pattern = 0;
    for (size_t bit = 0; bit < kSegments.size(); ++bit) {
      const std::string fill = Fill("display", "RoundRect_Sefa1" + Which + "_" + kSegments[bit]);
      EXPECT_TRUE(fill == kRed || fill == kUnlit) << Which << kSegments[bit] << " is " << fill;
      if (fill == kRed) pattern |= 1u << bit;
    }
    return pattern;
  }

  // Every LED and segment fill, the display's visibility and the timers.
  std::map<std::string, std::string> State() {
    std::map<std::string, std::string> s;
    for (const auto& led : kLeds) s[led] = Led(led);
    for (const char* digit : {"H", "L"})
      for (const auto& seg : kSegments) {
        const std::string name = std::string("RoundRect_Sefa1") + digit + "_" + seg;
        s[name] = Fill("display", name);
      }
    s["display shown"] = Native("display").Visible() ? "yes" : "no";
    for (const char* window : {"console", "display"})
      for (int i = 0; i < Form(window).ComponentCount(); ++i)
        if (auto* t = dynamic_cast<TuiTimer*>(Form(window).Components(i)))
          s[t->Name()] = t->Enabled() ? "on " + std::to_string(t->Interval()) : "off";
    return s;
  }

  // The colours each object's fill takes while the loop runs to Ms after the
  // scenario's start, sampled every 10 ms.
  std::map<std::string, std::set<std::string>> FillsUntil(uint64_t Ms,
                                                          const std::vector<std::string>& LedsOrSegs) {
    std::map<std::string, std::set<std::string>> seen;
    while (System.TickCount() < Start + Ms) {
      System.RunUntil(System.TickCount() + 10);
      for (const auto& name : LedsOrSegs)
        seen[name].insert(Fill(name.rfind("Circle", 0) == 0 ? "console" : "display", name));
    }
    return seen;
  }

  // The client pixel at the centre of a console object in the last pushed frame.
  uint32_t PixelAtCentre(const std::string& Window, const std::string& Name) {
    TuiShape& s = Shape(Window, Name);
    const TuiPoint p = s.LocalToAbsolute({s.Width() / 2, s.Height() / 2});
    return Native(Window).Pixel(int(std::lround(p.X)), int(std::lround(p.Y)));
  }

  platform::THeadlessWindowSystem System;
  std::unique_ptr<TKardoSession> Session;
  TScenario Scenario;
  std::unique_ptr<TScenarioRunner> Runner;
  uint64_t Start = 0;
};

TEST_F(KardoHeadless, StartsWithTheConsoleAndSettingsShownAndEveryLightOut) {
  EXPECT_TRUE(Native("console").Visible());
  EXPECT_TRUE(Native("settings").Visible());
  EXPECT_FALSE(Native("display").Visible());
  // Outer size 301 x 297 on a 1280 x 984 work area; the settings window right
  // below, touching neither the console's grip nor its own caption.
  EXPECT_EQ(Native("console").Bounds().Left, 489);
  EXPECT_EQ(Native("console").Bounds().Top, 343);
  EXPECT_EQ(Native("settings").Bounds().Left, 489);
  EXPECT_EQ(Native("settings").Bounds().Top, 640);
  // The settings window is shown after the console, from its show handler: it
  // lies in front, and the console keeps the keyboard.
  EXPECT_GT(Native("settings").ZOrder(), Native("console").ZOrder());
  EXPECT_TRUE(Native("console").IsActive());
  for (const auto& led : kLeds) EXPECT_EQ(Led(led), kUnlit) << led;
  EXPECT_EQ(Digit("H"), 0u);
  EXPECT_EQ(Digit("L"), 0u);
}

// Press 1: automatic; press 2: nothing; press 3: petrol; the mode text of
// each checked on the LEDs, on the display and, for the yellow LED, on the
// window's pixels.
TEST_F(KardoHeadless, ConsolePressesStepAutomaticNothingPetrol) {
  const uint32_t darkYellowLed = PixelAtCentre("console", "Circle_LY");
  // Presses fall between the blink ticks (green 1 every 1000 ms, digit L
  // every 250 ms from the first press), so a state read on either side of a
  // press shows the press alone.
  Play(
      "at 0.1 click console Image_Kardo\n"
      "at 2.7 click console Image_Kardo\n"
      "at 3.0 click console Image_Kardo\n");

  RunTo(101);
  EXPECT_TRUE(Native("display").Visible());
  EXPECT_TRUE(Native("console").IsActive()) << "the display appears without taking the keyboard";
  EXPECT_EQ(Led("Circle_LY"), kYellow);
  for (const char* off : {"Circle_LG1", "Circle_LG2", "Circle_LG3", "Circle_LG4", "Circle_LG5", "Circle_LR"})
    EXPECT_EQ(Led(off), kUnlit) << off;
  EXPECT_EQ(Digit("H"), kPatternA);
  EXPECT_EQ(Digit("L"), kPatternG);
  // The console's picture of the yellow LED changed colour with its fill.
  RunFor(1);
  const uint32_t lit = PixelAtCentre("console", "Circle_LY");
  EXPECT_NE(lit, darkYellowLed);
  EXPECT_GT((lit >> 16) & 0xFF, 0xC0u) << std::hex << lit;  // red
  EXPECT_GT((lit >> 8) & 0xFF, 0xC0u) << std::hex << lit;   // green
  EXPECT_LT(lit & 0xFF, 0x40u) << std::hex << lit;          // blue
  EXPECT_LT((darkYellowLed >> 16) & 0xFF, 0x60u) << std::hex << darkYellowLed;

  // Green 1 blinks at its timer's stored 1000 ms, digit L's G at 250 ms;
  // digit H holds its A and the other LEDs stay as they are.
  const auto seen = FillsUntil(2690, {"Circle_LG1", "Circle_LY", "Circle_LG2", "RoundRect_Sefa1L_A",
                                      "RoundRect_Sefa1L_B", "RoundRect_Sefa1H_A", "RoundRect_Sefa1H_D"});
  EXPECT_EQ(seen.at("Circle_LG1"), (std::set<std::string>{kGreen, kUnlit}));
  EXPECT_EQ(seen.at("Circle_LY"), std::set<std::string>{kYellow});
  EXPECT_EQ(seen.at("Circle_LG2"), std::set<std::string>{kUnlit});
  EXPECT_EQ(seen.at("RoundRect_Sefa1L_A"), (std::set<std::string>{kRed, kUnlit}));
  EXPECT_EQ(seen.at("RoundRect_Sefa1L_B"), std::set<std::string>{kUnlit});  // not part of G
  EXPECT_EQ(seen.at("RoundRect_Sefa1H_A"), std::set<std::string>{kRed});
  EXPECT_EQ(seen.at("RoundRect_Sefa1H_D"), std::set<std::string>{kUnlit});

  const auto beforeSecond = State();
  RunTo(2710);
  EXPECT_EQ(State(), beforeSecond) << "the second press must change nothing";

  RunTo(3001);
  EXPECT_EQ(Led("Circle_LY"), kYellow);
  for (const char* off : {"Circle_LG1", "Circle_LG2", "Circle_LG3", "Circle_LG4", "Circle_LG5", "Circle_LR"})
    EXPECT_EQ(Led(off), kUnlit) << off;
  EXPECT_EQ(Digit("H"), kPatternP);
  EXPECT_EQ(Digit("L"), 0u);
  // Petrol stops every blink: nothing moves any more.
  const auto petrol = State();
  RunTo(5000);
  EXPECT_EQ(State(), petrol);
}

// A double click steps twice (automatic, then nothing, so the next press is
// petrol) and shows the closed settings window again, below the console.
TEST_F(KardoHeadless, DoubleClickOnThePictureStepsTwiceAndBringsBackTheSettings) {
  // Closed through its own close button, after being moved away.
  Native("settings")
      .SetBounds({10, 10, Native("settings").Bounds().Width, Native("settings").Bounds().Height});
  TuiObject* closer = nullptr;
  std::vector<TuiObject*> todo{dynamic_cast<TuiObject*>(Form("settings").FindComponent("HudWindow_3D_Set"))};
  while (!todo.empty() && !closer) {
    TuiObject* o = todo.back();
    todo.pop_back();
    if (!o) continue;
    if (dynamic_cast<TuiCloseButton*>(o)) closer = o;
    for (TuiObject* c : o->ChildList()) todo.push_back(c);
  }
  ASSERT_NE(closer, nullptr) << "the settings window shows a close button";
  auto* button = static_cast<TuiVisualObject*>(closer);
  const TuiPoint p = button->LocalToAbsolute({button->Width() / 2, button->Height() / 2});
  const int x = int(std::lround(p.X)), y = int(std::lround(p.Y));
  System.MouseMove(&Native("settings"), x, y);
  System.MouseDown(&Native("settings"), platform::plMouseLeft, x, y);
  System.MouseUp(&Native("settings"), platform::plMouseLeft, x, y);
  RunFor(20);
  ASSERT_FALSE(Native("settings").Visible());

  Play(
      "at 0.1 dblclick console Image_Kardo\n"
      "at 0.6 click console Image_Kardo\n");
  RunTo(101);
  EXPECT_TRUE(Native("settings").Visible());
  const platform::TRect console = Native("console").Bounds(), settings = Native("settings").Bounds();
  EXPECT_EQ(settings.Left, console.Left);
  EXPECT_EQ(settings.Top, console.Top + console.Height);
  EXPECT_EQ(Led("Circle_LY"), kYellow);
  EXPECT_EQ(Digit("H"), kPatternA);

  RunTo(601);
  EXPECT_EQ(Digit("H"), kPatternP) << "the double click must have stepped twice";
  EXPECT_EQ(Digit("L"), 0u);
}

// An LED circle lies over the picture and takes the press itself: no step,
// so the next press on the picture is still the first.
TEST_F(KardoHeadless, PressOnAnLedCircleDoesNothing) {
  const auto before = State();
  Play(
      "at 0.1 click console Circle_LY\n"
      "at 0.2 click console Circle_LG3\n"
      "at 0.5 click console Image_Kardo\n");
  RunTo(400);
  EXPECT_EQ(State(), before);
  RunTo(501);
  EXPECT_EQ(Digit("H"), kPatternA);
  EXPECT_EQ(Led("Circle_LY"), kYellow);
}

// The settings window as it stands: every control whose style answers the
// pointer (check boxes, radio buttons, the button, the track bars' thumbs,
// the close button) changes its pixels once the pointer has rested on it for
// the style's time, and shows its first look again once the pointer has left.
TEST_F(KardoHeadless, EverySettingsControlWithAHoverLookShowsItUnderThePointer) {
  platform::THeadlessWindow& window = Native("settings");
  auto* root = dynamic_cast<TuiVisualObject*>(Form("settings").FindComponent("HudWindow_3D_Set"));
  ASSERT_NE(root, nullptr);
  // The controls that own an animation raised by the pointer, nested ones too.
  std::vector<TuiControl*> targets;
  std::vector<TuiObject*> todo{root};
  while (!todo.empty()) {
    TuiObject* o = todo.back();
    todo.pop_back();
    if (TuiVisualObject* v = o->Visual(); v && !v->Visible()) continue;
    for (TuiObject* c : o->ChildList()) todo.push_back(c);
    auto* a = dynamic_cast<TuiAnimation*>(o);
    if (!a || !TriggerMentions(a->Trigger(), "IsMouseOver")) continue;
    TuiObject* owner = a->Parent();
    while (owner && !dynamic_cast<TuiControl*>(owner)) owner = owner->Parent();
    if (owner && std::find(targets.begin(), targets.end(), owner) == targets.end())
      targets.push_back(static_cast<TuiControl*>(owner));
  }
  std::set<std::string> classes;
  for (TuiControl* t : targets) classes.insert(t->ClassName());
  EXPECT_EQ(classes, (std::set<std::string>{"TuiHudButton", "TuiHudCheckBox", "TuiCloseButton",
                                            "TuiHudRadioButton", "TuiThumb"}));

  const auto pixels = [&](const TuiRect& R) {
    std::vector<uint32_t> out;
    for (int y = int(R.Top); y < int(std::ceil(R.Bottom)); ++y)
      for (int x = int(R.Left); x < int(std::ceil(R.Right)); ++x) out.push_back(window.Pixel(x, y));
    return out;
  };
  for (TuiControl* target : targets) {
    const std::string name = target->Name().empty() ? target->ClassName() : target->Name();
    SCOPED_TRACE(name);
    const TuiRect r = target->GetAbsoluteRect();
    const std::vector<uint32_t> away = pixels(r);
    System.MouseMove(&window, int(std::lround((r.Left + r.Right) / 2)),
                     int(std::lround((r.Top + r.Bottom) / 2)));
    RunFor(300);
    ASSERT_TRUE(target->IsMouseOver());
    EXPECT_TRUE(pixels(r) != away) << "no change under the pointer";
    System.MouseMove(&window, 0, 0);
    RunFor(300);
    EXPECT_TRUE(pixels(r) == away) << "the pointer has left";
  }
}

// The program itself: a scenario's timeline CSV records each press's
// changes at its time.
TEST(KardoProgram, TimelineRecordsTheFirstPressAndTheBlinks) {
  const auto dir = std::filesystem::temp_directory_path() / ("kardo_e2e_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto scenario = dir / "presses.txt", csv = dir / "timeline.csv";
  std::ofstream(scenario) << "at 0.1 click console Image_Kardo\nat 1.5 end\n";
  const std::string command = std::string(KARDO_BINARY) + " --headless --scenario " + scenario.string() +
                              " --timeline " + csv.string() + " > " + (dir / "out.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  std::ifstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "time_ms,window,object,fill");
  // The last colour each object took at each time.
  std::map<std::pair<int, std::string>, std::string> at;
  while (std::getline(in, line)) {
    std::stringstream row(line);
    std::string time, window, object, fill;
    std::getline(row, time, ',');
    std::getline(row, window, ',');
    std::getline(row, object, ',');
    std::getline(row, fill, ',');
    at[{std::stoi(time), window + "/" + object}] = fill;
  }
  EXPECT_EQ((at[{100, "console/Circle_LY"}]), kYellow);
  EXPECT_EQ((at[{100, "display/RoundRect_Sefa1H_A"}]), kRed);
  EXPECT_EQ((at[{100, "display/RoundRect_Sefa1H_D"}]), "") << "D is no part of A and never changed";
  EXPECT_EQ((at[{100, "display/RoundRect_Sefa1L_D"}]), kRed);
  // The G blinks off 500 ms in (its first tick repaints it lit, unchanged),
  // green 1 lights at its first tick after 1000 ms.
  EXPECT_EQ((at[{600, "display/RoundRect_Sefa1L_D"}]), kUnlit);
  EXPECT_EQ((at[{1100, "console/Circle_LG1"}]), kGreen);
  EXPECT_FALSE(at.count({1100, "console/Circle_LY"})) << "the yellow LED does not blink";
  std::filesystem::remove_all(dir);
}

// The program as a child: its exit status (minus the signal when one ended
// it) and what it wrote. WhileRunning gets its process id while it runs.
struct TProgramRun {
  int Status = 0;
  std::string Out, Err;
};

std::string ReadFile(const std::filesystem::path& File) {
  std::ifstream in(File, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TProgramRun RunProgram(const std::filesystem::path& Dir, std::vector<std::string> Args,
                       const std::function<void(pid_t)>& WhileRunning = {}) {
  const auto out = Dir / "stdout.txt", err = Dir / "stderr.txt";
  std::vector<char*> argv{const_cast<char*>(KARDO_BINARY)};
  for (auto& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) _exit(126);
    execv(KARDO_BINARY, argv.data());
    _exit(127);
  }
  if (WhileRunning) WhileRunning(pid);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), ReadFile(out), ReadFile(err)};
}

class KardoCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() / ("kardo_cli_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  std::filesystem::path Dir;
};

// Every run says what it did, or why it did nothing.
TEST_F(KardoCommandLine, SaysWhatItDidOrWhyItDidNothing) {
  const std::string shots = (Dir / "shots").string();
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    std::string Out, Err;  // parts of what it must write
  };
  const TCase cases[] = {
      {{"--headless"}, 2, "", "--headless has nothing to do without --snapshot DIR or --scenario FILE"},
      {{"--headless", "--verbose"}, 2, "", "Try 'kardo --help'"},
      {{"--version"}, 0, "3D devices: software, opengl", ""},
      {{"--headless", "--verbose", "--device=software", "--snapshot", shots},
       0,
       "wrote console.png, display.png and settings.png into " + shots,
       "kardo: 3D device software: software device forced by option"},
  };
  for (const TCase& c : cases) {
    std::string line;
    for (const auto& a : c.Args) line += a + " ";
    SCOPED_TRACE(line);
    const TProgramRun run = RunProgram(Dir, c.Args);
    EXPECT_EQ(run.Status, c.Status) << run.Err;
    EXPECT_NE(run.Out.find(c.Out), std::string::npos) << run.Out;
    EXPECT_NE(run.Err.find(c.Err), std::string::npos) << run.Err;
  }
}

// A signal ends the run through the normal path: the timeline is written to
// its last complete row, and the status and a line say which signal it was.
TEST_F(KardoCommandLine, ASignalEndsTheRunWithTheTimelineWritten) {
  const auto scenario = Dir / "long.txt", csv = Dir / "timeline.csv";
  // Blinks for ten hours of the program's clock: far more than a second of
  // the machine's, so the signal always comes while it runs.
  std::ofstream(scenario) << "at 0.1 click console Image_Kardo\nat 36000 end\n";
  const std::pair<int, const char*> signals[] = {
      {SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
  for (const auto& [signal, name] : signals) {
    SCOPED_TRACE(name);
    std::filesystem::remove(csv);
    const TProgramRun run = RunProgram(
        Dir, {"--headless", "--scenario", scenario.string(), "--timeline", csv.string()}, [&](pid_t Pid) {
          // Rows reach the file once its buffer has filled: the loop is running.
          for (int i = 0; i < 1000; ++i) {
            std::error_code ec;
            if (std::filesystem::file_size(csv, ec) > 0 && !ec) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          }
          kill(Pid, signal);
        });
    EXPECT_EQ(run.Status, 128 + signal) << run.Err;
    EXPECT_NE(run.Err.find(std::string("kardo: ended by ") + name), std::string::npos) << run.Err;
    const std::string timeline = ReadFile(csv);
    ASSERT_FALSE(timeline.empty());
    EXPECT_EQ(timeline.back(), '\n') << "the last row is cut";
    const size_t last = timeline.rfind('\n', timeline.size() - 2);
    EXPECT_EQ(std::count(timeline.begin() + long(last) + 1, timeline.end(), ','), 3);
  }
}

using testing::StatusKiB;

// An hour of every LED effect, blink and level change in turn keeps memory
// flat; this plays ten minutes of it, bench_kardo the hour.
TEST_F(KardoHeadless, EveryEffectInTurnKeepsMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine";
#endif
  const std::string cycle =
      ReadFile(std::filesystem::path(UX_SOURCE_ROOT) / "bench/scenarios/every-effect.txt");
  ASSERT_FALSE(cycle.empty());
  // The peak so far is the earlier tests'; writing 5 starts it afresh.
  std::ofstream("/proc/self/clear_refs") << "5";
  auto minute = [&] {
    Play(cycle);
    RunTo(60000);
  };
  minute();
  const long first = StatusKiB("VmHWM");
  ASSERT_GT(first, 0);
  for (int i = 1; i < 10; ++i) minute();
  EXPECT_LE(StatusKiB("VmHWM") - first, 1024) << "KiB more than after the first minute";
}

}  // namespace
}  // namespace kardo
