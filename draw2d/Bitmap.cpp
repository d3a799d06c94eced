#include "draw2d/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <istream>
#include <ostream>

#include "draw2d/BitmapObject.h"
#include "draw2d/ImageFilter.h"
#include "scene2d/Errors.h"
#include "scene2d/ReadLosses.h"

namespace {

uint32_t Alpha(uint32_t Pixel) {
  return Pixel >> 24;
}

std::unique_ptr<TuiFilter> DefaultFilter() {
  return TuiFilterRegistry::Instance().CreateDefault();
}

// Pixel memory for a size; none for an empty one. Sizes are clamped at 0.
std::unique_ptr<uint32_t[]> NewPixels(int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) return nullptr;
  size_t count = size_t(Width) * size_t(Height);
  return std::unique_ptr<uint32_t[]>(new uint32_t[count]());
}

// A float coordinate as a pixel index in [0, Limit]; NaN counts as 0. Clamping
// before the conversion keeps huge values from overflowing the integer.
int32_t ClampCoord(double Value, int32_t Limit) {
  if (!(Value > 0)) return 0;
  if (Value >= Limit) return Limit;
  return int32_t(Value);
}

}  // namespace

std::function<TuiBitmap::TCanvasHolder(TuiBitmap&)> TuiBitmap::CanvasFactory;

UX_IMPLEMENT_CLASS(TuiBitmap)

void TuiBitmap::DefineProperties(TuiClassBuilder<TuiBitmap>& C) {
  C.Property("ResourceName", &TuiBitmap::ResourceName, &TuiBitmap::SetResourceName);
  C.Property("PNG", &TuiBitmap::PngData, &TuiBitmap::SetPngData).StoredWhen = [](const TuiPersistent& O) {
    return !static_cast<const TuiBitmap&>(O).IsEmpty();
  };
}

TuiBitmap::TuiBitmap() = default;

TuiBitmap::TuiBitmap(int32_t Width, int32_t Height)
    : FPixels(NewPixels(Width, Height)), FHeight(std::max(Height, 0)), FWidth(std::max(Width, 0)) {}

TuiBitmap::TuiBitmap(std::istream& Stream) {
  LoadFromStream(Stream);
}

TuiBitmap::~TuiBitmap() {
  FCanvas.reset();
  Fire(OnReleaseImage);
  ReleaseImages();
}

uint32_t* TuiBitmap::Scanline(int32_t Y) {
  Realize();
  if (!FPixels || Y < 0 || Y >= FHeight) return nullptr;
  return FPixels.get() + size_t(Y) * size_t(FWidth);
}

const uint32_t* TuiBitmap::Scanline(int32_t Y) const {
  return const_cast<TuiBitmap*>(this)->Scanline(Y);
}

void TuiBitmap::ReplacePixels(int32_t Width, int32_t Height, std::unique_ptr<uint32_t[]> Pixels,
                              const std::vector<uint8_t>* DeferredFrom) {
  Fire(OnBeforeResize);
  Fire(OnReleaseImage);
  // The canvas first: its surface may be one of the images.
  FCanvas.reset();
  ReleaseImages();
  FQuarter.reset();
  FPixels = std::move(Pixels);
  FWidth = Width;
  FHeight = Height;
  FDeferred = DeferredFrom != nullptr;
  if (DeferredFrom && DeferredFrom != &FEncoded) FEncoded = *DeferredFrom;
  ++FChangeCount;
  Fire(OnAfterResize);
}

void TuiBitmap::SetSize(int32_t Width, int32_t Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (Width == FWidth && Height == FHeight) return;
  ReplacePixels(Width, Height, NewPixels(Width, Height));
  Fire(OnChange);
}

void TuiBitmap::AdoptPixels(int32_t Width, int32_t Height, std::unique_ptr<uint32_t[]> Pixels) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (int64_t(Width) * Height == 0) Pixels.reset();
  ReplacePixels(Width, Height, std::move(Pixels));
  Fire(OnChange);
}

void TuiBitmap::Changed() {
  PixelsWritten(Bounds());
  Fire(OnChange);
}

void TuiBitmap::Clear(TuiColor Color) {
  if (uint32_t* p = Bits()) std::fill_n(p, size_t(FWidth) * size_t(FHeight), PremultiplyColor(Color));
  Changed();
}

