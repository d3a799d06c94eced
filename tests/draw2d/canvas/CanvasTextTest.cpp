// Text geometry: measured boxes, alignment, wrapping, fonts. Glyph pixels are
// the font's; what is compared is where text goes and how big it is.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;

namespace {

constexpr const char* TahomaFile = "/usr/share/wine/fonts/tahoma.ttf";
constexpr const char* MarlettFile = "/usr/share/wine/fonts/marlett.ttf";

bool HaveFile(const char* Path) {
  std::error_code error;
  return std::filesystem::exists(Path, error);
}

TuiRect Measured(TuiCanvas& C, TuiRect R, std::string_view Text, bool Wrap, TuiTextAlign H,
                 TuiTextAlign V = uxTextAlignCenter) {
  C.MeasureText(R, Text, Wrap, H, V);
  return R;
}

}  // namespace

TEST_F(CanvasTest, TahomaIsTheDefaultFamilyWhenItsFilesAreInstalled) {
  auto c = NewCanvas(4, 4);
  if (!HaveFile(TahomaFile)) GTEST_SKIP() << "fonts-wine is not installed";
  EXPECT_EQ(c->ResolvedFamily(), "Tahoma");
  c->Font()->SetFamily("tahoma");
  EXPECT_EQ(c->ResolvedFamily(), "Tahoma") << "family names match in any case";
  // The program's own faces come first; the system's are still there for any
  // other family asked for later.
  if (HaveFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) {
    c->Font()->SetFamily("DejaVu Sans");
    EXPECT_EQ(c->ResolvedFamily(), "DejaVu Sans");
  }
  c->Font()->SetFamily("No Such Family");
  EXPECT_EQ(c->ResolvedFamily(), "sans-serif");
  c->Font()->SetFamily("Tahoma");
  // The settings window's labels were laid out for these metrics.
  const TuiRect t = Measured(*c, {0, 0, 228, 19}, "SoftWare level sensor", false, uxTextAlignNear);
  EXPECT_GT(t.Width(), 90);
  EXPECT_LT(t.Width(), 130);
  EXPECT_GE(t.Top, 0);
  EXPECT_LE(t.Bottom, 19);
  EXPECT_GT(t.Height(), 10);
}

TEST_F(CanvasTest, MeasureAlignsTheBoxInBothDirections) {
  auto c = NewCanvas(4, 4);
  const TuiRect area{10, 20, 210, 80};
  for (TuiTextAlign h : {uxTextAlignNear, uxTextAlignCenter, uxTextAlignFar})
    for (TuiTextAlign v : {uxTextAlignNear, uxTextAlignCenter, uxTextAlignFar}) {
      const TuiRect r = Measured(*c, area, "Level 42", true, h, v);
      const float x = h == uxTextAlignNear  ? r.Left - area.Left
                      : h == uxTextAlignFar ? r.Right - area.Right
                                            : (r.Left + r.Right) / 2 - 110;
      const float y = v == uxTextAlignNear  ? r.Top - area.Top
                      : v == uxTextAlignFar ? r.Bottom - area.Bottom
                                            : (r.Top + r.Bottom) / 2 - 50;
      EXPECT_NEAR(x, 0, 0.51) << int(h) << "/" << int(v);
      EXPECT_NEAR(y, 0, 0.51) << int(h) << "/" << int(v);
      EXPECT_GT(r.Width(), 20);
    }
  // Without word wrap the width does not count: the line is centred on Left.
  const TuiRect free = Measured(*c, area, "Level 42", false, uxTextAlignCenter);
  EXPECT_NEAR((free.Left + free.Right) / 2, 10, 0.51);
}

TEST_F(CanvasTest, WrappingBreaksAtWordsAndLineBreaksAlwaysCount) {
  auto c = NewCanvas(4, 4);
  const std::string text = "one two three four five six";
  const TuiRect line = Measured(*c, {0, 0, 60, 100}, "one", false, uxTextAlignNear, uxTextAlignNear);
  const TuiRect wrapped = Measured(*c, {0, 0, 60, 100}, text, true, uxTextAlignNear, uxTextAlignNear);
  const TuiRect single = Measured(*c, {0, 0, 60, 100}, text, false, uxTextAlignNear, uxTextAlignNear);
  EXPECT_LE(wrapped.Width(), 60);
  EXPECT_GE(wrapped.Height(), 3 * line.Height() - 0.5f);
  EXPECT_GT(single.Width(), 60) << "one line, past the rectangle";
  EXPECT_NEAR(single.Height(), line.Height(), 0.01);
  const TuiRect two = Measured(*c, {0, 0, 60, 100}, "one\ntwo", false, uxTextAlignNear, uxTextAlignNear);
  EXPECT_NEAR(two.Height(), 2 * line.Height(), 0.51);
}

