// Laid-out texts kept across frames: whatever shapes a text gets a layout of
// its own, whatever does not reuses the kept one, and a kept layout measures
// and draws exactly as a new one would.
#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "draw2d/cairo/TextLayoutCairo.h"
#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;

namespace {

// A drawing context of its own for the fonts to lay out against.
struct TScratch {
  cairo_surface_t* Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 240, 120);
  cairo_t* Context = cairo_create(Surface);
  ~TScratch() {
    cairo_destroy(Context);
    cairo_surface_destroy(Surface);
  }
};

struct TCall {
  std::string Text = "Wait etalon mode";
  TuiRect Rect{10, 20, 110, 60};
  bool Wrap = true;
  TuiTextAlign H = uxTextAlignNear, V = uxTextAlignCenter;
  double Scale = 1;
};

TuiRect Measure(TuiCairoFonts& F, cairo_t* Cr, const TCall& C) {
  cairo_identity_matrix(Cr);
  cairo_scale(Cr, C.Scale, C.Scale);
  TuiRect r{};
  EXPECT_TRUE(F.Measure(Cr, C.Rect, C.Text, C.Wrap, C.H, C.V, r)) << C.Text;
  return r;
}

// What the same call gives on fonts that never laid anything out.
TuiRect Fresh(const TuiFont& Font, const TCall& C) {
  TuiCairoFonts f;
  f.SetFont(Font);
  TScratch s;
  return Measure(f, s.Context, C);
}

void ExpectSameRect(const TuiRect& A, const TuiRect& B, const std::string& What) {
  EXPECT_EQ(A.Left, B.Left) << What;
  EXPECT_EQ(A.Top, B.Top) << What;
  EXPECT_EQ(A.Right, B.Right) << What;
  EXPECT_EQ(A.Bottom, B.Bottom) << What;
}

std::vector<uint32_t> Pixels(const TuiCanvas& C) {
  return std::vector<uint32_t>(C.BufferBits(), C.BufferBits() + size_t(C.Width()) * size_t(C.Height()));
}

}  // namespace

TEST_F(CanvasTest, EverythingThatShapesATextGivesItANewLayout) {
  struct TVariation {
    const char* What;
    std::function<void(TCall&)> Change;
  };
  const TVariation variations[] = {
      {"text", [](TCall& c) { c.Text = "Wait etalon mode!"; }},
      {"wrap width", [](TCall& c) { c.Rect.Right = 60; }},
      {"wrapping", [](TCall& c) { c.Wrap = false; }},
      {"horizontal alignment", [](TCall& c) { c.H = uxTextAlignFar; }},
      {"vertical alignment", [](TCall& c) { c.V = uxTextAlignFar; }},
      {"scale", [](TCall& c) { c.Scale = 2; }},
  };
  const TuiFont font;
  for (const TVariation& v : variations) {
    TuiCairoFonts fonts;
    fonts.SetFont(font);
    TScratch s;
    const TCall base;
    TCall changed;
    v.Change(changed);

    const TuiRect first = Measure(fonts, s.Context, base);
    const uint64_t made = fonts.LayoutsMade();
    ExpectSameRect(Measure(fonts, s.Context, base), first, v.What);
    EXPECT_EQ(fonts.LayoutsMade(), made) << "the same call again: " << v.What;

    ExpectSameRect(Measure(fonts, s.Context, changed), Fresh(font, changed), v.What);
    EXPECT_EQ(fonts.LayoutsMade(), made + 1) << v.What;
    // Both are kept: going back and forth shapes nothing more.
    ExpectSameRect(Measure(fonts, s.Context, base), first, v.What);
    ExpectSameRect(Measure(fonts, s.Context, changed), Fresh(font, changed), v.What);
    EXPECT_EQ(fonts.LayoutsMade(), made + 1) << v.What;
    EXPECT_EQ(fonts.CachedLayouts(), 2u) << v.What;
  }
}

TEST_F(CanvasTest, MovingTheRectangleReusesTheLayout) {
  TuiCairoFonts fonts;
  fonts.SetFont(TuiFont());
  TScratch s;
  for (TuiTextAlign h : {uxTextAlignNear, uxTextAlignCenter, uxTextAlignFar}) {
    TCall call;
    call.H = h;
    const TuiRect at = Measure(fonts, s.Context, call);
    const uint64_t made = fonts.LayoutsMade();
    call.Rect = {call.Rect.Left + 32, call.Rect.Top + 16, call.Rect.Right + 32, call.Rect.Bottom + 16};
    const TuiRect moved = Measure(fonts, s.Context, call);
    EXPECT_EQ(fonts.LayoutsMade(), made) << int(h);
    ExpectSameRect(moved, {at.Left + 32, at.Top + 16, at.Right + 32, at.Bottom + 16}, "moved");
    ExpectSameRect(moved, Fresh(TuiFont(), call), "moved, against fresh fonts");
  }
}

