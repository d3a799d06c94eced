#include "draw2d/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/Prefault.h"
#include "scene2d/Errors.h"
#include "scene2d/VisualObject.h"

UX_IMPLEMENT_CLASS(TuiCanvas)

namespace {

std::unique_ptr<TuiCanvasClass>& DefaultClassSlot() {
  static std::unique_ptr<TuiCanvasClass> slot;
  return slot;
}

}  // namespace

std::function<void(TuiVisualObject&, TuiCanvas&, const TuiRect&)> TuiCanvas::VisualPainter;

// ---- the default class ----

void TuiCanvas::SetDefaultCanvasClass(const TuiCanvasClass& Class) {
  DefaultClassSlot() = std::make_unique<TuiCanvasClass>(Class);
  TuiBitmap::CanvasFactory = [](TuiBitmap& Bitmap) {
    return TuiBitmap::TCanvasHolder(CreateCanvas(Bitmap).release(), [](TuiCanvas* C) { delete C; });
  };
}

bool TuiCanvas::RegisterDefaultCanvasClass(const TuiCanvasClass& Class) {
  if (DefaultClassSlot()) return false;
  SetDefaultCanvasClass(Class);
  return true;
}

const TuiCanvasClass* TuiCanvas::DefaultCanvasClass() {
  return DefaultClassSlot().get();
}

std::unique_ptr<TuiCanvas> TuiCanvas::CreateCanvas(int32_t Width, int32_t Height) {
  const TuiCanvasClass* c = DefaultCanvasClass();
  return c && c->CreateBuffered ? c->CreateBuffered(Width, Height) : nullptr;
}

std::unique_ptr<TuiCanvas> TuiCanvas::CreateCanvas(TuiBitmap& Bitmap) {
  const TuiCanvasClass* c = DefaultCanvasClass();
  return c && c->CreateOnBitmap ? c->CreateOnBitmap(Bitmap) : nullptr;
}

// ---- construction ----

TuiCanvas::TuiCanvas(bool Buffered, TuiBitmap* Bitmap)
    : FFill(std::make_unique<TuiBrush>(uxBrushSolid, 0xFFFFFFFF)),
      FStroke(std::make_unique<TuiBrush>(uxBrushSolid, 0xFF000000)),
      FFont(std::make_unique<TuiFont>()),
      FBitmap(Bitmap),
      FBuffered(Buffered) {
  FFont->OnChanged = [this](TuiFont*) { FontChanged(); };
}

TuiCanvas::~TuiCanvas() {
  FFont->OnChanged = nullptr;
  BufferFreeing();
}

void TuiCanvas::AllocateBuffer() {
  BufferFreeing();
  FBufferBits.reset();
  const size_t count = size_t(FWidth) * size_t(FHeight);
  FBufferBits.reset(new (std::nothrow) uint32_t[count]);
  if (!FBufferBits) throw EuxError("Can't allocate the DIB handle");
  platform::PrefaultForWriting(FBufferBits.get(), count * 4);
}

// ---- state ----

void TuiCanvas::SetStrokeDash(TuiStrokeDash Value) {
  if (Value == FStrokeDash) return;
  FStrokeDash = Value;
  switch (Value) {
    case uxDashSolid:
      FDashPattern.clear();
      break;
    case uxDashDash:
      FDashPattern = {3, 1};
      break;
    case uxDashDot:
      FDashPattern = {1, 1};
      break;
    case uxDashDashDot:
      FDashPattern = {3, 1, 1, 1};
      break;
    case uxDashDashDotDot:
      FDashPattern = {3, 1, 1, 1, 1, 1};
      break;
    case uxDashCustom:
      return;
  }
  FDashOffset = 0;
}

// ---- buffers ----

void TuiCanvas::FreeBuffer() {
  BufferFreeing();
  FBufferBits.reset();
}

void TuiCanvas::FlushBuffer(int32_t X, int32_t Y, IuxPixelTarget* Target) {
  if (!FBufferBits || !Target) return;
  FlushPixels();
  Target->PutPixels(X, Y, FBufferBits.get(), FWidth, FWidth, FHeight);
}

