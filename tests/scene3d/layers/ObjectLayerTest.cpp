#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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
  // The picture the tests compare: an opaque background and three boxes.
  static TuiVisualObject* BuildTree(IuxScene& Host) {
    auto* root = new TuiLayout(nullptr);
    Host.AddObject(root);
    AddBox(root, 0, 0, 61, 41, 0xFF203040);
    AddBox(root, 3.5f, 2, 20, 11.25f, 0xFFC00000);
    AddBox(root, 30, 20, 25, 15, 0x8000C000);
    return root;
  }

  TLayerWindow W{80, 60};
};

TEST_F(ObjectLayerTest, FrameShowsTheTreePixelForPixelWhereTheLayerIsOpaque) {
  // Odd sizes and an offset: the half pixel must not shift the picture.
  auto* layer = W.AddLayer(10, 5, 61, 41);
  BuildTree(*layer);
  TuiBufferedScene alone(61, 41);
  TuiVisualObject* root = BuildTree(alone);
  root->SetBounds(0, 0, 61, 41);
  alone.InvalidateAll();
  alone.PaintTree();
  W.Render();
  const uint32_t* expected = alone.Buffer().BufferBits();
  int wrong = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 61; ++x) wrong += W.Pixel(x + 10, y + 5) != expected[y * 61 + x];
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(W.Pixel(9, 5), 0u);
  EXPECT_EQ(W.Pixel(71, 45), 0u);
  // A new object changes the whole frame.
  EXPECT_EQ(W.Pushed(), (platform::TRect{0, 0, 80, 60}));
}

TEST_F(ObjectLayerTest, OneChangedShapeRepaintsUploadsAndPushesOnlyItsRectangle) {
  auto* layer = W.AddLayer(10, 5, 61, 41);
  TuiVisualObject* root = BuildTree(*layer);
  auto* led = AddBox(root, 40, 4, 8, 6, 0xFF00FF00);
  W.Render();
  ASSERT_EQ(layer->GetUpdateRectsCount(), 0);
  int32_t first = -1, count = -1;
  layer->OnUpdateBuffer = [&](TscObject*) { layer->GetBuffer()->ModifiedRows(first, count); };
  const int frames = W.Window().FramesPushed();

  led->Fill()->SetColorValue(0xFFFF0000);
  ASSERT_EQ(layer->GetUpdateRectsCount(), 1);
  EXPECT_EQ(layer->GetUpdateRect(0), (TuiRect{40, 4, 49, 11}));
  W.Render();
  EXPECT_EQ(W.Window().FramesPushed(), frames + 1);
  EXPECT_EQ(first, 4);
  EXPECT_EQ(count, 7);
  // Only the LED's window pixels go out: buffer (40, 4) is window (50, 9).
  EXPECT_EQ(W.Pushed(), (platform::TRect{50, 9, 9, 7}));
  EXPECT_EQ(W.Pixel(54, 12) & 0xFFFFFF, 0xFF0000u);
  // Nothing changed: no frame at all.
  W.Scene->InvalidateRect({0, 0, 0, 0});
  W.Render();
  EXPECT_EQ(W.Window().FramesPushed(), frames + 1);
}

TEST_F(ObjectLayerTest, TheFramePushesTheUnionOfChangesOrAllWhenTheSceneChanged) {
  auto* layer = W.AddLayer(10, 5, 61, 41);
  TuiVisualObject* root = BuildTree(*layer);
  auto* a = AddBox(root, 2, 30, 4, 4, 0xFF00FF00);
  auto* b = AddBox(root, 50, 2, 5, 3, 0xFF00FF00);
  W.Render();
  const struct {
    const char* What;
    std::function<void()> Change;
    platform::TRect Pushed;
  } cases[] = {
      {"two shapes",
       [&] {
         a->Fill()->SetColorValue(0xFF0000FF);
         b->Fill()->SetColorValue(0xFF0000FF);
       },
       {12, 7, 54, 33}},
      {"a shape and the scene's colour",
       [&] {
         a->Fill()->SetColorValue(0xFFFFFFFF);
         W.Scene->SetFillColor("#01000000");
       },
       {0, 0, 80, 60}},
      {"the layer moving", [&] { layer->Position()->SetX(layer->Position()->X() + 1); }, {0, 0, 80, 60}},
      {"the window's size", [&] { W.Scene->SetSize(90, 60); }, {0, 0, 90, 60}},
  };
  for (const auto& c : cases) {
    c.Change();
    W.Render();
    EXPECT_EQ(W.Pushed(), c.Pushed) << c.What;
  }
}

