#include "app/program/Scenario.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <set>

#include "app/forms/KardoForm.h"
#include "app/program/Session.h"
#include "controls/TextBox.h"
#include "controls/Track.h"
#include "platform/WindowSystemBase.h"
#include "scene2d/VisualObject.h"
#include "scene3d/Scene.h"

namespace kardo {

// A window's events as the runner sees them, with the handlers they had
// before, which still run first.
struct TScenarioRunner::TWindowWatch {
  TKardoForm* Form = nullptr;
  TKardoForm::TFormEvent PreviousShow, PreviousClose;
  std::function<void(TscScene*)> PreviousBounds;
  platform::TRect Bounds;
};

namespace {

std::string ValueText(float Value) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, Value);
  return std::string(text, r.ptr);
}

}  // namespace

TScenarioRunner::TScenarioRunner(TKardoSession& Session, const TScenario& Scenario)
    : FSession(Session), FScenario(Scenario) {
  for (const auto& form : FSession.Windows().Forms()) {
    form->OnFillChanged = [this](TKardoForm& F, const std::string& Object, const std::string& Fill) {
      Row(TKardoSession::WindowName(F), Object, Fill);
    };
    auto watch = std::make_unique<TWindowWatch>();
    TWindowWatch* w = watch.get();
    w->Form = form.get();
    w->Bounds = form->NativeWindow()->Bounds();
    w->PreviousShow = std::move(form->OnShow);
    form->OnShow = [this, w](TuiComponent* Sender) {
      Row(TKardoSession::WindowName(*w->Form), "window", "shown");
      if (w->PreviousShow) w->PreviousShow(Sender);
    };
    w->PreviousClose = std::move(form->OnClose);
    form->OnClose = [this, w](TuiComponent* Sender) {
      if (w->PreviousClose) w->PreviousClose(Sender);
      Row(TKardoSession::WindowName(*w->Form), "window", "hidden");
    };
    w->PreviousBounds = std::move(form->Scene()->OnWindowBoundsChanged);
    form->Scene()->OnWindowBoundsChanged = [this, w](TscScene* Sender) {
      if (w->PreviousBounds) w->PreviousBounds(Sender);
      WindowChanged(*w);
    };
    FWatches.push_back(std::move(watch));
  }
}

TScenarioRunner::~TScenarioRunner() {
  FTimer.reset();
  FSpentTimer.reset();
  for (const auto& w : FWatches) {
    w->Form->OnFillChanged = nullptr;
    w->Form->OnShow = std::move(w->PreviousShow);
    w->Form->OnClose = std::move(w->PreviousClose);
    w->Form->Scene()->OnWindowBoundsChanged = std::move(w->PreviousBounds);
  }
}

bool TScenarioRunner::OpenTimeline(const std::string& FileName, std::string& Error) {
  FTimelineName = FileName;
  FTimeline.reset(std::fopen(FileName.c_str(), "wb"));
  if (!FTimeline || std::fputs("time_ms,window,object,fill\n", FTimeline.get()) < 0) {
    Error = "cannot write timeline " + FileName + ": " + std::strerror(errno);
    FTimeline.reset();
    return false;
  }
  return true;
}

bool TScenarioRunner::CloseTimeline(std::string& Error) {
  if (!FTimeline) return true;
  std::FILE* file = FTimeline.release();
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  // fclose writes out the buffer and reports what that met.
  if (std::fclose(file) != 0 || failed) {
    Error = "cannot write timeline " + FTimelineName + ": " + std::strerror(failed ? error : errno);
    return false;
  }
  return true;
}

// Changes before the first frame (the windows' creation) count as time 0.
// Nothing is written once the loop has been told to stop, so the timeline
// ends where the run was meant to.
void TScenarioRunner::Row(std::string_view Window, std::string_view Object, std::string_view Value) {
  if (!FTimeline || FSession.System().Terminated()) return;
  const uint64_t now = FSession.System().TickCount();
  const uint64_t ms = FStarted && now > FStart ? now - FStart : 0;
  if (std::fprintf(FTimeline.get(), "%llu,%.*s,%.*s,%.*s\n", static_cast<unsigned long long>(ms),
                   int(Window.size()), Window.data(), int(Object.size()), Object.data(), int(Value.size()),
                   Value.data()) < 0) {
    const int error = errno;
    FTimeline.reset();
    if (FError.empty()) FError = "cannot write timeline " + FTimelineName + ": " + std::strerror(error);
    FSession.System().PostQuit(1);
  }
}

