#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "draw2d/Bitmap.h"

// Builders for small pictures and for image files damaged on purpose.
namespace fixtures {

using Bytes = std::vector<uint8_t>;

// Wine's GDI+ hands its encoders no parameters, so a JPEG there has the
// encoder's own quality whatever is asked for.
bool RunningUnderWine();

// A bitmap whose pixel (x, y) is Pixel(x, y), already premultiplied.
inline std::unique_ptr<TuiBitmap> MakeBitmap(int32_t W, int32_t H,
                                             const std::function<uint32_t(int32_t, int32_t)>& Pixel) {
  auto b = std::make_unique<TuiBitmap>(W, H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) b->Scanline(y)[x] = Pixel(x, y);
  return b;
}

// An opaque picture with smooth colour changes, such as photographs have.
inline std::unique_ptr<TuiBitmap> OpaqueGradient(int32_t W, int32_t H) {
  return MakeBitmap(W, H, [W, H](int32_t x, int32_t y) {
    return 0xFF000000u | uint32_t(x * 255 / W) << 16 | uint32_t(y * 255 / H) << 8 |
           uint32_t((x + y) * 127 / (W + H));
  });
}

inline std::vector<uint32_t> PixelsOf(const TuiBitmap& B) {
  if (B.IsEmpty()) return {};
  return {B.Bits(), B.Bits() + size_t(B.Width()) * size_t(B.Height())};
}

inline bool StartsWith(const Bytes& Data, std::initializer_list<uint8_t> Prefix) {
  return Data.size() >= Prefix.size() && std::equal(Prefix.begin(), Prefix.end(), Data.begin());
}
inline bool IsPngFile(const Bytes& Data) {
  return StartsWith(Data, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
}
inline bool IsJpegFile(const Bytes& Data) {
  return StartsWith(Data, {0xFF, 0xD8, 0xFF});
}

// The CRC-32 of PNG chunks, bit by bit: fixtures are small.
inline uint32_t Crc32(const uint8_t* Data, size_t Size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < Size; ++i) {
    crc ^= Data[i];
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

inline void PutBigEndian32(Bytes& Data, size_t At, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Data[At + i] = uint8_t(Value >> (24 - 8 * i));
}

// A PNG whose header claims another size, its checksum made right again so
// that only the size is wrong.
inline Bytes PngWithSize(Bytes Png, uint32_t W, uint32_t H) {
  // Signature (8), length (4), "IHDR" (4), then width and height.
  PutBigEndian32(Png, 16, W);
  PutBigEndian32(Png, 20, H);
  uint32_t crc = Crc32(Png.data() + 12, 17);
  PutBigEndian32(Png, 29, crc);
  return Png;
}

// The offset of the first chunk of that type, or 0.
inline size_t FindPngChunk(const Bytes& Png, const char* Type) {
  for (size_t at = 8; at + 8 <= Png.size();) {
    uint32_t length =
        uint32_t(Png[at]) << 24 | uint32_t(Png[at + 1]) << 16 | uint32_t(Png[at + 2]) << 8 | Png[at + 3];
    if (std::equal(Type, Type + 4, Png.begin() + long(at) + 4)) return at;
    at += 12 + size_t(length);
  }
  return 0;
}

// A JPEG whose frame header claims another size.
inline Bytes JpegWithSize(Bytes Jpeg, uint16_t W, uint16_t H) {
  for (size_t at = 2; at + 9 < Jpeg.size(); ++at)
    if (Jpeg[at] == 0xFF && (Jpeg[at + 1] == 0xC0 || Jpeg[at + 1] == 0xC2)) {
      // Marker, length (2), precision (1), then height and width.
      Jpeg[at + 5] = uint8_t(H >> 8), Jpeg[at + 6] = uint8_t(H);
      Jpeg[at + 7] = uint8_t(W >> 8), Jpeg[at + 8] = uint8_t(W);
      return Jpeg;
    }
  return {};
}

// Records every notification of a bitmap, in order, until it goes (the bitmap
// may outlive it and still notify from its destructor).
struct NotifyLog {
  std::vector<std::string> Events;
  TuiBitmap& Bitmap;
  ~NotifyLog() {
    Bitmap.OnBeforeResize = Bitmap.OnReleaseImage = Bitmap.OnAfterResize = Bitmap.OnChange = Bitmap.OnLoaded =
        nullptr;
  }
  explicit NotifyLog(TuiBitmap& B) : Bitmap(B) {
    B.OnBeforeResize = [this](TuiBitmap*) { Events.push_back("before"); };
    B.OnReleaseImage = [this](TuiBitmap*) { Events.push_back("release"); };
    B.OnAfterResize = [this](TuiBitmap*) { Events.push_back("after"); };
    B.OnChange = [this](TuiBitmap*) { Events.push_back("change"); };
    B.OnLoaded = [this](TuiBitmap*) { Events.push_back("loaded"); };
  }
};

}  // namespace fixtures
