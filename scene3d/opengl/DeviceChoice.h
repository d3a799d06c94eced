#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Which 3D device the process renders with, decided once at start-up.
//
// A forced choice comes first: the explicit option value (a command-line
// option of the program), else the environment variable UX_3D_DEVICE; each is
// "software" or "opengl" in any case, and anything else (or nothing) means
// "decide". Undecided, the software device is taken unless the machine has a
// GPU render node (/dev/dri/renderD*) and OpenGL through EGL, once loaded,
// names a hardware renderer; Mesa's llvmpipe, softpipe and swrast count as no
// GPU. Without a render node nothing is loaded at all.
//
// A forced "opengl" takes the OpenGL device whatever renderer it gets
// (that is how the tests run it on a software renderer), unless EGL cannot
// give a context; then the software device is used and Reason says why.

enum TscDeviceKind : uint8_t { scDeviceSoftware, scDeviceOpenGL };

struct TscDeviceChoice {
  TscDeviceKind Kind = scDeviceSoftware;
  std::string Renderer;  // the GL renderer probed; empty when none was
  std::string Reason;    // one line on why, for a start-up report
};

// What the choice looks at; the defaults are the machine's.
struct TscDeviceProbe {
  std::string_view Option;                 // the program's option value, if any
  std::optional<std::string> Environment;  // UX_3D_DEVICE; read when not given
  std::string RenderNodeDir = "/dev/dri";
  // The renderer a fresh OpenGL context reports; none when EGL or a context
  // is missing (Error then says why). Defaults to the real EGL probe.
  std::function<std::optional<std::string>(std::string& Error)> QueryRenderer;
};

constexpr const char* scDeviceEnvironmentVariable = "UX_3D_DEVICE";

TscDeviceChoice scChooseDevice(const TscDeviceProbe& Probe = {});

// True for the software rasterisers that do not count as a GPU.
bool scIsSoftwareRenderer(std::string_view Renderer);
// True when the folder holds a renderD* node.
bool scHasRenderNode(const std::string& Dir);
// The renderer of a fresh OpenGL context made through EGL.
std::optional<std::string> scQueryOpenGLRenderer(std::string& Error);