void TuiCanvas::FlushBufferRect(int32_t X, int32_t Y, IuxPixelTarget* Target, const TuiRect& Rect) {
  if (!FBufferBits || !Target) return;
  auto clamp = [](double V, int32_t Limit) {
    return int32_t(std::clamp(std::isnan(V) ? 0.0 : V, 0.0, double(Limit)));
  };
  const int32_t left = clamp(std::trunc(double(Rect.Left)), FWidth);
  const int32_t top = clamp(std::trunc(double(Rect.Top)), FHeight);
  const int32_t right = clamp(std::trunc(double(Rect.Right)) + 1, FWidth);
  const int32_t bottom = clamp(std::trunc(double(Rect.Bottom)) + 1, FHeight);
  if (left >= right || top >= bottom) return;
  FlushPixels();
  Target->PutPixels(X + left, Y + top, FBufferBits.get() + size_t(top) * FWidth + left, FWidth, right - left,
                    bottom - top);
}

void TuiCanvas::Clear(TuiColor Color) {
  if (!FBufferBits) return;
  FlushPixels();
  FillRows(0, FWidth, 0, FHeight, Color);
  PixelsChanged();
}

void TuiCanvas::ClearRect(const TuiRect& Rect, TuiColor Color) {
  if (!FBufferBits) return;
  auto clamp = [](double V, int32_t Limit) {
    return int32_t(std::clamp(std::isnan(V) ? 0.0 : V, 0.0, double(Limit)));
  };
  const int32_t left = clamp(std::trunc(double(Rect.Left)), FWidth);
  const int32_t top = clamp(std::trunc(double(Rect.Top)), FHeight);
  const int32_t right = clamp(RoundHalfEven(Rect.Right), FWidth);
  const int32_t bottom = clamp(RoundHalfEven(Rect.Bottom), FHeight);
  if (left >= right || top >= bottom) return;
  FlushPixels();
  FillRows(left, right, top, bottom, Color);
  PixelsChanged();
}

void TuiCanvas::FillRows(int32_t Left, int32_t Right, int32_t Top, int32_t Bottom, TuiColor Color) {
  // Every frame starts with a clear. One row is filled word by word, the
  // others copied from it: block copies run several times faster.
  uint32_t* first = FBufferBits.get() + size_t(Top) * FWidth + Left;
  const size_t count = size_t(Right - Left);
  std::fill_n(first, count, Color);
  for (int32_t y = Top + 1; y < Bottom; ++y)
    std::memcpy(first + size_t(y - Top) * FWidth, first, count * sizeof(uint32_t));
}

void TuiCanvas::CopyBuffer(uint32_t* Dest) {
  if (!FBufferBits || !Dest) return;
  FlushPixels();
  std::copy_n(FBufferBits.get(), size_t(FWidth) * size_t(FHeight), Dest);
}

void TuiCanvas::ReadBufferRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, uint32_t* Dest) {
  if (!FBufferBits) return;
  FlushPixels();
  const size_t count = size_t(Right - Left);
  for (int32_t y = Top; y < Bottom; ++y, Dest += count)
    std::copy_n(FBufferBits.get() + size_t(y) * FWidth + Left, count, Dest);
}

void TuiCanvas::WriteBufferRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                                const uint32_t* Source) {
  if (!FBufferBits) return;
  FlushPixels();
  const size_t count = size_t(Right - Left);
  for (int32_t y = Top; y < Bottom; ++y, Source += count)
    std::copy_n(Source, count, FBufferBits.get() + size_t(y) * FWidth + Left);
  PixelsChanged();
}

void TuiCanvas::AssignTo(TuiPersistent* Dest) {
  auto* bitmap = dynamic_cast<TuiBitmap*>(Dest);
  if (!bitmap) {
    throw EuxConvertError("Cannot assign a " + ClassName() + " to a " +
                          (Dest ? Dest->ClassName() : std::string("nil")));
  }
  bitmap->SetSize(FWidth, FHeight);
  if (!FBuffered || !FBufferBits || bitmap->IsEmpty()) return;
  FlushPixels();
  for (int32_t y = 0; y < FHeight; ++y)
    std::copy_n(FBufferBits.get() + size_t(y) * FWidth, FWidth, bitmap->Scanline(y));
  bitmap->Changed();
}

// ---- transformation and saved states ----

void TuiCanvas::SetMatrix(const TuiMatrix& M) {
  FMatrix = M;
}

