// The canvas side by side with the raster painter of a widely used toolkit
// (QPainter on a QImage in premultiplied ARGB, so Qt's raster engine) on the
// same pictures: the settings window's frame, its panel alone, its shapes
// without the captions, and one LED repaint.
//
// Qt paints "the same picture" by replaying the canvas calls recorded while
// the canvas painted it: every clear, matrix, saved state, shape and caption
// with the paint the canvas worked out for it (colours with the opacity
// applied, gradient stops, the brush-to-user matrix), turned into QBrush and
// QPen once when recorded, as a program keeping its brushes would. Both
// painters run in every iteration, one after the other, each timed on the
// thread's CPU clock; the upper halves of the vector registers are cleared
// between them, since code that leaves them dirty slows the SSE code of the
// other by several times.
//
// Before timing, each picture is painted once by both and the two are
// compared word by word; the differences are printed. --write-pictures DIR
// also writes both as PNG.
#include <benchmark/benchmark.h>
#include <immintrin.h>
#include <time.h>

#include <QBrush>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QRadialGradient>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/SettingsPicture.h"
#include "draw2d/cairo/CanvasCairo.h"

namespace {

enum TOpKind : uint8_t {
  opClear,
  opClearRect,
  opMatrix,
  opSave,
  opRestore,
  opFillRect,
  opDrawRect,
  opFillEllipse,
  opDrawEllipse,
  opText,
};

struct TOp {
  TOpKind Kind = opSave;
  QRectF Rect{};
  qreal XRadius = 0, YRadius = 0;
  QColor Color{};
  QTransform Matrix{};
  QBrush Brush{};
  QPen Pen{};
  QString Text{};
  int Flags = 0;
};

QTransform ToQt(const TuiMatrix& M) {
  return QTransform(M.M[0][0], M.M[0][1], M.M[1][0], M.M[1][1], M.M[2][0], M.M[2][1]);
}

QRectF ToQt(const TuiRect& R) {
  return QRectF(QPointF(R.Left, R.Top), QPointF(R.Right, R.Bottom));
}

QBrush ToQt(const TuiPaint& P) {
  if (P.Kind == uxPaintSolid) return QBrush(QColor::fromRgba(P.Color));
  if (P.Kind != uxPaintLinear && P.Kind != uxPaintRadial)
    throw std::logic_error("only solid and gradient paints are replayed");
  QGradientStops stops;
  for (const TuiGradientStop& s : P.Stops) stops.append({s.Offset, QColor::fromRgba(s.Color)});
  QGradient g = P.Kind == uxPaintLinear
                    ? QGradient(QLinearGradient(QPointF(P.Start.X, P.Start.Y), QPointF(P.Stop.X, P.Stop.Y)))
                    : QGradient(QRadialGradient(QPointF(0, 0), 1));
  g.setStops(stops);
  g.setSpread(P.Extend == uxExtendRepeat    ? QGradient::RepeatSpread
              : P.Extend == uxExtendReflect ? QGradient::ReflectSpread
                                            : QGradient::PadSpread);
  QBrush b(g);
  b.setTransform(ToQt(P.BrushToUser));
  return b;
}

int ToQt(TuiTextAlign H, TuiTextAlign V) {
  const int h = H == uxTextAlignNear  ? Qt::AlignLeft
                : H == uxTextAlignFar ? Qt::AlignRight
                                      : Qt::AlignHCenter;
  const int v = V == uxTextAlignNear  ? Qt::AlignTop
                : V == uxTextAlignFar ? Qt::AlignBottom
                                      : Qt::AlignVCenter;
  // The canvas never clips text to its rectangle.
  return h | v | Qt::TextSingleLine | Qt::TextDontClip;
}

// The Cairo canvas that also writes down what it is asked to paint, and can
// leave the captions out.
class TRecordingCanvas : public TuiCanvasCairo {
 public:
  using TuiCanvasCairo::TuiCanvasCairo;

  std::vector<TOp>* Ops = nullptr;  // recording while set
  bool Captions = true;