void TuiBitmap::ClearRect(const TuiRect& Rect, TuiColor Color) {
  int32_t left = ClampCoord(std::trunc(double(Rect.Left)), FWidth);
  int32_t top = ClampCoord(std::trunc(double(Rect.Top)), FHeight);
  int32_t right = ClampCoord(RoundHalfEven(Rect.Right), FWidth);
  int32_t bottom = ClampCoord(RoundHalfEven(Rect.Bottom), FHeight);
  if (left >= right || top >= bottom) return;
  TuiColor value = PremultiplyColor(Color);
  for (int32_t y = top; y < bottom; ++y) std::fill(Scanline(y) + left, Scanline(y) + right, value);
  PixelsWritten({left, top, right, bottom});
}

void TuiBitmap::Assign(const TuiPersistent* Source) {
  auto* source = dynamic_cast<const TuiBitmap*>(Source);
  if (!source) {
    throw EuxConvertError("Cannot assign a " + (Source ? Source->ClassName() : std::string("nil")) +
                          " to a " + ClassName());
  }
  if (source == this) return;
  // Resolving may adopt a resource, which only changes the source's link.
  if (const_cast<TuiBitmap*>(source)->ResolveBitmap()) {
    FLink.Assign(source->FLink);
    Fire(OnChange);
    return;
  }
  // The name stays with the copy: the resource it names may simply not be
  // loaded yet, and the copy must find it once it is.
  FLink.SetObject(nullptr);
  FLink.SetName(source->FLink.Name());
  size_t count = size_t(source->FWidth) * size_t(source->FHeight);
  if (source->FDeferred) {
    // The copy stays deferred too: the bytes stand for the same pixels.
    ReplacePixels(source->FWidth, source->FHeight, nullptr, &source->FEncoded);
  } else if (source->FWidth != FWidth || source->FHeight != FHeight || FDeferred) {
    std::unique_ptr<uint32_t[]> pixels = NewPixels(source->FWidth, source->FHeight);
    if (count) std::memcpy(pixels.get(), source->Bits(), count * 4);
    ReplacePixels(source->FWidth, source->FHeight, std::move(pixels));
  } else if (count) {
    std::memcpy(FPixels.get(), source->Bits(), count * 4);
  }
  Changed();
}

// ---- loading and saving ----

void TuiBitmap::FireLoaded() {
  Fire(OnLoaded);
}

bool TuiBitmap::LoadFromStream(std::istream& Stream) {
  if (!DefaultFilter()->LoadFromStream(Stream, *this)) return false;
  FireLoaded();
  return true;
}

bool TuiBitmap::LoadFromBytes(std::span<const uint8_t> Data) {
  if (!DefaultFilter()->LoadFromBytes(Data, *this)) return false;
  FireLoaded();
  return true;
}

std::vector<uint8_t> TuiBitmap::SaveToBytes() const {
  std::vector<uint8_t> data;
  if (IsEmpty()) return data;
  const uint32_t* p = Bits();
  bool opaque =
      std::all_of(p, p + size_t(FWidth) * size_t(FHeight), [](uint32_t x) { return Alpha(x) == 255; });
  bool ok = opaque ? DefaultFilter()->SaveToBytes(data, *this, "jpeg", "quality=100")
                   : DefaultFilter()->SaveToBytes(data, *this, "png", "");
  if (!ok) data.clear();
  return data;
}

bool TuiBitmap::SaveToStream(std::ostream& Stream) const {
  std::vector<uint8_t> data = SaveToBytes();
  if (data.empty()) return false;
  Stream.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(Stream);
}

bool TuiBitmap::LoadFromFile(const std::string& FileName, float Angle) {
  std::error_code error;
  if (!std::filesystem::exists(FileName, error)) return false;
  if (!DefaultFilter()->LoadFromFile(FileName, *this, Angle)) return false;
  FireLoaded();
  return true;
}

bool TuiBitmap::LoadThumbnailFromFile(const std::string& FileName, float MaxWidth, float MaxHeight,
                                      bool UseEmbedded) {
  std::error_code error;
  if (!std::filesystem::exists(FileName, error)) return false;
  if (!DefaultFilter()->LoadThumbnailFromFile(FileName, UseEmbedded, *this, MaxWidth, MaxHeight))
    return false;
  FireLoaded();
  return true;
}

bool TuiBitmap::SaveToFile(const std::string& FileName, std::string_view Params) const {
  return DefaultFilter()->SaveToFile(FileName, *this, Params);
}

uint64_t TuiBitmap::PixelsFingerprint() const {
  // FNV-1a over whole pixels, seeded with the size; pixels may be written
  // through Bits() without a change count, so the words themselves decide.
  uint64_t h = 0xcbf29ce484222325u ^ (uint64_t(uint32_t(FWidth)) << 32 | uint32_t(FHeight));
  const uint32_t* p = Bits();
  for (size_t i = 0, n = p ? size_t(FWidth) * size_t(FHeight) : 0; i < n; ++i)
    h = (h ^ p[i]) * 0x100000001b3u;
  return h;
}

