#include "draw2d/cairo/CanvasCairo.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "draw2d/cairo/BrushCairo.h"
#include "draw2d/cairo/ShapeCacheCairo.h"
#include "draw2d/cairo/TextLayoutCairo.h"
#include "scene2d/Errors.h"

UX_IMPLEMENT_CLASS(TuiCanvasCairo)

namespace {

// Cairo's image surfaces end there.
constexpr int32_t MaxSide = 32767;
// Control points of a quarter ellipse sit this fraction of the radius out.
constexpr double Kappa = 0.5522847498;
// How far, in device pixels, flattened curves may stray from the true ones.
// Cairo's default of a tenth of a pixel gives a small circle many more edges
// than anti-aliasing can show, and stroking them is most of what drawing one
// costs. A quarter only shades the rim pixels of curves a little differently.
constexpr double Tolerance = 0.25;

cairo_matrix_t ToCairo(const TuiMatrix& M) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, M.M[0][0], M.M[0][1], M.M[1][0], M.M[1][1], M.M[2][0], M.M[2][1]);
  // The projective column enters as a shear before the rest; the scene's
  // matrices leave it zero.
  if (M.M[0][2] != 0 || M.M[1][2] != 0) {
    cairo_matrix_t shear, product;
    cairo_matrix_init(&shear, 1, M.M[1][2], M.M[0][2], 1, 0, 0);
    cairo_matrix_multiply(&product, &shear, &m);
    m = product;
  }
  return m;
}

bool Invertible(cairo_matrix_t M) {
  return std::isfinite(M.xx) && std::isfinite(M.yx) && std::isfinite(M.xy) && std::isfinite(M.yy) &&
         std::isfinite(M.x0) && std::isfinite(M.y0) && cairo_matrix_invert(&M) == CAIRO_STATUS_SUCCESS;
}

bool Visible(float Opacity) {
  return Opacity > 0;
}

