// uxrender: paints a stored 2D layout into a PNG file, the way to look at a
// layout without opening a window.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/ControlsRegistration.h"
#include "draw2d/Bitmap.h"
#include "draw2d/Canvas.h"
#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ImageFilter.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/Errors.h"
#include "scene2d/VisualObject.h"
#include "scene2d/effects/EffectPainter.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"
#include "scene2d/stream/ReadBudget.h"
#include "tools/common/ToolFiles.h"
#include "tools/common/ToolStreams.h"

namespace {

constexpr const char* kHelp =
    "uxrender - paints a 2D layout into a PNG picture\n"
    "\n"
    "Usage:\n"
    "  uxrender IN OUT.png [--size WxH] [--scale S]\n"
    "  uxrender --help\n"
    "\n"
    "IN is a component stream in either form (a binary stream starts with\n"
    "\"TPF0\", anything else is read as text) whose root is a visual object;\n"
    "\"-\" stands for standard input or output. The root is painted upright at\n"
    "the picture's top-left corner, wherever it is placed, on a transparent\n"
    "background, and OUT gets a PNG with straight (not premultiplied) alpha.\n"
    "\n"
    "  --size WxH   the area painted, in layout units (default: the root's\n"
    "               Width x Height); a larger area leaves a transparent margin\n"
    "               on the right and at the bottom, a smaller one cuts off\n"
    "  --scale S    paints S times larger (0 < S <= 16); the picture is\n"
    "               W*S x H*S pixels, rounded\n"
    "\n"
    "A picture may be at most 16384 pixels a side and 67108864 pixels in all.\n"
    "Images inside the layout are decoded within a budget of 67108864 pixels.\n"
    "\n"
    "OUT is written only when IN was read and painted. A regular file is\n"
    "replaced in one step (through a temporary file beside it, removed again if\n"
    "uxrender is interrupted), so a failed run leaves an existing OUT as it was\n"
    "and creates none; a symbolic link is followed; a device or pipe is written\n"
    "to directly.\n"
    "\n"
    "Exit status: 0 done; 1 IN could not be read or painted (the reason, with\n"
    "the byte offset or line where reading stopped, goes to standard error) or\n"
    "OUT could not be written; 2 wrong usage; 3 read with losses: the picture\n"
    "was written, but at least one value took its fallback (each is reported as\n"
    "a warning).\n";

constexpr int kUsage = 2;
constexpr int kFailed = 1;
constexpr int kLosses = 3;
constexpr const char* kTool = "uxrender";
constexpr float kMaxScale = 16;

struct TOptions {
  std::string In, Out;
  std::optional<TuiPoint> Size;
  float Scale = 1;
};

int Usage(const std::string& Problem) {
  std::fprintf(stderr, "uxrender: %s\nTry 'uxrender --help'.\n", Problem.c_str());
  return kUsage;
}

// A whole number of layout units, 1 or more; none for anything else.
std::optional<float> Extent(const std::string& Text) {
  if (Text.empty() || Text.size() > 5 || Text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const long v = std::strtol(Text.c_str(), nullptr, 10);
  if (v < 1) return std::nullopt;
  return float(v);
}

std::optional<TuiPoint> ParseSize(const std::string& Text) {
  const size_t x = Text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  const auto w = Extent(Text.substr(0, x)), h = Extent(Text.substr(x + 1));
  if (!w || !h) return std::nullopt;
  return TuiPoint{*w, *h};
}

std::optional<float> ParseScale(const std::string& Text) {
  char* end = nullptr;
  const double v = std::strtod(Text.c_str(), &end);
  if (Text.empty() || *end || !std::isfinite(v) || v <= 0 || v > kMaxScale) return std::nullopt;
  return float(v);
}

// Empty when the arguments are usable, else the problem.
std::string ParseArguments(const std::vector<std::string>& Args, TOptions& O) {
  std::vector<std::string> files;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--size" || a == "--scale") {
      if (i + 1 == Args.size()) return a + " needs a value";
      const std::string& v = Args[++i];
      if (a == "--size") {
        O.Size = ParseSize(v);
        if (!O.Size) return "--size takes WIDTHxHEIGHT in whole units, as 320x200, not '" + v + "'";
      } else {
        const auto s = ParseScale(v);
        if (!s) return "--scale takes a number above 0 and at most 16, not '" + v + "'";
        O.Scale = *s;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return "give an input and an output";
  O.In = files[0];
  O.Out = files[1];
  return {};
}

// The painted picture as PNG bytes.
std::vector<uint8_t> Render(const TOptions& O, TuiVisualObject& Root) {
  const std::string in = uxDescribeInput(O.In);
  if (!(Root.Width() > 0 && Root.Height() > 0))
    throw EuxToolError(in + ": the root " + Root.Name() + " has no area to paint");
  const TuiPoint area = O.Size.value_or(TuiPoint{Root.Width(), Root.Height()});
  const double w = RoundHalfEven(double(area.X) * O.Scale), h = RoundHalfEven(double(area.Y) * O.Scale);
  if (w < 1 || h < 1 || w > TuiFilter::MaxSide || h > TuiFilter::MaxSide ||
      w * h > double(TuiFilter::MaxPixels))
    throw EuxToolError(in + ": a picture of " + std::to_string(int64_t(w)) + " x " +
                       std::to_string(int64_t(h)) + " pixels is beyond the limits");

  TuiBufferedScene host{int32_t(w), int32_t(h)};
  host.AddObject(&Root);
  struct TDetach {
    TuiBufferedScene& Host;
    TuiVisualObject& Root;
    ~TDetach() { Host.RemoveObject(&Root); }
  } detach{host, Root};

  TuiCanvas& canvas = host.Buffer();
  canvas.Clear(0);
  if (canvas.BeginScene()) {
    struct TEnd {
      TuiCanvas& C;
      ~TEnd() { C.EndScene(); }
    } end{canvas};
    TuiPainter::PaintTo(Root, canvas, {0, 0, Root.Width() * O.Scale, Root.Height() * O.Scale});
  }
  TuiBitmap picture;
  canvas.AssignTo(&picture);
  std::vector<uint8_t> png;
  const auto filter = TuiFilterRegistry::Instance().CreateDefault();
  if (!filter || !filter->SaveToBytes(png, picture, "png", {}))
    throw EuxToolError(in + ": the picture does not encode");
  return png;
}

int Run(const TOptions& O) {
  RegisterCairoCanvas();
  RegisterDraw2dClasses();
  RegisterEffectClasses();
  RegisterControlClasses();
  bool binary;
  const auto tree = uxReadToolTree(O.In, uxReadToolInput(O.In, kTool), binary, false, kTool);
  std::string stream;
  try {
    stream = tree->ToBinary();
  } catch (const EuxError& e) {
    throw EuxToolError(uxDescribeInput(O.In) + ": " + e.what());
  }
  const TuiToolObjects objects = uxReadToolObjects(O.In, stream, kTool);
  auto* root = dynamic_cast<TuiVisualObject*>(objects.Root);
  if (!root)
    throw EuxToolError(uxDescribeInput(O.In) + ": the root " + objects.Root->ClassName() +
                       " is no visual object");
  std::vector<uint8_t> png;
  try {
    png = Render(O, *root);
  } catch (const EuxToolError&) {
    throw;
  } catch (const EuxError& e) {
    throw EuxToolError(uxDescribeInput(O.In) + ": " + e.what());
  }
  uxWriteToolOutput(O.Out, std::string(png.begin(), png.end()));
  return objects.Losses ? kLosses : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  TOptions options;
  if (const std::string problem = ParseArguments(args, options); !problem.empty()) return Usage(problem);
  if (options.Out == "-" && isatty(STDOUT_FILENO)) {
    std::fprintf(stderr, "uxrender: a picture would go to the terminal; name an output file\n");
    return kUsage;
  }
  TuiReadBudget budget(TuiReadBudget::ProcessPixels);
  try {
    return Run(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uxrender: %s\n", e.what());
    return kFailed;
  }
}
