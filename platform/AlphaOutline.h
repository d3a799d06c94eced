#pragma once

#include <cstdint>
#include <vector>

#include "platform/Window.h"

// What a pushed frame's alpha makes of a window's outline: the pixels that take input (alpha not 0, as a
// layered window takes presses) and the pixels worth drawing when no compositing manager blends them (alpha
// at least one half). Kept per pixel, so that a changed rectangle is compared here and the server hears only
// of a real change: an LED that changes colour leaves both outlines as they were.
namespace platform {

struct TShapeRect {
  int X, Y, Width, Height;
  bool operator==(const TShapeRect&) const = default;
};

class TAlphaOutline {
 public:
  enum TLevel : uint8_t { olInput = 1, olSolid = 2 };

  TSize Size() const { return FSize; }
  // Forgets everything: a frame of Size follows.
  void Reset(TSize Size);
  // Takes the alpha of Part from Frame (which has Size()); true when the
  // outline changed there.
  bool Update(const TFrame& Frame, const TRect& Part);
  // The pixels of Part at Level, as rectangles in bands from top to bottom
  // (rows with the same runs share one rectangle per run).
  std::vector<TShapeRect> Rectangles(const TRect& Part, TLevel Level) const;
  // Whether the pixel at (X, Y) is at Level; outside the size it is not.
  bool At(int X, int Y, TLevel Level) const;

 private:
  TSize FSize;
  std::vector<uint8_t> FClass;  // per pixel: olInput and olSolid bits
};

}  // namespace platform
