// The frames the windows push, against the 2D pictures they show: the 3D
// host must hand the window system each GUI layer's buffer as it is, on every
// device, translucent pixels included.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program/Scenario.h"
#include "app/program/Session.h"
#include "draw2d/Brush.h"
#include "draw2d/Canvas.h"
#include "draw2d/Shape.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "scene3d/layers/ObjectLayer.h"
#include "scene3d/opengl/GLLibrary.h"
#include "scene3d/opengl/OpenGLCanvas.h"
#include "scene3d/software/SoftwareCanvas.h"
#include "tests/app/program/HeadlessSession.h"

namespace kardo {
namespace {

enum TDevice { devSoftware, devOpenGL };

class PushedFrame : public ::testing::TestWithParam<TDevice> {
 protected:
  void SetUp() override {
    if (GetParam() == devOpenGL) {
      if (!TscGLLibrary::Open()) GTEST_SKIP() << "no OpenGL through EGL here: " << TscGLLibrary::LoadError();
      RegisterOpenGLCanvas();
    } else {
      TscSoftwareCanvas::Register();
    }
    Session = testing::StartHeadlessSession(System);
    ASSERT_TRUE(Session->FirstFramesOut());
  }
  void TearDown() override {
    Runner.reset();
    Session.reset();
    TscSoftwareCanvas::Register();
  }

  // Plays Text from now and runs the loop until Ms after its start.
  void PlayFor(const std::string& Text, uint64_t Ms) {
    std::string error;
    ASSERT_TRUE(Scenario.Parse(Text, "test", error)) << error;
    Runner = std::make_unique<TScenarioRunner>(*Session, Scenario);
    const uint64_t start = System.TickCount();
    Runner->Start();
    System.RunUntil(start + Ms);
    ASSERT_TRUE(Runner->Error().empty()) << Runner->Error();
  }

  platform::THeadlessWindow& Native(const char* Window) {
    return dynamic_cast<platform::THeadlessWindow&>(*Session->Form(Window)->NativeWindow());
  }

  // Checks that the window shows its layer's 2D buffer: every pushed pixel
  // within one per channel of the buffer's, and the buffer itself a
  // premultiplied picture (no channel above its alpha), which is what the
  // window system takes it for.
  void ExpectFrameIsBuffer(const char* Window) {
    auto* layer = dynamic_cast<TscCustomObjectLayer*>(Session->Form(Window)->FindComponent("GuiLayer"));
    ASSERT_NE(layer, nullptr) << Window;
    const platform::THeadlessWindow& native = Native(Window);
    const TuiCanvas& buffer = layer->Buffer();
    ASSERT_EQ(native.ClientSize().Width, buffer.Width()) << Window;
    ASSERT_EQ(native.ClientSize().Height, buffer.Height()) << Window;
    int unlike = 0, notPremultiplied = 0, worst = 0;
    std::string first;
    for (int y = 0; y < buffer.Height(); ++y)
      for (int x = 0; x < buffer.Width(); ++x) {
        const uint32_t want = buffer.BufferBits()[size_t(y) * size_t(buffer.Width()) + size_t(x)];
        const uint32_t got = native.Pixel(x, y);
        int difference = 0;
        for (int s = 0; s < 32; s += 8)
          difference = std::max(difference, std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)));
        for (int s = 0; s < 24; s += 8) notPremultiplied += ((want >> s) & 0xFF) > (want >> 24);
        if (difference <= 1) continue;
        if (unlike++ == 0) {
          char text[96];
          std::snprintf(text, sizeof(text), "(%d, %d) is %08X, the buffer %08X", x, y, got, want);
          first = text;
        }
        worst = std::max(worst, difference);
      }
    EXPECT_EQ(notPremultiplied, 0) << Window << ": channels above their alpha in the buffer";
    EXPECT_EQ(unlike, 0) << Window << ": worst difference " << worst << ", first at " << first;
  }

  platform::THeadlessWindowSystem System;
  std::unique_ptr<TKardoSession> Session;
  TScenario Scenario;
  std::unique_ptr<TScenarioRunner> Runner;
};

// A press on the picture lights the yellow LED and shows the display, so
// that all three windows are out, lit and unlit parts alike.
TEST_P(PushedFrame, EveryWindowPushesItsLayersBuffer) {
  PlayFor("at 0.1 click console Image_Kardo\n", 400);
  for (const char* window : {"console", "settings", "display"}) {
    ASSERT_TRUE(Native(window).Visible()) << window;
    ExpectFrameIsBuffer(window);
  }
}

// Green 1 then blinks on its 1000 ms timer: its tick pushes the LED's box
// and nothing more, and the window still shows the buffer.
TEST_P(PushedFrame, AnLedTickPushesOnlyItsRectangle) {
  PlayFor("at 0.1 click console Image_Kardo\n", 1101);
  auto* led = dynamic_cast<TuiShape*>(Session->Form("console")->FindComponent("Circle_LG1"));
  ASSERT_NE(led, nullptr);
  ASSERT_EQ(led->Fill()->Color(), "#FF00FF00") << "the tick has not come";
  const TuiPoint topLeft = led->LocalToAbsolute({0, 0});
  const TuiPoint bottomRight = led->LocalToAbsolute({led->Width(), led->Height()});
  // The layer's dirty rectangle: whole pixels around the circle.
  const int left = int(topLeft.X), top = int(topLeft.Y);
  EXPECT_EQ(Native("console").LastSent(),
            (platform::TRect{left, top, int(bottomRight.X) + 1 - left, int(bottomRight.Y) + 1 - top}));
  ExpectFrameIsBuffer("console");
}

// The Connect effect lights one LED after another; the repaints of the two
// circles a tick changes start from the pixels kept under them. After every
// tick of two rounds the console shows what painting it whole would show.
TEST_P(PushedFrame, ConnectTicksLeaveTheConsoleAsAWholeRepaintWould) {
  PlayFor("at 0.1 click settings HudRadioButton_Effects_Connect\n", 1000);
  auto* layer = dynamic_cast<TscCustomObjectLayer*>(Session->Form("console")->FindComponent("GuiLayer"));
  ASSERT_NE(layer, nullptr);
  const TuiCanvas& buffer = layer->Buffer();
  const size_t count = size_t(buffer.Width()) * size_t(buffer.Height());
  for (int tick = 0; tick < 14; ++tick) {
    System.RunUntil(System.TickCount() + 80);
    ExpectFrameIsBuffer("console");
    const std::vector<uint32_t> ticked(buffer.BufferBits(), buffer.BufferBits() + count);
    layer->InvalidateAll();
    layer->PaintTree();
    const auto first = std::mismatch(ticked.begin(), ticked.end(), buffer.BufferBits()).first;
    ASSERT_EQ(first, ticked.end()) << "tick " << tick << ", pixel "
                                   << (first - ticked.begin()) % buffer.Width() << ", "
                                   << (first - ticked.begin()) / buffer.Width();
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, PushedFrame, ::testing::Values(devSoftware, devOpenGL),
                         [](const ::testing::TestParamInfo<TDevice>& Info) {
                           return std::string(Info.param == devOpenGL ? "OpenGL" : "Software");
                         });

}  // namespace
}  // namespace kardo
