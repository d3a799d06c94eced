#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "draw2d/Bitmap.h"
#include "draw2d/Brush.h"
#include "draw2d/Font.h"
#include "draw2d/Paint.h"
#include "draw2d/PathData.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/Geometry.h"
#include "scene2d/Persistent.h"

// The 2D drawing device. Every object of a 2D tree paints through one canvas;
// a backend (draw2d/cairo) rasterises. The canvas keeps a small drawing state
// (fill, stroke, stroke geometry, font, matrix) that the operations use, and
// saved copies of it that painters push and pop around their children.
//
// A canvas either owns a pixel buffer (made with a width and a height) or draws
// into a TuiBitmap's pixels (made on a bitmap); it keeps that nature for life.
// Pixels are premultiplied ARGB words, rows top to bottom with no gaps, the
// layout of TuiBitmap, so buffers copy into bitmaps and textures row by row.

enum TuiStrokeCap : uint8_t { uxCapFlat, uxCapRound };
UX_ENUM(TuiStrokeCap, "uxCapFlat", "uxCapRound")
enum TuiStrokeJoin : uint8_t { uxJoinMiter, uxJoinRound, uxJoinBevel };
UX_ENUM(TuiStrokeJoin, "uxJoinMiter", "uxJoinRound", "uxJoinBevel")
// Presets fill the dash pattern; with uxDashCustom the caller fills it.
enum TuiStrokeDash : uint8_t {
  uxDashSolid,
  uxDashDash,
  uxDashDot,
  uxDashDashDot,
  uxDashDashDotDot,
  uxDashCustom,
};
UX_ENUM(TuiStrokeDash, "uxDashSolid", "uxDashDash", "uxDashDot", "uxDashDashDot", "uxDashDashDotDot",
        "uxDashCustom")

enum TuiSide : uint8_t { uxSideTop, uxSideLeft, uxSideBottom, uxSideRight };
UX_ENUM(TuiSide, "uxSideTop", "uxSideLeft", "uxSideBottom", "uxSideRight")
using TuiSides = uint32_t;  // bit (1 << TuiSide) per side
constexpr TuiSides AllSides = 0xF;

// Near is left or top.
enum TuiTextAlign : uint8_t { uxTextAlignCenter, uxTextAlignNear, uxTextAlignFar };
UX_ENUM(TuiTextAlign, "uxTextAlignCenter", "uxTextAlignNear", "uxTextAlignFar")

// Where FlushBuffer puts pixels: a window's surface, given by the platform
// layer. Pitch is in words.
class IuxPixelTarget {
 public:
  virtual ~IuxPixelTarget() = default;
  virtual void PutPixels(int32_t X, int32_t Y, const uint32_t* Pixels, int32_t Pitch, int32_t Width,
                         int32_t Height) = 0;
};

// One saved drawing state; a Handle of -1 marks a free slot. A slot keeps
// its copies (brushes, font, dash pattern) when it is freed, so that saving
// into it again only copies values and allocates nothing.
struct TuiSaveData {
  int32_t Handle = -1;
  TuiMatrix Matrix;
  std::unique_ptr<TuiBrush> Stroke;
  std::unique_ptr<TuiBrush> Fill;
  float StrokeThickness = 0;
  uint8_t StrokeCap = 0, StrokeJoin = 0, StrokeDash = 0;
  std::vector<float> DashPattern;
  float DashOffset = 0;
  std::unique_ptr<TuiFont> Font;
};

class TuiCanvas;
class TuiVisualObject;

// The process-wide "class" of new canvases: how to make a buffered one and one
// on a bitmap. A backend describes itself with one of these.
struct TuiCanvasClass {
  const TuiClassInfo* Info = nullptr;
  std::unique_ptr<TuiCanvas> (*CreateBuffered)(int32_t Width, int32_t Height) = nullptr;
  std::unique_ptr<TuiCanvas> (*CreateOnBitmap)(TuiBitmap& Bitmap) = nullptr;
};

class TuiCanvas : public TuiPersistent {
  UX_CLASS(TuiCanvas, TuiPersistent)
 public:
  ~TuiCanvas() override;

  // ---- the default class ----
  // Replaces the default class; bitmaps then make their canvases with it.
  static void SetDefaultCanvasClass(const TuiCanvasClass& Class);
  // Sets the default only when none was set before; true when it did.
  static bool RegisterDefaultCanvasClass(const TuiCanvasClass& Class);
  // None until a backend registered itself.
  static const TuiCanvasClass* DefaultCanvasClass();
  // A new canvas of the default class; none without one.
  static std::unique_ptr<TuiCanvas> CreateCanvas(int32_t Width, int32_t Height);
  static std::unique_ptr<TuiCanvas> CreateCanvas(TuiBitmap& Bitmap);
  // How a visual brush's object paints itself into Rect of a canvas; installed
  // by the painting code. Without it a visual brush paints nothing.
  static std::function<void(TuiVisualObject& Object, TuiCanvas& Canvas, const TuiRect& Rect)> VisualPainter;