// The bitmap the device draws is the 2D buffer itself, lent to it. Whatever
// happens to the layer or its buffer between frames, each frame must show
// what a new window with a new layer in the same state shows. The layer
// covers the window, so that a frame repaints only the rows it marks.
TEST_F(ObjectLayerTest, TheLentBufferFollowsChangesResizesAndANewBufferLikeAFreshLayer) {
  struct TState {
    int W = 80, H = 60;
    uint32_t Led = 0xFF00FF00;
  } state;
  const auto build = [&](TscGUIObjectLayer& Layer) {
    TuiVisualObject* root = BuildTree(Layer);
    return AddBox(root, 40, 4, 8, 6, state.Led);
  };
  auto* layer = W.AddLayer(0, 0, float(state.W), float(state.H));
  TuiRectangle* led = build(*layer);
  W.Render();
  const struct {
    const char* What;
    std::function<void()> Change;
  } steps[] = {
      {"the LED", [&] { led->Fill()->SetColorValue(state.Led = 0xFFFF0000); }},
      {"unchanged", [&] { W.Scene->Invalidate(); }},
      {"window and layer grown",
       [&] {
         state.W = 86, state.H = 64;
         W.Scene->SetSize(state.W, state.H);
         layer->SetWidth(float(state.W));
         layer->SetHeight(float(state.H));
         layer->Position()->SetPoint({float(state.W) / 2, float(state.H) / 2, 0, 1});
       }},
      {"the LED after the growth", [&] { led->Fill()->SetColorValue(state.Led = 0xFF0000FF); }},
      {"the 2D buffer replaced behind the layer's back",
       [&] {
         layer->Buffer().ResizeBuffer(20, 20);
         EXPECT_TRUE(layer->GetBuffer()->IsEmpty()) << "the loan ends before the words go";
         W.Scene->Invalidate();
       }},
      {"the LED at last", [&] { led->Fill()->SetColorValue(state.Led = 0xFFFFFF00); }},
  };
  for (const auto& step : steps) {
    step.Change();
    W.Render();
    EXPECT_EQ(layer->GetBuffer()->Bits(), layer->Buffer().BufferBits()) << step.What;
    TLayerWindow fresh{state.W, state.H};
    build(*fresh.AddLayer(0, 0, float(state.W), float(state.H)));
    fresh.Render();
    int wrong = 0;
    for (int y = 0; y < state.H; ++y)
      for (int x = 0; x < state.W; ++x) wrong += W.Pixel(x, y) != fresh.Pixel(x, y);
    EXPECT_EQ(wrong, 0) << step.What;
  }
}

TEST_F(ObjectLayerTest, TwentyOneDirtyRectanglesBecomeTheirUnion) {
  auto* layer = W.AddLayer(0, 0, 61, 41);
  BuildTree(*layer);
  W.Render();
  for (int i = 0; i < 20; ++i) layer->AddUpdateRect({float(i), float(i), float(i) + 1, float(i) + 1});
  EXPECT_EQ(layer->GetUpdateRectsCount(), 20);
  layer->AddUpdateRect({30, 2, 31, 3});
  ASSERT_EQ(layer->GetUpdateRectsCount(), 1);
  EXPECT_EQ(layer->GetUpdateRect(0), (TuiRect{0, 0, 32, 21}));
  // Outside the buffer nothing is kept.
  layer->AddUpdateRect({100, 100, 110, 110});
  EXPECT_EQ(layer->GetUpdateRectsCount(), 1);
}

