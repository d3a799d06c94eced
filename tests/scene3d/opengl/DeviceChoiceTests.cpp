#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "scene3d/opengl/DeviceChoice.h"
#include "scene3d/opengl/GLDevice.h"
#include "scene3d/opengl/GLLibrary.h"

namespace {

// A folder with or without a render node in it.
struct TTempDir {
  std::filesystem::path Path;
  explicit TTempDir(bool WithRenderNode) {
    Path = std::filesystem::temp_directory_path() /
           ("ux_dri_" + std::to_string(::getpid()) + (WithRenderNode ? "_node" : "_none"));
    std::filesystem::create_directories(Path);
    std::ofstream(Path / "card0").put('x');
    if (WithRenderNode) std::ofstream(Path / "renderD128").put('x');
  }
  ~TTempDir() { std::filesystem::remove_all(Path); }
};

}  // namespace

TEST(DeviceChoice, ForcedChoicesAndProbes) {
  TTempDir WithNode(true), WithoutNode(false);
  struct TCase {
    const char* Option;
    const char* Environment;  // nullptr: unset
    bool RenderNode;
    const char* Renderer;  // nullptr: EGL gives no context
    TscDeviceKind Expected;
    bool Probed;
  } Cases[] = {
      {"software", "opengl", true, "AMD Radeon RX 6600", scDeviceSoftware, false},
      {"OpenGL", nullptr, false, "llvmpipe (LLVM 15.0.6, 256 bits)", scDeviceOpenGL, true},
      {"", "opengl", false, "llvmpipe", scDeviceOpenGL, true},
      {"", "SOFTWARE", true, "AMD Radeon RX 6600", scDeviceSoftware, false},
      {"opengl", nullptr, true, nullptr, scDeviceSoftware, true},
      {"", nullptr, false, "AMD Radeon RX 6600", scDeviceSoftware, false},
      {"vulkan", "", false, "AMD Radeon RX 6600", scDeviceSoftware, false},
      {"", nullptr, true, "llvmpipe (LLVM 15.0.6, 256 bits)", scDeviceSoftware, true},
      {"", nullptr, true, "softpipe", scDeviceSoftware, true},
      {"", nullptr, true, "Mesa DRI Intel(R) UHD Graphics 620", scDeviceOpenGL, true},
      {"", nullptr, true, nullptr, scDeviceSoftware, true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Option) + " / " + (C.Environment ? C.Environment : "(unset)") + " / " +
                 (C.Renderer ? C.Renderer : "(no EGL)"));
    int Probes = 0;
    TscDeviceProbe Probe;
    Probe.Option = C.Option;
    Probe.Environment =
        C.Environment ? std::optional<std::string>(C.Environment) : std::optional<std::string>("");
    Probe.RenderNodeDir = (C.RenderNode ? WithNode : WithoutNode).Path.string();
    Probe.QueryRenderer = [&](std::string& Error) -> std::optional<std::string> {
      ++Probes;
      if (!C.Renderer) {
        Error = "libEGL.so.1: cannot open shared object file";
        return std::nullopt;
      }
      return std::string(C.Renderer);
    };
    TscDeviceChoice Choice = scChooseDevice(Probe);
    EXPECT_EQ(Choice.Kind, C.Expected) << Choice.Reason;
    EXPECT_EQ(Probes > 0, C.Probed);
    EXPECT_FALSE(Choice.Reason.empty());
  }
}

TEST(DeviceChoice, NoRenderNodeLoadsNothing) {
  TTempDir WithoutNode(false);
  TscDeviceProbe Probe;
  Probe.Environment = "";
  Probe.RenderNodeDir = WithoutNode.Path.string();
  const int Loads = TscGLLibrary::LoadCount();
  EXPECT_EQ(scChooseDevice(Probe).Kind, scDeviceSoftware);
  EXPECT_EQ(TscGLLibrary::LoadCount(), Loads);
  EXPECT_FALSE(scHasRenderNode((WithoutNode.Path / "absent").string()));
}

TEST(DeviceChoice, SoftwareRenderersCountAsNoGpu) {
  for (const char* Name :
       {"llvmpipe (LLVM 15.0.6, 256 bits)", "Gallium 0.4 on softpipe", "Software Rasterizer swrast"})
    EXPECT_TRUE(scIsSoftwareRenderer(Name)) << Name;
  for (const char* Name : {"AMD Radeon RX 6600 (radeonsi, navi23)", "NVIDIA GeForce GTX 1080/PCIe/SSE2", ""})
    EXPECT_FALSE(scIsSoftwareRenderer(Name)) << Name;
}

// A machine without the EGL library: no device, a reason, and a forced
// OpenGL choice falls back to the software device.
TEST(DeviceChoice, MissingLibraryIsReportedNotFailed) {
  const std::string Saved = TscGLLibrary::LibraryName();
  TscGLLibrary::SetLibraryName("libEGL-that-is-not-there.so.1");
  std::string Error;
  EXPECT_EQ(TscGLDevice::Create(4, 4, 0, Error), nullptr);
  EXPECT_NE(Error.find("libEGL-that-is-not-there"), std::string::npos) << Error;
  TscDeviceProbe Probe;
  Probe.Option = "opengl";
  TscDeviceChoice Choice = scChooseDevice(Probe);
  EXPECT_EQ(Choice.Kind, scDeviceSoftware);
  EXPECT_NE(Choice.Reason.find("no OpenGL"), std::string::npos) << Choice.Reason;
  TscGLLibrary::SetLibraryName(Saved);
}
