#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene3d/Bitmap.h"
#include "scene3d/Material.h"

// The glyphs of one font (family, size, style) rendered once into a texture:
// white with straight alpha (the coverage), one cell per character, drawn as
// textured quads through the canvas's ordinary primitives so that every
// device shows text the same way. Rasterised with the default 2D canvas (the
// Cairo/Pango backend); without one no atlas is made and text draws nothing.
class TscGlyphAtlas {
 public:
  struct TGlyph {
    bool Wanted = false;
    float U1 = 0, V1 = 0, U2 = 0, V2 = 0;  // fractions of the atlas size
    int32_t A = 0, C = 0;                  // spacing before and after, pixels
  };
  static constexpr int FirstCode = 32;
  static constexpr int MaxSide = 1024;

  TscGlyphAtlas(const TscFont& Font);

  bool Matches(const TscFont& Font) const;
  // Marks the characters of Text above 31 as wanted (the table grows up to
  // them) and renders the atlas again when any was new. False when there is
  // no atlas to draw with.
  bool Prepare(std::string_view Text);
  const TGlyph* Glyph(unsigned char Code) const;
  TscBitmap& Bitmap() { return FBitmap; }
  bool Ready() const { return FReady; }

 private:
  void Render();

  std::string FFamily;
  float FSize;
  TscFontStyle FStyle;
  std::vector<TGlyph> FGlyphs;
  TscBitmap FBitmap;
  bool FReady = false;
};