TEST_F(ObjectLayerTest, AContentsLayerFillsTheWindowAndAPressReachesTheObjectInItsOwnCoordinates) {
  TLayerWindow console(299, 295);
  auto* layer = new TscGUIObjectLayer(nullptr);
  console.Root->AddObject(layer);
  layer->SetLayerAlign(scLayerContents);
  EXPECT_EQ(layer->Width(), 299);
  EXPECT_EQ(layer->Height(), 295);
  EXPECT_EQ(layer->Position()->X(), 149.5f);
  EXPECT_EQ(layer->Position()->Y(), 147.5f);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  auto* button = AddBox(root, 100, 30, 50, 20, 0xFF808080);
  console.Render();
  EXPECT_EQ(layer->BufferWidth(), 299);
  EXPECT_EQ(layer->BufferHeight(), 295);
  EXPECT_EQ(root->Width(), 299);
  TuiPoint got{-1, -1};
  button->Events().OnMouseDown = [&](TuiObject*, TuiMouseButton, TuiShiftState, float X, float Y) {
    got = {X, Y};
  };
  console.Press(120, 40);
  EXPECT_NEAR(got.X, 20, 1e-3);
  EXPECT_NEAR(got.Y, 10, 1e-3);
  EXPECT_EQ(console.Scene->Focused(), layer);
  console.Release(120, 40);

  // The window's new size is the layer's and its buffer's, centred.
  console.Scene->SetSize(320, 240);
  console.Render();
  EXPECT_EQ(layer->Position()->X(), 160);
  EXPECT_EQ(layer->Position()->Y(), 120);
  EXPECT_EQ(layer->BufferWidth(), 320);
  EXPECT_EQ(layer->GetBuffer()->Height(), 240);
  EXPECT_EQ(root->Width(), 320);
  console.Press(120, 40);
  EXPECT_NEAR(got.X, 20, 1e-3);
}

TEST_F(ObjectLayerTest, EmptyPartsPassRaysThroughUnlessTheLayerDrags) {
  auto* layer = W.AddLayer(0, 0, 61, 41);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  root->SetHitTest(false);
  AddBox(root, 0, 0, 10, 10, 0xFF000000);
  EXPECT_EQ(W.Scene->ObjectAtPoint(5, 5), layer);
  EXPECT_EQ(W.Scene->ObjectAtPoint(30, 30), nullptr);

  // The program's windows: the scene and the layer drag, the layer fills it.
  // The window takes presses only where it is not fully transparent; the
  // program's HUD panel is that, here a faint fill.
  W.Scene->SetFillColor("#01000000");
  W.Scene->SetAllowDrag(true);
  layer->SetAllowDrag(true);
  layer->SetLayerAlign(scLayerContents);
  ASSERT_EQ(W.Scene->ObjectAtPoint(30, 30), layer);
  W.Render();
  const platform::TRect before = W.Scene->Window()->Bounds();
  W.Press(30, 30);
  EXPECT_TRUE(W.Scene->MovingWindow());
  W.Move(45, 20);
  W.Release(45, 20);
  EXPECT_FALSE(W.Scene->MovingWindow());
  EXPECT_FALSE(layer->LayerMoving());
  EXPECT_EQ(W.Scene->Captured(), nullptr);
  EXPECT_EQ(W.Scene->Window()->Bounds(),
            (platform::TRect{before.Left + 15, before.Top - 10, before.Width, before.Height}));
  // The layer stayed where its alignment puts it.
  EXPECT_EQ(layer->Position()->X(), 40);
}

// A size grip in the tree.
class TGrip : public TuiRectangle {
 public:
  using TuiRectangle::TuiRectangle;
  bool IsSizeGrip() const override { return true; }
};

