#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scene2d/Colors.h"
#include "scene2d/Geometry.h"
#include "scene2d/Object.h"
#include "scene2d/Persistent.h"
#include "scene2d/ResourceLink.h"

class TuiCanvas;
class TuiBitmapObject;

// A rectangle of whole pixels, right and bottom exclusive.
struct TuiPixelRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  // The smallest rectangle holding both; an empty one adds nothing.
  void Add(const TuiPixelRect& Other) {
    if (Other.IsEmpty()) return;
    if (IsEmpty()) {
      *this = Other;
      return;
    }
    Left = std::min(Left, Other.Left);
    Top = std::min(Top, Other.Top);
    Right = std::max(Right, Other.Right);
    Bottom = std::max(Bottom, Other.Bottom);
  }
  friend bool operator==(const TuiPixelRect&, const TuiPixelRect&) = default;
};

// What a canvas backend makes of a bitmap's pixels and keeps in the bitmap:
// a surface wrapping them, a texture holding a copy. The backend derives its
// own and frees its resources in the destructor.
class TuiBitmapImage {
 public:
  virtual ~TuiBitmapImage() = default;
  // The bitmap's ChangeCount the image was last brought up to date with.
  uint64_t Version = 0;
  // The pixels changed since then; what a copy must upload again.
  TuiPixelRect Pending;

  bool IsCurrent(const TuiBitmap& Bitmap) const;
  // Returns the pending rectangle and marks the image current.
  TuiPixelRect TakePending(const TuiBitmap& Bitmap);
};

// The library's raster image: Width x Height words of premultiplied ARGB
// (0xAARRGGBB, bytes B, G, R, A in memory; no channel above its alpha), rows
// top to bottom with no gap between them. Canvas buffers and textures share the
// layout, so pixels move between them with plain row copies.
//
// A bitmap may name a bitmap resource of a style sheet instead of using its own
// pixels (ResourceName, resolved by ResolveBitmap). It streams its pixels as the
// binary pseudo-property "PNG": a PNG file when any pixel is translucent, else a
// JPEG file of quality 100; reading takes PNG or JPEG by the data's signature.
// A picture read from a stream writes back the bytes it was read from for as
// long as its pixels are unchanged, so that a layout read and written again
// does not re-encode (and for a JPEG, degrade) its pictures.
class TuiBitmap : public TuiPersistent {
  UX_CLASS(TuiBitmap, TuiPersistent)
 public:
  using TNotify = std::function<void(TuiBitmap* Sender)>;
  // The canvas is made by whichever canvas backend is linked in; the bitmap
  // only keeps it, so it holds it with the backend's own deleter.
  using TCanvasHolder = std::unique_ptr<TuiCanvas, void (*)(TuiCanvas*)>;

  // An empty bitmap (0 x 0), as brushes and image shapes start.
  TuiBitmap();
  // Pixels allocated and cleared to 0; negative sizes count as 0.
  TuiBitmap(int32_t Width, int32_t Height);
  // Decoded from the rest of Stream; empty when that is no readable image.
  explicit TuiBitmap(std::istream& Stream);
  ~TuiBitmap() override;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool IsEmpty() const { return int64_t(FWidth) * FHeight == 0; }
  // None while the bitmap is empty.
  uint32_t* Bits() {
    Realize();
    return FPixels.get();
  }
  const uint32_t* Bits() const {
    Realize();
    return FPixels.get();
  }
  // The first word of row Y, or none outside the bitmap.
  uint32_t* Scanline(int32_t Y);
  const uint32_t* Scanline(int32_t Y) const;

