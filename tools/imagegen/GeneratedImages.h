#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "draw2d/Bitmap.h"

// The pictures the repository keeps together with the programs that make them.
struct TuiGeneratedImage {
  std::string_view Path;    // relative to the source root
  std::string_view Format;  // "png" (lossless, straight alpha) or "jpeg" (baseline)
  std::string_view Params;  // encoder parameters ("quality=90")
  void (*Make)(TuiBitmap& Bitmap);
};

std::span<const TuiGeneratedImage> uxGeneratedImages();

// The file bytes of Image as made now; empty when the encoder fails.
std::vector<uint8_t> uxEncodeGeneratedImage(const TuiGeneratedImage& Image);