TEST_F(ObjectLayerTest, ASizeGripDragGrowsTheWindowAndOtherObjectsGetThePress) {
  W.Scene->SetAllowDrag(true);
  auto* layer = W.AddLayer(0, 0, 1, 1);
  layer->SetAllowDrag(true);
  layer->SetLayerAlign(scLayerContents);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  auto* grip = new TGrip(root);
  grip->SetParent(root);
  grip->SetBounds(64, 44, 16, 16);
  int presses = 0;
  auto* box = AddBox(root, 5, 5, 10, 10, 0xFF000000);
  box->Events().OnMouseDown = [&](TuiObject*, TuiMouseButton, TuiShiftState, float, float) { ++presses; };
  W.Render();
  const platform::TRect before = W.Scene->Window()->Bounds();
  W.Press(70, 50);
  EXPECT_TRUE(W.Scene->ResizingWindow());
  W.Move(75, 52);
  W.Move(80, 55);
  W.Release(80, 55);
  EXPECT_FALSE(W.Scene->ResizingWindow());
  EXPECT_FALSE(layer->LayerResizing());
  EXPECT_EQ(W.Scene->Window()->Bounds(),
            (platform::TRect{before.Left, before.Top, before.Width + 10, before.Height + 5}));
  W.Render();
  EXPECT_EQ(layer->BufferWidth(), 90);
  EXPECT_EQ(layer->BufferHeight(), 65);
  W.Press(8, 8);
  W.Release(8, 8);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(W.Scene->Window()->Bounds().Width, before.Width + 10);
}

TEST_F(ObjectLayerTest, TransparentFillClearsDirtyAreasWhereNothingDraws) {
  auto* layer = W.AddLayer(0, 0, 61, 41);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  AddBox(root, 0, 0, 10, 10, 0xFF0000FF);
  AddBox(root, 40, 30, 10, 10, 0x80000000);  // a shadow, say
  layer->Fill()->SetColorValue(0xFF123456);  // the style stays none
  W.Render();
  // Transparent is 0 in a premultiplied buffer: the fill's colour must not
  // show through what is painted over it translucently.
  EXPECT_EQ(layer->Buffer().BufferBits()[20 * 61 + 30], 0u);
  EXPECT_EQ(W.Pixel(30, 20), 0u);
  EXPECT_EQ(W.Pixel(45, 35), 0x80000000u);
  layer->Fill()->SetStyle(uxBrushSolid);
  W.Render();
  EXPECT_EQ(W.Pixel(30, 20), 0xFF123456u);
  EXPECT_EQ(W.Pixel(5, 5), 0xFF0000FFu);
}

TEST_F(ObjectLayerTest, HoverGivesTheObjectsCursorAndHintWithoutANewFrame) {
  auto* layer = W.AddLayer(10, 5, 61, 41);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  root->SetHitTest(false);
  auto* box = AddBox(root, 20, 10, 20, 10, 0xFF0000FF);
  box->SetCursor(platform::plCursorHand);
  box->SetHint("fuel");
  box->SetShowHint(true);
  W.Render();
  const int frames = W.Window().FramesPushed();
  W.Move(35, 20);
  EXPECT_EQ(W.Scene->Hovered(), layer);
  EXPECT_EQ(layer->Hovered(), box);
  EXPECT_EQ(W.Scene->Window()->Cursor(), platform::plCursorHand);
  std::string text;
  TuiRect area;
  ASSERT_TRUE(W.Scene->HintAt(35, 20, text, area));
  EXPECT_EQ(text, "fuel");
  EXPECT_EQ(area, (TuiRect{30, 15, 50, 25}));
  EXPECT_FALSE(W.Scene->HintAt(15, 40, text, area));
  W.Move(15, 40);
  EXPECT_EQ(layer->Hovered(), nullptr);
  EXPECT_EQ(W.Scene->Window()->Cursor(), platform::plCursorDefault);
  // The layer's own look did not change, so no frame went out.
  W.Render();
  EXPECT_EQ(W.Window().FramesPushed(), frames);
}

// A control whose class-derived style name is "testcontrolstyle".
class TuiTestControl : public TuiControl {
  UX_CLASS(TuiTestControl, TuiControl)
 public:
  explicit TuiTestControl(TuiComponent* Owner) : TuiControl(Owner) { SetCanFocused(true); }
};
UX_IMPLEMENT_CLASS(TuiTestControl)

