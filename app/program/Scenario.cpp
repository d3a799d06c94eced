#include "app/program/Scenario.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "app/forms/KardoForm.h"
#include "app/program/Session.h"
#include "controls/TextBox.h"
#include "controls/Track.h"
#include "scene2d/VisualObject.h"
#include "scene3d/Scene.h"

namespace kardo {

namespace {

struct TKeyName {
  const char* Name;
  uint16_t Key;
  char32_t Char;
};

constexpr TKeyName kKeys[] = {
    {"Esc", platform::plKeyEscape, 27},    {"Enter", platform::plKeyReturn, 13},
    {"Tab", platform::plKeyTab, 9},        {"Space", platform::plKeySpace, ' '},
    {"Backspace", platform::plKeyBack, 8}, {"Delete", platform::plKeyDelete, 0},
    {"Left", platform::plKeyLeft, 0},      {"Right", platform::plKeyRight, 0},
    {"Up", platform::plKeyUp, 0},          {"Down", platform::plKeyDown, 0},
    {"Home", platform::plKeyHome, 0},      {"End", platform::plKeyEnd, 0},
};

// Splits a line into words; a word in double quotes keeps its spaces, and
// "#" outside quotes ends the line.
bool Words(std::string_view Line, std::vector<std::string>& Out, std::vector<bool>& Quoted) {
  size_t i = 0;
  while (i < Line.size()) {
    if (Line[i] == ' ' || Line[i] == '\t' || Line[i] == '\r') {
      ++i;
    } else if (Line[i] == '#') {
      break;
    } else if (Line[i] == '"') {
      const size_t end = Line.find('"', i + 1);
      if (end == std::string_view::npos) return false;
      Out.emplace_back(Line.substr(i + 1, end - i - 1));
      Quoted.push_back(true);
      i = end + 1;
    } else {
      size_t end = i;
      while (end < Line.size() && Line[end] != ' ' && Line[end] != '\t' && Line[end] != '\r' &&
             Line[end] != '#')
        ++end;
      Out.emplace_back(Line.substr(i, end - i));
      Quoted.push_back(false);
      i = end;
    }
  }
  return true;
}

bool Number(const std::string& Text, double& Value) {
  if (Text.empty()) return false;
  char* end = nullptr;
  Value = std::strtod(Text.c_str(), &end);
  return *end == 0 && std::isfinite(Value);
}

bool KnownWindow(const std::string& W) {
  return W == "console" || W == "display" || W == "settings";
}

}  // namespace

bool TScenario::Load(const std::string& FileName, std::string& Error) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) {
    Error = "cannot read scenario " + FileName;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return Parse(text.str(), FileName, Error);
}

bool TScenario::Parse(std::string_view Text, const std::string& FileName, std::string& Error) {
  FActions.clear();
  int line = 0;
  uint32_t last = 0;
  while (!Text.empty()) {
    const size_t nl = Text.find('\n');
    const std::string_view raw = Text.substr(0, nl);
    Text = nl == std::string_view::npos ? std::string_view{} : Text.substr(nl + 1);
    ++line;
    auto bad = [&](const std::string& Expected) {
      Error = FileName + ":" + std::to_string(line) + ": " + Expected;
      FActions.clear();
      return false;
    };
    std::vector<std::string> w;
    std::vector<bool> quoted;
    if (!Words(raw, w, quoted)) return bad("a closing \" expected");
    if (w.empty()) continue;
    double seconds = 0;
    if (w[0] != "at" || w.size() < 3 || !Number(w[1], seconds) || seconds < 0)
      return bad("expected 'at SECONDS ACTION ...'");
    TScenarioAction a;
    a.Line = line;
    a.TimeMs = uint32_t(std::llround(seconds * 1000));
    if (a.TimeMs < last)
      return bad("times must not go back (the line before is at " + std::to_string(last) + " ms)");
    last = a.TimeMs;
    const std::string& verb = w[2];
    const size_t n = w.size();
    auto windowAndObject = [&](size_t Count) {
      if (n != Count) return false;
      a.Window = w[3];
      a.Object = w[4];
      return KnownWindow(a.Window);
    };
    if (verb == "click" || verb == "dblclick") {
      a.Verb = verb == "click" ? TScenarioAction::vClick : TScenarioAction::vDblClick;
      if (!windowAndObject(5)) return bad("expected '" + verb + " console|display|settings OBJECT'");
    } else if (verb == "drag") {
      double v = 0;
      a.Verb = TScenarioAction::vDrag;
      if (!windowAndObject(7) || w[5] != "to" || !Number(w[6], v))
        return bad("expected 'drag WINDOW TRACKBAR to VALUE'");
      a.Value = float(v);
    } else if (verb == "type") {
      a.Verb = TScenarioAction::vType;
      if (!windowAndObject(6) || !quoted[5]) return bad("expected 'type WINDOW TEXTBOX \"TEXT\"'");
      a.Text = w[5];
    } else if (verb == "key") {
      a.Verb = TScenarioAction::vKey;
      if (n != 5 || !KnownWindow(w[3])) return bad("expected 'key WINDOW KEY'");
      a.Window = w[3];
      bool found = false;
      for (const TKeyName& k : kKeys)
        if (w[4] == k.Name) {
          a.Key = k.Key;
          a.Char = k.Char;
          found = true;
        }
      if (!found)
        return bad("unknown key '" + w[4] +
                   "' (Esc, Enter, Tab, Space, Backspace, Delete, arrows, Home, End)");
    } else if (verb == "snapshot") {
      a.Verb = TScenarioAction::vSnapshot;
      if (n != 4) return bad("expected 'snapshot DIR'");
      a.Text = w[3];
    } else if (verb == "end") {
      a.Verb = TScenarioAction::vEnd;
      if (n != 3) return bad("expected nothing after 'end'");
    } else {
      return bad("unknown action '" + verb + "' (click, dblclick, drag, type, key, snapshot, end)");
    }
    FActions.push_back(std::move(a));
  }
  return true;
}

