#include "scene3d/GlyphAtlas.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "draw2d/Bitmap.h"
#include "draw2d/Brush.h"
#include "draw2d/Canvas.h"
#include "draw2d/Font.h"
#include "scene2d/Geometry.h"

namespace {
bool SameFamily(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) == std::tolower(static_cast<unsigned char>(Y));
         });
}
}  // namespace

TscGlyphAtlas::TscGlyphAtlas(const TscFont& Font)
    : FFamily(Font.Family()), FSize(Font.Size()), FStyle(Font.Style()), FGlyphs(96) {
  for (TGlyph& g : FGlyphs) g.Wanted = true;
  Render();
}

bool TscGlyphAtlas::Matches(const TscFont& Font) const {
  return SameFamily(FFamily, Font.Family()) && FSize == Font.Size() && FStyle == Font.Style();
}

const TscGlyphAtlas::TGlyph* TscGlyphAtlas::Glyph(unsigned char Code) const {
  if (Code < FirstCode || size_t(Code - FirstCode) >= FGlyphs.size()) return nullptr;
  return &FGlyphs[size_t(Code - FirstCode)];
}

bool TscGlyphAtlas::Prepare(std::string_view Text) {
  bool added = false;
  for (const char ch : Text) {
    const auto code = static_cast<unsigned char>(ch);
    if (code < FirstCode) continue;
    const size_t i = size_t(code - FirstCode);
    if (i >= FGlyphs.size()) FGlyphs.resize(i + 1);
    if (!FGlyphs[i].Wanted) FGlyphs[i].Wanted = added = true;
  }
  if (added) Render();
  return FReady;
}

void TscGlyphAtlas::Render() {
  FReady = false;
  std::unique_ptr<TuiCanvas> measure = TuiCanvas::CreateCanvas(1, 1);
  if (!measure) return;
  TuiFont font;
  font.SetFamily(FFamily);
  font.SetSize(FSize);
  font.SetStyle(TuiFontStyle(FStyle));
  measure->Font()->Assign(font);
  // Cells of (advance + 2) x (line height + 2) in rows; the atlas doubles,
  // width first when square, until they fit.
  TuiRect line{0, 0, 0, 0};
  measure->MeasureText(line, "Wg", false, uxTextAlignNear, uxTextAlignNear);
  const int lineHeight = std::max(1, int(std::ceil(line.Bottom - line.Top)));
  std::vector<int> advance(FGlyphs.size(), 0);
  for (size_t i = 0; i < FGlyphs.size(); ++i)
    if (FGlyphs[i].Wanted)
      advance[i] = int(std::ceil(measure->TextWidth(std::string(1, char(FirstCode + i)))));
  int w = 64, h = 64;
  for (;;) {
    int x = 1, y = 1;
    for (size_t i = 0; i < FGlyphs.size(); ++i) {
      if (!FGlyphs[i].Wanted) continue;
      if (x + advance[i] + 3 > w) x = 1, y += lineHeight + 1;
      x += advance[i] + 3;
    }
    if (y + lineHeight + 1 <= h && x <= w) break;
    (w == h ? w : h) *= 2;
    if (h > MaxSide || w > MaxSide) return;
  }
  TuiBitmap picture(w, h);
  std::unique_ptr<TuiCanvas> canvas = TuiCanvas::CreateCanvas(picture);
  if (!canvas || !canvas->BeginScene()) return;
  canvas->Clear(0);
  canvas->Font()->Assign(font);
  canvas->Fill()->SetColorValue(0xFFFFFFFF);
  int x = 1, y = 1;
  for (size_t i = 0; i < FGlyphs.size(); ++i) {
    TGlyph& g = FGlyphs[i];
    if (!g.Wanted) continue;
    const int cell = advance[i] + 2;
    if (x + advance[i] + 3 > w) x = 1, y += lineHeight + 1;
    // The cell keeps a pixel of room on either side; A and C take it back
    // when the text is laid out.
    g.U1 = float(x) / float(w), g.V1 = float(y) / float(h);
    g.U2 = float(x + cell) / float(w), g.V2 = float(y + lineHeight) / float(h);
    g.A = -1, g.C = -1;
    canvas->FillText(TuiRect{float(x + 1), float(y), float(x + 1 + advance[i] + 100), float(y + lineHeight)},
                     std::string(1, char(FirstCode + i)), false, 1, uxTextAlignNear, uxTextAlignNear);
    x += cell + 1;
  }
  canvas->EndScene();
  canvas.reset();
  FBitmap.SetSize(w, h);
  uint32_t* out = nullptr;
  if (!FBitmap.LockBits(out, true)) return;
  for (int r = 0; r < h; ++r) {
    const uint32_t* row = picture.Scanline(r);
    for (int c = 0; c < w; ++c) out[size_t(r) * size_t(w) + size_t(c)] = (row[c] & 0xFF000000u) | 0xFFFFFFu;
  }
  FBitmap.UnlockBits();
  FReady = true;
}
