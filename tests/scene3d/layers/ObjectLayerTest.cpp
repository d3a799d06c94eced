#include <gtest/gtest.h>

#include <memory>

#include "controls/Control.h"
#include "controls/ControlsRegistration.h"
#include "controls/Resources.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "platform/VirtualClock.h"
#include "scene2d/AnimationTimer.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"
#include "tests/scene3d/layers/LayerFixtures.h"

using namespace layertest;

namespace {

class ObjectLayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterCairoCanvas();
    RegisterControlClasses();
    RegisterLayerClasses();
  }
  // A screen layer of W x H with its top left at window pixel (Left, Top).
  std::unique_ptr<TscGUIObjectLayer> MakeLayer(float Left, float Top, float W, float H) {
    auto layer = std::make_unique<TscGUIObjectLayer>(nullptr);
    layer->SetLayerScene(&Scene);
    layer->SetWidth(W);
    layer->SetHeight(H);
    layer->Position()->SetPoint({Left + W / 2, Top + H / 2, 0, 1});
    return layer;
  }
  // The picture the tests compare: an opaque background and three boxes.
  static TuiVisualObject* BuildTree(IuxScene& Host) {
    auto* root = new TuiLayout(nullptr);
    Host.AddObject(root);
    AddBox(root, 0, 0, 61, 41, 0xFF203040);
    AddBox(root, 3.5f, 2, 20, 11.25f, 0xFFC00000);
    AddBox(root, 30, 20, 25, 15, 0x8000C000);
    return root;
  }
  // Sends a press or a release through the layer as the scene would.
  void Press(TscCustomLayer& Layer, float X, float Y, bool Down = true) {
    TscVector pos, dir;
    Scene.Canvas->GetPickRay(scProjectionScreen, X, Y, pos, dir);
    const TscVector lp = Layer.AbsoluteToLocal(pos), ld = Layer.AbsoluteToLocalVector(dir);
    if (Down)
      Layer.RayMouseDown(uxMouseLeft, 0, lp, ld);
    else
      Layer.RayMouseUp(uxMouseLeft, 0, lp, ld);
  }

  TTestScene Scene{80, 60};
};

TEST_F(ObjectLayerTest, FrameShowsTheTreePixelForPixelWhereTheLayerIsOpaque) {
  // Odd sizes and an offset: the half pixel must not shift the picture.
  auto layer = MakeLayer(10, 5, 61, 41);
  BuildTree(*layer);
  TuiBufferedScene alone(61, 41);
  TuiVisualObject* root = BuildTree(alone);
  root->SetBounds(0, 0, 61, 41);
  alone.InvalidateAll();
  alone.PaintTree();
  Scene.Render(*layer);
  const uint32_t* expected = alone.Buffer().BufferBits();
  int wrong = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 61; ++x) wrong += Scene.Pixel(x + 10, y + 5) != expected[y * 61 + x];
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Scene.Pixel(9, 5), 0u);
  EXPECT_EQ(Scene.Pixel(71, 45), 0u);
  // The first frame of a layer is all new.
  EXPECT_EQ(Scene.Pushed.Right - Scene.Pushed.Left, 80);
}