void EllipsePath(cairo_t* Cr, const TuiRect& R) {
  const double cx = (double(R.Left) + R.Right) / 2, cy = (double(R.Top) + R.Bottom) / 2;
  const double rx = (double(R.Right) - R.Left) / 2, ry = (double(R.Bottom) - R.Top) / 2;
  const double kx = rx * Kappa, ky = ry * Kappa;
  cairo_new_path(Cr);
  cairo_move_to(Cr, cx + rx, cy);
  cairo_curve_to(Cr, cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
  cairo_curve_to(Cr, cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
  cairo_curve_to(Cr, cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
  cairo_curve_to(Cr, cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
  cairo_close_path(Cr);
}

// The outline of a rectangle with the given corners as the current path.
void RectPath(cairo_t* Cr, bool ForFill, const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners,
              TuiCornerType CornerType) {
  cairo_new_path(Cr);
  if (TuiCanvas::IsPlainRect(ForFill, XRadius, YRadius, Corners)) {
    cairo_rectangle(Cr, R.Left, R.Top, R.Width(), R.Height());
    return;
  }
  // The path data's rounded outline, written straight into the context: the
  // paint pass draws many of them every frame.
  struct TCairoSink {
    cairo_t* Cr;
    void MoveTo(const TuiPoint& P) { cairo_move_to(Cr, P.X, P.Y); }
    void LineTo(const TuiPoint& P) { cairo_line_to(Cr, P.X, P.Y); }
    void CurveTo(const TuiPoint& C1, const TuiPoint& C2, const TuiPoint& P) {
      cairo_curve_to(Cr, C1.X, C1.Y, C2.X, C2.Y, P.X, P.Y);
    }
    void ClosePath() { cairo_close_path(Cr); }
  } sink{Cr};
  uxRectangleOutline(sink, R, Corners, CornerType, XRadius, YRadius);
}

using TShapeKey = TuiCairoShapeCache::TKey;

void ShapePath(cairo_t* Cr, const TShapeKey& K) {
  const TuiRect r{K.Rect[0], K.Rect[1], K.Rect[2], K.Rect[3]};
  switch (K.Shape) {
    case TuiCairoShapeCache::csFillRect:
    case TuiCairoShapeCache::csDrawRect:
      RectPath(Cr, K.Shape == TuiCairoShapeCache::csFillRect, r, K.Radius[0], K.Radius[1], K.Corners,
               K.CornerType);
      break;
    default:
      EllipsePath(Cr, r);
      break;
  }
}

bool IsStroke(const TShapeKey& K) {
  return K.Shape == TuiCairoShapeCache::csDrawRect || K.Shape == TuiCairoShapeCache::csDrawEllipse;
}

void SetPenGeometry(cairo_t* Cr, const TShapeKey& K) {
  cairo_set_line_width(Cr, K.LineWidth);
  cairo_set_line_cap(Cr, cairo_line_cap_t(K.Cap));
  cairo_set_line_join(Cr, cairo_line_join_t(K.Join));
  cairo_set_miter_limit(Cr, 10);
}

// The picture of the shape K describes, its top left corner (Left, Top) from
// the matrix's whole-pixel translation. Cr holds the canvas's matrix and
// measures the shape. None for a shape that covers nothing or is too large.
TuiCairoShapeCache::TEntry MakeKept(cairo_t* Cr, const cairo_matrix_t& M, const TShapeKey& K,
                                    const TuiPaint& Paint) {
  const bool stroke = IsStroke(K);
  ShapePath(Cr, K);
  double x1, y1, x2, y2;
  if (stroke) {
    SetPenGeometry(Cr, K);
    cairo_set_dash(Cr, nullptr, 0, 0);
    cairo_stroke_extents(Cr, &x1, &y1, &x2, &y2);
  } else {
    cairo_fill_extents(Cr, &x1, &y1, &x2, &y2);
  }
  cairo_new_path(Cr);
  if (!(x2 > x1) || !(y2 > y1)) return {};
  // One pixel more on each side than the extents say, for anti-aliasing.
  const double ix = std::floor(M.x0), iy = std::floor(M.y0);
  const double ax = M.xx * x1 + M.x0, bx = M.xx * x2 + M.x0;
  const double ay = M.yy * y1 + M.y0, by = M.yy * y2 + M.y0;
  const double left = std::floor(std::min(ax, bx)) - 1 - ix, right = std::ceil(std::max(ax, bx)) + 1 - ix;
  const double top = std::floor(std::min(ay, by)) - 1 - iy, bottom = std::ceil(std::max(ay, by)) + 1 - iy;
  // The outline of a large shape covers little of its box: stroking it costs
  // less than compositing the box.
  const double maxPixels = stroke ? TuiCairoShapeCache::MaxOutlinePixels : TuiCairoShapeCache::MaxPixels;
  if (!((right - left) * (bottom - top) <= maxPixels)) return {};
  TuiCairoShapeCache::TEntry e{nullptr, int32_t(left), int32_t(top), int32_t(right - left),
                               int32_t(bottom - top)};

  const bool solid = Paint.Kind == uxPaintSolid;
  const TuiCairoPaint source = solid ? TuiCairoPaint() : MakeCairoPaint(Paint);
  if (!solid && !source.Pattern) return {};
  cairo_surface_t* surface =
      cairo_image_surface_create(solid ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_ARGB32, e.Width, e.Height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_tolerance(cr, Tolerance);
  cairo_matrix_t m;
  cairo_matrix_init(&m, M.xx, 0, 0, M.yy, K.Phase[0] - e.Left, K.Phase[1] - e.Top);
  cairo_set_matrix(cr, &m);
  ShapePath(cr, K);
  // Solid shapes keep their coverage; the colour comes when they are drawn.
  if (solid)
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
  else
    cairo_set_source(cr, source.Pattern);
  if (stroke) {
    SetPenGeometry(cr, K);
    cairo_stroke(cr);
  } else {
    cairo_fill(cr);
  }
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  if (ok) {
    cairo_surface_flush(surface);
    e.Pattern = cairo_pattern_create_for_surface(surface);
  }
  cairo_surface_destroy(surface);
  return e;
}

// Path tests need no surface; one tiny context serves every canvas.
cairo_t* ScratchContext() {
  static cairo_t* cr = [] {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* c = cairo_create(s);
    cairo_surface_destroy(s);
    return c;
  }();
  return cr;
}

// This canvas class's image of a bitmap: a surface over its pixels, made when
// first drawn at full size, and a copy reduced to the size it was last drawn
// at when that is much smaller.
struct TSurfaceImage : TuiBitmapImage {
  explicit TSurfaceImage(cairo_surface_t* S) : Surface(S) {}
  ~TSurfaceImage() override {
    if (Surface) cairo_surface_destroy(Surface);
    if (Reduced) cairo_surface_destroy(Reduced);
  }
  cairo_surface_t* Surface;
  cairo_surface_t* Reduced = nullptr;
  // The bitmap's ChangeCount the reduced copy was made from.
  uint64_t ReducedVersion = 0;
};

// Below this scale a smooth draw averages many pixels for each one it writes,
// which costs every time the picture is drawn again; a reduced copy costs that
// once.
constexpr double ReduceBelow = 0.75;

std::unique_ptr<TuiCanvas> NewBuffered(int32_t Width, int32_t Height) {
  return std::make_unique<TuiCanvasCairo>(Width, Height);
}

std::unique_ptr<TuiCanvas> NewOnBitmap(TuiBitmap& Bitmap) {
  return std::make_unique<TuiCanvasCairo>(Bitmap);
}

}  // namespace

void RegisterCairoCanvas() {
  TuiCanvas::RegisterDefaultCanvasClass(TuiCanvasCairo::CanvasClass());
}

const TuiCanvasClass& TuiCanvasCairo::CanvasClass() {
  static const TuiCanvasClass c{&StaticClass(), &NewBuffered, &NewOnBitmap};
  return c;
}

// ---- construction and buffers ----

TuiCanvasCairo::TuiCanvasCairo(int32_t Width, int32_t Height)
    : TuiCanvas(true),
      FCairoMatrix(std::make_unique<cairo_matrix_t>()),
      FFonts(std::make_unique<TuiCairoFonts>()) {
  cairo_matrix_init_identity(FCairoMatrix.get());
  ResizeBuffer(Width, Height);
  FontChanged();
}

TuiCanvasCairo::TuiCanvasCairo(TuiBitmap& Bitmap)
    : TuiCanvas(false, &Bitmap),
      FCairoMatrix(std::make_unique<cairo_matrix_t>()),
      FFonts(std::make_unique<TuiCairoFonts>()) {
  cairo_matrix_init_identity(FCairoMatrix.get());
  ResizeBuffer(Bitmap.Width(), Bitmap.Height());
  FontChanged();
}

TuiCanvasCairo::~TuiCanvasCairo() {
  FreeBuffer();
}

cairo_surface_t* TuiCanvasCairo::BitmapSurface(TuiBitmap& Bitmap) {
  if (Bitmap.IsEmpty() || Bitmap.Width() > MaxSide || Bitmap.Height() > MaxSide) return nullptr;
  auto* image = static_cast<TSurfaceImage*>(Bitmap.Image(StaticClass()));
  if (!image || !image->Surface) {
    cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(Bitmap.Bits()),
                                                             CAIRO_FORMAT_ARGB32, Bitmap.Width(),
                                                             Bitmap.Height(), Bitmap.Width() * 4);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(s);
      return nullptr;
    }
    // The bitmap frees its images before the memory they wrap changes, so a
    // surface never outlives its pixels.
    if (!image) {
      Bitmap.SetImage(StaticClass(), std::make_unique<TSurfaceImage>(s));
    } else {
      image->Surface = s;
      image->TakePending(Bitmap);
    }
    return s;
  }
  // The surface wraps the pixels; it only has to drop what it cached of them.
  if (!image->IsCurrent(Bitmap)) {
    const TuiPixelRect r = image->TakePending(Bitmap);
    if (!r.IsEmpty())
      cairo_surface_mark_dirty_rectangle(image->Surface, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  }
  return image->Surface;
}

cairo_surface_t* TuiCanvasCairo::ReducedSurface(TuiBitmap& Bitmap, int32_t Width, int32_t Height) {
  auto* image = static_cast<TSurfaceImage*>(Bitmap.Image(StaticClass()));
  if (!image)
    image =
        static_cast<TSurfaceImage*>(Bitmap.SetImage(StaticClass(), std::make_unique<TSurfaceImage>(nullptr)));
  if (image->Reduced && image->ReducedVersion == Bitmap.ChangeCount() &&
      cairo_image_surface_get_width(image->Reduced) == Width &&
      cairo_image_surface_get_height(image->Reduced) == Height)
    return image->Reduced;
  // A deferred picture is decoded straight at about the size needed and never
  // at its own.
  std::unique_ptr<TuiBitmap> decoded = Bitmap.DecodedAtLeast(Width, Height);
  cairo_surface_t* from = BitmapSurface(decoded ? *decoded : Bitmap);
  if (!from) return nullptr;
  cairo_surface_reference(from);
  cairo_surface_t* reduced = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Width, Height);
  cairo_t* cr = cairo_create(reduced);
  cairo_scale(cr, double(Width) / cairo_image_surface_get_width(from),
              double(Height) / cairo_image_surface_get_height(from));
  cairo_set_source_surface(cr, from, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_destroy(from);
  if (!ok) {
    cairo_surface_destroy(reduced);
    return nullptr;
  }
  cairo_surface_flush(reduced);
  if (image->Reduced) cairo_surface_destroy(image->Reduced);
  image->Reduced = reduced;
  image->ReducedVersion = Bitmap.ChangeCount();
  return reduced;
}

void TuiCanvasCairo::ResizeBuffer(int32_t Width, int32_t Height) {
  if (!Buffered()) {
    // A bitmap canvas always has its bitmap's size.
    Width = Bitmap()->Width();
    Height = Bitmap()->Height();
  }
  Width = std::max(Width, 1);
  Height = std::max(Height, 1);
  if (Width == this->Width() && Height == this->Height() && FContext) return;
  FreeBuffer();
  StoreSize(Width, Height);
  if (!Buffered()) {
    if (cairo_surface_t* s = BitmapSurface(*Bitmap())) CreateContext(cairo_surface_reference(s));
    return;
  }
  if (Width > MaxSide || Height > MaxSide) throw EuxError("Can't allocate the DIB handle");
  AllocateBuffer();
  cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(BufferBits()),
                                                           CAIRO_FORMAT_ARGB32, Width, Height, Width * 4);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    ReleaseBuffer();
    throw EuxError("Can't create compatible DC");
  }
  CreateContext(s);
  if (cairo_status(FContext) != CAIRO_STATUS_SUCCESS) {
    FreeBuffer();
    throw EuxError("Can't select an object into DC");
  }
}

void TuiCanvasCairo::CreateContext(cairo_surface_t* Surface) {
  FSurface = Surface;
  FContext = cairo_create(Surface);
  cairo_set_tolerance(FContext, Tolerance);
  FDepth = 0;
  ApplyMatrix();
}

void TuiCanvasCairo::FreeBuffer() {
  if (FContext) cairo_destroy(FContext);
  if (FSurface) cairo_surface_destroy(FSurface);
  FContext = nullptr;
  FSurface = nullptr;
  FDepth = 0;
  TuiCanvas::FreeBuffer();
}

void TuiCanvasCairo::FlushPixels() {
  if (FSurface) cairo_surface_flush(FSurface);
}

void TuiCanvasCairo::PixelsChanged() {
  if (FSurface) cairo_surface_mark_dirty(FSurface);
}

void TuiCanvasCairo::CheckContext() {
  if (!FContext || cairo_status(FContext) == CAIRO_STATUS_SUCCESS) return;
  // A refused call leaves a Cairo context unusable for good; a new one on the
  // same surface loses only the saved states, which restores then skip.
  cairo_destroy(FContext);
  CreateContext(FSurface);
}

bool TuiCanvasCairo::CanDraw() {
  CheckContext();
  return FContext && FMatrixValid;
}

// ---- transformation, saved states, clipping ----

void TuiCanvasCairo::ApplyMatrix() {
  FMatrixValid = Invertible(*FCairoMatrix);
  if (FContext && FMatrixValid) cairo_set_matrix(FContext, FCairoMatrix.get());
}

void TuiCanvasCairo::SetMatrix(const TuiMatrix& M) {
  TuiCanvas::SetMatrix(M);
  *FCairoMatrix = ToCairo(M);
  ApplyMatrix();
}

void TuiCanvasCairo::MultiplyMatrix(const TuiMatrix& M) {
  const cairo_matrix_t m = ToCairo(M);
  cairo_matrix_t product;
  cairo_matrix_multiply(&product, &m, FCairoMatrix.get());
  *FCairoMatrix = product;
  ApplyMatrix();
}

int32_t TuiCanvasCairo::SaveBackendState() {
  CheckContext();
  cairo_save(FContext);
  return FDepth++;
}

void TuiCanvasCairo::RestoreBackendState(int32_t Handle) {
  // Restoring an outer state drops the inner ones, whose handles then no
  // longer match anything.
  while (FDepth > Handle && FDepth > 0) {
    cairo_restore(FContext);
    --FDepth;
  }
  cairo_get_matrix(FContext, FCairoMatrix.get());
  FMatrixValid = Invertible(*FCairoMatrix);
}

void TuiCanvasCairo::SetClipRects(std::span<const TuiRect> Rects) {
  CheckContext();
  if (!FContext) return;
  cairo_reset_clip(FContext);
  cairo_new_path(FContext);
  if (FMatrixValid)
    for (const TuiRect& r : Rects)
      if (r.Right > r.Left && r.Bottom > r.Top)
        cairo_rectangle(FContext, r.Left, r.Top, r.Width(), r.Height());
  cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_WINDING);
  cairo_clip(FContext);
}

