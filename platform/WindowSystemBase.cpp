#include "platform/WindowSystemBase.h"

#include <algorithm>

namespace platform {

TRect Intersect(const TRect& A, const TRect& B) {
  const int l = std::max(A.Left, B.Left), t = std::max(A.Top, B.Top);
  const int r = std::min(A.Left + A.Width, B.Left + B.Width),
            b = std::min(A.Top + A.Height, B.Top + B.Height);
  if (r <= l || b <= t) return {l, t, 0, 0};
  return {l, t, r - l, b - t};
}

char32_t TypedChar(char32_t Plain, TShiftState Shift) {
  if ((Shift & plCtrl) && ((Plain >= U'a' && Plain <= U'z') || (Plain >= U'A' && Plain <= U'Z')))
    return Plain & 0x1F;
  return Plain;
}

TWindowBase::TWindowBase(TWindowSystemBase& System, IWindowEvents& Events, const TWindowParams& Params)
    : FSystem(System), FEvents(Events), FBorderWidth(std::max(0, Params.BorderWidth)), FTitle(Params.Title) {
  FPos = {Params.Bounds.Left, Params.Bounds.Top};
  FClient = ClientFor(Params.Bounds);
}

TWindowBase::~TWindowBase() {
  FSystem.FQueue.Forget(this);
  FSystem.FDouble.Forget(this);
  if (FSystem.FActive == this) FSystem.FActive = nullptr;
  if (FSystem.FCapture == this) {
    FSystem.FCapture = nullptr;
    FSystem.NativeReleaseCapture();
  }
}

TRect TWindowBase::Bounds() const {
  return {FPos.X, FPos.Y, FClient.Width + 2 * FBorderWidth, FClient.Height + 2 * FBorderWidth};
}

TSize TWindowBase::ClientFor(const TRect& Outer) const {
  const int w = std::max(Outer.Width, FMinimum.Width), h = std::max(Outer.Height, FMinimum.Height);
  return {std::max(1, w - 2 * FBorderWidth), std::max(1, h - 2 * FBorderWidth)};
}

void TWindowBase::SetMinimumSize(TSize Outer) {
  FMinimum = {std::max(0, Outer.Width), std::max(0, Outer.Height)};
  const TRect now = Bounds();
  if (now.Width < FMinimum.Width || now.Height < FMinimum.Height) SetBounds(now);
}

bool TWindowBase::IsActive() const {
  return FSystem.FActive == this;
}
bool TWindowBase::HasCapture() const {
  return FSystem.FCapture == this;
}

void TWindowBase::PostMessage(uint32_t Msg, uint64_t WParam, int64_t LParam) {
  FSystem.FQueue.Post({this, Msg, WParam, LParam});
}

int TWindowBase::RemovePendingMessages(uint32_t Msg) {
  return FSystem.FQueue.Remove(this, Msg);
}

void TWindowSystemBase::PostQuit(int ExitCode) {
  FTerminated = true;
  FExitCode = ExitCode;
}

int TWindowSystemBase::DeliverPosted() {
  int delivered = 0;
  for (size_t n = FQueue.Size(); n > 0; --n) {
    TPostedMessage m;
    if (!FQueue.Take(m)) break;  // a handler removed what was left
    static_cast<TWindowBase*>(m.Target)->Events().Message(m.Msg, m.WParam, m.LParam);
    ++delivered;
  }
  return delivered;
}

void TWindowSystemBase::SetActive(TWindowBase* W) {
  if (W == FActive) return;
  TWindowBase* old = FActive;
  FActive = W;
  if (old) old->Events().Activated(false);
  // The old window's handler may have changed the activation again.
  if (W && FActive == W) W->Events().Activated(true);
}

void TWindowSystemBase::SetCaptureHolder(TWindowBase* W) {
  if (W == FCapture) return;
  TWindowBase* old = FCapture;
  FCapture = W;
  if (old) old->Events().CaptureLost();
}

void TWindowSystemBase::DetectDouble(const TWindowBase* W, TMouseEvent& E, uint64_t Time) {
  if (FDouble.Press(W, E.Button, {E.ScreenX, E.ScreenY}, Time)) E.Shift |= plDouble;
}

}  // namespace platform
