#include "draw2d/ImageHeader.h"

#include <algorithm>
#include <cstring>

#include "draw2d/ImagePixels.h"

namespace {

uint32_t Big16(std::span<const uint8_t> D, size_t At) {
  return uint32_t(D[At]) << 8 | D[At + 1];
}
uint32_t Big32(std::span<const uint8_t> D, size_t At) {
  return Big16(D, At) << 16 | Big16(D, At + 2);
}
uint32_t Little16(std::span<const uint8_t> D, size_t At) {
  return uint32_t(D[At + 1]) << 8 | D[At];
}
uint32_t Little32(std::span<const uint8_t> D, size_t At) {
  return Little16(D, At + 2) << 16 | Little16(D, At);
}

bool StartsWith(std::span<const uint8_t> D, const char* Prefix, size_t Size) {
  return D.size() >= Size && std::memcmp(D.data(), Prefix, Size) == 0;
}

bool PngHeader(std::span<const uint8_t> D, TuiImageHeader& H) {
  // Signature, then the first chunk must be IHDR: length, type, width, height.
  if (D.size() < 24 || std::memcmp(D.data() + 12, "IHDR", 4) != 0) return false;
  H.Width = Big32(D, 16), H.Height = Big32(D, 20);
  return true;
}

// Walks the segments from the start to the end-of-image marker: the frame
// header gives the size and the coding, every start of scan is counted and its
// entropy-coded data measured up to the next marker. Segments that do not run
// cleanly to that marker (data cut short, bytes where a marker belongs) make
// the file unreadable: a codec would patch such a file up into a picture.
bool JpegHeader(std::span<const uint8_t> D, TuiImageHeader& H) {
  bool sized = false;
  size_t at = 2;
  while (true) {
    if (at + 1 >= D.size() || D[at] != 0xFF) return false;
    const uint8_t marker = D[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD9) return sized && H.JpegScans > 0;  // end of image
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
      continue;
    }
    if (at + 4 > D.size()) return false;
    const size_t length = Big16(D, at + 2);
    if (length < 2) return false;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame && !sized) {
      if (at + 9 > D.size()) return false;
      H.Height = Big16(D, at + 5), H.Width = Big16(D, at + 7);
      H.JpegArithmetic = marker >= 0xC9;
      sized = true;
    }
    at += 2 + length;
    if (marker == 0xDA) {
      ++H.JpegScans;
      // Entropy-coded data runs to the next marker that is not a stuffed zero
      // or a restart.
      const size_t start = at;
      while (at + 1 < D.size() &&
             !(D[at] == 0xFF && D[at + 1] != 0 && !(D[at + 1] >= 0xD0 && D[at + 1] <= 0xD7)))
        ++at;
      H.JpegEntropyBytes += int64_t(std::min(at, D.size()) - std::min(start, D.size()));
    }
  }
}

bool GifHeader(std::span<const uint8_t> D, TuiImageHeader& H) {
  if (D.size() < 10) return false;
  H.Width = Little16(D, 6), H.Height = Little16(D, 8);
  return true;
}

bool BmpHeader(std::span<const uint8_t> D, TuiImageHeader& H) {
  if (D.size() < 26) return false;
  uint32_t infoSize = Little32(D, 14);
  if (infoSize == 12) {  // the old core header, 16-bit sides
    H.Width = Little16(D, 18), H.Height = Little16(D, 20);
    return true;
  }
  // Sides are signed; a negative height means rows from the top.
  H.Width = std::abs(int64_t(int32_t(Little32(D, 18))));
  H.Height = std::abs(int64_t(int32_t(Little32(D, 22))));
  return true;
}

// The first directory's ImageWidth (256) and ImageLength (257).
bool TiffHeader(std::span<const uint8_t> D, TuiImageHeader& H) {
  const bool little = D[0] == 'I';
  auto u16 = [&](size_t At) { return little ? Little16(D, At) : Big16(D, At); };
  auto u32 = [&](size_t At) { return little ? Little32(D, At) : Big32(D, At); };
  if (D.size() < 8) return false;
  size_t dir = u32(4);
  if (dir > D.size() - 2 || D.size() < 2) return false;
  size_t count = u16(dir);
  bool width = false, height = false;
  for (size_t i = 0; i < count; ++i) {
    size_t entry = dir + 2 + i * 12;
    if (entry + 12 > D.size()) return false;
    uint32_t tag = u16(entry), type = u16(entry + 2);
    if (tag != 256 && tag != 257) continue;
    int64_t value = type == 3 ? int64_t(u16(entry + 8)) : type == 4 ? int64_t(u32(entry + 8)) : -1;
    if (value < 0) return false;
    (tag == 256 ? H.Width : H.Height) = value;
    (tag == 256 ? width : height) = true;
  }
  return width && height;
}

}  // namespace

bool uxReadImageHeader(std::span<const uint8_t> Data, TuiImageHeader& Header) {
  TuiImageHeader h;
  bool ok = false;
  if (StartsWith(Data, "\x89PNG\r\n\x1A\n", 8)) {
    h.Kind = ikPng, ok = PngHeader(Data, h);
  } else if (StartsWith(Data, "\xFF\xD8\xFF", 3)) {
    h.Kind = ikJpeg, ok = JpegHeader(Data, h);
  } else if (StartsWith(Data, "GIF87a", 6) || StartsWith(Data, "GIF89a", 6)) {
    h.Kind = ikGif, ok = GifHeader(Data, h);
  } else if (StartsWith(Data, "BM", 2)) {
    h.Kind = ikBmp, ok = BmpHeader(Data, h);
  } else if (StartsWith(Data, "II*\0", 4) || StartsWith(Data, "MM\0*", 4)) {
    h.Kind = ikTiff, ok = TiffHeader(Data, h);
  }
  Header = ok ? h : TuiImageHeader{};
  return ok;
}

bool uxImageWorthDecoding(std::span<const uint8_t> Data, const TuiImageHeader& Header, int MaxScans,
                          int64_t MaxScanPixels) {
  const int64_t w = Header.Width, h = Header.Height;
  if (Header.Kind == ikUnknown || !uxImageWithinLimits(w, h)) return false;
  const int64_t bytes = int64_t(Data.size());
  switch (Header.Kind) {
    case ikPng:
      // Deflate expands at most about 1032 : 1, and every row holds at least a
      // filter byte and one bit per pixel.
      return h * (1 + (w + 7) / 8) <= bytes * 1032 + 4096;
    case ikJpeg:
      if (Header.JpegScans > std::clamp<int64_t>(MaxScanPixels / (w * h), 1, MaxScans)) return false;
      // Huffman codes take at least one bit for each 8 x 8 block's first
      // coefficient; arithmetic coding can take less and is not bounded so.
      return Header.JpegArithmetic || Header.JpegEntropyBytes * 8 >= ((w + 7) / 8) * ((h + 7) / 8);
    default:
      // LZW, run lengths and deflate at one bit a pixel all stay well below
      // 8300 pixels a byte.
      return w * h <= bytes * 8300 + 65536;
  }
}