int32_t TuiCanvas::SaveCanvas() {
  if (!HasSurface()) return -1;
  const int32_t handle = SaveBackendState();
  auto free = std::find_if(FSaved.begin(), FSaved.end(), [](const TuiSaveData& S) { return S.Handle == -1; });
  if (free == FSaved.end()) free = FSaved.insert(FSaved.end(), TuiSaveData{});
  TuiSaveData& s = *free;
  // The paint pass saves around every object of every frame; a slot's copies
  // are made once and then only assigned, which for unchanged brushes and
  // fonts compares and copies nothing.
  if (!s.Stroke) {
    s.Stroke = std::make_unique<TuiBrush>(FStroke->DefaultStyle(), FStroke->DefaultColor());
    s.Fill = std::make_unique<TuiBrush>(FFill->DefaultStyle(), FFill->DefaultColor());
    s.Font = std::make_unique<TuiFont>();
  }
  s.Handle = handle;
  s.Matrix = FMatrix;
  s.Stroke->Assign(*FStroke);
  s.Fill->Assign(*FFill);
  s.StrokeThickness = FStrokeThickness;
  s.StrokeCap = FStrokeCap;
  s.StrokeJoin = FStrokeJoin;
  s.StrokeDash = FStrokeDash;
  if (FStrokeDash != uxDashSolid) s.DashPattern.assign(FDashPattern.begin(), FDashPattern.end());
  s.DashOffset = FDashOffset;
  s.Font->Assign(*FFont);
  return int32_t(free - FSaved.begin());
}

void TuiCanvas::RestoreCanvas(int32_t Index) {
  if (Index < 0 || size_t(Index) >= FSaved.size() || FSaved[size_t(Index)].Handle == -1) return;
  TuiSaveData& s = FSaved[size_t(Index)];
  if (!HasSurface()) return;
  RestoreBackendState(s.Handle);
  s.Handle = -1;
  FStroke->Assign(*s.Stroke);
  FFill->Assign(*s.Fill);
  SetMatrix(s.Matrix);
  FStrokeThickness = s.StrokeThickness;
  FStrokeCap = TuiStrokeCap(s.StrokeCap);
  FStrokeJoin = TuiStrokeJoin(s.StrokeJoin);
  FStrokeDash = TuiStrokeDash(s.StrokeDash);
  // Swapped, so that both vectors keep their memory for the next save.
  if (FStrokeDash != uxDashSolid) FDashPattern.swap(s.DashPattern);
  FDashOffset = s.DashOffset;
  FFont->Assign(*s.Font);
}

// ---- visual brushes ----

void TuiCanvas::PaintVisual(const TuiPaint& Paint, const std::function<void()>& ClipToShape) {
  const int32_t state = SaveCanvas();
  struct TRestore {
    TuiCanvas& Canvas;
    int32_t State;
    ~TRestore() { Canvas.RestoreCanvas(State); }
  } restore{*this, state};
  ClipToShape();
  // An object whose look contains its own picture would never end.
  if (!Paint.Visual || !VisualPainter || FVisualDepth >= TuiPaint::MaxVisualDepth) return;
  TuiVisualObject& object = *Paint.Visual;
  struct TPainting {
    TuiVisualObject& Object;
    float Opacity;
    int& Depth;
    ~TPainting() {
      Object.SetOpacity(Opacity);
      --Depth;
    }
  } painting{object, object.Opacity(), ++FVisualDepth};
  object.SetOpacity(Paint.Opacity);
  VisualPainter(object, *this, Paint.VisualRect);
}

// ---- polygons, arcs and sides ----

void TuiCanvas::PolygonToPath(TuiPathData& Path, const TuiPolygon& Polygon, bool CloseLast) {
  bool start = true;
  for (const TuiPoint& p : Polygon) {
    if (p == PolygonFigureEnd) {
      if (!start) Path.ClosePath();
      start = true;
    } else if (start) {
      Path.MoveTo(p);
      start = false;
    } else {
      Path.LineTo(p);
    }
  }
  if (CloseLast && !start) Path.ClosePath();
}

void TuiCanvas::FillPolygon(const TuiPolygon& Polygon, float Opacity) {
  TuiPathData path;
  PolygonToPath(path, Polygon, true);
  FillPath(path, path.GetBounds(), Opacity);
}

void TuiCanvas::DrawPolygon(const TuiPolygon& Polygon, float Opacity) {
  TuiPathData path;
  PolygonToPath(path, Polygon, false);
  DrawPath(path, path.GetBounds(), Opacity);
}

void TuiCanvas::FillArc(const TuiPoint& Center, const TuiPoint& Radius, float StartAngle, float SweepAngle,
                        float Opacity) {
  TuiPathData path;
  path.AddArc(Center, Radius, StartAngle, SweepAngle);
  FillPath(path, path.GetBounds(), Opacity);
}

