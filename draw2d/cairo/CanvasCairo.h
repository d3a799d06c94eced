#pragma once

#include <memory>

#include "draw2d/Canvas.h"
#include "draw2d/cairo/CairoRegistration.h"

// Cairo's handles, named the way <cairo.h> names them, so that users of the
// canvas do not see Cairo's headers.
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_matrix cairo_matrix_t;

class TuiCairoFonts;
class TuiCairoShapeCache;
struct TuiCairoPaint;

// The canvas on Cairo image surfaces and Pango text. A buffered canvas wraps
// its own buffer, a bitmap canvas the bitmap's pixels; neither copies, so the
// words a canvas draws are the words its buffer or bitmap holds.
class TuiCanvasCairo : public TuiCanvas {
  UX_CLASS(TuiCanvasCairo, TuiCanvas)
 public:
  // Sizes below 1 become 1. Raises EuxError with "Can't allocate the DIB
  // handle" when the buffer cannot be had, "Can't create compatible DC" or
  // "Can't select an object into DC" when Cairo refuses the surface or the
  // drawing context.
  TuiCanvasCairo(int32_t Width, int32_t Height);
  // The bitmap's size; an empty bitmap gives a canvas with nothing to draw on.
  explicit TuiCanvasCairo(TuiBitmap& Bitmap);
  ~TuiCanvasCairo() override;

  static const TuiCanvasClass& CanvasClass();

  // The family text is drawn with: the font's own family when the private or
  // the installed fonts have it, else fontconfig's sans-serif.
  std::string ResolvedFamily() const;

  void ResizeBuffer(int32_t Width, int32_t Height) override;
  void FreeBuffer() override;
  void SetMatrix(const TuiMatrix& M) override;
  void MultiplyMatrix(const TuiMatrix& M) override;
  void SetClipRects(std::span<const TuiRect> Rects) override;
  void IntersectClipRect(const TuiRect& Rect) override;
  void ExcludeClipRect(const TuiRect& Rect) override;
  void ResetClipRect() override;

  void DrawLine(const TuiPoint& P1, const TuiPoint& P2, float Opacity) override;
  void FillRect(const TuiRect& Rect, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                TuiCornerType CornerType = uxCornerRound) override;
  void DrawRect(const TuiRect& Rect, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                TuiCornerType CornerType = uxCornerRound) override;
  void FillEllipse(const TuiRect& Rect, float Opacity) override;
  void DrawEllipse(const TuiRect& Rect, float Opacity) override;
  bool PtInPath(const TuiPoint& Point, const TuiRect& Rect, const TuiPathData& Path) override;
  void FillPath(const TuiPathData& Path, const TuiRect& Rect, float Opacity) override;
  void DrawPath(const TuiPathData& Path, const TuiRect& Rect, float Opacity) override;
  void DrawBitmap(TuiBitmap& Bitmap, const TuiRect& SrcRect, const TuiRect& DstRect, float Opacity,
                  bool HighSpeed = false) override;
  void DrawThumbnail(TuiBitmap& Bitmap, float Width, float Height) override;

  bool LoadFontFromStream(std::istream& Stream) override;
  void FillText(const TuiRect& Rect, std::string_view Text, bool WordWrap, float Opacity, TuiTextAlign HAlign,
                TuiTextAlign VAlign = uxTextAlignCenter) override;
  void MeasureText(TuiRect& Rect, std::string_view Text, bool WordWrap, TuiTextAlign HAlign,
                   TuiTextAlign VAlign = uxTextAlignCenter) override;
  bool TextToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                  TuiTextAlign HAlign, TuiTextAlign VAlign = uxTextAlignCenter) override;
  void TextOffsets(std::string_view Text, std::vector<float>& Offsets) override;
  // The fonts and laid-out texts of this canvas.
  TuiCairoFonts& Fonts() const { return *FFonts; }
  void FontChanged() override;

  // Whether rectangles and ellipses are drawn from pictures kept of them in
  // device pixels (the default): a shape drawn again under a matrix that only
  // moves it by whole pixels is then one composite. Off, every shape is
  // rasterised anew; the pixels differ by rounding only.
  bool KeepShapes() const { return FKeepShapes; }
  void SetKeepShapes(bool Value);

  // A cairo surface over Bitmap's pixels, kept in the bitmap as this canvas
  // class's image and freed by it before its memory goes; none for an empty
  // bitmap or one too large for Cairo.
  static cairo_surface_t* BitmapSurface(TuiBitmap& Bitmap);
  // The bitmap reduced to Width x Height, kept in the bitmap until it changes
  // or is drawn at another size.
  static cairo_surface_t* ReducedSurface(TuiBitmap& Bitmap, int32_t Width, int32_t Height);

 protected:
  bool HasSurface() const override { return FContext != nullptr; }
  int32_t SaveBackendState() override;
  void RestoreBackendState(int32_t Handle) override;
  void FlushPixels() override;
  void PixelsChanged() override;

 private:
  void CreateContext(cairo_surface_t* Surface);
  // False when there is nothing to draw on or the transform collapses space.
  bool CanDraw();
  // Puts the context back in working order after Cairo refused a call.
  void CheckContext();
  void ApplyMatrix();
  // Fills the current path with the Fill brush laid out over Box.
  void FillCurrentPath(const TuiBrushBox& Box, float Opacity);
  void FillCurrentPath(const TuiPaint& Description);
  // Strokes the current path with the Stroke pen built for PenRect.
  void StrokeCurrentPath(const TuiRect& PenRect, float Opacity);
  void StrokeCurrentPath(const TuiPaint& Description);
  void SetPen(const TuiCairoPaint& Paint);
  // The pen's width in user space: a pen without width draws one device
  // pixel wide.
  double PenWidth() const;
  // Draws a rectangle or an ellipse (Shape, a TuiCairoShapeCache::TShape)
  // with Paint from the shape cache; false when it must be drawn directly.
  bool DrawKept(uint8_t Shape, const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners,
                TuiCornerType CornerType, const TuiPaint& Paint);
  void AddPath(const std::vector<TuiPathPoint>& Points);
  // The outline of a rectangle with the given corners as the current path.
  void AddRectPath(bool ForFill, const TuiRect& R, float XRadius, float YRadius, TuiCorners Corners,
                   TuiCornerType CornerType);

  cairo_surface_t* FSurface = nullptr;
  cairo_t* FContext = nullptr;
  int32_t FDepth = 0;  // cairo_save levels in force
  bool FMatrixValid = true;
  // What Matrix() means to Cairo, shear included.
  std::unique_ptr<cairo_matrix_t> FCairoMatrix;
  std::unique_ptr<TuiCairoFonts> FFonts;
  std::unique_ptr<TuiCairoShapeCache> FShapes;  // made on first use
  bool FKeepShapes = true;
};