TEST_F(ObjectLayerTest, OneChangedShapeRepaintsUploadsAndPushesOnlyItsRectangle) {
  auto layer = MakeLayer(10, 5, 61, 41);
  TuiVisualObject* root = BuildTree(*layer);
  auto* led = AddBox(root, 40, 4, 8, 6, 0xFF00FF00);
  Scene.Render(*layer);
  ASSERT_EQ(layer->GetUpdateRectsCount(), 0);

  led->Fill()->SetColorValue(0xFFFF0000);
  ASSERT_EQ(layer->GetUpdateRectsCount(), 1);
  EXPECT_EQ(layer->GetUpdateRect(0), (TuiRect{40, 4, 49, 11}));
  ASSERT_TRUE(Scene.Damage.has_value());
  EXPECT_EQ(*Scene.Damage, (TuiRect{50, 9, 59, 16}));
  Scene.Render(*layer);
  // Only the LED's area goes to the window.
  EXPECT_EQ(Scene.Pushed, (TuiRect{50, 9, 59, 16}));
  EXPECT_EQ(Scene.Pixel(54, 12) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(ObjectLayerTest, BufferRowsMarkedForUploadAreTheDirtyRowsOnly) {
  auto layer = MakeLayer(0, 0, 61, 41);
  BuildTree(*layer);
  Scene.Render(*layer);
  int32_t first = -1, count = -1;
  bool modified = false;
  layer->OnUpdateBuffer = [&](TscObject*) {
    modified = layer->GetBuffer()->Modified();
    layer->GetBuffer()->ModifiedRows(first, count);
  };
  layer->AddUpdateRect({5, 12, 20, 18.5f});
  layer->AddUpdateRect({7, 30, 9, 31});
  Scene.Render(*layer);
  EXPECT_TRUE(modified);
  EXPECT_EQ(first, 12);
  EXPECT_EQ(count, 20);
  // Nothing dirty: nothing to upload.
  Scene.Render(*layer);
  EXPECT_FALSE(modified);
}

TEST_F(ObjectLayerTest, TwentyOneDirtyRectanglesBecomeTheirUnion) {
  auto layer = MakeLayer(0, 0, 61, 41);
  BuildTree(*layer);
  Scene.Render(*layer);
  for (int i = 0; i < 20; ++i) layer->AddUpdateRect({float(i), float(i), float(i) + 1, float(i) + 1});
  EXPECT_EQ(layer->GetUpdateRectsCount(), 20);
  layer->AddUpdateRect({30, 2, 31, 3});
  ASSERT_EQ(layer->GetUpdateRectsCount(), 1);
  EXPECT_EQ(layer->GetUpdateRect(0), (TuiRect{0, 0, 32, 21}));
  // Outside the buffer nothing is kept.
  layer->AddUpdateRect({100, 100, 110, 110});
  EXPECT_EQ(layer->GetUpdateRectsCount(), 1);
}

TEST_F(ObjectLayerTest, PressAtAWindowPixelReachesTheObjectThereInItsOwnCoordinates) {
  TTestScene console(299, 295);
  auto layer = std::make_unique<TscGUIObjectLayer>(nullptr);
  layer->SetLayerScene(&console);
  layer->SetLayerAlign(scLayerContents);
  EXPECT_EQ(layer->Width(), 299);
  EXPECT_EQ(layer->Position()->X(), 149.5f);
  EXPECT_EQ(layer->BufferWidth(), 299);
  EXPECT_EQ(layer->BufferHeight(), 295);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  EXPECT_EQ(root->Width(), 299);
  auto* button = AddBox(root, 100, 30, 50, 20, 0xFF808080);
  TuiPoint got{-1, -1};
  button->OnMouseDown = [&](TuiObject*, TuiMouseButton, TuiShiftState, float X, float Y) { got = {X, Y}; };
  TscVector pos, dir;
  console.Canvas->GetPickRay(scProjectionScreen, 120, 40, pos, dir);
  layer->RayMouseDown(uxMouseLeft, 0, layer->AbsoluteToLocal(pos), layer->AbsoluteToLocalVector(dir));
  EXPECT_NEAR(got.X, 20, 1e-3);
  EXPECT_NEAR(got.Y, 10, 1e-3);
  EXPECT_EQ(console.Focused, layer.get());
}

TEST_F(ObjectLayerTest, EmptyPartsPassRaysThroughUnlessTheLayerDrags) {
  auto layer = MakeLayer(0, 0, 61, 41);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  root->SetHitTest(false);
  AddBox(root, 0, 0, 10, 10, 0xFF000000);
  TscVector pos, dir, hit;
  Scene.Canvas->GetPickRay(scProjectionScreen, 30, 30, pos, dir);
  const TscVector lp = layer->AbsoluteToLocal(pos), ld = layer->AbsoluteToLocalVector(dir);
  EXPECT_FALSE(layer->RayCastIntersect(lp, ld, hit));
  Scene.Canvas->GetPickRay(scProjectionScreen, 5, 5, pos, dir);
  EXPECT_TRUE(layer->RayCastIntersect(layer->AbsoluteToLocal(pos), layer->AbsoluteToLocalVector(dir), hit));
  EXPECT_NEAR(hit.X, 5, 1e-3);

  layer->SetAllowDrag(true);
  layer->SetLayerAlign(scLayerContents);
  Scene.AllowDrag = true;
  ASSERT_TRUE(layer->RayCastIntersect(lp, ld, hit));
  Press(*layer, 30, 30);
  EXPECT_EQ(Scene.WindowMoves, 1);
  EXPECT_EQ(Scene.Captured, layer.get());
  Press(*layer, 30, 30, false);
  EXPECT_FALSE(layer->LayerMoving());
}

// A size grip in the tree.
class TGrip : public TuiRectangle {
 public:
  using TuiRectangle::TuiRectangle;
  bool IsSizeGrip() const override { return true; }
};

TEST_F(ObjectLayerTest, SizeGripResizesTheWindowAndOtherObjectsGetThePress) {
  auto layer = MakeLayer(0, 0, 61, 41);
  layer->SetLayerAlign(scLayerContents);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  auto* grip = new TGrip(root);
  grip->SetParent(root);
  grip->SetBounds(60, 40, 16, 16);
  int presses = 0;
  auto* box = AddBox(root, 5, 5, 10, 10, 0xFF000000);
  box->OnMouseDown = [&](TuiObject*, TuiMouseButton, TuiShiftState, float, float) { ++presses; };
  Press(*layer, 70, 50);
  EXPECT_EQ(Scene.WindowResizes, 1);
  Press(*layer, 8, 8);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(Scene.WindowResizes, 1);
}

TEST_F(ObjectLayerTest, TransparentFillClearsDirtyAreasWhereNothingDraws) {
  auto layer = MakeLayer(0, 0, 61, 41);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  AddBox(root, 0, 0, 10, 10, 0xFF0000FF);
  layer->Fill()->SetColorValue(0xFF123456);  // the style stays none
  Scene.Render(*layer);
  EXPECT_EQ(layer->Buffer().BufferBits()[20 * 61 + 30] >> 24, 0u);
  EXPECT_EQ(Scene.Pixel(30, 20), 0u);
  layer->Fill()->SetStyle(uxBrushSolid);
  Scene.Render(*layer);
  EXPECT_EQ(Scene.Pixel(30, 20), 0xFF123456u);
  EXPECT_EQ(Scene.Pixel(5, 5), 0xFF0000FFu);
}

// A control whose class-derived style name is "testcontrolstyle".
class TuiTestControl : public TuiControl {
  UX_CLASS(TuiTestControl, TuiControl)
 public:
  explicit TuiTestControl(TuiComponent* Owner) : TuiControl(Owner) { SetCanFocused(true); }
};
UX_IMPLEMENT_CLASS(TuiTestControl)

TEST_F(ObjectLayerTest, ControlsInsideTheLayerTakeTheLayersStyleAndItsFocus) {
  auto layer = MakeLayer(0, 0, 61, 41);
  TuiResources sheet(nullptr);
  sheet.SetResource(
      "object S: TuiBackground\n"
      "  object A: TuiLayout\n    ResourceName = 'testcontrolstyle'\n    Tag = 7\n  end\n"
      "end\n");
  layer->SetStyle(&sheet);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  auto* control = new TuiTestControl(root);
  control->SetParent(root);
  control->SetBounds(5, 5, 20, 10);
  Scene.Render(*layer);
  ASSERT_NE(control->StyleObject(), nullptr);
  EXPECT_EQ(control->StyleObject()->Tag(), 7);
  // The layer's focus goes to the first control of the tab sequence.
  layer->EnterFocus();
  EXPECT_EQ(layer->GetFocused(), control);
  layer->KillFocus();
  EXPECT_EQ(layer->GetFocused(), nullptr);
  // A sheet that dies leaves the layer without a Style.
  layer->SetStyle(nullptr);
  EXPECT_EQ(sheet.SubscriberCount(), 0);
}

TEST_F(ObjectLayerTest, LoadingSchedulesOneFullPaintOnTheTimerSource) {
  platform::TVirtualClock clock;
  TuiAnimationTimer::Instance().SetSource(&clock);
  auto layer = MakeLayer(0, 0, 61, 41);
  BuildTree(*layer);
  Scene.Render(*layer);
  layer->Loaded();
  EXPECT_EQ(layer->GetUpdateRectsCount(), 0);
  clock.Advance(1);
  ASSERT_EQ(layer->GetUpdateRectsCount(), 1);
  EXPECT_EQ(layer->GetUpdateRect(0), (TuiRect{0, 0, 65536, 65536}));
  layer.reset();
  TuiAnimationTimer::Instance().SetSource(nullptr);
}

TEST_F(ObjectLayerTest, LayersAlignInPassOrderInsideTheirParent) {
  auto parent = MakeLayer(0, 0, 100, 80);
  auto* top = new TscGUIObjectLayer(parent.get());
  auto* client = new TscGUIObjectLayer(parent.get());
  auto* left = new TscGUIObjectLayer(parent.get());
  top->SetHeight(10);
  left->SetWidth(20);
  client->SetLayerAlign(scLayerClient);
  left->SetLayerAlign(scLayerLeft);
  top->SetLayerAlign(scLayerMostTop);
  for (TscGUIObjectLayer* l : {client, left, top}) parent->AddObject(l);
  EXPECT_EQ(top->Width(), 100);
  EXPECT_EQ(top->Position()->Y(), -35);
  EXPECT_EQ(left->Height(), 70);
  EXPECT_EQ(left->Position()->X(), -40);
  EXPECT_EQ(client->Width(), 80);
  EXPECT_EQ(client->Height(), 70);
  EXPECT_EQ(client->Position()->X(), 10);
  EXPECT_EQ(client->Position()->Y(), 5);
}

}  // namespace
