#include "platform/headless/HeadlessWindowSystem.h"

#include <algorithm>

namespace platform {

namespace {

TShiftState ButtonFlag(TMouseButton B) {
  return B == plMouseLeft ? plLeftButton : B == plMouseRight ? plRightButton : plMiddleButton;
}

}  // namespace

THeadlessWindow::THeadlessWindow(THeadlessWindowSystem& System, IWindowEvents& Events,
                                 const TWindowParams& Params)
    : TWindowBase(System, Events, Params), FHeadless(System) {
  FPicture.assign(size_t(FClient.Width) * FClient.Height, 0);
  FHeadless.FWindows.push_back(this);
}

THeadlessWindow::~THeadlessWindow() {
  std::erase(FHeadless.FWindows, this);
  if (FHeadless.FPointerIn == this) FHeadless.FPointerIn = nullptr;
}

bool THeadlessWindow::TakesInputAt(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FClient.Width || Y >= FClient.Height) return false;
  return FFrames == 0 || (FPicture[size_t(Y) * FClient.Width + X] >> 24) != 0;
}

void THeadlessWindow::Place(TPoint Pos, TSize Client) {
  if (Pos == FPos && Client == FClient) return;
  if (Client != FClient) {
    // What a real window shows after growing is undefined until the next
    // frame; here the kept part stays where it was and the rest is clear.
    std::vector<uint32_t> picture(size_t(Client.Width) * Client.Height, 0);
    for (int y = 0; y < std::min(Client.Height, FClient.Height); ++y)
      std::copy_n(&FPicture[size_t(y) * FClient.Width], std::min(Client.Width, FClient.Width),
                  &picture[size_t(y) * Client.Width]);
    FPicture = std::move(picture);
  }
  FPos = Pos;
  FClient = Client;
  FEvents.BoundsChanged(Bounds());
}

void THeadlessWindow::SetBounds(const TRect& Outer) {
  Place({Outer.Left, Outer.Top}, ClientFor(Outer));
}

void THeadlessWindow::Show(bool Activate) {
  if (!FVisible) {
    FVisible = true;
    FZOrder = ++FHeadless.FNextZ;
    const auto* active = static_cast<const THeadlessWindow*>(FHeadless.FActive);
    if (!Activate && active && active != this && active->FVisible) {
      // Behind the active window: it and everything in front of it move up.
      const uint64_t at = active->FZOrder;
      for (THeadlessWindow* w : FHeadless.FWindows)
        if (w != this && w->FZOrder >= at) ++w->FZOrder;
      FZOrder = at;
    }
  }
  if (Activate) this->Activate();
}

void THeadlessWindow::Hide() {
  if (!FVisible) return;
  FVisible = false;
  if (HasCapture()) ReleaseCapture();
  if (IsActive()) FHeadless.SetActive(nullptr);
}

void THeadlessWindow::Activate() {
  if (!FVisible) return;
  BringToFront();
  FHeadless.SetActive(this);
}

void THeadlessWindow::BringToFront() {
  if (FVisible) FZOrder = ++FHeadless.FNextZ;
}

void THeadlessWindow::SetCapture() {
  FHeadless.SetCaptureHolder(this);
}

void THeadlessWindow::ReleaseCapture() {
  if (HasCapture()) FHeadless.SetCaptureHolder(nullptr);
}

uint32_t THeadlessWindow::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FClient.Width || Y >= FClient.Height) return 0;
  return FPicture[size_t(Y) * FClient.Width + X];
}

void THeadlessWindow::UpdateLayered(const TFrame& Frame, TPoint Position, const TRect* Changed) {
  if (!Frame.Pixels || Frame.Width <= 0 || Frame.Height <= 0) return;
  const int stride = Frame.Stride > 0 ? Frame.Stride : Frame.Width;
  const TSize size{Frame.Width, Frame.Height};
  TRect part{0, 0, Frame.Width, Frame.Height};
  if (Changed && Position == FPos && size == FClient) part = Intersect(*Changed, part);
  Place(Position, size);
  for (int y = part.Top; y < part.Top + part.Height; ++y)
    std::copy_n(Frame.Pixels + size_t(y) * stride + part.Left, part.Width,
                &FPicture[size_t(y) * FClient.Width + part.Left]);
  FLastSent = part;
  ++FFrames;
}

std::unique_ptr<IWindow> THeadlessWindowSystem::CreateWindow(IWindowEvents& Events,
                                                             const TWindowParams& Params) {
  return std::make_unique<THeadlessWindow>(*this, Events, Params);
}

bool THeadlessWindowSystem::ProcessMessages() {
  DeliverPosted();
  FClock.FireDue();
  return !FTerminated;
}

bool THeadlessWindowSystem::RunUntil(uint64_t Time) {
  while (!FTerminated) {
    DeliverPosted();
    if (FTerminated) break;
    if (!FQueue.Empty()) continue;
    if (OnIdle && OnIdle()) continue;
    const auto due = FClock.NextDue();
    if (!due || *due > Time) {
      if (Time > FClock.Now()) FClock.Advance(Time - FClock.Now());
      return true;
    }
    ++FSleeps;
    FClock.Advance(*due - FClock.Now());
  }
  return false;
}