void TuiCanvas::DrawArc(const TuiPoint& Center, const TuiPoint& Radius, float StartAngle, float SweepAngle,
                        float Opacity) {
  TuiPathData path;
  path.AddArc(Center, Radius, StartAngle, SweepAngle);
  DrawPath(path, path.GetBounds(), Opacity);
}

float TuiCanvas::TextWidth(std::string_view Text) {
  TuiRect r{0, 0, 10000, 20};
  MeasureText(r, Text, false, uxTextAlignNear, uxTextAlignCenter);
  return r.Width();
}

void TuiCanvas::TextOffsets(std::string_view Text, std::vector<float>& Offsets) {
  Offsets.assign(Text.size() + 1, 0);
  for (size_t i = 0; i < Text.size(); ++i) Offsets[i + 1] = Offsets[i] + TextWidth(Text.substr(i, 1));
}

bool TuiCanvas::IsPlainRect(bool ForFill, float XRadius, float YRadius, TuiCorners Corners) {
  if (ForFill) return (XRadius == 0 && YRadius == 0) || (Corners & AllCorners) == 0;
  return XRadius < 1e-40f && YRadius < 1e-40f;
}

void TuiCanvas::BuildRectSides(TuiPathData& Path, const TuiRect& R, float XRadius, float YRadius,
                               TuiCorners Corners, TuiSides Sides, TuiCornerType CornerType) {
  const float w = R.Right - R.Left, h = R.Bottom - R.Top;
  if (w - 2 * XRadius < 0) XRadius = w / 2;
  if (h - 2 * YRadius < 0) YRadius = h / 2;
  // Each corner runs from Corner + From to Corner + To, the vectors pointing
  // along its two sides; FromSide and ToSide are the sides those half-edges
  // belong to. The curves' control points sit at half the radius.
  struct TCorner {
    TuiCorner Which;
    TuiPoint Corner, From, To;
    TuiSide FromSide, ToSide;
  };
  const TCorner corners[] = {
      {uxCornerTopLeft, {R.Left, R.Top}, {0, YRadius}, {XRadius, 0}, uxSideLeft, uxSideTop},
      {uxCornerTopRight, {R.Right, R.Top}, {-XRadius, 0}, {0, YRadius}, uxSideTop, uxSideRight},
      {uxCornerBottomRight, {R.Right, R.Bottom}, {0, -YRadius}, {-XRadius, 0}, uxSideRight, uxSideBottom},
      {uxCornerBottomLeft, {R.Left, R.Bottom}, {XRadius, 0}, {0, -YRadius}, uxSideBottom, uxSideLeft},
  };
  auto at = [](const TCorner& C, float Ka, float Kb) {
    return TuiPoint{C.Corner.X + Ka * C.From.X + Kb * C.To.X, C.Corner.Y + Ka * C.From.Y + Kb * C.To.Y};
  };
  auto has = [Sides](TuiSide S) { return (Sides & (1u << S)) != 0; };
  auto edge = [&](TuiSide S, const TuiPoint& P) { has(S) ? Path.LineTo(P) : Path.MoveTo(P); };
  constexpr float k = 0.5f;
  Path.MoveTo(at(corners[0], 1, 0));
  for (size_t i = 0; i < 4; ++i) {
    const TCorner& c = corners[i];
    if (i > 0) edge(c.FromSide, at(c, 1, 0));  // the straight side before this corner
    if (!(Corners & (1u << c.Which))) {
      edge(c.FromSide, c.Corner);
      edge(c.ToSide, at(c, 0, 1));
      continue;
    }
    switch (CornerType) {
      case uxCornerRound:
        Path.CurveTo(at(c, k, 0), at(c, 0, k), at(c, 0, 1));
        break;
      case uxCornerBevel:
        Path.LineTo(at(c, 0, 1));
        break;
      case uxCornerInnerRound:
        Path.CurveTo(at(c, 1, k), at(c, k, 1), at(c, 0, 1));
        break;
      case uxCornerInnerLine:
        Path.LineTo(at(c, 1, k));
        Path.LineTo(at(c, k, 1));
        Path.LineTo(at(c, 0, 1));
        break;
    }
  }
  edge(uxSideLeft, at(corners[0], 1, 0));
}

void TuiCanvas::DrawRectSides(const TuiRect& Rect, float XRadius, float YRadius, TuiCorners Corners,
                              float Opacity, TuiSides Sides, TuiCornerType CornerType) {
  TuiPathData path;
  BuildRectSides(path, Rect, XRadius, YRadius, Corners, Sides, CornerType);
  DrawPath(path, Rect, Opacity);
}