TEST_F(CanvasTest, TrailingSpacesAreMeasuredAndEmptyTextIsNothing) {
  auto c = NewCanvas(4, 4);
  EXPECT_GT(c->TextWidth("ab  "), c->TextWidth("ab") + 4);
  EXPECT_EQ(c->TextWidth(""), 0);
  TuiRect r{5, 6, 50, 60};
  c->MeasureText(r, "", false, uxTextAlignNear);
  EXPECT_EQ(r, (TuiRect{5, 6, 5, 60})) << "only Right moved to Left";
  r = {5, 6, 50, 60};
  c->MeasureText(r, "", true, uxTextAlignNear);
  EXPECT_EQ(r, (TuiRect{5, 6, 50, 60}));
  c->Font()->SetSize(0);
  EXPECT_EQ(c->TextWidth("ab"), 0) << "no font, no text";
}

TEST_F(CanvasTest, MissingStylesFallBackToTheFirstTheFamilyHas) {
  auto c = NewCanvas(4, 4);
  if (!HaveFile(TahomaFile)) GTEST_SKIP() << "fonts-wine is not installed";
  const std::string text = "SoftWare level sensor";
  const float regular = c->TextWidth(text);
  c->Font()->SetStyle(uxFontBold);
  const float bold = c->TextWidth(text);
  EXPECT_GT(bold, regular + 5) << "Tahoma has a bold face";
  // It has no italic: italic and bold italic fall back to regular.
  for (TuiFontStyle s : {uxFontItalic, uxFontBoldItalic, uxFontUnderline, uxFontStrikeout}) {
    c->Font()->SetStyle(s);
    EXPECT_EQ(c->TextWidth(text), regular) << int(s);
  }
  TuiPathData path;
  c->Font()->SetStyle(uxFontItalic);
  EXPECT_FALSE(c->TextToPath(path, {0, 0, 100, 20}, "H", false, uxTextAlignNear))
      << "outlines only in a style the family has";
}

TEST_F(CanvasTest, OpaqueTextIsDrawnAtAlpha252) {
  auto c = NewCanvas(120, 60);
  c->Font()->SetSize(40);
  c->Font()->SetStyle(uxFontBold);
  c->Fill()->SetColorValue(0xFF000000);
  c->FillText({0, 0, 120, 60}, "IHI", false, 1, uxTextAlignNear);
  uint32_t most = 0;
  for (int32_t i = 0; i < 120 * 60; ++i) most = std::max(most, AlphaOf(c->BufferBits()[i]));
  EXPECT_EQ(most, 252u);
  c->Clear(0);
  c->FillText({0, 0, 120, 60}, "IHI", false, 0.5f, uxTextAlignNear);
  most = 0;
  for (int32_t i = 0; i < 120 * 60; ++i) most = std::max(most, AlphaOf(c->BufferBits()[i]));
  EXPECT_EQ(most, 127u);
}

TEST_F(CanvasTest, DrawnTextSitsInItsMeasuredBox) {
  for (TuiTextAlign h : {uxTextAlignNear, uxTextAlignCenter, uxTextAlignFar}) {
    auto c = NewCanvas(200, 40);
    c->Font()->SetSize(16);
    const TuiRect area{20, 0, 180, 40};
    c->FillText(area, "Gas Petrol", false, 1, h, uxTextAlignCenter);
    const TInk ink = InkBox(*c, 60);
    const TuiRect box = Measured(*c, area, "Gas Petrol", true, h);
    ASSERT_TRUE(ink.Any);
    EXPECT_GE(ink.Left, box.Left - 1) << int(h);
    EXPECT_LE(ink.Right, box.Right + 1) << int(h);
    EXPECT_GE(ink.Top, box.Top - 1) << int(h);
    EXPECT_LE(ink.Bottom, box.Bottom + 1) << int(h);
    EXPECT_GT(ink.Right - ink.Left, box.Width() - 4) << int(h);
  }
}

