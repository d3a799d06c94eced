// The canvas's drawing state, its saved slots, its buffer and the default
// canvas class.
#include <sstream>

#include "scene2d/Errors.h"
#include "tests/draw2d/canvas/CanvasFixtures.h"

using namespace canvas_fixtures;

namespace {

struct TRecordingTarget : IuxPixelTarget {
  struct TCall {
    int32_t X, Y, Width, Height;
    uint32_t First;
  };
  std::vector<TCall> Calls;
  void PutPixels(int32_t X, int32_t Y, const uint32_t* Pixels, int32_t /*Pitch*/, int32_t Width,
                 int32_t Height) override {
    Calls.push_back({X, Y, Width, Height, Pixels[0]});
  }
};

}  // namespace

TEST_F(CanvasTest, DashPresetsFillThePatternAndCustomKeepsIt) {
  auto c = NewCanvas(4, 4);
  struct TCase {
    TuiStrokeDash Dash;
    std::vector<float> Pattern;
  };
  const TCase cases[] = {
      {uxDashDash, {3, 1}},
      {uxDashDot, {1, 1}},
      {uxDashDashDot, {3, 1, 1, 1}},
      {uxDashDashDotDot, {3, 1, 1, 1, 1, 1}},
      {uxDashSolid, {}},
  };
  for (const TCase& t : cases) {
    c->SetDashOffset(2);
    c->SetStrokeDash(t.Dash);
    EXPECT_EQ(c->DashPattern(), t.Pattern) << int(t.Dash);
    EXPECT_EQ(c->DashOffset(), 0) << int(t.Dash);
  }
  c->SetStrokeDash(uxDashDashDot);
  c->SetDashOffset(0.5f);
  c->SetStrokeDash(uxDashCustom);
  EXPECT_EQ(c->DashPattern(), (std::vector<float>{3, 1, 1, 1}));
  EXPECT_EQ(c->DashOffset(), 0.5f);
  c->SetDashPattern({2, 2});
  c->SetStrokeDash(uxDashCustom);
  EXPECT_EQ(c->DashPattern(), (std::vector<float>{2, 2})) << "setting the same dash changes nothing";
}

TEST_F(CanvasTest, RestoreBringsBackEverySavedSettingAndSlotsAreReused) {
  auto c = NewCanvas(8, 8);
  c->SetStrokeThickness(1);
  c->SetStrokeDash(uxDashDot);
  const int32_t slot = c->SaveCanvas();
  EXPECT_EQ(slot, 0);
  c->Fill()->SetColorValue(0xFF123456);
  c->Stroke()->SetStyle(uxBrushGradient);
  c->SetStrokeThickness(3);
  c->SetStrokeCap(uxCapRound);
  c->SetStrokeJoin(uxJoinBevel);
  c->SetStrokeDash(uxDashDashDotDot);
  c->Font()->SetSize(20);
  TuiMatrix m;
  m.M[2][0] = 3;
  c->SetMatrix(m);
  c->RestoreCanvas(slot);
  EXPECT_EQ(c->Fill()->ColorValue(), 0xFFFFFFFFu);
  EXPECT_EQ(c->Stroke()->Style(), uxBrushSolid);
  EXPECT_EQ(c->StrokeThickness(), 1);
  EXPECT_EQ(c->StrokeCap(), uxCapFlat);
  EXPECT_EQ(c->StrokeJoin(), uxJoinMiter);
  EXPECT_EQ(c->StrokeDash(), uxDashDot);
  EXPECT_EQ(c->DashPattern(), (std::vector<float>{1, 1}));
  EXPECT_EQ(c->Font()->Size(), 11);
  EXPECT_EQ(c->Matrix(), IdentityMatrix());
  EXPECT_EQ(c->SaveCanvas(), 0) << "a restored slot is free again";
  EXPECT_EQ(c->SaveCanvas(), 1);
}

TEST_F(CanvasTest, ReusedSlotsRestoreWhatWasSavedLastNotBefore) {
  // Slots keep their copies between uses; what a slot held before must never
  // come back.
  auto c = NewCanvas(8, 8);
  HorizontalGradient(*c->Fill(), {{0xFFFF0000, 0}, {0xFF0000FF, 1}});
  c->SetStrokeDash(uxDashDashDot);
  c->RestoreCanvas(c->SaveCanvas());

  c->Fill()->SetStyle(uxBrushSolid);
  c->Fill()->SetColorValue(0xFF102030);
  c->SetStrokeDash(uxDashCustom);
  c->SetDashPattern({2, 5});
  const int32_t slot = c->SaveCanvas();
  EXPECT_EQ(slot, 0);
  HorizontalGradient(*c->Fill(), {{0xFF00FF00, 0}, {0xFFFFFFFF, 1}});
  c->SetDashPattern({9});
  c->RestoreCanvas(slot);
  EXPECT_EQ(c->Fill()->Style(), uxBrushSolid);
  EXPECT_EQ(c->Fill()->ColorValue(), 0xFF102030u);
  EXPECT_EQ(c->DashPattern(), (std::vector<float>{2, 5}));

  HorizontalGradient(*c->Fill(), {{0xFF00FF00, 0}, {0xFF000000, 0.5f}, {0xFFFFFFFF, 1}});
  const int32_t again = c->SaveCanvas();
  HorizontalGradient(*c->Fill(), {{0xFFFF0000, 0}, {0xFF0000FF, 1}});
  c->RestoreCanvas(again);
  ASSERT_EQ(c->Fill()->Gradient()->Points()->Count(), 3);
  EXPECT_EQ(c->Fill()->Gradient()->Points()->Points(1)->ColorValue(), 0xFF000000u);
}