void TScenarioRunner::WindowChanged(TWindowWatch& W) {
  const platform::TRect now = W.Form->NativeWindow()->Bounds();
  const std::string_view window = TKardoSession::WindowName(*W.Form);
  if (now.Left != W.Bounds.Left || now.Top != W.Bounds.Top)
    Row(window, "window", "moved " + std::to_string(now.Left) + " " + std::to_string(now.Top));
  if (now.Width != W.Bounds.Width || now.Height != W.Bounds.Height)
    Row(window, "window", "sized " + std::to_string(now.Width) + " " + std::to_string(now.Height));
  W.Bounds = now;
}

void TScenarioRunner::Start() {
  FStart = FSession.System().TickCount();
  FStarted = true;
  FNext = 0;
  ScheduleNext();
}

// One timer at a time, for the next action: a long scenario costs the clock
// no more than a short one.
void TScenarioRunner::ScheduleNext() {
  const auto& actions = FScenario.Actions();
  if (FNext >= actions.size()) return;
  const uint64_t elapsed = FSession.System().TickCount() - FStart;
  const uint64_t due = actions[FNext].TimeMs;
  // A window timer of interval 0 never ticks; an action at 0 runs 1 ms in.
  const uint32_t wait = due > elapsed ? uint32_t(due - elapsed) : 1;
  FTimer = FSession.System().CreateTimer(wait, [this] { Tick(); });
  FTimer->SetEnabled(true);
}

void TScenarioRunner::Tick() {
  // The timer running this call is freed at the next tick, not under its
  // own call.
  FSpentTimer = std::move(FTimer);
  FSpentTimer->SetEnabled(false);
  const auto& actions = FScenario.Actions();
  const uint64_t elapsed = FSession.System().TickCount() - FStart;
  while (FNext < actions.size() && actions[FNext].TimeMs <= elapsed) {
    if (!FError.empty() || FSession.System().Terminated()) return;
    Perform(actions[FNext++]);
  }
  if (FError.empty() && !FSession.System().Terminated()) ScheduleNext();
}

void TScenarioRunner::Fail(const TScenarioAction& A, const std::string& What) {
  if (FError.empty()) FError = "scenario line " + std::to_string(A.Line) + ": " + What;
  FSession.System().PostQuit(1);
}

void TScenarioRunner::Perform(const TScenarioAction& A) {
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
        // As a person does: select what is there and type over it.
        Key(*form, 'A', U'a', platform::plCtrl);
        for (char c : A.Text) Key(*form, uint16_t(c >= 'a' && c <= 'z' ? c - 32 : c), char32_t(uint8_t(c)));
        Key(*form, platform::plKeyReturn, 13);
      }
      break;
    case TScenarioAction::vKey:
      form = FSession.Form(A.Window);
      if (!form->NativeWindow()->Visible()) return Fail(A, "the " + A.Window + " window is hidden");
      Key(*form, A.Key, A.Char, A.Shift);
      break;
    case TScenarioAction::vMove:
    case TScenarioAction::vResize:
      Place(A);
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

namespace {

// The one visible-or-not object under Root whose style name is Name; Count
// tells how many there were.
TuiVisualObject* ByStyleName(TKardoForm& Form, const std::string& Name, int& Count) {
  TuiVisualObject* found = nullptr;
  std::set<TuiObject*> seen;
  std::vector<TuiObject*> todo;
  for (int i = 0; i < Form.ComponentCount(); ++i)
    if (auto* o = dynamic_cast<TuiObject*>(Form.Components(i))) todo.push_back(o);
  while (!todo.empty()) {
    TuiObject* o = todo.back();
    todo.pop_back();
    if (!seen.insert(o).second) continue;
    if (auto* v = dynamic_cast<TuiVisualObject*>(o); v && o->ResourceName() == Name) {
      found = v;
      ++Count;
    }
    for (TuiObject* c : o->ChildList()) todo.push_back(c);
  }
  return found;
}

}  // namespace

