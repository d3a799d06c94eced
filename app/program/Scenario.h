#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TimerSource.h"

class TuiVisualObject;

namespace kardo {

class TKardoForm;
class TKardoSession;

// A small text file of timed operator actions, one a line:
//   at SECONDS click|dblclick WINDOW OBJECT
//   at SECONDS drag WINDOW TRACKBAR to VALUE
//   at SECONDS type WINDOW TEXTBOX "TEXT"
//   at SECONDS key WINDOW KEY
//   at SECONDS snapshot DIR
//   at SECONDS end
// "#" starts a comment outside quotes; times count from the first frame and
// never go back.
struct TScenarioAction {
  enum TVerb : uint8_t { vClick, vDblClick, vDrag, vType, vKey, vSnapshot, vEnd };
  int Line = 0;
  uint32_t TimeMs = 0;
  TVerb Verb = vClick;
  std::string Window;
  std::string Object;
  std::string Text;  // typed text or snapshot folder
  float Value = 0;   // drag target
  uint16_t Key = 0;  // key: virtual key and the character it types
  char32_t Char = 0;
};

class TScenario {
 public:
  // False with "FILE:LINE: what was expected" in Error at the first bad line.
  bool Load(const std::string& FileName, std::string& Error);
  bool Parse(std::string_view Text, const std::string& FileName, std::string& Error);
  const std::vector<TScenarioAction>& Actions() const { return FActions; }

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

  // The timeline: a CSV row per fill colour change of an LED or a segment.
  bool OpenTimeline(const std::string& FileName, std::string& Error);
  // Time zero: the actions are scheduled from now.
  void Start();
  const std::string& Error() const { return FError; }

 private:
  void Perform(const TScenarioAction& A);
  // The visible object of that name in a shown window, or none with Error set.
  TuiVisualObject* Target(const TScenarioAction& A, TKardoForm*& Form);
  void Click(TKardoForm& Form, TuiVisualObject& Object, bool Double);
  void Drag(TKardoForm& Form, TuiVisualObject& Object, float Value, const TScenarioAction& A);
  void Key(TKardoForm& Form, uint16_t Key, char32_t Char);
  void Fail(const TScenarioAction& A, const std::string& What);
  void FillChanged(TKardoForm& Form, const std::string& Object, const std::string& Fill);

  TKardoSession& FSession;
  const TScenario& FScenario;
  std::vector<std::unique_ptr<platform::ITimer>> FTimers;
  uint64_t FStart = 0;
  bool FStarted = false;
  std::ofstream FTimeline;
  std::string FError;
};

}  // namespace kardo