void TuiCanvasCairo::IntersectClipRect(const TuiRect& R) {
  CheckContext();
  if (!FContext) return;
  cairo_new_path(FContext);
  if (FMatrixValid && R.Right > R.Left && R.Bottom > R.Top)
    cairo_rectangle(FContext, R.Left, R.Top, R.Width(), R.Height());
  cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_WINDING);
  cairo_clip(FContext);
}

void TuiCanvasCairo::ExcludeClipRect(const TuiRect& R) {
  if (!CanDraw() || !(R.Right > R.Left && R.Bottom > R.Top)) return;
  // Everything the surface shows, minus the rectangle.
  cairo_new_path(FContext);
  cairo_identity_matrix(FContext);
  cairo_rectangle(FContext, -1, -1, Width() + 2.0, Height() + 2.0);
  cairo_set_matrix(FContext, FCairoMatrix.get());
  cairo_rectangle(FContext, R.Left, R.Top, R.Width(), R.Height());
  cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(FContext);
}

void TuiCanvasCairo::ResetClipRect() {
  CheckContext();
  if (FContext) cairo_reset_clip(FContext);
}

// ---- painting the current path ----

void TuiCanvasCairo::FillCurrentPath(const TuiBrushBox& Box, float Opacity) {
  FillCurrentPath(FillPaint(Box, Opacity));
}

