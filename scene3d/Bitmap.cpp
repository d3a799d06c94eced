#include "scene3d/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "draw2d/Bitmap.h"
#include "draw2d/ImageFilter.h"
#include "scene2d/ReadLosses.h"
#include "scene3d/Canvas.h"

UX_IMPLEMENT_CLASS(TscBitmap)

void TscBitmap::DefineProperties(TuiClassBuilder<TscBitmap>& C) {
  C.Property("PNG", &TscBitmap::PngData, &TscBitmap::SetPngData).StoredWhen = [](const TuiPersistent& O) {
    return !static_cast<const TscBitmap&>(O).IsEmpty();
  };
}

TscBitmap::TscBitmap(int32_t Width, int32_t Height) {
  SetSize(Width, Height);
}

TscBitmap::~TscBitmap() {
  DropTextures();
}

void TscBitmap::DropTextures() {
  // Each canvas takes itself off the list as it drops its texture.
  while (!FCanvases.empty()) {
    TscCanvas* canvas = FCanvases.back();
    canvas->RemoveTexture(this);
    if (!FCanvases.empty() && FCanvases.back() == canvas) FCanvases.pop_back();
  }
}

void TscBitmap::SetSize(int32_t Width, int32_t Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (Width == FWidth && Height == FHeight && (FBits || IsEmpty())) return;
  DropTextures();
  const size_t count = size_t(Width) * size_t(Height);
  FPixels = count ? std::make_unique<uint32_t[]>(count) : nullptr;
  FBits = FPixels.get();
  FWidth = Width;
  FHeight = Height;
  SetModified(true);  // every row
}

void TscBitmap::BorrowPixels(uint32_t* Pixels, int32_t Width, int32_t Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (!Pixels || int64_t(Width) * Height == 0) Pixels = nullptr, Width = Height = 0;
  if (Width != FWidth || Height != FHeight) DropTextures();
  FPixels.reset();
  FBits = Pixels;
  FWidth = Width;
  FHeight = Height;
  SetModified(true);  // every row
}

void TscBitmap::EndLoan() {
  if (!Borrowed()) return;
  DropTextures();
  FBits = nullptr;
  FWidth = FHeight = 0;
  SetModified(true);
}

void TscBitmap::Clear(uint32_t Color) {
  std::fill_n(FBits, size_t(FWidth) * size_t(FHeight), Color);
  SetModified(true);  // every row
}

bool TscBitmap::LockBits(uint32_t*& Pixels, bool ForWriting) {
  Pixels = FBits;
  if (!Pixels) return false;
  FWriteLocked = ForWriting;
  return true;
}

void TscBitmap::UnlockBits() {
  if (FWriteLocked) {
    FWriteLocked = false;
    SetModified(true);  // every row
    if (OnChange) OnChange(this);
  }
}

void TscBitmap::Changed() {
  SetModified(true);  // every row
  if (OnChange) OnChange(this);
}

void TscBitmap::Assign(const TscBitmap& Source) {
  if (&Source == this) return;
  SetSize(Source.FWidth, Source.FHeight);
  if (!IsEmpty()) std::memcpy(FBits, Source.FBits, size_t(FWidth) * size_t(FHeight) * 4);
  FPremultiplied = Source.FPremultiplied;
  Changed();
}

void TscBitmap::Assign(const TuiBitmap& Source) {
  SetSize(Source.Width(), Source.Height());
  if (!IsEmpty()) std::memcpy(FBits, Source.Bits(), size_t(FWidth) * size_t(FHeight) * 4);
  FPremultiplied = true;
  Changed();
}

void TscBitmap::Assign(TscCanvas& Source) {
  SetSize(Source.Width(), Source.Height());
  if (!IsEmpty()) Source.CopyToBits(FBits);
  FPremultiplied = true;
  Changed();
}

void TscBitmap::AssignTo(TuiBitmap& Dest) const {
  Dest.SetSize(FWidth, FHeight);
  if (!IsEmpty()) std::memcpy(Dest.Bits(), FBits, size_t(FWidth) * size_t(FHeight) * 4);
  Dest.Changed();
}

bool TscBitmap::LoadFromBytes(std::span<const uint8_t> Data) {
  return TscFilter::Create()->LoadFromBytes(Data, *this);
}