TuiVisualObject* TScenarioRunner::Target(const TScenarioAction& A, TKardoForm*& Form) {
  Form = FSession.Form(A.Window);
  auto* object = dynamic_cast<TuiVisualObject*>(Form->FindComponent(A.Object));
  if (!object) {
    // Parts of a style have no component name, only their style name: the
    // caption's close button is "close".
    int count = 0;
    object = ByStyleName(*Form, A.Object, count);
    if (count > 1) {
      Fail(A, std::to_string(count) + " parts of the " + A.Window + " window are named " + A.Object);
      return nullptr;
    }
  }
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

// Holds the thumb and moves the pointer along the bar toward the value: first
// by the bar's scale, then a pixel at a time. A value that lies between two
// pixels is then reached as a person would, with the arrow keys on the bar
// the press focused.
void TScenarioRunner::Drag(TKardoForm& Form, TuiVisualObject& Object, float Value, const TScenarioAction& A) {
  auto* track = dynamic_cast<TuiCustomTrack*>(&Object);
  if (!track) return Fail(A, A.Object + " is no track bar");
  TuiThumb* thumb = track->Thumb();
  if (!thumb) return Fail(A, A.Object + " has no thumb to drag");
  if (Value < track->Min() || Value > track->Max())
    return Fail(A, "the value is outside " + A.Object + "'s range");
  // The logic reads a bar's value truncated, so any value that truncates to
  // the target is the target; a bar that snaps must land on it exactly.
  const float step = track->Frequency() != 0 ? std::fabs(track->Frequency()) : 1.0f;
  auto reached = [&] {
    return track->Frequency() != 0 ? track->Value() == Value
                                   : std::trunc(track->Value()) == std::trunc(Value);
  };
  platform::IWindowEvents& events = Form.Scene()->WindowEvents();
  Form.NativeWindow()->Activate();
  TuiPoint p = CentreOf(*thumb);
  events.MouseMove(MouseAt(Form, p, 0));
  events.MouseDown(MouseAt(Form, p, platform::plLeftButton));
  const float range = track->Max() - track->Min();
  const float travel = std::max(1.0f, track->Width() - thumb->Width());
  p.X += (Value - track->Value()) / range * travel;
  events.MouseMove(MouseAt(Form, p, platform::plLeftButton));
  // Pixel by pixel until the value is reached or passed.
  const bool below = track->Value() < Value;
  for (int pixel = 0; pixel < 400 && !reached() && (track->Value() < Value) == below; ++pixel) {
    p.X += below ? 1.0f : -1.0f;
    events.MouseMove(MouseAt(Form, p, platform::plLeftButton));
  }
  events.MouseUp(MouseAt(Form, p, 0));
  const float dragged = track->Value();
  int presses = 0;
  uint16_t key = 0;
  // A pixel spans (range / travel) of value: the keys needed stay below that
  // in steps, and a key that moves nothing (the bar at its end) or turns
  // round (a value between two steps) ends it.
  const int most = int(std::min(10000.0f, std::ceil(range / travel / step) + 2));
  while (!reached() && presses < most) {
    const uint16_t toward = track->Value() < Value ? platform::plKeyRight : platform::plKeyLeft;
    if (key && toward != key) break;
    key = toward;
    const float before = track->Value();
    Key(Form, key, 0);
    ++presses;
    if (track->Value() == before) break;
  }
  if (presses)
    Row(A.Window, A.Object,
        "dragged to " + ValueText(dragged) + " then " + (key == platform::plKeyRight ? "Right" : "Left") +
            " x" + std::to_string(presses) + " to " + ValueText(track->Value()));
  if (!reached())
    Fail(A, A.Object + " did not reach " + ValueText(Value) +
                (track->Frequency() != 0 ? " (it moves in steps of " + ValueText(step) + ")" : ""));
}

void TScenarioRunner::Key(TKardoForm& Form, uint16_t Key, char32_t Char, platform::TShiftState Shift) {
  platform::IWindowEvents& events = Form.Scene()->WindowEvents();
  Form.NativeWindow()->Activate();
  events.KeyDown(Key, Shift);
  // What the keyboard types: Ctrl turns a letter into its control character.
  if (Char && !(Shift & platform::plAlt)) events.KeyChar(platform::TypedChar(Char, Shift), Shift);
  events.KeyUp(Key, Shift);
}

void TScenarioRunner::Place(const TScenarioAction& A) {
  platform::IWindow* w = FSession.Form(A.Window)->NativeWindow();
  if (!w->Visible()) return Fail(A, "the " + A.Window + " window is hidden");
  platform::TRect r = w->Bounds();
  if (A.Verb == TScenarioAction::vMove) {
    r.Left = A.X;
    r.Top = A.Y;
  } else {
    const platform::TSize screen = FSession.System().ScreenSize();
    if (A.X > screen.Width || A.Y > screen.Height)
      return Fail(A, std::to_string(A.X) + " x " + std::to_string(A.Y) + " is larger than the screen (" +
                         std::to_string(screen.Width) + " x " + std::to_string(screen.Height) + ")");
    r.Width = A.X;
    r.Height = A.Y;
  }
  // A person takes hold of a window to move or size it, which activates it.
  w->Activate();
  w->SetBounds(r);
}

}  // namespace kardo
