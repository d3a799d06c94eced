// The scene and gtest before Xlib, whose macros (Bool, None) would break them.
#include <gtest/gtest.h>

#include "scene3d/Scene.h"
#include "scene3d/software/SoftwareCanvas.h"
// Xlib and its macros from here on.
#include "platform/x11/X11WindowSystem.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/x11/testing/XvfbServer.h"

using namespace platform;

namespace {

TEST(SceneOnX11, APushedFrameIsWhatTheServerHolds) {
  std::string why;
  auto server = TXvfbServer::Start(why);
  if (!server) GTEST_SKIP() << why;
  std::string error;
  auto system = TX11WindowSystem::Open(server->DisplayName().c_str(), error);
  ASSERT_TRUE(system) << error;
  TscSoftwareCanvas::Register();
  for (bool transparent : {false, true}) {
    auto scene = std::make_unique<TscScene>(nullptr);
    scene->SetTransparency(transparent);
    scene->SetFillColor("#80402010");
    scene->CreateWindow(*system, {.Bounds = {20, 30, 66, 42}});
    scene->Window()->Show();
    system->ProcessMessages();
    ASSERT_GT(scene->FrameCount(), 0u);

    Display* d = system->NativeDisplay();
    const auto readBack = [&] {
      XSync(d, False);
      std::vector<uint32_t> pixels;
      XImage* image = XGetImage(d, Window(scene->Window()->NativeHandle()), 0, 0, 64, 40, AllPlanes, ZPixmap);
      if (!image) return pixels;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) pixels.push_back(uint32_t(XGetPixel(image, x, y)));
      XDestroyImage(image);
      return pixels;
    };
    const std::vector<uint32_t> shown = readBack();

    std::vector<uint32_t> frame(64 * 40);
    scene->Canvas()->CopyToBits(frame.data());
    // An opaque scene's frame goes out with full alpha.
    if (!transparent)
      for (uint32_t& p : frame) p |= 0xFF000000u;
    EXPECT_EQ(shown, frame) << (transparent ? "transparent" : "opaque");
    ASSERT_EQ(shown.size(), frame.size());
    EXPECT_EQ(shown[0] >> 24, transparent ? 0x80u : 0xFFu);

    // Hidden and shown again, the window has lost its pixels; the scene pushes
    // its last frame once more without drawing a new one.
    const uint64_t frames = scene->FrameCount();
    scene->Window()->Hide();
    system->ProcessMessages();
    scene->Window()->Show();
    XSync(d, False);
    system->ProcessMessages();
    EXPECT_EQ(readBack(), frame) << (transparent ? "transparent" : "opaque") << ", shown again";
    EXPECT_EQ(scene->FrameCount(), frames);
  }
}

}  // namespace
