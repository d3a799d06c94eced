#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TimerSource.h"
#include "platform/Window.h"

class TuiVisualObject;

namespace kardo {

class TKardoForm;
class TKardoSession;

// A small text file of timed operator actions, one a line:
//   at SECONDS click|dblclick WINDOW OBJECT
//   at SECONDS drag WINDOW TRACKBAR to VALUE
//   at SECONDS type WINDOW TEXTBOX "TEXT"
//   at SECONDS key WINDOW [Ctrl+][Shift+][Alt+]KEY
//   at SECONDS move WINDOW X Y
//   at SECONDS resize WINDOW WIDTH HEIGHT
//   at SECONDS snapshot DIR
//   at SECONDS end
// "#" starts a comment outside quotes; times count from the first frame and
// never go back. OBJECT is a component's name or, when no component has it,
// the style name of one part (the caption's close button is "close").
struct TScenarioAction {
  enum TVerb : uint8_t { vClick, vDblClick, vDrag, vType, vKey, vMove, vResize, vSnapshot, vEnd };
  int Line = 0;
  uint32_t TimeMs = 0;
  TVerb Verb = vClick;
  std::string Window;
  std::string Object;
  std::string Text;  // typed text or snapshot folder
  float Value = 0;   // drag target
  // key: the virtual key, the character it types without Ctrl, the modifiers
  uint16_t Key = 0;
  char32_t Char = 0;
  platform::TShiftState Shift = 0;
  int X = 0, Y = 0;  // move: outer top-left corner; resize: outer size
};

// A scenario file larger than this is refused unread.
constexpr uint64_t kScenarioMaxBytes = uint64_t(64) << 20;
// Nor is one of more actions than this (each costs about 150 bytes).
constexpr size_t kScenarioMaxActions = 100000;
// How long a headless run goes on after the last action of a scenario that
// has no end (virtual time, so it costs next to nothing).
constexpr uint32_t kScenarioSettleMs = 2000;

class TScenario {
 public:
  // False with "FILE:LINE: what was expected" (or what is wrong with the
  // file) in Error at the first bad line.
  bool Load(const std::string& FileName, std::string& Error);
  bool Parse(std::string_view Text, const std::string& FileName, std::string& Error);
  const std::vector<TScenarioAction>& Actions() const { return FActions; }
  // The last action's time plus the settle time, held within the clock.
  uint32_t SettledMs() const;

 private:
  std::vector<TScenarioAction> FActions;
};

// Plays a scenario on a running session as input events through the windows'
// event interfaces, each at its time on the window system's clock (virtual on
// the headless layer, so a run goes as fast as the machine does). A missing
// or hidden object stops the loop with the reason in Error.
class TScenarioRunner {
 public:
  TScenarioRunner(TKardoSession& Session, const TScenario& Scenario);
  ~TScenarioRunner();
  TScenarioRunner(const TScenarioRunner&) = delete;
  TScenarioRunner& operator=(const TScenarioRunner&) = delete;

  // The timeline: a CSV row per fill colour change of an LED or a segment,
  // per show, hide, move and size of a window (object "window"), and per
  // drag finished with the arrow keys. A row that cannot be written stops
  // the loop with the reason in Error.
  bool OpenTimeline(const std::string& FileName, std::string& Error);
  // Writes out what is buffered; false with the reason when that fails.
  bool CloseTimeline(std::string& Error);
  // Time zero: the actions are scheduled from now.
  void Start();
  const std::string& Error() const { return FError; }

 private:
  struct TWindowWatch;
  void ScheduleNext();
  void Tick();
  void Perform(const TScenarioAction& A);
  // The visible object of that name in a shown window, or none with Error set.
  TuiVisualObject* Target(const TScenarioAction& A, TKardoForm*& Form);
  void Click(TKardoForm& Form, TuiVisualObject& Object, bool Double);
  void Drag(TKardoForm& Form, TuiVisualObject& Object, float Value, const TScenarioAction& A);
  void Key(TKardoForm& Form, uint16_t Key, char32_t Char, platform::TShiftState Shift = 0);
  void Place(const TScenarioAction& A);
  void Fail(const TScenarioAction& A, const std::string& What);
  void Row(std::string_view Window, std::string_view Object, std::string_view Value);
  void WindowChanged(TWindowWatch& W);

  struct TFileCloser {
    void operator()(std::FILE* F) const { std::fclose(F); }
  };

  TKardoSession& FSession;
  const TScenario& FScenario;
  std::unique_ptr<platform::ITimer> FTimer, FSpentTimer;
  size_t FNext = 0;  // the next action to perform
  std::vector<std::unique_ptr<TWindowWatch>> FWatches;
  uint64_t FStart = 0;
  bool FStarted = false;
  std::unique_ptr<std::FILE, TFileCloser> FTimeline;
  std::string FTimelineName;
  std::string FError;
};

}  // namespace kardo
