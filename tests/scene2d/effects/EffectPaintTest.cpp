// Effects in the paint pass: what they paint around and in place of an
// object, the room they add to its update rectangle and when their pictures
// are made again.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "draw2d/ShapeRectangles.h"
#include "scene2d/effects/EffectKinds.h"
#include "scene2d/effects/EffectPainter.h"
#include "scene2d/stream/ReadBudget.h"
#include "tests/scene2d/paint/PaintFixtures.h"

using namespace paint_fixtures;

namespace {

constexpr TuiColor Blue = 0xFF0000FF;

uint32_t AlphaOf(uint32_t Pixel) {
  return Pixel >> 24;
}

// A transparent scene with one opaque blue 20 x 20 box at (40, 40).
class Effects : public TScene {
 protected:
  void SetUp() override {
    TScene::SetUp();
    RegisterEffectClasses();
    Root->Color = 0;
    Box = Add(Root.get(), "box", 40, 40, 20, 20, Blue);
  }
  template <class E>
  E* AddEffect(TuiVisualObject* To) {
    auto* e = new E(Root.get());
    e->SetParent(To);
    return e;
  }
  // Pictures made by painting the whole scene once more.
  uint64_t PicturesOfAPaint() {
    const uint64_t before = TuiEffectPainter::PicturesMade;
    PaintAll();
    return TuiEffectPainter::PicturesMade - before;
  }
  TBox* Box = nullptr;
};

TEST_F(Effects, AGlowSurroundsTheObjectWithinItsRoomAndLeavesItsPixelsAlone) {
  auto* glow = AddEffect<TuiGlowEffect>(Box);
  glow->SetSoftness(0.2f);  // room Trunc(4.6) + 4 = 8, blur radius 7
  glow->SetOpacity(1);
  glow->SetGlowColor("#FFFF0000");
  PaintAll();
  for (int y = 40; y < 60; ++y)
    for (int x = 40; x < 60; ++x) ASSERT_EQ(Pixel(x, y), Blue) << x << ", " << y;
  // Red, fading away from the edge, out to the end of the blur.
  uint32_t last = 256;
  for (int x = 39; x >= 33; --x) {
    const uint32_t p = Pixel(x, 50);
    EXPECT_EQ(p & 0x00FFFF, 0u) << x;
    EXPECT_GT(AlphaOf(p), 0u) << x;
    EXPECT_LT(AlphaOf(p), last) << x;
    last = AlphaOf(p);
    EXPECT_EQ(Pixel(99 - x, 50), p) << x;  // the same on the right
    EXPECT_EQ(Pixel(50, x), p) << x;       // and above
  }
  // Nothing beyond the room of 8 units.
  EXPECT_EQ(Pixel(31, 50), 0u);
  EXPECT_EQ(Pixel(68, 50), 0u);
  EXPECT_EQ(Pixel(50, 31), 0u);
  EXPECT_EQ(Box->UpdateRect(), (TuiRect{32, 32, 68, 68}));
}

TEST_F(Effects, AShadowFallsRightAndBelowAndNotUnderTheObject) {
  // Softness 0 takes no room: the picture is the object's size, moved by
  // (3 cos 45, 3 sin 45) = (2.12, 2.12).
  auto* shadow = AddEffect<TuiShadowEffect>(Box);
  shadow->SetSoftness(0);
  shadow->SetOpacity(1);
  EXPECT_EQ(shadow->GetRect(Box->GetLocalRect()).Left, 3 * std::cos(DegToRad(45)));
  PaintAll();
  for (int y = 40; y < 60; ++y)
    for (int x = 40; x < 60; ++x) ASSERT_EQ(Pixel(x, y), Blue) << x << ", " << y;
  EXPECT_GT(AlphaOf(Pixel(60, 50)), 0u);
  EXPECT_GT(AlphaOf(Pixel(50, 61)), 0u);
  EXPECT_EQ(Pixel(61, 61) & 0xFFFFFF, 0u);  // black
  // Nothing left of and above the object, nor past the moved picture.
  EXPECT_EQ(Pixel(39, 50), 0u);
  EXPECT_EQ(Pixel(50, 39), 0u);
  EXPECT_EQ(Pixel(63, 50), 0u);
}

TEST_F(Effects, ABlurredObjectIsDrawnOnlyThroughItsPicture) {
  auto* blur = AddEffect<TuiBlurEffect>(Box);
  blur->SetSoftness(0.2f);  // room 4, radius 3
  PaintAll();
  EXPECT_EQ(Box->Paints, 1);  // into the picture, not in place
  EXPECT_EQ(Pixel(50, 50), Blue);
  EXPECT_LT(AlphaOf(Pixel(40, 50)), 255u);  // the edge went soft
  EXPECT_GT(AlphaOf(Pixel(38, 50)), 0u);
  EXPECT_EQ(Pixel(36, 50), 0u);
}

TEST_F(Effects, AnInnerGlowLiesInsideTheObjectOverIt) {
  auto* inner = AddEffect<TuiInnerGlowEffect>(Box);
  inner->SetGlowColor("#FFFF0000");
  inner->SetOpacity(1);
  PaintAll();
  EXPECT_GT(Pixel(40, 50) & 0xFF0000, 0u);  // red along the inside of the edge
  EXPECT_EQ(Pixel(50, 50), Blue);           // beyond the blur's reach
  EXPECT_EQ(Pixel(39, 50), 0u);
}

TEST_F(Effects, PicturesAreMadeAgainOnlyAfterWhatChangesThem) {
  auto* glow = AddEffect<TuiGlowEffect>(Box);
  TBox* child = Add(Box, "child", 5, 5, 5, 5);
  auto* shape = new TuiRectangle(Root.get());
  shape->SetBounds(2, 2, 4, 4);
  shape->SetParent(child);
  EXPECT_EQ(PicturesOfAPaint(), 1u);  // stale from the start
  EXPECT_EQ(PicturesOfAPaint(), 0u);
  EXPECT_EQ(Box->Paints, 3);  // once for the picture, then once a paint
  struct {
    const char* What;
    std::function<void()> Change;
    bool Remade;
  } cases[] = {
      {"a repaint", [&] { Box->Repaint(); }, false},
      {"another colour of an object that only repaints", [&] { Box->SetColor(0xFF00FF00); }, false},
      {"a new width", [&] { Box->SetWidth(24); }, true},
      {"a new height", [&] { Box->SetHeight(24); }, true},
      {"a move", [&] { Box->Position()->SetX(41); }, true},
      {"a parameter", [&] { glow->SetSoftness(0.5f); }, true},
      {"the same parameter", [&] { glow->SetSoftness(0.5f); }, false},
      {"a moved child", [&] { child->Position()->SetX(6); }, true},
      {"a grandchild's new fill", [&] { shape->Fill()->SetColor("#FF00FF00"); }, true},
      {"a new child", [&] { Add(Box, "late", 1, 1, 2, 2); }, true},
      {"an effect switched off", [&] { glow->SetEnabled(false); }, false},  // nothing left to make
      {"an effect switched on", [&] { glow->SetEnabled(true); }, true},
  };
  for (const auto& c : cases) {
    c.Change();
    EXPECT_EQ(PicturesOfAPaint(), c.Remade ? 1u : 0u) << c.What;
  }
}

TEST_F(Effects, AnObjectReplacedByItsPictureMakesItAgainOnEveryRepaint) {
  AddEffect<TuiBlurEffect>(Box);
  EXPECT_EQ(PicturesOfAPaint(), 1u);
  Box->SetColor(0xFF00FF00);  // only repaints
  EXPECT_EQ(PicturesOfAPaint(), 1u);
  EXPECT_EQ(Pixel(50, 50), 0xFF00FF00u);
}

TEST_F(Effects, EachEffectKeepsItsOwnPicture) {
  auto* glow = AddEffect<TuiGlowEffect>(Box);
  glow->SetGlowColor("#FFFF0000");
  auto* reflection = AddEffect<TuiReflectionEffect>(Box);
  reflection->SetOffset(4);
  PaintAll();
  const uint32_t glowPixel = Pixel(37, 50), mirrored = Pixel(50, 65);
  EXPECT_GT(glowPixel & 0xFF0000, 0u);
  EXPECT_GT(mirrored & 0xFF, 0u);  // blue, below the object
  // Drawn again from the kept pictures, each in its own place.
  EXPECT_EQ(PicturesOfAPaint(), 0u);
  EXPECT_EQ(Pixel(37, 50), glowPixel);
  EXPECT_EQ(Pixel(50, 65), mirrored);
}

TEST_F(Effects, ATriggerSwitchesTheGlowAndItsAreaIsRepaintedBothWays) {
  auto* glow = AddEffect<TuiGlowEffect>(Box);
  glow->SetEnabled(false);
  glow->SetTrigger("IsMouseOver=true");
  PaintAll();
  EXPECT_EQ(Pixel(36, 50), 0u);
  Host->MouseMove(0, 50, 50);
  EXPECT_TRUE(glow->Enabled());
  Host->PaintTree();  // only what was marked dirty
  EXPECT_GT(AlphaOf(Pixel(36, 50)), 0u);
  Host->MouseMove(0, 90, 90);
  EXPECT_FALSE(glow->Enabled());
  Host->PaintTree();
  EXPECT_EQ(Pixel(36, 50), 0u);
  EXPECT_EQ(Box->UpdateRect(), (TuiRect{40, 40, 60, 60}));
}

TEST_F(Effects, RemovingAnEffectClearsWhatItPainted) {
  auto* glow = AddEffect<TuiGlowEffect>(Box);
  PaintAll();
  EXPECT_GT(AlphaOf(Pixel(36, 50)), 0u);
  glow->Free();
  EXPECT_FALSE(Box->HasEffects());
  Host->PaintTree();
  EXPECT_EQ(Pixel(36, 50), 0u);
}

TEST_F(Effects, TheRoomOfEachKindWidensTheUpdateRectangle) {
  struct {
    const char* Kind;
    std::function<void(TuiVisualObject*)> Make;
    TuiRect Expected;
  } cases[] = {
      {"glow", [&](TuiVisualObject* O) { AddEffect<TuiGlowEffect>(O); }, {27, 27, 73, 73}},  // 9 + 4
      {"inner glow", [&](TuiVisualObject* O) { AddEffect<TuiInnerGlowEffect>(O); }, {32, 32, 68, 68}},
      {"blur", [&](TuiVisualObject* O) { AddEffect<TuiBlurEffect>(O); }, {34, 34, 66, 66}},
      {"bevel", [&](TuiVisualObject* O) { AddEffect<TuiBevelEffect>(O); }, {35, 35, 65, 65}},
      {"reflection",
       [&](TuiVisualObject* O) { AddEffect<TuiReflectionEffect>(O)->SetOffset(3); },
       {38, 40, 62, 85}},
  };
  for (const auto& c : cases) {
    TBox* b = Add(Root.get(), c.Kind, 40, 40, 20, 20);
    c.Make(b);
    EXPECT_TRUE(b->HasEffects()) << c.Kind;
    EXPECT_EQ(b->UpdateRect(), c.Expected) << c.Kind;
    b->Free();
  }
}

// An object far larger than the target: each effect makes only the part of
// its picture that can show, and that part paints exactly as the whole
// picture does, edges of the target included.
TEST_F(Effects, APictureIsMadeOnlyWhereItShowsAndShowsTheSame) {
  struct TCase {
    const char* Kind;
    std::function<TuiEffect*(TuiObject* Owner)> Make;
  } cases[] = {
      {"glow", [](TuiObject* O) { return new TuiGlowEffect(O); }},
      {"shadow",
       [](TuiObject* O) {
         auto* e = new TuiShadowEffect(O);
         e->SetDistance(25);
         e->SetDirection(20);
         return e;
       }},
      {"inner glow", [](TuiObject* O) { return new TuiInnerGlowEffect(O); }},
      {"blur", [](TuiObject* O) { return new TuiBlurEffect(O); }},
      {"bevel", [](TuiObject* O) { return new TuiBevelEffect(O); }},
      {"reflection", [](TuiObject* O) { return new TuiReflectionEffect(O); }},
  };
  // Within a target of Size, a 400 x 400 object at (40, 30), clear but for
  // boxes on and near the edges of the 100 x 100 target's.
  auto paint = [](int32_t Size, const TCase& C, TuiEffect*& Effect) {
    TuiBufferedScene host(Size, Size);
    TBox root(nullptr, "root", nullptr);
    root.Color = 0;
    root.SetBounds(0, 0, float(Size), float(Size));
    host.AddObject(&root);
    auto* big = new TBox(&root, "big", nullptr);
    big->Color = 0;
    big->SetBounds(40, 30, 400, 400);
    big->SetParent(&root);
    const float spots[][4] = {{-2, 10, 12, 6}, {50, 55, 20, 30}, {64, 20, 3, 40}, {10, 66, 30, 8},
                              {80, 80, 9, 9},  {10, 40, 40, 15}, {50, 45, 8, 15}};
    const TuiColor colors[] = {0xFFFF0000, 0xFF00FF00, 0x80FFFFFF, 0xFF0000FF,
                               0xFFFFFF00, 0xFF00FFFF, 0xC0FF00FF};
    for (size_t i = 0; i < std::size(spots); ++i) {
      auto* spot = new TBox(&root, "spot", nullptr);
      spot->Color = colors[i];
      spot->SetBounds(spots[i][0], spots[i][1], spots[i][2], spots[i][3]);
      spot->SetParent(big);
    }
    Effect = C.Make(&root);
    Effect->SetParent(big);
    host.InvalidateAll();
    host.PaintTree();
    std::vector<uint32_t> shown;
    for (int32_t y = 0; y < 100; ++y)
      for (int32_t x = 0; x < 100; ++x)
        shown.push_back(host.Buffer().BufferBits()[size_t(y) * size_t(Size) + size_t(x)]);
    const TuiBitmap& picture = Effect->Picture();
    return std::make_pair(shown, int64_t(picture.Width()) * picture.Height());
  };
  for (const TCase& c : cases) {
    TuiEffect* whole = nullptr;
    TuiEffect* part = nullptr;
    const auto [expected, wholePixels] = paint(600, c, whole);
    const auto [shown, partPixels] = paint(100, c, part);
    EXPECT_EQ(shown, expected) << c.Kind;
    EXPECT_GT(wholePixels, 400 * 400) << c.Kind;
    EXPECT_LT(partPixels, wholePixels / 4) << c.Kind;
  }
}

// Pictures of effects count against the budget of decoded pictures that a
// read or a tool run holds, as decoded pictures do.
TEST_F(Effects, PicturesAreChargedToTheOpenPixelBudget) {
  AddEffect<TuiShadowEffect>(Box);
  {
    TuiReadBudget enough(20000);
    PaintAll();
    EXPECT_LT(enough.PixelsLeft(), 20000 - 20 * 20);
  }
  Box->SetWidth(30);  // made again
  TuiReadBudget small(100);
  try {
    PaintAll();
    ADD_FAILURE() << "painted beyond the budget";
  } catch (const EuxReadError& e) {
    EXPECT_STREQ(e.what(), "Decoded pictures exceed the limit of 100 pixels");
  }
}

}  // namespace