TEST_F(ObjectLayerTest, ControlsInsideTheLayerTakeTheLayersStyleAndItsFocus) {
  auto* layer = W.AddLayer(0, 0, 61, 41);
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
  W.Render();
  ASSERT_NE(control->StyleObject(), nullptr);
  EXPECT_EQ(control->StyleObject()->Tag(), 7);
  // The layer's focus goes to the first control of the tab sequence.
  W.Scene->SetFocused(layer);
  EXPECT_EQ(layer->GetFocused(), control);
  W.Scene->SetFocused(nullptr);
  EXPECT_EQ(layer->GetFocused(), nullptr);
  // A sheet that dies leaves the layer without a Style.
  layer->SetStyle(nullptr);
  EXPECT_EQ(sheet.SubscriberCount(), 0);
}

TEST_F(ObjectLayerTest, TabWalksTheLayersControlsAndWrapsAndKeysReachTheFocusedOne) {
  auto* layer = W.AddLayer(0, 0, 61, 41);
  auto* root = new TuiLayout(nullptr);
  layer->AddObject(root);
  TuiTestControl* c[4];
  for (int i = 0; i < 4; ++i) {
    c[i] = new TuiTestControl(root);
    c[i]->SetParent(root);
    c[i]->SetBounds(2 + 14 * float(i), 2, 12, 10);
  }
  c[1]->SetVisible(false);
  c[2]->SetCanFocused(false);
  auto* probe = new TscVisualObject(nullptr);  // a 3D stop after the layer
  probe->SetCanFocused(true);
  W.Root->AddObject(probe);
  W.Window().Activate();

  auto stop = [&]() -> TscTabEntry {
    return W.Scene->Focused() ? W.Scene->Focused()->FocusedEntry() : TscTabEntry{};
  };
  const std::vector<TscTabEntry> forward = {
      {layer, c[0]}, {layer, c[3]}, {probe, nullptr}, {layer, c[0]}, {layer, c[3]}};
  for (const TscTabEntry& want : forward) {
    W.System.KeyDown(platform::plKeyTab, 0, '\t');
    EXPECT_EQ(stop(), want);
  }
  EXPECT_TRUE(c[3]->IsFocused());
  EXPECT_FALSE(c[0]->IsFocused());
  W.System.KeyDown(platform::plKeyTab, platform::plShift, '\t');
  EXPECT_EQ(stop(), (TscTabEntry{layer, c[0]}));
  W.System.KeyDown(platform::plKeyTab, platform::plShift, '\t');
  EXPECT_EQ(stop(), (TscTabEntry{probe, nullptr}));
  EXPECT_EQ(layer->GetFocused(), nullptr);
  W.System.KeyDown(platform::plKeyTab, platform::plShift, '\t');
  EXPECT_EQ(stop(), (TscTabEntry{layer, c[3]}));

  std::u32string typed;
  c[3]->Events().OnKeyDown = [&](TuiObject*, uint16_t&, char32_t& Char, TuiShiftState) {
    if (Char) typed += Char;
  };
  c[0]->Events().OnKeyDown = [&](TuiObject*, uint16_t&, char32_t&, TuiShiftState) { typed += U"?"; };
  W.System.KeyDown('A', 0, 'a');
  W.System.KeyDown('B', 0, 'b');
  EXPECT_EQ(typed, U"ab");
}

TEST_F(ObjectLayerTest, LoadingSchedulesOneFullPaintOnTheTimerSource) {
  platform::TVirtualClock clock;
  TuiAnimationTimer::Instance().SetSource(&clock);
  auto* layer = W.AddLayer(0, 0, 61, 41);
  BuildTree(*layer);
  W.Render();
  layer->Loaded();
  EXPECT_EQ(layer->GetUpdateRectsCount(), 0);
  clock.Advance(1);
  ASSERT_EQ(layer->GetUpdateRectsCount(), 1);
  EXPECT_EQ(layer->GetUpdateRect(0), (TuiRect{0, 0, 65536, 65536}));
  delete layer;
  TuiAnimationTimer::Instance().SetSource(nullptr);
}

TEST_F(ObjectLayerTest, LayersAlignInPassOrderInsideTheirParent) {
  auto* parent = W.AddLayer(0, 0, 100, 80);
  auto* top = new TscGUIObjectLayer(nullptr);
  auto* client = new TscGUIObjectLayer(nullptr);
  auto* left = new TscGUIObjectLayer(nullptr);
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