TuiBinary TuiBitmap::PngData() const {
  if (IsEmpty()) return TuiBinary{};
  if (FDeferred) return TuiBinary{FEncoded};
  const uint64_t fingerprint = PixelsFingerprint();
  if (FEncoded.empty() || fingerprint != FEncodedFingerprint) {
    FEncoded = SaveToBytes();
    FEncodedFingerprint = fingerprint;
  }
  return TuiBinary{FEncoded};
}

void TuiBitmap::SetPngData(const TuiBinary& Value) {
  int32_t width = 0, height = 0;
  // The check decodes every coefficient anyway; its quarter-size result is
  // what a picture shown at about a quarter of its size is drawn from.
  auto quarter = std::make_unique<TuiBitmap>();
  const auto check =
      DefaultFilter()->CheckShrinkable(Value.Bytes, DeferFromPixels, width, height, quarter.get());
  if (check == TuiFilter::TShrinkCheck::Ok) {
    ReplacePixels(width, height, nullptr, &Value.Bytes);
    if (!quarter->IsEmpty()) FQuarter = std::move(quarter);
    Fire(OnChange);
    FireLoaded();
    return;
  }
  // Checked already: decoding a damaged picture twice would double what a
  // hostile stream costs.
  if (check == TuiFilter::TShrinkCheck::Damaged || !LoadFromBytes(Value.Bytes)) {
    if (!Value.Bytes.empty()) uxReportLoss("the image does not decode");
    return;
  }
  // A picture read from a stream writes back the very bytes it came from while
  // its pixels stay the same, so a stored layout round-trips unchanged and a
  // JPEG is not re-encoded.
  FEncoded = Value.Bytes;
  FEncodedFingerprint = PixelsFingerprint();
}

std::unique_ptr<TuiBitmap> TuiBitmap::DecodedAtLeast(int32_t Width, int32_t Height) const {
  if (!FDeferred) return nullptr;
  // The copy kept from the check serves once, when the decoder would shrink
  // by a quarter for this size (an eighth falls short of it); the caller
  // keeps its own reduction of it.
  if (FQuarter && FQuarter->Width() >= Width && FQuarter->Height() >= Height &&
      ((int64_t(FWidth) + 7) / 8 < Width || (int64_t(FHeight) + 7) / 8 < Height))
    return std::move(FQuarter);
  auto decoded = std::make_unique<TuiBitmap>();
  try {
    if (DefaultFilter()->LoadFromBytesAtLeast(FEncoded, *decoded, Width, Height)) return decoded;
  } catch (const std::exception&) {
    // An open read budget may refuse it; the caller then uses the pixels.
  }
  return nullptr;
}

void TuiBitmap::RealizeDeferred() const {
  FDeferred = false;
  FQuarter.reset();
  TuiBitmap decoded;
  try {
    DefaultFilter()->LoadFromBytes(FEncoded, decoded);
  } catch (const std::exception&) {
    // Handled below like a failed decode.
  }
  // The bytes were checked when read, so this takes running out of memory or
  // budget; the picture's size must hold whatever happens.
  if (decoded.FPixels && decoded.FWidth == FWidth && decoded.FHeight == FHeight)
    FPixels = std::move(decoded.FPixels);
  else
    FPixels = NewPixels(FWidth, FHeight);
  FEncodedFingerprint = PixelsFingerprint();
}

// ---- pixel operations ----

void TuiBitmap::FlipVertical() {
  for (int32_t y = 0; y < FHeight / 2; ++y)
    std::swap_ranges(Scanline(y), Scanline(y) + FWidth, Scanline(FHeight - 1 - y));
  Changed();
}

void TuiBitmap::InvertAlpha() {
  uint32_t* p = Bits();
  for (size_t i = 0, n = size_t(FWidth) * size_t(FHeight); i < n; ++i) {
    uint32_t straight = UnpremultiplyColor(p[i]);
    p[i] = PremultiplyColor((255 - Alpha(straight)) << 24 | (straight & 0xFFFFFF));
  }
  Changed();
}

void TuiBitmap::SetColorKeepAlpha(TuiColor Color) {
  // Only 255 results are possible, one per alpha.
  uint32_t byAlpha[256];
  for (uint32_t a = 1; a < 256; ++a) byAlpha[a] = PremultiplyColor(OpacityColor(Color, float(a) / 255));
  uint32_t* p = Bits();
  for (size_t i = 0, n = size_t(FWidth) * size_t(FHeight); i < n; ++i)
    if (Alpha(p[i])) p[i] = byAlpha[Alpha(p[i])];
  Changed();
}