TScenarioRunner::TScenarioRunner(TKardoSession& Session, const TScenario& Scenario)
    : FSession(Session), FScenario(Scenario) {
  for (const auto& form : FSession.Windows().Forms())
    form->OnFillChanged = [this](TKardoForm& F, const std::string& Object, const std::string& Fill) {
      FillChanged(F, Object, Fill);
    };
}

TScenarioRunner::~TScenarioRunner() {
  FTimers.clear();
  for (const auto& form : FSession.Windows().Forms()) form->OnFillChanged = nullptr;
}

bool TScenarioRunner::OpenTimeline(const std::string& FileName, std::string& Error) {
  FTimeline.open(FileName, std::ios::binary | std::ios::trunc);
  if (!FTimeline) {
    Error = "cannot write timeline " + FileName;
    return false;
  }
  FTimeline << "time_ms,window,object,fill\n";
  return true;
}

// Changes before the first frame (the windows' creation) count as time 0.
void TScenarioRunner::FillChanged(TKardoForm& Form, const std::string& Object, const std::string& Fill) {
  if (!FTimeline.is_open()) return;
  const uint64_t now = FSession.System().TickCount();
  const uint64_t ms = FStarted && now > FStart ? now - FStart : 0;
  FTimeline << ms << ',' << TKardoSession::WindowName(Form) << ',' << Object << ',' << Fill << '\n';
}

void TScenarioRunner::Start() {
  FStart = FSession.System().TickCount();
  FStarted = true;
  for (const TScenarioAction& a : FScenario.Actions()) {
    // A window timer of interval 0 never ticks; an action at 0 runs 1 ms in.
    auto timer = FSession.System().CreateTimer(a.TimeMs ? a.TimeMs : 1, [this, &a] { Perform(a); });
    FTimers.push_back(std::move(timer));
  }
  for (auto& t : FTimers) t->SetEnabled(true);
}

void TScenarioRunner::Fail(const TScenarioAction& A, const std::string& What) {
  if (FError.empty()) FError = "scenario line " + std::to_string(A.Line) + ": " + What;
  FSession.System().PostQuit(1);
}

void TScenarioRunner::Perform(const TScenarioAction& A) {
  const size_t index = size_t(&A - FScenario.Actions().data());
  FTimers[index]->SetEnabled(false);
  if (!FError.empty() || FSession.System().Terminated()) return;
  TKardoForm* form = nullptr;
  switch (A.Verb) {
    case TScenarioAction::vClick:
    case TScenarioAction::vDblClick:
      if (TuiVisualObject* o = Target(A, form)) Click(*form, *o, A.Verb == TScenarioAction::vDblClick);
      break;
    case TScenarioAction::vDrag:
      if (TuiVisualObject* o = Target(A, form)) Drag(*form, *o, A.Value, A);
      break;
    case TScenarioAction::vType:
      if (TuiVisualObject* o = Target(A, form)) {
        if (!dynamic_cast<TuiCustomTextBox*>(o)) return Fail(A, A.Object + " is no text box");
        Click(*form, *o, false);
        for (char c : A.Text) Key(*form, uint16_t(c >= 'a' && c <= 'z' ? c - 32 : c), char32_t(uint8_t(c)));
        Key(*form, platform::plKeyReturn, 13);
      }
      break;
    case TScenarioAction::vKey:
      form = FSession.Form(A.Window);
      if (!form->NativeWindow()->Visible()) return Fail(A, "the " + A.Window + " window is hidden");
      Key(*form, A.Key, A.Char);
      break;
    case TScenarioAction::vSnapshot: {
      std::string why;
      if (!FSession.WriteSnapshots(A.Text, why)) Fail(A, why);
      break;
    }
    case TScenarioAction::vEnd:
      FSession.System().PostQuit(0);
      break;
  }
}