  // Nothing when unchanged; otherwise re-creates the pixel memory cleared to 0
  // (before-resize, release-image, after-resize) and fires OnChange. The new
  // memory is allocated first, so a failed allocation leaves the bitmap whole.
  void SetSize(int32_t Width, int32_t Height);
  // Installs pixels decoded elsewhere (Width * Height premultiplied words) the
  // way SetSize installs fresh memory, even at the same size, since the
  // backend's image wraps the old address; then fires OnChange. Filters use it so
  // that a failed decode never touches the bitmap.
  void AdoptPixels(int32_t Width, int32_t Height, std::unique_ptr<uint32_t[]> Pixels);
  // Every pixel the premultiplied Color; OnChange.
  void Clear(TuiColor Color);
  // Left and Top truncated, Right and Bottom rounded (half to even), clipped to
  // the bitmap; no OnChange, only a counted change of that rectangle.
  void ClearRect(const TuiRect& Rect, TuiColor Color);
  // Code that wrote into Bits() directly reports it here: a counted change of
  // every pixel, then OnChange.
  void Changed();

  // From another TuiBitmap: a source that resolves to a bitmap resource lends
  // its resource link (pixels untouched); otherwise the size, the pixels and the
  // source's ResourceName are copied and any resource link is dropped; OnChange
  // once. Anything else raises
  // "Cannot assign a <source class> to a TuiBitmap" (EuxConvertError).
  void Assign(const TuiPersistent* Source);

  // Loading and saving go through a new instance of the default image filter
  // (draw2d/ImageFilter.h). A load that fails leaves the bitmap as it was.
  bool LoadFromStream(std::istream& Stream);
  bool LoadFromBytes(std::span<const uint8_t> Data);
  // PNG when any pixel is translucent, else JPEG with "quality=100".
  bool SaveToStream(std::ostream& Stream) const;
  std::vector<uint8_t> SaveToBytes() const;
  // Angle in degrees, clockwise; multiples of 90 turn the pixels exactly, other
  // angles resample into the rotated picture's bounding box. Returns false and
  // does nothing when the file does not exist; a file that exists but cannot be
  // opened raises EuxError.
  bool LoadFromFile(const std::string& FileName, float Angle = 0);
  bool LoadThumbnailFromFile(const std::string& FileName, float MaxWidth, float MaxHeight,
                             bool UseEmbedded = true);
  // The format follows the file's extension; Params as "quality=90".
  bool SaveToFile(const std::string& FileName, std::string_view Params = {}) const;

  // A large JPEG read from a stream keeps only its bytes (checked to decode)
  // until its pixels are first asked for, so a picture that is only ever shown
  // smaller never has to exist at full size. Width and Height are known.
  bool IsDeferred() const { return FDeferred; }
  // A deferred picture decoded at the smallest size its decoder reaches
  // cheaply that still covers Width x Height; none when the bitmap is not
  // deferred or the decode fails.
  std::unique_ptr<TuiBitmap> DecodedAtLeast(int32_t Width, int32_t Height) const;
  // Deferred from this many pixels on; smaller pictures decode at once.
  static constexpr int64_t DeferFromPixels = int64_t(1) << 16;

  // The streamed "PNG" pseudo-property. Reading bytes that do not decode keeps
  // the picture: a damaged image must not stop a layout from loading. Bytes
  // that decode are kept and written back unchanged until the pixels change.
  TuiBinary PngData() const;
  void SetPngData(const TuiBinary& Value);

  // ---- pixel operations of the effects ----
  // Swaps row y with row Height - 1 - y; OnChange.
  void FlipVertical();
  // Un-premultiply, alpha a -> 255 - a, premultiply; OnChange.
  void InvertAlpha();
  // Every pixel with alpha a > 0 becomes Color at opacity a / 255, premultiplied;
  // OnChange.
  void SetColorKeepAlpha(TuiColor Color);
  // Each pixel's alpha, Width * Height bytes, rows top to bottom.
  std::vector<uint8_t> CreateMask() const;
  // Fades pixel (x, y) by the mask byte m at (x - OffsetX, y - OffsetY) of a
  // Width-wide mask: opacity (255 - m) / 255. Pixels whose mask position falls
  // outside the bitmap or beyond the end of Mask are left alone; OnChange.
  void ApplyMask(std::span<const uint8_t> Mask, int32_t OffsetX, int32_t OffsetY);