  void Clear(TuiColor Color) override {
    Add({.Kind = opClear, .Color = QColor::fromRgba(Color)});
    TuiCanvasCairo::Clear(Color);
  }
  void ClearRect(const TuiRect& Rect, TuiColor Color) override {
    Add({.Kind = opClearRect, .Rect = ToQt(Rect), .Color = QColor::fromRgba(Color)});
    TuiCanvasCairo::ClearRect(Rect, Color);
  }
  void SetMatrix(const TuiMatrix& M) override {
    Add({.Kind = opMatrix, .Matrix = ToQt(M)});
    TuiCanvasCairo::SetMatrix(M);
  }
  int32_t SaveCanvas() override {
    Add({.Kind = opSave});
    return TuiCanvasCairo::SaveCanvas();
  }
  void RestoreCanvas(int32_t Index) override {
    Add({.Kind = opRestore});
    TuiCanvasCairo::RestoreCanvas(Index);
  }
  void FillRect(const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                TuiCornerType CornerType) override {
    CheckCorners(Corners, CornerType);
    if (Ops)
      Add({.Kind = opFillRect,
           .Rect = ToQt(R),
           .XRadius = XRadius,
           .YRadius = YRadius,
           .Brush = ToQt(FillPaint(TuiBrushBox::Shape(R), Opacity))});
    TuiCanvasCairo::FillRect(R, XRadius, YRadius, Corners, Opacity, CornerType);
  }
  void DrawRect(const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                TuiCornerType CornerType) override {
    CheckCorners(Corners, CornerType);
    if (Ops)
      Add({.Kind = opDrawRect,
           .Rect = ToQt(R),
           .XRadius = XRadius,
           .YRadius = YRadius,
           .Pen = Pen(R, Opacity)});
    TuiCanvasCairo::DrawRect(R, XRadius, YRadius, Corners, Opacity, CornerType);
  }
  void FillEllipse(const TuiRect& R, float Opacity) override {
    if (Ops)
      Add({.Kind = opFillEllipse,
           .Rect = ToQt(R),
           .Brush = ToQt(FillPaint(TuiBrushBox::Ellipse(R), Opacity))});
    TuiCanvasCairo::FillEllipse(R, Opacity);
  }
  void DrawEllipse(const TuiRect& R, float Opacity) override {
    if (Ops) Add({.Kind = opDrawEllipse, .Rect = ToQt(R), .Pen = Pen(R, Opacity)});
    TuiCanvasCairo::DrawEllipse(R, Opacity);
  }
  void FillText(const TuiRect& R, std::string_view Text, bool WordWrap, float Opacity, TuiTextAlign HAlign,
                TuiTextAlign VAlign) override {
    if (!Captions) return;
    if (Ops) {
      if (WordWrap) throw std::logic_error("only one-line captions are replayed");
      // Qt paints glyphs with the pen's brush.
      Add({.Kind = opText,
           .Rect = ToQt(R),
           .Pen = QPen(ToQt(TextPaint(R, Opacity)), 1),
           .Text = QString::fromLatin1(Text.data(), qsizetype(Text.size())),
           .Flags = ToQt(HAlign, VAlign)});
    }
    TuiCanvasCairo::FillText(R, Text, WordWrap, Opacity, HAlign, VAlign);
  }