TEST_F(CanvasTest, NestedSavesRestoreTransformAndClipInLifoOrder) {
  auto c = NewCanvas(20, 10);
  c->Fill()->SetColorValue(0xFFFF0000);
  c->IntersectClipRect({0, 0, 15, 10});
  const int32_t outer = c->SaveCanvas();
  TuiMatrix shift;
  shift.M[2][0] = 10;
  c->SetMatrix(shift);
  const int32_t inner = c->SaveCanvas();
  c->ExcludeClipRect({0, 0, 2, 10});  // device 10..12
  c->FillRect({-10, 0, 10, 10}, 0, 0, AllCorners, 1);
  EXPECT_TRUE(Painted(*c, 5, 5));
  EXPECT_FALSE(Painted(*c, 11, 5)) << "excluded";
  EXPECT_TRUE(Painted(*c, 13, 5));
  EXPECT_FALSE(Painted(*c, 16, 5)) << "outside the outer clip";

  c->Clear(0);
  c->RestoreCanvas(inner);
  EXPECT_EQ(c->Matrix(), shift);
  c->FillRect({-10, 0, 10, 10}, 0, 0, AllCorners, 1);
  EXPECT_TRUE(Painted(*c, 11, 5)) << "the exclusion went with the inner state";
  EXPECT_FALSE(Painted(*c, 16, 5));

  c->Clear(0);
  c->RestoreCanvas(outer);
  EXPECT_EQ(c->Matrix(), IdentityMatrix());
  c->FillRect({0, 0, 20, 10}, 0, 0, AllCorners, 1);
  EXPECT_FALSE(Painted(*c, 16, 5)) << "the clip before the first save stays";
  c->ResetClipRect();
  c->FillRect({0, 0, 20, 10}, 0, 0, AllCorners, 1);
  EXPECT_TRUE(Painted(*c, 16, 5));
}

TEST_F(CanvasTest, ClipRectsReplaceTheClipWithTheirUnion) {
  auto c = NewCanvas(30, 4);
  c->IntersectClipRect({0, 0, 5, 4});
  const TuiRect rects[] = {{10, 0, 15, 4}, {20, 0, 25, 4}};
  c->SetClipRects(rects);
  c->FillRect({0, 0, 30, 4}, 0, 0, AllCorners, 1);
  for (int32_t x : {2, 17, 27}) EXPECT_FALSE(Painted(*c, x, 2)) << x;
  for (int32_t x : {12, 22}) EXPECT_TRUE(Painted(*c, x, 2)) << x;
  c->Clear(0);
  c->SetClipRects({});
  c->FillRect({0, 0, 30, 4}, 0, 0, AllCorners, 1);
  EXPECT_FALSE(InkBox(*c).Any) << "no rectangle clips everything";
}

TEST_F(CanvasTest, BufferSizesBelowOneBecomeOne) {
  TuiCanvasCairo empty(0, 0);
  EXPECT_EQ(empty.Width(), 1);
  EXPECT_EQ(empty.Height(), 1);
  ASSERT_NE(empty.BufferBits(), nullptr);
  empty.Clear(0x80402010);
  EXPECT_EQ(empty.BufferBits()[0], 0x80402010u) << "the colour word as it is";

  auto c = NewCanvas(5, 5);
  c->ResizeBuffer(0, -5);
  EXPECT_EQ(c->Width(), 1);
  EXPECT_EQ(c->Height(), 1);
  c->ResizeBuffer(7, 3);
  EXPECT_EQ(c->Width(), 7);
  c->Clear(0);
  c->FillRect({0, 0, 7, 3}, 0, 0, AllCorners, 1);
  EXPECT_EQ(Pixel(*c, 6, 2), 0xFFFFFFFFu) << "draws on the new buffer";
}

TEST_F(CanvasTest, BufferThatCannotBeHadRaisesAndLeavesNoSurface) {
  try {
    TuiCanvasCairo huge(40000, 2);
    FAIL() << "no error";
  } catch (const EuxError& e) {
    EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
  }
  auto c = NewCanvas(4, 4);
  EXPECT_THROW(c->ResizeBuffer(2, 40000), EuxError);
  EXPECT_EQ(c->BufferBits(), nullptr);
  EXPECT_EQ(c->SaveCanvas(), -1);
  c->RestoreCanvas(0);
  c->FillRect({0, 0, 4, 4}, 0, 0, AllCorners, 1);  // nothing to draw on, nothing happens
  c->Clear(0);
}