  // ---- style resources ----
  // Weak: cleared when the object dies, ResourceName then kept so that the next
  // resolution finds a replacement by name.
  TuiBitmapObject* Resource() const;
  // Copies the object's ResourceName (or clears it); OnChange.
  void SetResource(TuiBitmapObject* Value);
  const std::string& ResourceName() const { return FLink.Name(); }
  // A name the linked resource does not carry drops the link, so that the next
  // resolution looks the new name up; OnChange.
  void SetResourceName(const std::string& Value);
  // The linked resource's bitmap; else, when ResourceName is set, the bitmap of
  // the most recent live streamed TuiBitmapObject of that resource name, which
  // is adopted as Resource; else none (the caller then uses this bitmap).
  TuiBitmap* ResolveBitmap();

  // ---- the canvas backends' side ----
  // The canvas drawing into this bitmap, made on first request by
  // CanvasFactory and freed on resize and destruction; none while no canvas
  // backend has installed a factory.
  TuiCanvas* Canvas();
  static std::function<TCanvasHolder(TuiBitmap& Bitmap)> CanvasFactory;

  // Every backend keeps its own image of the pixels here (a Cairo surface
  // over them, a texture), under the class info of its canvas class, so that
  // several backends in one process never share or overwrite an image. The
  // bitmap frees them all before its pixel memory is replaced or freed.
  TuiBitmapImage* Image(const TuiClassInfo& Key) const;
  // Replaces Key's image (none removes it); the new one counts as current.
  TuiBitmapImage* SetImage(const TuiClassInfo& Key, std::unique_ptr<TuiBitmapImage> Image);
  // Goes up with every change of the pixels, whoever made it.
  uint64_t ChangeCount() const { return FChangeCount; }
  // Pixels written without going through the bitmap, Rect in whole pixels
  // (clipped here): counts a change and adds Rect to every image's pending
  // rectangle except Writer's, whose image is the memory written (a canvas
  // drawing into the bitmap). No OnChange.
  void PixelsWritten(const TuiPixelRect& Rect, const TuiClassInfo* Writer = nullptr);
  TuiPixelRect Bounds() const { return {0, 0, FWidth, FHeight}; }

  // After the picture changed.
  TNotify OnChange;
  // Before the pixel memory is replaced or freed, just before the backends'
  // images are.
  TNotify OnReleaseImage;
  // After a successful load from a stream, bytes or a file (following OnChange).
  TNotify OnLoaded;
  TNotify OnBeforeResize;
  TNotify OnAfterResize;

  static void DefineProperties(TuiClassBuilder<TuiBitmap>& C);

 private:
  // Runs the notifications around replacing the pixel memory with Pixels, or
  // with the picture DeferredFrom encodes when given (Pixels then none).
  void ReplacePixels(int32_t Width, int32_t Height, std::unique_ptr<uint32_t[]> Pixels,
                     const std::vector<uint8_t>* DeferredFrom = nullptr);
  void Realize() const {
    if (FDeferred) RealizeDeferred();
  }
  void RealizeDeferred() const;
  void Fire(const TNotify& Event) {
    if (Event) Event(this);
  }
  void FireLoaded();

  void ReleaseImages();

  // Fingerprint of the pixels FEncoded was made from.
  uint64_t PixelsFingerprint() const;

  // Mutable for a deferred picture, which decodes when first read.
  mutable std::unique_ptr<uint32_t[]> FPixels;
  // The last streamed form (the bytes read, or the last encoding): cloning a
  // style that holds a picture writes the same pixels again and again, and
  // encoding costs far more than hashing.
  mutable std::vector<uint8_t> FEncoded;
  mutable uint64_t FEncodedFingerprint = 0;
  int32_t FHeight = 0;
  int32_t FWidth = 0;
  // FPixels is none and FEncoded holds the picture.
  mutable bool FDeferred = false;
  // A deferred picture's quarter-size decode, made when it was checked and
  // handed out by the first DecodedAtLeast it suits.
  mutable std::unique_ptr<TuiBitmap> FQuarter;
  uint64_t FChangeCount = 1;
  std::vector<std::pair<const TuiClassInfo*, std::unique_ptr<TuiBitmapImage>>> FImages;
  TuiResourceLink<TuiBitmapObject> FLink;
  TCanvasHolder FCanvas{nullptr, nullptr};
};