 private:
  void Add(TOp Op) {
    if (Ops) Ops->push_back(std::move(Op));
  }
  static void CheckCorners(TuiCorners Corners, TuiCornerType CornerType) {
    if (Corners != AllCorners || CornerType != uxCornerRound)
      throw std::logic_error("only rectangles rounded on all corners are replayed");
  }
  QPen Pen(const TuiRect& R, float Opacity) {
    QPen pen(ToQt(StrokePaint(R, Opacity)), StrokeThickness(), Qt::SolidLine,
             StrokeCap() == uxCapRound ? Qt::RoundCap : Qt::FlatCap,
             StrokeJoin() == uxJoinRound   ? Qt::RoundJoin
             : StrokeJoin() == uxJoinBevel ? Qt::BevelJoin
                                           : Qt::MiterJoin);
    if (!DashPattern().empty()) throw std::logic_error("only solid pens are replayed");
    return pen;
  }
};

void Replay(QPainter& P, const std::vector<TOp>& Ops) {
  for (const TOp& op : Ops) {
    switch (op.Kind) {
      case opClear:
      case opClearRect: {
        // The canvas clears in device pixels, whatever its matrix.
        const QTransform t = P.worldTransform();
        P.resetTransform();
        P.setCompositionMode(QPainter::CompositionMode_Source);
        if (op.Kind == opClear)
          P.fillRect(
              P.device()->width() > 0 ? QRect(0, 0, P.device()->width(), P.device()->height()) : QRect(),
              op.Color);
        else
          P.fillRect(op.Rect, op.Color);
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        P.setTransform(t);
        break;
      }
      case opMatrix:
        P.setTransform(op.Matrix);
        break;
      case opSave:
        P.save();
        break;
      case opRestore:
        P.restore();
        break;
      case opFillRect:
        P.setPen(Qt::NoPen);
        P.setBrush(op.Brush);
        P.drawRoundedRect(op.Rect, op.XRadius, op.YRadius);
        break;
      case opDrawRect:
        P.setPen(op.Pen);
        P.setBrush(Qt::NoBrush);
        P.drawRoundedRect(op.Rect, op.XRadius, op.YRadius);
        break;
      case opFillEllipse:
        P.setPen(Qt::NoPen);
        P.setBrush(op.Brush);
        P.drawEllipse(op.Rect);
        break;
      case opDrawEllipse:
        P.setPen(op.Pen);
        P.setBrush(Qt::NoBrush);
        P.drawEllipse(op.Rect);
        break;
      case opText:
        P.setPen(op.Pen);
        P.drawText(op.Rect, op.Flags, op.Text);
        break;
    }
  }
}

// Code that used the 256-bit registers and did not clear their upper halves
// makes every later SSE instruction pay for a merge.
[[gnu::target("avx")]] void ZeroUpperAvx() {
  _mm256_zeroupper();
}

void ZeroUpper() {
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) ZeroUpperAvx();
}

double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One picture as both painters paint it.
struct TPicture {
  const char* Name;
  int Width, Height;
  bool Captions;
  void (*Paint)(TuiCanvas& C, int Step);
  void (*Prepare)(TuiCanvas& C);
  int Steps;  // different recordings painted in turn (the LED lit and dark)
};

void NoPrepare(TuiCanvas&) {}
void Frame(TuiCanvas& C, int) {
  uxbench::PaintSettingsFrame(C);
}
void Panel(TuiCanvas& C, int) {
  uxbench::PaintSettingsPanel(C);
}
void Led(TuiCanvas& C, int Step) {
  uxbench::PaintLed(C, Step == 0);
}

const TPicture Pictures[] = {
    {"SettingsFrame", 419, 336, true, &Frame, &NoPrepare, 1},
    {"SettingsShapes", 419, 336, false, &Frame, &NoPrepare, 1},
    {"SettingsPanel", 419, 336, true, &Panel, &NoPrepare, 1},
    {"LedRepaint", 40, 40, true, &Led, &uxbench::PrepareLed, 2},
};

QFont CaptionFont(TRecordingCanvas& C) {
  // The canvas finds Tahoma in the wine fonts without installing them.
  static const bool tahoma = [] {
    for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
      QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    return true;
  }();
  (void)tahoma;
  QFont f(QString::fromStdString(C.ResolvedFamily()));
  f.setPixelSize(int(std::lround(C.Font()->Size())));
  f.setHintingPreference(QFont::PreferVerticalHinting);
  return f;
}

// Both painters with their state kept across iterations, as a window keeps
// its canvas.
struct TPair {
  const TPicture& Picture;
  TRecordingCanvas Canvas;
  QImage Image;
  QPainter Painter;
  std::vector<std::vector<TOp>> Recorded;

  explicit TPair(const TPicture& P)
      : Picture(P), Canvas(P.Width, P.Height), Image(P.Width, P.Height, QImage::Format_ARGB32_Premultiplied) {
    Canvas.Captions = P.Captions;
    P.Prepare(Canvas);
    Recorded.resize(size_t(P.Steps));
    for (int s = 0; s < P.Steps; ++s) {
      Canvas.Ops = &Recorded[size_t(s)];
      P.Paint(Canvas, s);
    }
    Canvas.Ops = nullptr;
    Image.fill(0);
    Painter.begin(&Image);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setFont(CaptionFont(Canvas));
  }

  void PaintCanvas(int Step) { Picture.Paint(Canvas, Step); }
  void PaintQt(int Step) { Replay(Painter, Recorded[size_t(Step)]); }
};

struct TDifference {
  int Differing = 0;      // pixels not the same word
  int Visible = 0;        // pixels with a channel more than 8 apart
  int MaxChannel = 0;     // the largest difference in one channel
  int Left = 0, Top = 0;  // the box of the visible differences
  int Right = -1, Bottom = -1;
};