TEST_F(CanvasTest, GridFittingIsPartOfTheLayout) {
  TuiCairoFonts fonts;
  fonts.SetFont(TuiFont());
  TScratch s;
  const TCall c;
  fonts.Draw(s.Context, c.Rect, c.Text, c.Wrap, c.H, c.V, false);
  const uint64_t made = fonts.LayoutsMade();
  fonts.Draw(s.Context, c.Rect, c.Text, c.Wrap, c.H, c.V, true);
  EXPECT_EQ(fonts.LayoutsMade(), made + 1);
  fonts.Draw(s.Context, c.Rect, c.Text, c.Wrap, c.H, c.V, false);
  fonts.Draw(s.Context, c.Rect, c.Text, c.Wrap, c.H, c.V, true);
  EXPECT_EQ(fonts.LayoutsMade(), made + 1);
}

TEST_F(CanvasTest, AFontChangeDropsTheLayoutsAndTheSameFontKeepsThem) {
  TuiCairoFonts fonts;
  TuiFont font;
  fonts.SetFont(font);
  TScratch s;
  const TCall c;
  const TuiRect small = Measure(fonts, s.Context, c);
  ASSERT_EQ(fonts.CachedLayouts(), 1u);

  TuiFont same;
  same.SetFamily("tahoma");  // resolves as before
  fonts.SetFont(same);
  EXPECT_EQ(fonts.CachedLayouts(), 1u);
  const uint64_t made = fonts.LayoutsMade();
  ExpectSameRect(Measure(fonts, s.Context, c), small, "same font");
  EXPECT_EQ(fonts.LayoutsMade(), made);

  struct TChange {
    const char* What;
    std::function<void(TuiFont&)> Change;
  };
  const TChange changes[] = {
      {"size", [](TuiFont& f) { f.SetSize(22); }},
      {"style", [](TuiFont& f) { f.SetStyle(uxFontBold); }},
      {"family", [](TuiFont& f) { f.SetFamily("No Such Family"); }},
      {"decoration", [](TuiFont& f) { f.SetStyle(uxFontUnderline); }},
  };
  for (const TChange& change : changes) {
    TuiFont other;
    change.Change(other);
    fonts.SetFont(other);
    EXPECT_EQ(fonts.CachedLayouts(), 0u) << change.What;
    ExpectSameRect(Measure(fonts, s.Context, c), Fresh(other, c), change.What);
    fonts.SetFont(font);
    EXPECT_EQ(fonts.CachedLayouts(), 0u) << change.What;
    ExpectSameRect(Measure(fonts, s.Context, c), small, change.What);
  }
  TuiFont big;
  big.SetSize(22);
  fonts.SetFont(big);
  EXPECT_GT(Measure(fonts, s.Context, c).Height(), small.Height() * 1.5f);
}

TEST_F(CanvasTest, TheLayoutCacheIsBoundedAndKeepsWhatWasUsedLast) {
  TuiCairoFonts fonts;
  fonts.SetFont(TuiFont());
  TScratch s;
  auto measure = [&](int I) {
    TCall c;
    c.Text = "Level " + std::to_string(I);
    return Measure(fonts, s.Context, c);
  };
  const size_t limit = TuiCairoFonts::LayoutCacheLimit;
  for (size_t i = 0; i < limit; ++i) measure(int(i));
  EXPECT_EQ(fonts.CachedLayouts(), limit);
  measure(0);  // used again: now the most recent
  for (size_t i = limit; i < limit + 40; ++i) measure(int(i));
  EXPECT_EQ(fonts.CachedLayouts(), limit);

  uint64_t made = fonts.LayoutsMade();
  measure(0);
  measure(int(limit + 39));
  EXPECT_EQ(fonts.LayoutsMade(), made) << "recently used texts stay";
  TCall evicted;
  evicted.Text = "Level 1";
  ExpectSameRect(Measure(fonts, s.Context, evicted), Fresh(TuiFont(), evicted), "laid out again");
  EXPECT_EQ(fonts.LayoutsMade(), made + 1) << "the least recently used went first";
  EXPECT_EQ(fonts.CachedLayouts(), limit);
}

TEST_F(CanvasTest, KeptLayoutsDrawAsNewOnesAfterOtherScales) {
  // Another scale re-shapes what the context holds; a kept layout of the
  // first scale must then draw from its new lines, not the freed ones.
  auto draw = [](TuiCanvas& C, float Scale) {
    TuiMatrix m;
    m.M[0][0] = m.M[1][1] = Scale;
    C.SetMatrix(m);
    C.Clear(0);
    C.FillText({4, 2, 150, 22}, "Wait etalon mode", false, 1, uxTextAlignNear);
    C.FillText({4, 22, 80, 60}, "Green blink all led", true, 1, uxTextAlignCenter);
    return Pixels(C);
  };
  auto fresh = NewCanvas(240, 120);
  const std::vector<uint32_t> once = draw(*fresh, 1);
  const std::vector<uint32_t> scaled = draw(*fresh, 1.5f);

  auto c = NewCanvas(240, 120);
  draw(*c, 1);
  for (float scale : {1.5f, 2.0f, 1.5f}) draw(*c, scale);
  EXPECT_EQ(draw(*c, 1.5f), scaled);
  EXPECT_EQ(draw(*c, 1), once);
  EXPECT_EQ(draw(*c, 1), once);
}