std::vector<uint8_t> TscBitmap::SaveToBytes() const {
  std::vector<uint8_t> data;
  if (IsEmpty()) return data;
  const uint32_t* p = FBits;
  const bool opaque =
      std::all_of(p, p + size_t(FWidth) * size_t(FHeight), [](uint32_t x) { return x >> 24 == 255; });
  std::unique_ptr<TscFilter> filter = TscFilter::Create();
  const bool ok = opaque ? filter->SaveToBytes(data, *this, "jpeg", "quality=100")
                         : filter->SaveToBytes(data, *this, "png", "");
  if (!ok) data.clear();
  return data;
}

TuiBinary TscBitmap::PngData() const {
  return TuiBinary{SaveToBytes()};
}

void TscBitmap::SetPngData(const TuiBinary& Value) {
  if (!LoadFromBytes(Value.Bytes) && !Value.Bytes.empty()) uxReportLoss("the image does not decode");
}

void TscBitmap::AddCanvas(TscCanvas* Canvas) {
  if (std::find(FCanvases.begin(), FCanvases.end(), Canvas) == FCanvases.end()) FCanvases.push_back(Canvas);
}

void TscBitmap::RemoveCanvas(TscCanvas* Canvas) {
  std::erase(FCanvases, Canvas);
}

// ---- filters ----

std::function<std::unique_ptr<TscFilter>()> TscFilter::DefaultFilter;

std::unique_ptr<TscFilter> TscFilter::Create() {
  if (DefaultFilter)
    if (std::unique_ptr<TscFilter> f = DefaultFilter()) return f;
  return std::make_unique<TscFilterPngJpeg>();
}

bool TscFilter::GetImageSize(const std::string&, int32_t& Width, int32_t& Height) {
  Width = Height = 0;
  return false;
}

namespace {
std::unique_ptr<TuiFilter> Filter2d() {
  return TuiFilterRegistry::Instance().CreateDefault();
}

// Sizes the 3D bitmap to the decoded picture and copies it in under a write
// lock, so the bitmap counts as modified and tells its listeners.
bool Take(const TuiBitmap& Picture, TscBitmap& Bitmap) {
  Bitmap.SetSize(Picture.Width(), Picture.Height());
  Bitmap.SetPremultiplied(true);
  uint32_t* bits = nullptr;
  if (!Bitmap.LockBits(bits, true)) return false;
  std::memcpy(bits, Picture.Bits(), size_t(Picture.Width()) * size_t(Picture.Height()) * 4);
  Bitmap.UnlockBits();
  return true;
}

std::unique_ptr<TuiBitmap> Give(const TscBitmap& Bitmap) {
  auto picture = std::make_unique<TuiBitmap>(Bitmap.Width(), Bitmap.Height());
  if (!Bitmap.IsEmpty())
    std::memcpy(picture->Bits(), Bitmap.Bits(), size_t(Bitmap.Width()) * size_t(Bitmap.Height()) * 4);
  return picture;
}
}  // namespace

std::string TscFilterPngJpeg::GetFileTypes() const {
  return Filter2d()->GetFileTypes();
}

bool TscFilterPngJpeg::GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height) {
  return Filter2d()->GetImageSize(FileName, Width, Height);
}

bool TscFilterPngJpeg::LoadFromFile(const std::string& FileName, TscBitmap& Bitmap) {
  TuiBitmap picture;
  return Filter2d()->LoadFromFile(FileName, picture, 0) && Take(picture, Bitmap);
}

bool TscFilterPngJpeg::LoadFromBytes(std::span<const uint8_t> Data, TscBitmap& Bitmap) {
  TuiBitmap picture;
  return Filter2d()->LoadFromBytes(Data, picture) && Take(picture, Bitmap);
}

bool TscFilterPngJpeg::SaveToBytes(std::vector<uint8_t>& Data, const TscBitmap& Bitmap,
                                   std::string_view Format, std::string_view Params) {
  return Filter2d()->SaveToBytes(Data, *Give(Bitmap), Format, Params);
}

bool TscFilterPngJpeg::SaveToFile(const std::string& FileName, const TscBitmap& Bitmap,
                                  std::string_view Params) {
  return Filter2d()->SaveToFile(FileName, *Give(Bitmap), Params);
}