TDifference Compare(const uint32_t* A, const QImage& B) {
  TDifference d;
  d.Left = B.width();
  d.Top = B.height();
  for (int y = 0; y < B.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(B.constScanLine(y));
    for (int x = 0; x < B.width(); ++x) {
      const uint32_t a = A[y * B.width() + x], b = row[x];
      if (a == b) continue;
      ++d.Differing;
      int most = 0;
      for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
      d.MaxChannel = std::max(d.MaxChannel, most);
      if (most > 8) {
        ++d.Visible;
        d.Left = std::min(d.Left, x);
        d.Top = std::min(d.Top, y);
        d.Right = std::max(d.Right, x);
        d.Bottom = std::max(d.Bottom, y);
      }
    }
  }
  return d;
}

void ComparePictures(const char* WriteTo) {
  std::printf("Pictures, canvas against QPainter (premultiplied words):\n");
  for (const TPicture& p : Pictures) {
    for (int s = 0; s < p.Steps; ++s) {
      TPair pair(p);
      pair.PaintCanvas(s);
      pair.PaintQt(s);
      pair.Painter.end();
      const TDifference d = Compare(pair.Canvas.BufferBits(), pair.Image);
      std::printf("  %-15s %d: %6d of %6d pixels differ, %6d by more than 8 (largest %3d)", p.Name, s,
                  d.Differing, p.Width * p.Height, d.Visible, d.MaxChannel);
      if (d.Visible) std::printf(", within (%d, %d)-(%d, %d)", d.Left, d.Top, d.Right + 1, d.Bottom + 1);
      std::printf("\n");
      if (WriteTo) {
        const std::string stem = std::string(WriteTo) + "/" + p.Name + "-" + std::to_string(s);
        QImage ours(reinterpret_cast<const uchar*>(pair.Canvas.BufferBits()), p.Width, p.Height,
                    QImage::Format_ARGB32_Premultiplied);
        ours.save(QString::fromStdString(stem + "-canvas.png"));
        pair.Image.save(QString::fromStdString(stem + "-qt.png"));
      }
    }
  }
  std::printf("\n");
}

// Each iteration paints with both; Arg 0 reports the canvas's time, Arg 1
// Qt's. Running the two in one loop keeps them under the same conditions.
void BM_Paint(benchmark::State& State, const TPicture* Picture) {
  TPair pair(*Picture);
  const bool qt = State.range(0) == 1;
  int step = 0;
  for (auto _ : State) {
    const double t0 = ThreadSeconds();
    pair.PaintCanvas(step);
    ZeroUpper();
    const double t1 = ThreadSeconds();
    pair.PaintQt(step);
    ZeroUpper();
    const double t2 = ThreadSeconds();
    State.SetIterationTime(qt ? t2 - t1 : t1 - t0);
    step = (step + 1) % Picture->Steps;
  }
  State.SetLabel(qt ? "QPainter" : "canvas");
}

// Prints the canvas's time over Qt's for each picture after the runs.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    // With repetitions the median, which comes after the single runs.
    for (const Run& r : Runs)
      if (r.run_type != Run::RT_Aggregate || r.aggregate_name == "median") {
        const std::string name = r.run_name.function_name;
        const double t = r.GetAdjustedRealTime();
        (r.run_name.args == "1" ? FQt : FCanvas)[name] = t;
      }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nCanvas time over QPainter time:\n");
    for (const auto& [name, t] : FCanvas)
      if (FQt.count(name) && FQt[name] > 0) std::printf("  %-28s %.2fx\n", name.c_str(), t / FQt[name]);
  }

 private:
  std::map<std::string, double> FCanvas, FQt;
};

}  // namespace

int main(int argc, char** argv) {
  // Qt's font database needs an application; no display is involved.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  RegisterCairoCanvas();

  const char* writeTo = nullptr;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::string(argv[i]) == "--write-pictures" && i + 1 < argc)
      writeTo = argv[++i];
    else
      args.push_back(argv[i]);
  }
  int benchArgc = int(args.size());
  ComparePictures(writeTo);

  for (const TPicture& p : Pictures)
    benchmark::RegisterBenchmark(p.Name, &BM_Paint, &p)
        ->Arg(0)
        ->Arg(1)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&benchArgc, args.data());
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