TEST_F(CanvasTest, ClearRectTruncatesLeftTopRoundsRightBottomAndClips) {
  auto c = NewCanvas(6, 3);
  c->ClearRect({1.7f, -4, 3.5f, 1.5f}, 0x11223344);
  // Left 1, Top 0, Right 4 (half to even), Bottom 2.
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(Pixel(*c, x, y), (x >= 1 && x < 4 && y < 2) ? 0x11223344u : 0u) << x << "," << y;
}

TEST_F(CanvasTest, FlushAndCopyHandOutTheBufferWords) {
  auto c = NewCanvas(10, 6);
  c->ClearRect({2, 1, 10, 6}, 0xFF00FF00);
  TRecordingTarget target;
  c->FlushBuffer(5, 7, &target);
  c->FlushBufferRect(100, 200, &target, {2.9f, 1.2f, 4.5f, 3.9f});
  ASSERT_EQ(target.Calls.size(), 2u);
  EXPECT_EQ(target.Calls[0].X, 5);
  EXPECT_EQ(target.Calls[0].Width, 10);
  EXPECT_EQ(target.Calls[0].Height, 6);
  // (2, 1, 5, 4): truncated, right and bottom one further.
  EXPECT_EQ(target.Calls[1].X, 102);
  EXPECT_EQ(target.Calls[1].Y, 201);
  EXPECT_EQ(target.Calls[1].Width, 3);
  EXPECT_EQ(target.Calls[1].Height, 3);
  EXPECT_EQ(target.Calls[1].First, 0xFF00FF00u);

  std::vector<uint32_t> copy(60);
  c->CopyBuffer(copy.data());
  EXPECT_EQ(copy[0], 0u);
  EXPECT_EQ(copy[1 * 10 + 2], 0xFF00FF00u);
}

TEST_F(CanvasTest, AssignToCopiesIntoABitmapAndRefusesOtherClasses) {
  auto c = NewCanvas(3, 2);
  c->ClearRect({1, 1, 3, 2}, 0xFF0000FF);
  TuiBitmap b(9, 9);
  int changes = 0;
  b.OnChange = [&](TuiBitmap*) { ++changes; };
  c->AssignTo(&b);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.Scanline(1)[0], 0u);
  EXPECT_EQ(b.Scanline(1)[2], 0xFF0000FFu);
  EXPECT_GT(changes, 0);

  TuiFont font;
  try {
    c->AssignTo(&font);
    FAIL() << "no error";
  } catch (const EuxConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TuiCanvasCairo to a TuiFont");
  }
}

TEST_F(CanvasTest, DefaultClassMakesCanvasesAndBitmapsKeepTheirs) {
  ASSERT_NE(TuiCanvas::DefaultCanvasClass(), nullptr);
  EXPECT_EQ(TuiCanvas::DefaultCanvasClass()->Info, &TuiCanvasCairo::StaticClass());
  EXPECT_FALSE(TuiCanvas::RegisterDefaultCanvasClass(TuiCanvasCairo::CanvasClass()))
      << "registration keeps what was there";
  std::unique_ptr<TuiCanvas> c = TuiCanvas::CreateCanvas(12, 5);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ClassName(), "TuiCanvasCairo");
  EXPECT_TRUE(c->Buffered());
  EXPECT_EQ(c->Width(), 12);

  TuiBitmap b(6, 4);
  TuiCanvas* own = b.Canvas();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(b.Canvas(), own) << "made once and kept";
  EXPECT_FALSE(own->Buffered());
  EXPECT_EQ(own->Bitmap(), &b);
  EXPECT_EQ(own->Width(), 6);
  own->Fill()->SetColorValue(0xFF00FF00);
  own->FillRect({0, 0, 3, 4}, 0, 0, AllCorners, 1);
  EXPECT_EQ(b.Scanline(2)[1], 0xFF00FF00u) << "drawn straight into the bitmap's pixels";
  EXPECT_EQ(b.Scanline(2)[4], 0u);

  b.SetSize(2, 2);
  TuiCanvas* fresh = b.Canvas();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Width(), 2);
  fresh->FillRect({0, 0, 2, 2}, 0, 0, AllCorners, 1);
  EXPECT_EQ(b.Scanline(1)[1], 0xFFFFFFFFu);
}

TEST_F(CanvasTest, EmptyBitmapCanvasHasNothingToDrawOn) {
  TuiBitmap empty;
  TuiCanvasCairo c(empty);
  EXPECT_EQ(c.SaveCanvas(), -1);
  c.FillRect({0, 0, 4, 4}, 0, 0, AllCorners, 1);
  c.FillText({0, 0, 50, 20}, "text", false, 1, uxTextAlignNear);
  TuiRect r{0, 0, 100, 20};
  c.MeasureText(r, "text", false, uxTextAlignNear);
  EXPECT_GT(r.Width(), 10) << "measuring needs no surface";
}