TuiVisualObject* TScenarioRunner::Target(const TScenarioAction& A, TKardoForm*& Form) {
  Form = FSession.Form(A.Window);
  auto* object = dynamic_cast<TuiVisualObject*>(Form->FindComponent(A.Object));
  if (!object) {
    Fail(A, "there is no object " + A.Object + " in the " + A.Window + " window");
    return nullptr;
  }
  if (!Form->NativeWindow()->Visible()) {
    Fail(A, A.Object + ": the " + A.Window + " window is hidden");
    return nullptr;
  }
  for (TuiObject* o = object; o; o = o->Parent())
    if (auto* v = dynamic_cast<TuiVisualObject*>(o); v && !v->Visible()) {
      Fail(A, A.Object + " in the " + A.Window + " window is hidden");
      return nullptr;
    }
  return object;
}

namespace {

platform::TMouseEvent MouseAt(TKardoForm& Form, TuiPoint P, platform::TShiftState Shift) {
  platform::TMouseEvent e;
  e.X = int(std::lround(P.X));
  e.Y = int(std::lround(P.Y));
  const platform::TPoint s = Form.NativeWindow()->ClientToScreen({e.X, e.Y});
  e.ScreenX = s.X;
  e.ScreenY = s.Y;
  e.Shift = Shift;
  return e;
}

// The layer covers its window pixel for pixel, so the tree's coordinates are
// the window's client pixels.
TuiPoint CentreOf(TuiVisualObject& Object) {
  return Object.LocalToAbsolute({Object.Width() / 2, Object.Height() / 2});
}

}  // namespace

void TScenarioRunner::Click(TKardoForm& Form, TuiVisualObject& Object, bool Double) {
  platform::IWindowEvents& events = Form.Scene()->WindowEvents();
  Form.NativeWindow()->Activate();
  const TuiPoint p = CentreOf(Object);
  for (int press = 0; press < (Double ? 2 : 1); ++press) {
    const platform::TShiftState held = platform::plLeftButton | (press ? platform::plDouble : 0);
    platform::TMouseEvent down = MouseAt(Form, p, held);
    events.MouseMove(MouseAt(Form, p, 0));
    events.MouseDown(down);
    events.MouseUp(MouseAt(Form, p, 0));
  }
}

// Holds the thumb and moves the pointer along the bar until the value is
// there: first by the bar's scale, then a pixel at a time.
void TScenarioRunner::Drag(TKardoForm& Form, TuiVisualObject& Object, float Value, const TScenarioAction& A) {
  auto* track = dynamic_cast<TuiCustomTrack*>(&Object);
  if (!track) return Fail(A, A.Object + " is no track bar");
  TuiThumb* thumb = track->Thumb();
  if (!thumb) return Fail(A, A.Object + " has no thumb to drag");
  if (Value < track->Min() || Value > track->Max())
    return Fail(A, "the value is outside " + A.Object + "'s range");
  platform::IWindowEvents& events = Form.Scene()->WindowEvents();
  Form.NativeWindow()->Activate();
  TuiPoint p = CentreOf(*thumb);
  events.MouseMove(MouseAt(Form, p, 0));
  events.MouseDown(MouseAt(Form, p, platform::plLeftButton));
  const float range = track->Max() - track->Min();
  const float travel = std::max(1.0f, track->Width() - thumb->Width());
  p.X += (Value - track->Value()) / range * travel;
  events.MouseMove(MouseAt(Form, p, platform::plLeftButton));
  // The value follows the pointer continuously; the logic reads it truncated,
  // so the thumb stops on the first pixel whose value truncates to the target.
  auto reached = [&] { return std::trunc(track->Value()) == std::trunc(Value); };
  for (int step = 0; step < 400 && !reached(); ++step) {
    p.X += track->Value() < Value ? 1.0f : -1.0f;
    events.MouseMove(MouseAt(Form, p, platform::plLeftButton));
  }
  events.MouseUp(MouseAt(Form, p, 0));
  if (!reached()) Fail(A, A.Object + " did not reach " + std::to_string(Value));
}

void TScenarioRunner::Key(TKardoForm& Form, uint16_t Key, char32_t Char) {
  platform::IWindowEvents& events = Form.Scene()->WindowEvents();
  Form.NativeWindow()->Activate();
  events.KeyDown(Key, 0);
  if (Char) events.KeyChar(Char, 0);
  events.KeyUp(Key, 0);
}

}  // namespace kardo