std::vector<uint8_t> TuiBitmap::CreateMask() const {
  std::vector<uint8_t> mask(size_t(FWidth) * size_t(FHeight));
  const uint32_t* p = Bits();
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = uint8_t(Alpha(p[i]));
  return mask;
}

void TuiBitmap::ApplyMask(std::span<const uint8_t> Mask, int32_t OffsetX, int32_t OffsetY) {
  for (int32_t y = 0; y < FHeight; ++y) {
    int64_t my = int64_t(y) - OffsetY;
    if (my < 0 || my >= FHeight) continue;
    uint32_t* row = Scanline(y);
    for (int32_t x = 0; x < FWidth; ++x) {
      int64_t mx = int64_t(x) - OffsetX;
      if (mx < 0 || mx >= FWidth) continue;
      size_t index = size_t(my) * size_t(FWidth) + size_t(mx);
      if (index >= Mask.size() || Mask[index] == 0) continue;
      row[x] = PremultiplyColor(OpacityColor(UnpremultiplyColor(row[x]), float(255 - Mask[index]) / 255));
    }
  }
  Changed();
}

// ---- resources ----

TuiBitmapObject* TuiBitmap::Resource() const {
  return FLink.Object();
}

void TuiBitmap::SetResource(TuiBitmapObject* Value) {
  if (Value == FLink.Object()) return;
  FLink.SetObject(Value);
  // Unlinking by hand forgets the name too; a dying resource leaves it.
  if (!Value) FLink.SetName({});
  Fire(OnChange);
}

void TuiBitmap::SetResourceName(const std::string& Value) {
  if (FLink.SetName(Value)) Fire(OnChange);
}

TuiBitmap* TuiBitmap::ResolveBitmap() {
  if (TuiBitmapObject* linked = FLink.Object()) return linked->Bitmap();
  if (FLink.Name().empty()) return nullptr;
  auto* found = dynamic_cast<TuiBitmapObject*>(TuiObject::FindStyleObject(FLink.Name()));
  // A bitmap never stands in for itself: that would make it paint nothing.
  if (!found || found->Bitmap() == this) return nullptr;
  SetResource(found);
  return found->Bitmap();
}

// ---- canvas and the backends' images ----

bool TuiBitmapImage::IsCurrent(const TuiBitmap& Bitmap) const {
  return Version == Bitmap.ChangeCount();
}

TuiPixelRect TuiBitmapImage::TakePending(const TuiBitmap& Bitmap) {
  const TuiPixelRect pending = Pending;
  Pending = {};
  Version = Bitmap.ChangeCount();
  return pending;
}

TuiBitmapImage* TuiBitmap::Image(const TuiClassInfo& Key) const {
  for (const auto& [key, image] : FImages)
    if (key == &Key) return image.get();
  return nullptr;
}

TuiBitmapImage* TuiBitmap::SetImage(const TuiClassInfo& Key, std::unique_ptr<TuiBitmapImage> Image) {
  auto it = std::find_if(FImages.begin(), FImages.end(), [&Key](const auto& E) { return E.first == &Key; });
  if (!Image) {
    if (it != FImages.end()) FImages.erase(it);
    return nullptr;
  }
  Image->Version = FChangeCount;
  Image->Pending = {};
  if (it == FImages.end()) it = FImages.insert(FImages.end(), {&Key, nullptr});
  it->second = std::move(Image);
  return it->second.get();
}

void TuiBitmap::PixelsWritten(const TuiPixelRect& Rect, const TuiClassInfo* Writer) {
  TuiPixelRect r{std::max(Rect.Left, 0), std::max(Rect.Top, 0), std::min(Rect.Right, FWidth),
                 std::min(Rect.Bottom, FHeight)};
  if (r.IsEmpty()) return;
  ++FChangeCount;
  for (auto& [key, image] : FImages) {
    if (key == Writer) {
      // Its image is the memory just written: still current, unless it
      // already missed an earlier change.
      if (image->Version == FChangeCount - 1) image->Version = FChangeCount;
      continue;
    }
    image->Pending.Add(r);
  }
}

void TuiBitmap::ReleaseImages() {
  // Moved out first, so that an image's destructor sees the bitmap without it.
  auto images = std::move(FImages);
  FImages.clear();
  images.clear();
}

// ---- canvas ----

TuiCanvas* TuiBitmap::Canvas() {
  if (!FCanvas && CanvasFactory) FCanvas = CanvasFactory(*this);
  return FCanvas.get();
}