TEST_F(CanvasTest, DrawnAlignmentLeavesTrailingSpacesOut) {
  auto plain = NewCanvas(200, 30), spaced = NewCanvas(200, 30);
  plain->FillText({0, 0, 200, 30}, "Gas", false, 1, uxTextAlignFar);
  spaced->FillText({0, 0, 200, 30}, "Gas     ", false, 1, uxTextAlignFar);
  EXPECT_EQ(InkBox(*spaced).Right, InkBox(*plain).Right);
  EXPECT_GT(InkBox(*plain).Right, 195);
}

TEST_F(CanvasTest, FractionalScalesDrawWithoutGridFitting) {
  // With and without grid fitting the glyphs differ at a whole scale; at a
  // fractional one both draw alike, grid fitting being dropped.
  auto draw = [](float Scale, bool ClearType) {
    auto c = NewCanvas(160, 40);
    TuiMatrix m;
    m.M[0][0] = m.M[1][1] = Scale;
    c->SetMatrix(m);
    c->Font()->SetClearType(ClearType);
    c->FillText({0, 0, 100, 20}, "Wait etalon mode", false, 1, uxTextAlignNear);
    return std::vector<uint32_t>(c->BufferBits(), c->BufferBits() + 160 * 40);
  };
  EXPECT_NE(draw(2, true), draw(2, false));
  EXPECT_EQ(draw(1.5f, true), draw(1.5f, false));
}

TEST_F(CanvasTest, TextOutlinesBecomePathData) {
  auto c = NewCanvas(4, 4);
  c->Font()->SetSize(20);
  TuiPathData path;
  path.SetData("M 0,0 L 1,1");
  EXPECT_FALSE(c->TextToPath(path, {0, 0, 100, 30}, "", false, uxTextAlignNear));
  EXPECT_EQ(path.Count(), 2) << "untouched without text";
  ASSERT_TRUE(c->TextToPath(path, {10, 0, 100, 30}, "HI", false, uxTextAlignNear));
  const TuiRect bounds = path.GetBounds();
  const TuiRect box = Measured(*c, {10, 0, 100, 30}, "HI", false, uxTextAlignNear);
  // Outlines are unhinted, the measure grid-fitted: a pixel apart at most.
  EXPECT_GE(bounds.Left, box.Left - 1);
  EXPECT_LE(bounds.Right, box.Right + 1);
  EXPECT_GE(bounds.Top, box.Top - 1);
  EXPECT_LE(bounds.Bottom, box.Bottom + 1);
  EXPECT_GT(bounds.Height(), 10) << "capital letters of a 20 px font";
  EXPECT_EQ(path.Points().front().Kind, ppMoveTo);
}

TEST_F(CanvasTest, FontsLoadedFromStreamsAreTheCanvasOwn) {
  auto c = NewCanvas(4, 4);
  std::istringstream junk("this is no font file");
  EXPECT_FALSE(c->LoadFontFromStream(junk));
  std::istringstream nothing("");
  EXPECT_FALSE(c->LoadFontFromStream(nothing));
  if (!HaveFile(MarlettFile)) GTEST_SKIP() << "fonts-wine is not installed";
  // Marlett ships with fonts-wine without being known to fontconfig.
  c->Font()->SetFamily("Marlett");
  ASSERT_EQ(c->ResolvedFamily(), "sans-serif");
  std::ifstream file(MarlettFile, std::ios::binary);
  ASSERT_TRUE(c->LoadFontFromStream(file));
  EXPECT_EQ(c->ResolvedFamily(), "Marlett");
  EXPECT_GT(c->TextWidth("a"), 0);
  auto other = NewCanvas(4, 4);
  other->Font()->SetFamily("Marlett");
  EXPECT_EQ(other->ResolvedFamily(), "sans-serif") << "private to the canvas that loaded it";
  c->Font()->SetFamily("Tahoma");
  EXPECT_EQ(c->ResolvedFamily(), HaveFile(TahomaFile) ? "Tahoma" : "sans-serif")
      << "then the installed fonts";
}