TEST_F(CanvasTest, LoadingAFontDropsTheLayoutsOfTheFontItReplaces) {
  const char* marlett = "/usr/share/wine/fonts/marlett.ttf";
  std::error_code error;
  if (!std::filesystem::exists(marlett, error)) GTEST_SKIP() << "fonts-wine is not installed";
  auto measure = [](TuiCanvas& C) {
    TuiRect r{0, 0, 200, 20};
    C.MeasureText(r, "abcdef", false, uxTextAlignNear);
    return r;
  };
  auto c = NewCanvas(4, 4);
  c->Font()->SetFamily("Marlett");
  const TuiRect fallback = measure(*c);
  std::ifstream file(marlett, std::ios::binary);
  ASSERT_TRUE(c->LoadFontFromStream(file));

  auto loaded = NewCanvas(4, 4);
  std::ifstream again(marlett, std::ios::binary);
  ASSERT_TRUE(loaded->LoadFontFromStream(again));
  loaded->Font()->SetFamily("Marlett");
  const TuiRect expected = measure(*loaded);
  ASSERT_NE(expected.Right, fallback.Right) << "the two fonts must measure apart for this test";
  ExpectSameRect(measure(*c), expected, "after loading");
}

TEST_F(CanvasTest, TheLayoutCacheIsBoundedByBytesToo) {
  TuiCairoFonts fonts;
  fonts.SetFont(TuiFont());
  TScratch s;
  constexpr size_t Long = TuiCanvas::MaxLaidOutText;
  const size_t fit = TuiCairoFonts::LayoutCacheBytes / TuiCairoFonts::LayoutCost(Long);
  ASSERT_LT(fit + 10, TuiCairoFonts::LayoutCacheLimit);
  TCall c;
  c.Wrap = false;
  for (size_t i = 0; i < fit + 10; ++i) {
    c.Text = std::to_string(i) + std::string(Long, 'a');
    Measure(fonts, s.Context, c);
    EXPECT_LE(fonts.CachedBytes(), TuiCairoFonts::LayoutCacheBytes) << i;
  }
  EXPECT_EQ(fonts.CachedLayouts(), fit);
  // The last one stays and short texts still have their room.
  const uint64_t made = fonts.LayoutsMade();
  Measure(fonts, s.Context, c);
  EXPECT_EQ(fonts.LayoutsMade(), made);
  Measure(fonts, s.Context, TCall());
  EXPECT_EQ(fonts.CachedLayouts(), fit + 1);
  EXPECT_LE(fonts.CachedBytes(), TuiCairoFonts::LayoutCacheBytes);
}

TEST_F(CanvasTest, TextPastTheBoundIsNotLaidOut) {
  auto c = NewCanvas(64, 16);
  const size_t bound = TuiCanvas::MaxLaidOutText;
  std::string text(bound, 'm');
  const float kept = c->TextWidth(text);
  text += std::string(bound, 'm');
  EXPECT_EQ(c->TextWidth(text), kept);
  EXPECT_LE(c->Fonts().CachedBytes(), TuiCairoFonts::LayoutCost(bound) + TuiCairoFonts::LayoutCost(0));
  // Drawing lays out no more either.
  c->FillText({0, 0, 64, 16}, text, true, 1, uxTextAlignNear);
  EXPECT_LE(c->Fonts().CachedBytes(), 2 * TuiCairoFonts::LayoutCost(bound));
}

// Offsets come from one layout per piece and agree with measuring each
// prefix; a text past the layout bound is measured whole, piece by piece.
TEST_F(CanvasTest, TextOffsetsAgreeWithThePrefixesWidths) {
  auto c = NewCanvas(64, 16);
  for (const std::string text : {"Wait etalon mode", "caf\xE9 1.2.", "  two  "}) {
    std::vector<float> x;
    c->TextOffsets(text, x);
    ASSERT_EQ(x.size(), text.size() + 1) << text;
    EXPECT_EQ(x[0], 0) << text;
    for (size_t i = 1; i <= text.size(); ++i)
      EXPECT_NEAR(x[i], c->TextWidth(text.substr(0, i)), 0.5f) << text << i;
  }
  const size_t bound = TuiCanvas::MaxLaidOutText;
  const std::string digits(bound + bound / 2, '0');
  std::vector<float> x;
  const uint64_t made = c->Fonts().LayoutsMade();
  const size_t kept = c->Fonts().CachedLayouts();
  c->TextOffsets(digits, x);
  EXPECT_EQ(c->Fonts().LayoutsMade(), made + 2);
  EXPECT_EQ(c->Fonts().CachedLayouts(), kept) << "offsets keep nothing laid out";
  ASSERT_EQ(x.size(), digits.size() + 1);
  const float digit = c->TextWidth("0");
  EXPECT_NEAR(x[bound + 10] - x[bound], 10 * digit, 0.01f);
  EXPECT_NEAR(x.back(), float(digits.size()) * digit, 1.0f);
}
