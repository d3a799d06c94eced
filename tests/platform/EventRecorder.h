#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Window.h"

// Writes every event a window gets as one short line, so tests compare
// sequences ("down L 10,20 shift=9").
class TEventRecorder : public platform::IWindowEvents {
 public:
  std::vector<std::string> Log;
  std::function<void(uint32_t Msg)> OnMessage;

  platform::TShiftState LastDownShift = 0;

  void MouseDown(const platform::TMouseEvent& E) override {
    LastDownShift = E.Shift;
    Log.push_back("down " + Mouse(E, true));
  }
  void MouseUp(const platform::TMouseEvent& E) override { Log.push_back("up " + Mouse(E, true)); }
  void MouseMove(const platform::TMouseEvent& E) override { Log.push_back("move " + Mouse(E, false)); }
  void MouseWheel(const platform::TMouseEvent& E) override {
    Log.push_back("wheel " + std::to_string(E.WheelDelta) + " " + Mouse(E, false));
  }
  void MouseLeave() override { Log.push_back("leave"); }
  void KeyDown(uint16_t Key, platform::TShiftState Shift) override {
    Log.push_back("keydown " + std::to_string(Key) + " shift=" + std::to_string(Shift));
  }
  void KeyUp(uint16_t Key, platform::TShiftState Shift) override {
    Log.push_back("keyup " + std::to_string(Key) + " shift=" + std::to_string(Shift));
  }
  void KeyChar(char32_t Char, platform::TShiftState Shift) override {
    Log.push_back("char " + std::to_string(uint32_t(Char)) + " shift=" + std::to_string(Shift));
  }
  void Activated(bool Active) override { Log.push_back(Active ? "activated" : "deactivated"); }
  void CloseRequest() override { Log.push_back("close"); }
  void BoundsChanged(const platform::TRect& O) override {
    Log.push_back("bounds " + std::to_string(O.Left) + "," + std::to_string(O.Top) + " " +
                  std::to_string(O.Width) + "x" + std::to_string(O.Height));
  }
  void Message(uint32_t Msg, uint64_t WParam, int64_t LParam) override {
    Log.push_back("message " + std::to_string(Msg) + " " + std::to_string(WParam) + " " +
                  std::to_string(LParam));
    if (OnMessage) OnMessage(Msg);
  }
  void CaptureLost() override { Log.push_back("capture lost"); }
  void Exposed(const platform::TRect& A) override {
    Log.push_back("exposed " + std::to_string(A.Left) + "," + std::to_string(A.Top) + " " +
                  std::to_string(A.Width) + "x" + std::to_string(A.Height));
  }

  // The entries that start with Prefix, in order.
  std::vector<std::string> Only(const std::string& Prefix) const {
    std::vector<std::string> out;
    for (const auto& s : Log)
      if (s.rfind(Prefix, 0) == 0) out.push_back(s);
    return out;
  }

 private:
  static std::string Mouse(const platform::TMouseEvent& E, bool Button) {
    std::string s;
    if (Button)
      s = E.Button == platform::plMouseLeft ? "L " : E.Button == platform::plMouseRight ? "R " : "M ";
    return s + std::to_string(E.X) + "," + std::to_string(E.Y) + " shift=" + std::to_string(E.Shift);
  }
};
