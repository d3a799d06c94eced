#include <memory>
#include <string>
#include <vector>

#include "HudFixtures.h"
#include "controls/Buttons.h"
#include "controls/CheckBoxes.h"
#include "controls/Panels.h"
#include "controls/Windows.h"
#include "draw2d/ShapeText.h"

using namespace control_fixtures;

namespace {

class WindowTest : public HudControlTest {
 protected:
  // A HUD window filling the root, styled.
  TuiHudWindow* MakeWindow(TuiVisualObject* Parent) {
    auto* w = new TuiHudWindow(Parent);
    w->SetParent(Parent);
    w->SetAlign(vaClient);
    w->SetText("LEDs");
    return w;
  }
  static TuiVisualObject* Part(TuiControl* C, const char* Name) {
    TuiObject* p = C->FindResource(Name);
    return p ? p->Visual() : nullptr;
  }
  static TuiPoint Centre(TuiVisualObject* O) {
    const TuiRect r = O->GetAbsoluteRect();
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
};

TEST_F(WindowTest, CaptionCloseButtonAndGripFollowTheirSwitches) {
  struct TCase {
    const char* Name;
    bool Caption, Close, Grip;
    std::string Shown;  // caption bar, text, close button, grip
  };
  const TCase cases[] = {
      {"console", false, false, true, "0001"},
      {"settings", true, true, true, "1111"},
      {"no close button, no grip", true, false, false, "1100"},
      {"caption off", false, true, true, "0001"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TuiHudWindow* w = MakeWindow(Root());
    w->SetShowCaption(c.Caption);
    w->SetShowCloseButton(c.Close);
    w->SetShowSizeGrip(c.Grip);
    Host.PaintTree();
    std::string shown;
    for (const char* part : {"caption", "text", "close", "sizegrip"})
      shown += Part(w, part)->Visible() ? '1' : '0';
    EXPECT_EQ(shown, c.Shown);
    w->Free();
  }

  // At run time the whole chain runs again: the close button comes back too.
  TuiHudWindow* w = MakeWindow(Root());
  Host.PaintTree();
  w->SetShowCaption(false);
  EXPECT_FALSE(Part(w, "close")->Visible());
  w->SetShowCaption(true);
  for (const char* part : {"caption", "text", "close"}) EXPECT_TRUE(Part(w, part)->Visible()) << part;
}

TEST_F(WindowTest, WindowPushesItsFillStrokeAndCaptionGeometryIntoTheStyle) {
  TuiHudWindow* w = MakeWindow(Root());
  Host.PaintTree();
  auto* caption = Part(w, "caption");
  auto* stroke = dynamic_cast<TuiShape*>(Part(w, "stroke"));
  auto* back = dynamic_cast<TuiShape*>(Part(w, "back"));
  auto* text = dynamic_cast<TuiText*>(Part(w, "text"));
  ASSERT_TRUE(caption && stroke && back && text);
  EXPECT_FLOAT_EQ(caption->Height(), 21);
  EXPECT_EQ(back->Fill()->ColorValue(), 0xEA2F2F2Fu);
  EXPECT_EQ(stroke->Stroke()->ColorValue(), 0x5B000000u);
  EXPECT_EQ(text->Font()->Style(), uxFontBold);
  EXPECT_EQ(text->Text(), "LEDs");

  w->SetStrokeThickness(3);
  w->SetStrokeDash(uxDashDot);
  EXPECT_EQ(stroke->Margins()->Rect(), (TuiRect{3, 3, 3, 3}));
  EXPECT_FLOAT_EQ(stroke->StrokeThickness(), 3);
  EXPECT_EQ(stroke->StrokeDash(), uxDashDot);
  EXPECT_FLOAT_EQ(caption->Height(), 23);
  EXPECT_EQ(caption->Padding()->Rect(), (TuiRect{3, 3, 3, 0}));

  EXPECT_EQ(Part(w, "close")->Align(), vaLeft);
  w->SetButtonAlign(uxButtonAlignRight);
  EXPECT_EQ(Part(w, "close")->Align(), vaRight);
  EXPECT_GT(Part(w, "close")->GetAbsoluteRect().Left, Part(w, "text")->GetAbsoluteRect().Left);

  // The brush written is copied; the caller's stays as it was.
  TuiBrush black(uxBrushSolid, 0xFF000000);
  w->SetFill(black);
  EXPECT_EQ(back->Fill()->ColorValue(), 0xFF000000u);
  w->Fill()->SetColorValue(0xFF101010);
  EXPECT_EQ(back->Fill()->ColorValue(), 0xFF101010u);
  EXPECT_EQ(black.ColorValue(), 0xFF000000u);
}

TEST_F(WindowTest, CloseButtonHidesItsWindowThroughTheFormUnlessTheWindowTakesTheClick) {
  TFormHost host;
  TTestForm form(Log);
  host.Form = &form;
  auto root = std::make_unique<TuiLayout>(&form);
  root->SetBounds(0, 0, 200, 200);
  host.AddObject(root.get());
  TuiHudWindow* w = MakeWindow(root.get());
  form.Window = w;
  host.PaintTree();
  auto* close = dynamic_cast<TuiCloseButton*>(Part(w, "close"));
  ASSERT_NE(close, nullptr);
  const TuiPoint c = Centre(close);

  // Released elsewhere the press stays pending, and a later release over
  // the button still closes.
  host.MouseDown(uxMouseLeft, uxLeftButton, c.X, c.Y);
  host.MouseUp(uxMouseLeft, 0, 150, 150);
  EXPECT_TRUE(Log.empty());
  EXPECT_TRUE(close->Pressed());
  host.MouseUp(uxMouseLeft, 0, c.X, c.Y);
  EXPECT_EQ(Log, std::vector<std::string>{"close"});
  EXPECT_FALSE(w->Visible());

  Log.clear();
  w->SetVisible(true);
  w->OnCloseClick = [this](TuiObject*) { Log.push_back("handled"); };
  w->UpdateResource();
  close = dynamic_cast<TuiCloseButton*>(Part(w, "close"));
  host.MouseDown(uxMouseLeft, uxLeftButton, c.X, c.Y);
  host.MouseUp(uxMouseLeft, 0, c.X, c.Y);
  EXPECT_EQ(Log, std::vector<std::string>{"handled"});
  EXPECT_TRUE(w->Visible());
}

TEST_F(WindowTest, APressOnTheGripResizesTheWindowAndTheFrameFollows) {
  TuiHudWindow* w = MakeWindow(Root());
  Host.PaintTree();
  TuiVisualObject* grip = Part(w, "sizegrip");
  int gripPresses = 0;
  grip->Events().OnMouseDown = [&](TuiObject*, TuiMouseButton, TuiShiftState, float, float) {
    ++gripPresses;
  };
  const TuiRect before = grip->GetAbsoluteRect();
  const TuiPoint g = Centre(grip);
  Press(g.X, g.Y);
  Release(g.X, g.Y);
  EXPECT_EQ(Host.WindowResizes(), 1);
  EXPECT_EQ(Host.WindowMoves(), 0);
  EXPECT_EQ(gripPresses, 0);

  // The bare caption bar moves the window; the close button takes its own press.
  const TuiPoint bar = Centre(Part(w, "caption"));
  Press(bar.X, bar.Y);
  EXPECT_EQ(Host.WindowMoves(), 1);
  const TuiPoint close = Centre(Part(w, "close"));
  Press(close.X, close.Y);
  EXPECT_EQ(Host.WindowMoves(), 1);

  // The window system resizes: the frame and its grip follow the new size.
  Host.SetSize(300, 250);
  Root()->SetBounds(0, 0, 300, 250);
  EXPECT_FLOAT_EQ(w->Width(), 300);
  EXPECT_FLOAT_EQ(w->Height(), 250);
  const TuiRect after = grip->GetAbsoluteRect();
  EXPECT_FLOAT_EQ(after.Right - before.Right, 100);
  EXPECT_FLOAT_EQ(after.Bottom - before.Bottom, 50);
}

TEST_F(WindowTest, PublishedPropertiesWriteOnlyWhatDiffersFromTheirDefaults) {
  struct TCase {
    std::function<TuiObject*()> Make;
    std::vector<std::string> Written, NotWritten;
  };
  const TCase cases[] = {
      {[] { return new TuiHudButton(nullptr); },
       {"StaysPressed = False", "IsPressed = False", "TextAlign = uxTextAlignCenter"},
       {"Width", "Height", "ModalResult", "CanFocused", "AutoTranslate", "WordWrap", "RepeatClick",
        "Default"}},
      {[] {
         auto* b = new TuiCircleButton(nullptr);
         b->SetStaysPressed(true);
         b->SetIsPressed(true);
         b->SetModalResult(2);
         return b;
       },
       {"StaysPressed = True", "IsPressed = True", "ModalResult = 2"},
       {"Width", "Height"}},
      {[] { return new TuiHudCheckBox(nullptr); },
       {"IsChecked = False", "TextAlign = uxTextAlignNear"},
       {"IsPressed", "Width", "Height", "CanFocused", "AutoTranslate"}},
      {[] {
         auto* r = new TuiHudRadioButton(nullptr);
         r->SetGroupName("fuel");
         r->SetIsChecked(true);
         return r;
       },
       {"GroupName = 'fuel'", "IsChecked = True"},
       {"IsPressed", "Width"}},
      {[] {
         auto* w = new TuiHudWindow(nullptr);
         w->SetButtonAlign(uxButtonAlignRight);
         w->SetStrokeThickness(3);
         w->SetShowCaption(false);
         return w;
       },
       {"ButtonAlign = uxButtonAlignRight", "StrokeThickness = 3", "ShowCaption = False"},
       {"HitTest", "ShowCloseButton", "ShowSizeGrip", "DisableShadowOnOSX", "Width", "Fill.Color"}},
      {[] {
         auto* c = new TuiCloseButton(nullptr);
         c->SetCloseForm(false);
         return c;
       },
       {"CloseForm = False"},
       {"Width", "Height"}},
      {[] { return new TuiHudPanel(nullptr); }, {}, {"Width", "Height"}},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TuiObject> object(c.Make());
    const std::string text = object->ObjectToText();
    SCOPED_TRACE(text);
    for (const std::string& s : c.Written) EXPECT_NE(text.find(s), std::string::npos) << s;
    for (const std::string& s : c.NotWritten) EXPECT_EQ(text.find(s), std::string::npos) << s;
    // What is written reads back to the same object.
    std::unique_ptr<TuiObject> copy(TuiObject::CreateObjectFromText(nullptr, text));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ObjectToText(), text);
  }
}

}  // namespace