  // ---- what the brushes paint, for the backends (draw2d/Paint.h) ----
  // The Fill brush over Box at Opacity; a resource brush takes over the brush
  // it names.
  TuiPaint FillPaint(const TuiBrushBox& Box, float Opacity) {
    return TuiPaint::ForFill(*FFill, Box, Opacity, FStrokeThickness);
  }
  TuiPaint StrokePaint(const TuiRect& Box, float Opacity) {
    return TuiPaint::ForStroke(*FStroke, Box, Opacity);
  }
  TuiPaint TextPaint(const TuiRect& Rect, float Opacity) {
    return TuiPaint::ForText(*FFill, Rect, Opacity, FStrokeThickness);
  }

  // ---- state ----
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  const TuiMatrix& Matrix() const { return FMatrix; }
  // Owned; changed in place by the painters.
  TuiBrush* Fill() const { return FFill.get(); }
  TuiBrush* Stroke() const { return FStroke.get(); }
  TuiFont* Font() const { return FFont.get(); }
  float StrokeThickness() const { return FStrokeThickness; }
  void SetStrokeThickness(float Value) { FStrokeThickness = Value; }
  TuiStrokeCap StrokeCap() const { return FStrokeCap; }
  void SetStrokeCap(TuiStrokeCap Value) { FStrokeCap = Value; }
  TuiStrokeJoin StrokeJoin() const { return FStrokeJoin; }
  void SetStrokeJoin(TuiStrokeJoin Value) { FStrokeJoin = Value; }
  TuiStrokeDash StrokeDash() const { return FStrokeDash; }
  // A preset fills the pattern (dash, dot: 3 1 / 1 1 ...) and zeroes the offset;
  // uxDashCustom keeps both.
  void SetStrokeDash(TuiStrokeDash Value);
  // Dash and gap lengths in units of the stroke width.
  const std::vector<float>& DashPattern() const { return FDashPattern; }
  void SetDashPattern(std::vector<float> Value) { FDashPattern = std::move(Value); }
  float DashOffset() const { return FDashOffset; }
  void SetDashOffset(float Value) { FDashOffset = Value; }

  // The bitmap a bitmap canvas draws into (not owned); none for a buffered one.
  TuiBitmap* Bitmap() const { return FBitmap; }
  bool Buffered() const { return FBuffered; }
  // The owned buffer, Width * Height words; none for a bitmap canvas and after
  // a failed allocation.
  uint32_t* BufferBits() const { return FBufferBits.get(); }
  // Called just before the buffer's words are freed or replaced, so that
  // whoever shows them without owning them (a 3D bitmap borrowing them) lets
  // go first.
  std::function<void()> OnBufferFreeing;

