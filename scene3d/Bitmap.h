#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/Persistent.h"

class TscCanvas;
class TuiBitmap;

// A 3D bitmap: Width x Height 32-bit words, rows top to bottom, used as they
// are (a GUI layer's buffer holds premultiplied words, a glyph atlas white
// with straight alpha). Which of the two it holds decides how a device blends
// it: straight words are weighted by their alpha, premultiplied ones already
// are. Canvases that hold a device texture of it are listed here, so that a
// new size or the bitmap's end makes each drop its texture.
//
// The words are its own, or borrowed from an owner that keeps them (a GUI
// layer lends its 2D buffer, so that the tree paints straight into the
// texture's pixels). The lender ends the loan before the words go.
class TscBitmap : public TuiPersistent {
  UX_CLASS(TscBitmap, TuiPersistent)
 public:
  using TNotify = std::function<void(TscBitmap* Sender)>;

  TscBitmap() = default;
  TscBitmap(int32_t Width, int32_t Height);
  ~TscBitmap() override;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool IsEmpty() const { return int64_t(FWidth) * FHeight == 0; }
  uint32_t* Bits() { return FBits; }
  const uint32_t* Bits() const { return FBits; }

  // Negative sizes become 0; the pixels are zero-filled and marked modified.
  // A new size ends a loan: the bitmap has words of its own again.
  void SetSize(int32_t Width, int32_t Height);
  // Shows Width x Height words the caller owns instead of its own (which it
  // frees), every row marked modified. The caller keeps them alive until it
  // lends others or calls EndLoan.
  void BorrowPixels(uint32_t* Pixels, int32_t Width, int32_t Height);
  // The lent words are about to go: the bitmap lets go of them and is empty.
  void EndLoan();
  bool Borrowed() const { return FBits && !FPixels; }
  // Whether the words are premultiplied ARGB. Pictures taken from 2D
  // bitmaps, image data or a canvas's frame are; a new bitmap is straight.
  bool Premultiplied() const { return FPremultiplied; }
  void SetPremultiplied(bool Value) { FPremultiplied = Value; }
  void Clear(uint32_t Color);
  // False without pixels. For writing, UnlockBits marks the pixels modified
  // and raises OnChange.
  bool LockBits(uint32_t*& Pixels, bool ForWriting);
  void UnlockBits();
  bool Modified() const { return FModified; }
  void SetModified(bool Value) {
    FModified = Value;
    FModifiedCount = -1;
  }
  // A writer that changed only some rows (a GUI layer after a partial
  // repaint) says which, so that a texture refresh uploads just those. The
  // range grows over several calls until the next upload; any other change
  // counts the whole bitmap.
  void MarkRowsModified(int32_t First, int32_t Count) {
    if (First < 0) Count += First, First = 0;
    if (Count > FHeight - First) Count = FHeight - First;
    if (Count <= 0) return;
    if (!FModified) {
      FModifiedFirst = First, FModifiedCount = Count;
    } else if (FModifiedCount >= 0) {
      const int32_t Last = std::max(FModifiedFirst + FModifiedCount, First + Count);
      FModifiedFirst = std::min(FModifiedFirst, First);
      FModifiedCount = Last - FModifiedFirst;
    }
    FModified = true;
  }
  // The rows to upload while Modified: the marked range, or all of them.
  void ModifiedRows(int32_t& First, int32_t& Count) const {
    const bool Partial = FModifiedCount >= 0 && FModifiedFirst + FModifiedCount <= FHeight;
    First = Partial ? FModifiedFirst : 0;
    Count = Partial ? FModifiedCount : FHeight;
  }

  // From another TscBitmap, a TuiBitmap (size and words) or a canvas (its
  // frame through CopyToBits); raises OnChange.
  void Assign(const TscBitmap& Source);
  void Assign(const TuiBitmap& Source);
  void Assign(TscCanvas& Source);
  void AssignTo(TuiBitmap& Dest) const;

  // Encoded image data through the default 3D filter: PNG when any pixel is
  // not opaque, else JPEG at quality 100. Loading returns false, leaving the
  // bitmap as it was, for data the filter cannot read.
  bool LoadFromBytes(std::span<const uint8_t> Data);
  std::vector<uint8_t> SaveToBytes() const;
  TuiBinary PngData() const;
  void SetPngData(const TuiBinary& Value);

  TNotify OnChange;

  // The canvas side of the texture bookkeeping.
  void AddCanvas(TscCanvas* Canvas);
  void RemoveCanvas(TscCanvas* Canvas);
  const std::vector<TscCanvas*>& Canvases() const { return FCanvases; }

  static void DefineProperties(TuiClassBuilder<TscBitmap>& C);

 private:
  void DropTextures();
  void Changed();

  std::unique_ptr<uint32_t[]> FPixels;  // its own words; none while borrowing
  uint32_t* FBits = nullptr;            // the words shown: FPixels or the lent ones
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  bool FModified = false;
  bool FPremultiplied = false;
  int32_t FModifiedFirst = 0, FModifiedCount = -1;  // -1: every row
  bool FWriteLocked = false;
  std::vector<TscCanvas*> FCanvases;
};

// The 3D image filter: what a TscBitmap reads and writes encoded images with.
class TscFilter {
 public:
  virtual ~TscFilter() = default;
  virtual std::string GetFileTypes() const { return {}; }
  virtual bool GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height);
  virtual bool LoadFromFile(const std::string& FileName, TscBitmap& Bitmap) = 0;
  virtual bool LoadFromBytes(std::span<const uint8_t> Data, TscBitmap& Bitmap) = 0;
  // Format "png" or "jpeg"; Params as the 2D filter takes them ("quality=100").
  virtual bool SaveToBytes(std::vector<uint8_t>& Data, const TscBitmap& Bitmap, std::string_view Format,
                           std::string_view Params) = 0;
  virtual bool SaveToFile(const std::string& FileName, const TscBitmap& Bitmap, std::string_view Params) = 0;

  // The filter 3D bitmaps use; a TscFilterPngJpeg unless replaced.
  static std::function<std::unique_ptr<TscFilter>()> DefaultFilter;
  static std::unique_ptr<TscFilter> Create();
};

// The 3D filter over the system's default 2D filter (libpng and libjpeg, or
// GDI+): pictures go through a temporary TuiBitmap, with the 2D filter's limits
// on size and input, and its EuxError when the system has no filter.
class TscFilterPngJpeg : public TscFilter {
 public:
  std::string GetFileTypes() const override;
  bool GetImageSize(const std::string& FileName, int32_t& Width, int32_t& Height) override;
  bool LoadFromFile(const std::string& FileName, TscBitmap& Bitmap) override;
  bool LoadFromBytes(std::span<const uint8_t> Data, TscBitmap& Bitmap) override;
  bool SaveToBytes(std::vector<uint8_t>& Data, const TscBitmap& Bitmap, std::string_view Format,
                   std::string_view Params) override;
  bool SaveToFile(const std::string& FileName, const TscBitmap& Bitmap, std::string_view Params) override;
};