void TuiCanvasCairo::FillCurrentPath(const TuiPaint& description) {
  if (description.Kind == uxPaintVisual) {
    PaintVisual(description, [this] {
      cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_EVEN_ODD);
      cairo_clip(FContext);
    });
    return;
  }
  TuiCairoPaint paint = MakeCairoPaint(description);
  if (!paint.Pattern || !(paint.Alpha > 0)) {
    cairo_new_path(FContext);
    return;
  }
  cairo_set_source(FContext, paint.Pattern);
  if (paint.Alpha >= 1) {
    cairo_fill(FContext);
  } else {
    cairo_save(FContext);
    cairo_clip(FContext);
    cairo_paint_with_alpha(FContext, paint.Alpha);
    cairo_restore(FContext);
  }
  PixelsDrawn();
}

double TuiCanvasCairo::PenWidth() const {
  const double width = StrokeThickness();
  if (width > 0 && std::isfinite(width)) return width;
  // A pen without width draws one device pixel wide, whatever the scale.
  const double det = std::abs(FCairoMatrix->xx * FCairoMatrix->yy - FCairoMatrix->xy * FCairoMatrix->yx);
  return 1 / std::sqrt(det);
}

void TuiCanvasCairo::SetPen(const TuiCairoPaint& Paint) {
  cairo_set_source(FContext, Paint.Pattern);
  const double width = PenWidth();
  cairo_set_line_width(FContext, width);
  const cairo_line_cap_t cap = StrokeCap() == uxCapRound ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
  cairo_set_line_cap(FContext, cap);
  cairo_set_line_join(FContext, StrokeJoin() == uxJoinRound   ? CAIRO_LINE_JOIN_ROUND
                                : StrokeJoin() == uxJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                              : CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(FContext, 10);
  // Dash lengths count in pen widths. A pattern Cairo would refuse (negative,
  // not finite, or nothing but zeros) draws solid.
  std::vector<double> dashes;
  double total = 0;
  bool usable = true;
  for (float d : DashPattern()) {
    usable = usable && d >= 0 && std::isfinite(d);
    total += d;
    dashes.push_back(double(d) * width);
  }
  const double offset = double(DashOffset()) * width;
  if (dashes.empty() || !usable || !(total > 0) || !std::isfinite(offset))
    cairo_set_dash(FContext, nullptr, 0, 0);
  else
    cairo_set_dash(FContext, dashes.data(), int(dashes.size()), offset);
}

void TuiCanvasCairo::StrokeCurrentPath(const TuiRect& PenRect, float Opacity) {
  StrokeCurrentPath(StrokePaint(PenRect, Opacity));
}

void TuiCanvasCairo::StrokeCurrentPath(const TuiPaint& Description) {
  TuiCairoPaint paint = MakeCairoPaint(Description);
  if (!paint.Pattern) {
    cairo_new_path(FContext);
    return;
  }
  SetPen(paint);
  cairo_stroke(FContext);
  PixelsDrawn();
}

void TuiCanvasCairo::AddPath(const std::vector<TuiPathPoint>& P) {
  cairo_new_path(FContext);
  for (size_t i = 0; i < P.size(); ++i) {
    switch (P[i].Kind) {
      case ppMoveTo:
        cairo_move_to(FContext, P[i].Point.X, P[i].Point.Y);
        break;
      case ppLineTo:
        cairo_line_to(FContext, P[i].Point.X, P[i].Point.Y);
        break;
      case ppCurveTo:
        if (i + 2 >= P.size()) return;
        cairo_curve_to(FContext, P[i].Point.X, P[i].Point.Y, P[i + 1].Point.X, P[i + 1].Point.Y,
                       P[i + 2].Point.X, P[i + 2].Point.Y);
        i += 2;
        break;
      case ppClose:
        cairo_close_path(FContext);
        break;
    }
  }
}

// ---- shapes ----

void TuiCanvasCairo::DrawLine(const TuiPoint& P1, const TuiPoint& P2, float Opacity) {
  if (Stroke()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  cairo_new_path(FContext);
  cairo_move_to(FContext, P1.X, P1.Y);
  cairo_line_to(FContext, P2.X, P2.Y);
  StrokeCurrentPath({P1.X, P1.Y, P2.X, P2.Y}, Opacity);
}

void TuiCanvasCairo::AddRectPath(bool ForFill, const TuiRect& R, float XRadius, float YRadius,
                                 TuiCorners Corners, TuiCornerType CornerType) {
  RectPath(FContext, ForFill, R, XRadius, YRadius, Corners, CornerType);
}

void TuiCanvasCairo::FillRect(const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners,
                              float Opacity, TuiCornerType CornerType) {
  if (Fill()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  const TuiPaint paint = FillPaint(TuiBrushBox::Shape(R), Opacity);
  if (DrawKept(TuiCairoShapeCache::csFillRect, R, XRadius, YRadius, Corners, CornerType, paint)) return;
  AddRectPath(true, R, XRadius, YRadius, Corners, CornerType);
  FillCurrentPath(paint);
}

void TuiCanvasCairo::DrawRect(const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners,
                              float Opacity, TuiCornerType CornerType) {
  if (Stroke()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  const TuiPaint paint = StrokePaint(R, Opacity);
  if (DrawKept(TuiCairoShapeCache::csDrawRect, R, XRadius, YRadius, Corners, CornerType, paint)) return;
  AddRectPath(false, R, XRadius, YRadius, Corners, CornerType);
  StrokeCurrentPath(paint);
}

void TuiCanvasCairo::FillEllipse(const TuiRect& R, float Opacity) {
  if (Fill()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  const TuiPaint paint = FillPaint(TuiBrushBox::Ellipse(R), Opacity);
  if (DrawKept(TuiCairoShapeCache::csFillEllipse, R, 0, 0, 0, uxCornerRound, paint)) return;
  EllipsePath(FContext, R);
  FillCurrentPath(paint);
}

void TuiCanvasCairo::DrawEllipse(const TuiRect& R, float Opacity) {
  if (Stroke()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  const TuiPaint paint = StrokePaint(R, Opacity);
  if (DrawKept(TuiCairoShapeCache::csDrawEllipse, R, 0, 0, 0, uxCornerRound, paint)) return;
  EllipsePath(FContext, R);
  StrokeCurrentPath(paint);
}

void TuiCanvasCairo::SetKeepShapes(bool Value) {
  if (Value == FKeepShapes) return;
  FKeepShapes = Value;
  FShapes.reset();
}

bool TuiCanvasCairo::DrawKept(uint8_t Shape, const TuiRect& R, float XRadius, float YRadius,
                              TuiCorners Corners, TuiCornerType CornerType, const TuiPaint& Paint) {
  if (!FKeepShapes) return false;
  const cairo_matrix_t& m = *FCairoMatrix;
  // Only a matrix that scales and moves keeps a shape's look under a
  // whole-pixel move; the bound keeps the fractional part exact.
  if (m.xy != 0 || m.yx != 0 || !(std::abs(m.x0) < 1e7) || !(std::abs(m.y0) < 1e7)) return false;
  if (Paint.Kind != uxPaintSolid && Paint.Kind != uxPaintLinear && Paint.Kind != uxPaintRadial) return false;
  TShapeKey key;
  key.Shape = TuiCairoShapeCache::TShape(Shape);
  const bool stroke = IsStroke(key);
  if (stroke && !DashPattern().empty()) return false;
  key.CornerType = CornerType;
  key.PaintKind = Paint.Kind;
  key.Corners = Corners;
  key.Rect[0] = R.Left;
  key.Rect[1] = R.Top;
  key.Rect[2] = R.Right;
  key.Rect[3] = R.Bottom;
  key.Radius[0] = XRadius;
  key.Radius[1] = YRadius;
  key.Scale[0] = m.xx;
  key.Scale[1] = m.yy;
  const double ix = std::floor(m.x0), iy = std::floor(m.y0);
  key.Phase[0] = m.x0 - ix;
  key.Phase[1] = m.y0 - iy;
  if (stroke) {
    key.LineWidth = PenWidth();
    key.Cap = StrokeCap() == uxCapRound ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
    key.Join = StrokeJoin() == uxJoinRound   ? CAIRO_LINE_JOIN_ROUND
               : StrokeJoin() == uxJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                             : CAIRO_LINE_JOIN_MITER;
  }
  if (Paint.Kind != uxPaintSolid) {
    key.Extend = Paint.Extend;
    key.Ends[0] = Paint.Start.X;
    key.Ends[1] = Paint.Start.Y;
    key.Ends[2] = Paint.Stop.X;
    key.Ends[3] = Paint.Stop.Y;
    const TuiMatrix& b = Paint.BrushToUser;
    const float brush[6] = {b.M[0][0], b.M[0][1], b.M[1][0], b.M[1][1], b.M[2][0], b.M[2][1]};
    std::copy(std::begin(brush), std::end(brush), key.BrushToUser);
    key.Stops = Paint.Stops;
  }
  // Too large a shape is not even looked up.
  const double pad = 2 * key.LineWidth + 3;
  const double pixels = (std::abs(m.xx) * (std::abs(double(R.Right) - R.Left) + pad) + 3) *
                        (std::abs(m.yy) * (std::abs(double(R.Bottom) - R.Top) + pad) + 3);
  if (!(pixels <= double(stroke ? TuiCairoShapeCache::MaxOutlinePixels : TuiCairoShapeCache::MaxPixels)))
    return false;
  if (!FShapes) FShapes = std::make_unique<TuiCairoShapeCache>();
  const TuiCairoShapeCache::TEntry* e = FShapes->Find(key);
  if (!e) {
    TuiCairoShapeCache::TEntry made = MakeKept(FContext, m, key, Paint);
    if (!made.Pattern) return false;
    e = FShapes->Add(key, made);
  }
  // The picture goes on in device pixels, at whole-pixel offsets: a plain
  // composite with no resampling.
  const double left = ix + e->Left, top = iy + e->Top;
  cairo_matrix_t toPicture;
  cairo_matrix_init_translate(&toPicture, -left, -top);
  cairo_pattern_set_matrix(e->Pattern, &toPicture);
  cairo_identity_matrix(FContext);
  if (Paint.Kind == uxPaintSolid) {
    SetSourceColor(FContext, Paint.Color);
    cairo_mask(FContext, e->Pattern);
  } else {
    cairo_set_source(FContext, e->Pattern);
    cairo_new_path(FContext);
    cairo_rectangle(FContext, left, top, e->Width, e->Height);
    cairo_fill(FContext);
  }
  cairo_set_matrix(FContext, FCairoMatrix.get());
  PixelsDrawn();
  return true;
}

bool TuiCanvasCairo::PtInPath(const TuiPoint& Point, const TuiRect& Rect, const TuiPathData& Path) {
  if (Path.IsEmpty() || !PointInRect(Point, Rect)) return false;
  cairo_t* saved = FContext;
  FContext = ScratchContext();
  AddPath(Path.FitToRect(Rect));
  cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_EVEN_ODD);
  const bool inside = cairo_in_fill(FContext, Point.X, Point.Y);
  cairo_new_path(FContext);
  FContext = saved;
  return inside;
}

void TuiCanvasCairo::FillPath(const TuiPathData& Path, const TuiRect& Rect, float Opacity) {
  if (Path.IsEmpty() || Fill()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  AddPath(Path.FitToRect(Rect));
  cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_EVEN_ODD);
  FillCurrentPath(TuiBrushBox::Shape(Rect), Opacity);
  cairo_set_fill_rule(FContext, CAIRO_FILL_RULE_WINDING);
}

void TuiCanvasCairo::DrawPath(const TuiPathData& Path, const TuiRect& Rect, float Opacity) {
  if (Path.IsEmpty() || Stroke()->Style() == uxBrushNone || !Visible(Opacity) || !CanDraw()) return;
  TuiCairoPaint paint = MakeCairoPaint(StrokePaint(Path.GetBounds(), Opacity));
  if (!paint.Pattern) return;
  SetPen(paint);
  const std::vector<TuiPathPoint> p = Path.FitToRect(Rect);
  TuiPoint current, start;
  auto segment = [this](const TuiPoint& From) {
    cairo_new_path(FContext);
    cairo_move_to(FContext, From.X, From.Y);
  };
  for (size_t i = 0; i < p.size(); ++i) {
    switch (p[i].Kind) {
      case ppMoveTo:
        start = current = p[i].Point;
        break;
      case ppLineTo:
        segment(current);
        cairo_line_to(FContext, p[i].Point.X, p[i].Point.Y);
        cairo_stroke(FContext);
        current = p[i].Point;
        break;
      case ppCurveTo:
        if (i + 2 >= p.size()) {
          PixelsDrawn();
          return;
        }
        segment(current);
        cairo_curve_to(FContext, p[i].Point.X, p[i].Point.Y, p[i + 1].Point.X, p[i + 1].Point.Y,
                       p[i + 2].Point.X, p[i + 2].Point.Y);
        cairo_stroke(FContext);
        current = p[i + 2].Point;
        i += 2;
        break;
      case ppClose:
        segment(current);
        cairo_line_to(FContext, start.X, start.Y);
        cairo_stroke(FContext);
        current = start;
        break;
    }
  }
  PixelsDrawn();
}

// ---- bitmaps ----

void TuiCanvasCairo::DrawBitmap(TuiBitmap& Bitmap, const TuiRect& Src, const TuiRect& Dst, float Opacity,
                                bool HighSpeed) {
  if (!Visible(Opacity) || !CanDraw()) return;
  // Pieces of a framed picture mostly fall outside a small repaint; spare
  // them the pattern and the compositor.
  double cx1, cy1, cx2, cy2;
  cairo_clip_extents(FContext, &cx1, &cy1, &cx2, &cy2);
  if (std::max(Dst.Left, Dst.Right) <= cx1 || std::min(Dst.Left, Dst.Right) >= cx2 ||
      std::max(Dst.Top, Dst.Bottom) <= cy1 || std::min(Dst.Top, Dst.Bottom) >= cy2)
    return;
  TuiRect src = Src;
  cairo_surface_t* surface = nullptr;
  const cairo_matrix_t& m = *FCairoMatrix;
  if (!HighSpeed && m.xy == 0 && m.yx == 0 && Src.Width() > 0 && Src.Height() > 0 && !Bitmap.IsEmpty()) {
    // The scale from bitmap pixels to device pixels.
    const double fx = std::abs(m.xx * Dst.Width() / Src.Width());
    const double fy = std::abs(m.yy * Dst.Height() / Src.Height());
    if (fx <= 1 && fy <= 1 && std::min(fx, fy) < ReduceBelow) {
      const int32_t w = std::max(1, int32_t(std::lround(Bitmap.Width() * fx)));
      const int32_t h = std::max(1, int32_t(std::lround(Bitmap.Height() * fy)));
      surface = ReducedSurface(Bitmap, w, h);
      if (surface) {
        const float kx = float(w) / float(Bitmap.Width()), ky = float(h) / float(Bitmap.Height());
        src = {Src.Left * kx, Src.Top * ky, Src.Right * kx, Src.Bottom * ky};
      }
    }
  }
  if (!surface) surface = BitmapSurface(Bitmap);
  if (!surface) return;
  const double sx = double(src.Width()) / Dst.Width(), sy = double(src.Height()) / Dst.Height();
  cairo_matrix_t toSource;
  cairo_matrix_init(&toSource, sx, 0, 0, sy, src.Left - Dst.Left * sx, src.Top - Dst.Top * sy);
  if (!Invertible(toSource)) return;
  cairo_pattern_t* p = cairo_pattern_create_for_surface(surface);
  cairo_pattern_set_matrix(p, &toSource);
  cairo_pattern_set_filter(p, HighSpeed ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_set_source(FContext, p);
  cairo_new_path(FContext);
  cairo_rectangle(FContext, Dst.Left, Dst.Top, Dst.Width(), Dst.Height());
  if (Opacity >= 1) {
    cairo_fill(FContext);
  } else {
    cairo_save(FContext);
    cairo_clip(FContext);
    cairo_paint_with_alpha(FContext, Opacity);
    cairo_restore(FContext);
  }
  cairo_pattern_destroy(p);
  PixelsDrawn();
}

void TuiCanvasCairo::DrawThumbnail(TuiBitmap& Bitmap, float Width, float /*Height*/) {
  if (Buffered() || !CanDraw()) return;
  cairo_surface_t* surface = BitmapSurface(Bitmap);
  if (!surface) return;
  const double scale = double(Width) / Bitmap.Width();
  cairo_matrix_t product, s;
  cairo_matrix_init_scale(&s, scale, scale);
  cairo_matrix_multiply(&product, &s, FCairoMatrix.get());
  *FCairoMatrix = product;
  ApplyMatrix();
  if (!FMatrixValid) return;
  cairo_set_source_surface(FContext, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(FContext), CAIRO_FILTER_GOOD);
  cairo_new_path(FContext);
  cairo_rectangle(FContext, 0, 0, Bitmap.Width(), Bitmap.Height());
  cairo_fill(FContext);
  PixelsDrawn();
}

// ---- text ----

void TuiCanvasCairo::FontChanged() {
  FFonts->SetFont(*Font());
}

std::string TuiCanvasCairo::ResolvedFamily() const {
  return FFonts->ResolvedFamily();
}

bool TuiCanvasCairo::LoadFontFromStream(std::istream& Stream) {
  if (!FFonts->LoadFont(Stream)) return false;
  FontChanged();
  return true;
}

void TuiCanvasCairo::FillText(const TuiRect& Rect, std::string_view Text, bool WordWrap, float Opacity,
                              TuiTextAlign HAlign, TuiTextAlign VAlign) {
  if (Fill()->Style() == uxBrushNone || Text.empty() || !Visible(Opacity) || !CanDraw()) return;
  TuiCairoPaint paint = MakeCairoPaint(TextPaint(Rect, Opacity));
  if (!paint.Pattern || !(paint.Alpha > 0)) return;
  // Glyphs fitted to the pixel grid would jump about under a scale that is
  // not a whole number.
  const float m11 = Matrix().M[0][0], m22 = Matrix().M[1][1];
  const bool fractional = m11 != std::trunc(m11) || m22 != std::trunc(m22);
  if (paint.Alpha < 1) cairo_push_group(FContext);
  cairo_set_source(FContext, paint.Pattern);
  FFonts->Draw(FContext, Rect, Text, WordWrap, HAlign, VAlign, fractional);
  if (paint.Alpha < 1) {
    cairo_pop_group_to_source(FContext);
    cairo_paint_with_alpha(FContext, paint.Alpha);
  }
  PixelsDrawn();
}

void TuiCanvasCairo::MeasureText(TuiRect& Rect, std::string_view Text, bool WordWrap, TuiTextAlign HAlign,
                                 TuiTextAlign VAlign) {
  if (!WordWrap) Rect.Right = Rect.Left;
  CheckContext();
  TuiRect result;
  if (FFonts->Measure(FContext && FMatrixValid ? FContext : nullptr, Rect, Text, WordWrap, HAlign, VAlign,
                      result))
    Rect = result;
}

void TuiCanvasCairo::TextOffsets(std::string_view Text, std::vector<float>& Offsets) {
  CheckContext();
  FFonts->Offsets(FContext && FMatrixValid ? FContext : nullptr, Text, Offsets);
}

bool TuiCanvasCairo::TextToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                                TuiTextAlign HAlign, TuiTextAlign VAlign) {
  return FFonts->ToPath(Path, Rect, Text, WordWrap, HAlign, VAlign);
}