int THeadlessWindowSystem::Run() {
  while (!FTerminated) {
    DeliverPosted();
    if (FTerminated || !FQueue.Empty()) continue;
    if (OnIdle && OnIdle()) continue;
    const auto due = FClock.NextDue();
    if (!due) break;
    ++FSleeps;
    FClock.Advance(*due - FClock.Now());
  }
  return FExitCode;
}

THeadlessWindow* THeadlessWindowSystem::MouseTarget(IWindow* Window, int X, int Y, TShiftState Mods,
                                                    TMouseEvent& E) {
  const TPoint screen = Window->ClientToScreen({X, Y});
  FCursorPos = screen;
  THeadlessWindow* target = FCapture ? static_cast<THeadlessWindow*>(FCapture)
                                     : WindowAt(static_cast<THeadlessWindow*>(Window), screen);
  if (!target) return nullptr;
  const TPoint origin = target->ClientToScreen({0, 0});
  E.X = screen.X - origin.X;
  E.Y = screen.Y - origin.Y;
  E.ScreenX = screen.X;
  E.ScreenY = screen.Y;
  E.Shift = TShiftState(Mods & (plShift | plAlt | plCtrl));
  return target;
}

THeadlessWindow* THeadlessWindowSystem::WindowAt(THeadlessWindow* Named, TPoint Screen) const {
  const TPoint origin = Named->ClientToScreen({0, 0});
  const int x = Screen.X - origin.X, y = Screen.Y - origin.Y;
  const bool inside = x >= 0 && y >= 0 && x < Named->ClientSize().Width && y < Named->ClientSize().Height;
  // Outside its picture, the named window keeps what a test sends it.
  if (!inside || Named->TakesInputAt(x, y)) return Named;
  THeadlessWindow* below = nullptr;
  for (THeadlessWindow* w : FWindows) {
    if (w == Named || !w->Visible() || (below && below->ZOrder() > w->ZOrder())) continue;
    const TPoint o = w->ClientToScreen({0, 0});
    if (w->TakesInputAt(Screen.X - o.X, Screen.Y - o.Y)) below = w;
  }
  return below;
}

void THeadlessWindowSystem::MouseDown(IWindow* Window, TMouseButton Button, int X, int Y, TShiftState Mods) {
  TMouseEvent e;
  THeadlessWindow* target = MouseTarget(Window, X, Y, Mods, e);
  FButtons |= ButtonFlag(Button);
  if (!target) return;
  e.Button = Button;
  e.Shift |= FButtons;
  DetectDouble(target, e, FClock.Now());
  target->Events().MouseDown(e);
}

void THeadlessWindowSystem::MouseUp(IWindow* Window, TMouseButton Button, int X, int Y, TShiftState Mods) {
  TMouseEvent e;
  THeadlessWindow* target = MouseTarget(Window, X, Y, Mods, e);
  FButtons &= TShiftState(~ButtonFlag(Button));
  if (!target) return;
  e.Button = Button;
  e.Shift |= FButtons;
  target->Events().MouseUp(e);
}

void THeadlessWindowSystem::MouseMove(IWindow* Window, int X, int Y, TShiftState Mods) {
  TMouseEvent e;
  THeadlessWindow* target = MouseTarget(Window, X, Y, Mods, e);
  if (FPointerIn && FPointerIn != target && !FCapture) {
    THeadlessWindow* left = FPointerIn;
    FPointerIn = nullptr;
    left->Events().MouseLeave();
  }
  if (!target) return;
  FPointerIn = target;
  e.Shift |= FButtons;
  target->Events().MouseMove(e);
}

void THeadlessWindowSystem::MouseWheel(IWindow* Window, int Delta, int X, int Y, TShiftState Mods) {
  TMouseEvent e;
  THeadlessWindow* target = MouseTarget(Window, X, Y, Mods, e);
  if (!target) return;
  e.Shift |= FButtons;
  e.WheelDelta = Delta;
  target->Events().MouseWheel(e);
}

void THeadlessWindowSystem::KeyDown(uint16_t Key, TShiftState Mods, char32_t Plain) {
  if (!FActive) return;
  TWindowBase* target = FActive;
  target->Events().KeyDown(Key, Mods);
  // The key-down handler may have moved the activation or freed the window.
  if (Plain && FActive == target) target->Events().KeyChar(TypedChar(Plain, Mods), Mods);
}

void THeadlessWindowSystem::KeyUp(uint16_t Key, TShiftState Mods) {
  if (FActive) FActive->Events().KeyUp(Key, Mods);
}

void THeadlessWindowSystem::RequestClose(IWindow* Window) {
  static_cast<THeadlessWindow*>(Window)->Events().CloseRequest();
}

}  // namespace platform
