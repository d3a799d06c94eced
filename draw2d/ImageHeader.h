#pragma once

#include <cstdint>
#include <span>

// What an image file's header declares, read without decoding anything: for
// filters whose codec decodes the whole picture as soon as it is asked (GDI+),
// so that its size can be checked first.
enum TuiImageKind : uint8_t { ikUnknown, ikPng, ikJpeg, ikGif, ikBmp, ikTiff };

struct TuiImageHeader {
  TuiImageKind Kind = ikUnknown;
  int64_t Width = 0;
  int64_t Height = 0;
  // Scans of a JPEG, counted over the whole file, the bytes of their coded
  // data, and whether that data is arithmetic-coded rather than Huffman-coded.
  int64_t JpegScans = 0;
  int64_t JpegEntropyBytes = 0;
  bool JpegArithmetic = false;
};

// False, Kind ikUnknown, when the data holds no header of the kinds above or
// the header is cut short. A JPEG must run cleanly from its start to its
// end-of-image marker.
bool uxReadImageHeader(std::span<const uint8_t> Data, TuiImageHeader& Header);

// Whether data of that header may be decoded at all: within the filters' size
// limits (TuiFilter), no more pixels than its compressed data can possibly
// hold (for a Huffman-coded JPEG at least a bit per 8 x 8 block), and for a
// JPEG no more scans than MaxScanPixels over its pixels allows
// (between 1 and MaxScans).
bool uxImageWorthDecoding(std::span<const uint8_t> Data, const TuiImageHeader& Header, int MaxScans,
                          int64_t MaxScanPixels);