  // ---- frames and buffers ----
  virtual bool BeginScene() { return true; }
  virtual void EndScene() {}
  // The whole buffer to (X, Y) of Target.
  virtual void FlushBuffer(int32_t X, int32_t Y, IuxPixelTarget* Target);
  // The part under Rect, widened to (Trunc(Left), Trunc(Top), Trunc(Right) + 1,
  // Trunc(Bottom) + 1) and clipped to the buffer, to (X + left, Y + top).
  virtual void FlushBufferRect(int32_t X, int32_t Y, IuxPixelTarget* Target, const TuiRect& Rect);
  virtual void FreeBuffer();
  // Sizes below 1 become 1; the same size changes nothing. The new pixels are
  // undefined until the next Clear. Allocation failures raise EuxError.
  virtual void ResizeBuffer(int32_t Width, int32_t Height) = 0;
  // Buffer words set to Color as it is: no premultiplication.
  virtual void Clear(TuiColor Color);
  // (Trunc(Left), Trunc(Top), Round(Right), Round(Bottom)) clipped to the buffer.
  virtual void ClearRect(const TuiRect& Rect, TuiColor Color);
  // Width * Height words into Dest.
  void CopyBuffer(uint32_t* Dest);
  // The words of the columns [Left, Right) and rows [Top, Bottom), a
  // rectangle inside the buffer, into Dest or from Source, row after row
  // without gaps. Nothing without a buffer.
  void ReadBufferRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, uint32_t* Dest);
  void WriteBufferRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, const uint32_t* Source);
  static uint32_t* GetBitmapScanline(TuiBitmap& Bitmap, int32_t Row) { return Bitmap.Scanline(Row); }
  // A bitmap is resized to the canvas and, from a buffered canvas, takes its
  // pixels. Anything else raises "Cannot assign a <canvas class> to a <class>".
  void AssignTo(TuiPersistent* Dest);

  // ---- transformation and saved states ----
  virtual void SetMatrix(const TuiMatrix& M);
  // Prepends M to the backend's transform; Matrix() stays as it was.
  virtual void MultiplyMatrix(const TuiMatrix& M) = 0;
  // The slot index, or -1 without a surface. Slots are reused.
  virtual int32_t SaveCanvas();
  // Ignored for an index outside the slots or without a surface.
  virtual void RestoreCanvas(int32_t Index);

  // ---- clipping, in current world coordinates ----
  // The union of the rectangles replaces the clip; none clips everything.
  virtual void SetClipRects(std::span<const TuiRect> Rects) = 0;
  virtual void IntersectClipRect(const TuiRect& Rect) = 0;
  virtual void ExcludeClipRect(const TuiRect& Rect) = 0;
  virtual void ResetClipRect() = 0;

  // ---- drawing; Opacity in [0, 1] multiplies the alpha of what is painted ----
  virtual void DrawLine(const TuiPoint& P1, const TuiPoint& P2, float Opacity) = 0;
  // Corners shaped by CornerType with radii clamped to half the size; see
  // uxRectangleOutline.
  virtual void FillRect(const TuiRect& Rect, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                        TuiCornerType CornerType = uxCornerRound) = 0;
  virtual void DrawRect(const TuiRect& Rect, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                        TuiCornerType CornerType = uxCornerRound) = 0;
  virtual void FillEllipse(const TuiRect& Rect, float Opacity) = 0;
  virtual void DrawEllipse(const TuiRect& Rect, float Opacity) = 0;
  // Paths are fitted into Rect (their bounds mapped onto it); an empty path
  // paints nothing and contains no point.
  virtual bool PtInPath(const TuiPoint& Point, const TuiRect& Rect, const TuiPathData& Path) = 0;
  virtual void FillPath(const TuiPathData& Path, const TuiRect& Rect, float Opacity) = 0;
  // Each segment is stroked on its own, so dashes restart on every segment.
  virtual void DrawPath(const TuiPathData& Path, const TuiRect& Rect, float Opacity) = 0;
  // SrcRect in the bitmap's pixels; HighSpeed samples the nearest pixel.
  virtual void DrawBitmap(TuiBitmap& Bitmap, const TuiRect& SrcRect, const TuiRect& DstRect, float Opacity,
                          bool HighSpeed = false) = 0;
  // On a bitmap canvas only: scales the transform by Width / the bitmap's
  // width (the scale stays) and draws the whole bitmap at the origin.
  virtual void DrawThumbnail(TuiBitmap& Bitmap, float Width, float Height) = 0;
  // Points equal to PolygonFigureEnd end a figure; painted unscaled.
  virtual void FillPolygon(const TuiPolygon& Polygon, float Opacity);
  virtual void DrawPolygon(const TuiPolygon& Polygon, float Opacity);

  // ---- text: the library's 8-bit texts, laid out in Rect, never clipped ----
  // Laying a text out costs about a hundred bytes per byte of it, and
  // wrapping a long word takes time that grows with the square of its length,
  // so a backend lays out, draws, measures and outlines at most the first
  // MaxLaidOutText bytes of a text; the rest is left out. No window shows
  // that much of one text.
  static constexpr size_t MaxLaidOutText = 4096;
  // Adds a font file to this canvas's private fonts, which family lookups try
  // before the installed ones; false when the data is no font.
  virtual bool LoadFontFromStream(std::istream& Stream) = 0;
  virtual void FillText(const TuiRect& Rect, std::string_view Text, bool WordWrap, float Opacity,
                        TuiTextAlign HAlign, TuiTextAlign VAlign = uxTextAlignCenter) = 0;
  // Rect becomes the box the laid-out lines occupy, trailing spaces included.
  // Without word wrap Right is first set to Left, so width does not limit the
  // lines; an empty text leaves Rect as that.
  virtual void MeasureText(TuiRect& Rect, std::string_view Text, bool WordWrap, TuiTextAlign HAlign,
                           TuiTextAlign VAlign = uxTextAlignCenter) = 0;
  // The glyph outlines as path data; false (path untouched) when there is no
  // text or the font family lacks the requested style.
  virtual bool TextToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                          TuiTextAlign HAlign, TuiTextAlign VAlign = uxTextAlignCenter) = 0;
  // Measured in (0, 0, 10000, 20) on one line, near, centred.
  float TextWidth(std::string_view Text);
  // Offsets gets Text.size() + 1 entries: where on one line the caret before
  // each byte stands, from 0 at the start to the line's width at the end. The
  // whole text counts, in pieces of MaxLaidOutText, each laid out once. This
  // base adds up the widths of single bytes, kerning left out.
  virtual void TextOffsets(std::string_view Text, std::vector<float>& Offsets);

  // ---- composed operations ----
  // One elliptic arc (angles in degrees), painted in its own bounds.
  void FillArc(const TuiPoint& Center, const TuiPoint& Radius, float StartAngle, float SweepAngle,
               float Opacity);
  void DrawArc(const TuiPoint& Center, const TuiPoint& Radius, float StartAngle, float SweepAngle,
               float Opacity);
  // The outline with only Sides drawn; corners in Corners are always drawn.
  void DrawRectSides(const TuiRect& Rect, float XRadius, float YRadius, TuiCorners Corners, float Opacity,
                     TuiSides Sides, TuiCornerType CornerType = uxCornerRound);

  // ---- geometry shared with backends ----
  // Whether FillRect (ForFill) or DrawRect paints the plain rectangle.
  static bool IsPlainRect(bool ForFill, float XRadius, float YRadius, TuiCorners Corners);
  // The path of DrawRectSides.
  static void BuildRectSides(TuiPathData& Path, const TuiRect& Rect, float XRadius, float YRadius,
                             TuiCorners Corners, TuiSides Sides, TuiCornerType CornerType);
  // Moves for first points and points after a figure end, lines otherwise,
  // a close for each marker; CloseLast closes the last figure too.
  static void PolygonToPath(TuiPathData& Path, const TuiPolygon& Polygon, bool CloseLast);

  // Called when Font changes; a backend re-resolves its face.
  virtual void FontChanged() {}

 protected:
  // A buffered canvas (Buffered) or one on Bitmap; the backend's constructor
  // then makes the buffer or the surface and calls FontChanged.
  explicit TuiCanvas(bool Buffered, TuiBitmap* Bitmap = nullptr);

  // Whether there is anything to draw on.
  virtual bool HasSurface() const = 0;
  // The backend's side of the saved states: push the transform and clip and
  // return a handle; pop back to a handle.
  virtual int32_t SaveBackendState() = 0;
  virtual void RestoreBackendState(int32_t Handle) = 0;
  // Around direct access to the buffer's words: finish pending drawing first,
  // and tell the backend of the changed words afterwards.
  virtual void FlushPixels() {}
  virtual void PixelsChanged() {}

  // Fills with a uxPaintVisual paint: saves the state, calls ClipToShape to
  // clip to the shape being filled, lets the object paint itself into
  // Paint.VisualRect at Paint.Opacity and restores the state. The object's
  // own Opacity is set to the fill's for the while (the painter reads it
  // there) and put back, also when the painter throws.
  void PaintVisual(const TuiPaint& Paint, const std::function<void()>& ClipToShape);
  // A bitmap canvas reports after drawing that its bitmap's pixels changed;
  // the images other backends keep of them are then out of date, its own not.
  void PixelsDrawn() {
    if (FBitmap) FBitmap->PixelsWritten(FBitmap->Bounds(), &ClassInfo());
  }

  void StoreSize(int32_t Width, int32_t Height) {
    FWidth = Width;
    FHeight = Height;
  }
  // Builders of a buffer that a backend wraps; an allocation failure raises
  // EuxError("Can't allocate the DIB handle").
  void AllocateBuffer();
  void ReleaseBuffer() {
    BufferFreeing();
    FBufferBits.reset();
  }

  TuiMatrix FMatrix;
  std::unique_ptr<TuiBrush> FFill;
  std::unique_ptr<TuiBrush> FStroke;
  std::unique_ptr<TuiFont> FFont;

 private:
  // Sets the buffer's words in [Left, Right) x [Top, Bottom), a non-empty
  // rectangle inside it.
  void FillRows(int32_t Left, int32_t Right, int32_t Top, int32_t Bottom, TuiColor Color);
  void BufferFreeing() {
    if (FBufferBits && OnBufferFreeing) OnBufferFreeing();
  }

  int32_t FWidth = 0;
  int32_t FHeight = 0;
  float FStrokeThickness = 0;
  TuiStrokeCap FStrokeCap = uxCapFlat;
  TuiStrokeJoin FStrokeJoin = uxJoinMiter;
  TuiStrokeDash FStrokeDash = uxDashSolid;
  std::vector<float> FDashPattern;
  float FDashOffset = 0;
  TuiBitmap* FBitmap = nullptr;
  bool FBuffered = false;
  std::unique_ptr<uint32_t[]> FBufferBits;
  std::vector<TuiSaveData> FSaved;
  int FVisualDepth = 0;  // visual brushes being painted, one inside the other
};
