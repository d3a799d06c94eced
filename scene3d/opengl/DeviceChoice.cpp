#include "scene3d/opengl/DeviceChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "scene3d/opengl/GLDevice.h"

namespace {

std::string Lower(std::string_view Text) {
  std::string Result(Text);
  std::transform(Result.begin(), Result.end(), Result.begin(),
                 [](unsigned char C) { return char(std::tolower(C)); });
  return Result;
}

// "software", "opengl" or empty for anything else.
std::string Forced(std::string_view Value) {
  std::string Text = Lower(Value);
  return Text == "software" || Text == "opengl" ? Text : std::string();
}

}  // namespace

bool scIsSoftwareRenderer(std::string_view Renderer) {
  const std::string Text = Lower(Renderer);
  for (const char* Name : {"llvmpipe", "softpipe", "swrast"})
    if (Text.find(Name) != std::string::npos) return true;
  return false;
}

bool scHasRenderNode(const std::string& Dir) {
  std::error_code Error;
  for (std::filesystem::directory_iterator It(Dir, Error), End; !Error && It != End; It.increment(Error))
    if (It->path().filename().string().starts_with("renderD")) return true;
  return false;
}

std::optional<std::string> scQueryOpenGLRenderer(std::string& Error) {
  auto Device = TscGLDevice::Create(1, 1, 0, Error);
  if (!Device) return std::nullopt;
  return Device->Renderer();
}

TscDeviceChoice scChooseDevice(const TscDeviceProbe& Probe) {
  TscDeviceChoice Choice;
  std::string Force = Forced(Probe.Option);
  std::string Source = "option";
  if (Force.empty()) {
    std::string Environment;
    if (Probe.Environment) {
      Environment = *Probe.Environment;
    } else if (const char* Value = std::getenv(scDeviceEnvironmentVariable)) {
      Environment = Value;
    }
    Force = Forced(Environment);
    Source = scDeviceEnvironmentVariable;
  }
  if (Force == "software") {
    Choice.Reason = "software device forced by " + Source;
    return Choice;
  }
  if (Force.empty() && !scHasRenderNode(Probe.RenderNodeDir)) {
    Choice.Reason = "no GPU render node in " + Probe.RenderNodeDir;
    return Choice;
  }
  std::string Error;
  auto Renderer = Probe.QueryRenderer ? Probe.QueryRenderer(Error) : scQueryOpenGLRenderer(Error);
  if (!Renderer) {
    Choice.Reason = "no OpenGL through EGL: " + Error;
    return Choice;
  }
  Choice.Renderer = *Renderer;
  if (!Force.empty()) {
    Choice.Kind = scDeviceOpenGL;
    Choice.Reason = "OpenGL device forced by " + Source + " (" + Choice.Renderer + ")";
  } else if (scIsSoftwareRenderer(Choice.Renderer)) {
    Choice.Reason = "OpenGL renders in software (" + Choice.Renderer + ")";
  } else {
    Choice.Kind = scDeviceOpenGL;
    Choice.Reason = "GPU renderer " + Choice.Renderer;
  }
  return Choice;
}
