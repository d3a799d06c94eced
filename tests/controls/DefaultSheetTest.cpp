// The built-in sheet as the program embeds it: read strictly, every control
// class styled from it, its images the committed ones, and the HUD windows'
// frames as they paint.

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "ControlFixtures.h"
#include "controls/Buttons.h"
#include "controls/CheckBoxes.h"
#include "controls/Content.h"
#include "controls/EmbeddedSheets.h"
#include "controls/Panels.h"
#include "controls/TextBox.h"
#include "controls/Track.h"
#include "controls/Windows.h"
#include "draw2d/Brush.h"
#include "draw2d/BrushObject.h"
#include "draw2d/ImageFilterPngJpeg.h"
#include "draw2d/Shape.h"
#include "draw2d/ShapeImage.h"
#include "draw2d/ShapeText.h"
#include "platform/VirtualClock.h"
#include "scene2d/Animation.h"
#include "scene2d/AnimationTimer.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/ReadLosses.h"
#include "scene2d/Triggers.h"

using namespace control_fixtures;

namespace {

class DefaultSheetTest : public ControlTest {
 protected:
  void SetUp() override { UseDefaultSheet(uxEmbeddedSheet_defaultuistyle()); }

  static TuiVisualObject* Part(TuiControl* C, const char* Name) {
    TuiObject* p = C->FindResource(Name);
    return p ? p->Visual() : nullptr;
  }
  uint32_t Pixel(int X, int Y) const {
    const TuiCanvas& c = Host.Buffer();
    return c.BufferBits()[size_t(Y) * size_t(c.Width()) + size_t(X)];
  }
  static uint32_t Alpha(uint32_t C) { return C >> 24; }
};

// Reading without the loaders' leniency: a misspelt property, an enumeration
// name the class does not have or a colour that does not convert would be
// skipped silently by the style loader and show only as a control that looks
// wrong.
TEST_F(DefaultSheetTest, ReadsWithoutASkippedValueOrFallback) {
  std::vector<std::string> errors;
  TuiReadHooks hooks;
  hooks.OnError = [&](const std::string& Message, bool& Handled) {
    errors.push_back(Message);
    Handled = true;
  };
  TuiLossCollector losses;
  TuiBackground root(nullptr);
  ReadObjectData(uxEmbeddedSheet_defaultuistyle(), root, nullptr, hooks);
  EXPECT_EQ(errors, std::vector<std::string>());
  for (const TuiReadLoss& loss : losses.Losses())
    ADD_FAILURE() << loss.Object << " " << loss.Property << ": " << loss.What;

  // The entries the library's controls look up, in the sheet's order, each a
  // design-hidden visual object.
  const std::vector<std::string> expected = {
      "thumbbarstyle",    "hthumbstyle",    "trackstyle",       "trackbarstyle",
      "backgroundstyle",  "panelstyle",     "buttonstyle",      "circlebuttonstyle",
      "textboxstyle",     "labelstyle",     "valuelabelstyle",  "checkboxstyle",
      "radiobuttonstyle", "sizegripstyle",  "CloseButtonStyle", "hudtrackbarstyle",
      "hudtextboxstyle",  "hudwindowstyle", "hudSizeGripStyle", "hudCloseButtonStyle",
      "hudlabelstyle",    "hudbuttonstyle", "hudcheckboxstyle", "hudradiobuttonstyle",
      "hudthumbbarstyle", "hudhthumbstyle", "hudtrackstyle",    "hudpanelstyle"};
  std::vector<std::string> names;
  for (TuiObject* entry : root.ChildList()) {
    names.push_back(entry->ResourceName());
    ASSERT_TRUE(entry->IsVisual()) << entry->ResourceName();
    EXPECT_TRUE(entry->Visual()->DesignHide()) << entry->ResourceName();
  }
  EXPECT_EQ(names, expected);
}

// Controls take their looks as clones of these entries, made without a
// stream: each must be what reading the entry's stream gives.
TEST_F(DefaultSheetTest, EveryEntryClonesToWhatItsStreamReadsAs) {
  TuiBackground root(nullptr);
  ReadObjectData(uxEmbeddedSheet_defaultuistyle(), root, nullptr);
  ASSERT_GT(root.ChildrenCount(), 0);
  for (TuiObject* entry : root.ChildList()) {
    TuiBackground owner(nullptr);
    std::unique_ptr<TuiObject> streamed(TuiObject::CreateObjectFromStream(&owner, entry->SaveToStream()));
    ASSERT_TRUE(streamed) << entry->ResourceName();
    TuiObject* clone = entry->CloneObject(&owner);
    ASSERT_TRUE(clone) << entry->ResourceName();
    EXPECT_EQ(clone->ObjectToText(), streamed->ObjectToText()) << entry->ResourceName();
    EXPECT_EQ(clone->ResourceName(), streamed->ResourceName());
  }
}

// Each row is a control class and the parts its code binds to, each checked
// for its class. A control class registered later without a row here fails
// the last check, so a new control cannot ship unstyled by accident.
TEST_F(DefaultSheetTest, EveryControlClassFindsItsStyleAndItsParts) {
  enum TKind { kText, kThumb, kContent, kBrush, kClose, kGrip, kImage, kShape, kAny };
  struct TRow {
    const char* Class;
    std::vector<std::pair<const char*, TKind>> Parts;
  };
  const std::vector<TRow> rows = {
      {"TuiBackground", {}},
      {"TuiLabel", {{"text", kText}}},
      {"TuiValueLabel", {{"text", kText}}},
      {"TuiHudLabel", {{"text", kText}}},
      {"TuiButton", {{"text", kText}}},
      {"TuiCircleButton", {{"background", kShape}, {"text", kText}}},
      {"TuiHudButton", {{"text", kText}}},
      {"TuiCheckBox", {{"background", kShape}, {"checkmark", kShape}, {"text", kText}}},
      {"TuiHudCheckBox", {{"background", kShape}, {"checkmark", kShape}, {"text", kText}}},
      {"TuiRadioButton", {{"background", kShape}, {"checkmark", kShape}, {"text", kText}}},
      {"TuiHudRadioButton", {{"background", kShape}, {"checkmark", kShape}, {"text", kText}}},
      {"TuiPanel", {}},
      {"TuiHudPanel", {}},
      {"TuiCloseButton", {}},
      {"TuiHudCloseButton", {}},
      {"TuiSizeGrip", {}},
      {"TuiHudSizeGrip", {}},
      {"TuiTrack", {{"background", kShape}, {"thumb", kThumb}}},
      {"TuiHudTrack", {{"background", kShape}, {"thumb", kThumb}}},
      {"TuiTrackBar", {{"background", kShape}, {"thumb", kThumb}}},
      {"TuiHudTrackBar", {{"background", kShape}, {"thumb", kThumb}}},
      {"TuiTextBox", {{"background", kShape}, {"content", kContent}, {"foreground", kBrush}}},
      {"TuiHudTextBox", {{"background", kShape}, {"content", kContent}, {"foreground", kBrush}}},
      {"TuiHudWindow",
       {{"back", kShape},
        {"shadow", kImage},
        {"caption", kShape},
        {"stroke", kShape},
        {"close", kClose},
        {"text", kText},
        {"sizegrip", kGrip}}},
  };
  // Bases the program never places, and the plain window, which has no
  // entry of its own in the sheet and stays unstyled.
  const std::vector<std::string> unstyled = {"TuiControl", "TuiTextControl", "TuiCustomButton", "TuiWindow",
                                             "TuiThumb"};

  auto styled = [](TuiObject* O) {
    auto* c = dynamic_cast<TuiControl*>(O);
    return c && c->StyleObject();
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Class);
    const TuiClassInfo* info = TuiClassRegistry::Instance().Find(row.Class);
    ASSERT_TRUE(info);
    auto* control = dynamic_cast<TuiControl*>(info->Create(nullptr));
    ASSERT_TRUE(control);
    Add(control);
    Host.PaintTree();
    ASSERT_TRUE(control->StyleObject());
    for (const auto& [name, kind] : row.Parts) {
      SCOPED_TRACE(name);
      TuiObject* part = control->FindResource(name);
      ASSERT_TRUE(part);
      switch (kind) {
        case kText:
          EXPECT_TRUE(dynamic_cast<TuiText*>(part));
          break;
        case kThumb:
          // The thumb takes the style its Resource names, not its class's.
          EXPECT_TRUE(dynamic_cast<TuiThumb*>(part) && styled(part) &&
                      static_cast<TuiThumb*>(part)->FindResource("background"));
          break;
        case kContent:
          EXPECT_TRUE(dynamic_cast<TuiContent*>(part));
          break;
        case kBrush:
          EXPECT_TRUE(dynamic_cast<TuiBrushObject*>(part));
          break;
        case kClose:
          EXPECT_TRUE(dynamic_cast<TuiCloseButton*>(part) && styled(part));
          break;
        case kGrip:
          EXPECT_TRUE(dynamic_cast<TuiSizeGrip*>(part) && styled(part));
          break;
        case kImage:
          EXPECT_TRUE(dynamic_cast<TuiImage*>(part));
          break;
        case kShape:
          EXPECT_TRUE(dynamic_cast<TuiShape*>(part));
          break;
        case kAny:
          break;
      }
    }
    control->Free();
  }

  for (const std::string& category : TuiClassRegistry::Instance().Categories())
    for (const TuiClassInfo* info : TuiClassRegistry::Instance().ClassesOf(category)) {
      if (!info->InheritsFrom(TuiControl::StaticClass())) continue;
      const bool listed =
          std::any_of(rows.begin(), rows.end(), [&](const TRow& R) { return info->Name() == R.Class; });
      const bool excused = std::find(unstyled.begin(), unstyled.end(), info->Name()) != unstyled.end();
      EXPECT_TRUE(listed || excused) << info->Name() << " has no row";
    }
}

std::vector<uint8_t> ReadCommitted(const std::string& Path) {
  std::ifstream in(std::string(UX_SOURCE_ROOT) + "/" + Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The sheet carries the images as hexadecimal text; they must be the
// pictures tools/imagegen makes, not an older run of it.
TEST_F(DefaultSheetTest, ImagesAreTheCommittedPictures) {
  TuiObject* sheet = TuiStyleSheets::LoadDefault();
  ASSERT_TRUE(sheet);
  TuiObject* window = sheet->FindResource("hudwindowstyle");
  ASSERT_TRUE(window);
  const struct {
    TuiObject* Entry;
    const char* File;
  } cases[] = {
      {window->FindResource("shadow"), "controls/styles/images/hudshadow.png"},
      {sheet->FindResource("hudSizeGripStyle"), "controls/styles/images/hudsizegrip.png"},
      {sheet->FindResource("sizegripstyle"), "controls/styles/images/hudsizegrip.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    auto* image = dynamic_cast<TuiImage*>(c.Entry);
    ASSERT_TRUE(image);
    TuiBitmap committed;
    ASSERT_TRUE(TuiFilterPngJpeg().LoadFromBytes(std::span<const uint8_t>(ReadCommitted(c.File)), committed));
    const TuiBitmap& held = *image->Bitmap();
    ASSERT_EQ(held.Width(), committed.Width());
    ASSERT_EQ(held.Height(), committed.Height());
    const size_t n = size_t(held.Width()) * size_t(held.Height());
    EXPECT_TRUE(std::equal(held.Bits(), held.Bits() + n, committed.Bits()));
  }
}

// The three windows' frames: the settings window with its caption bar
// (stroke thickness 1 + 20 high), bold white title and the close button at
// the right; the console and display windows with the back, outline, shadow
// and size grip only.
TEST_F(DefaultSheetTest, HudWindowFramesOfTheThreeWindows) {
  struct TCase {
    const char* Name;
    bool Caption;
  };
  for (const TCase& c : {TCase{"settings", true}, TCase{"console and display", false}}) {
    SCOPED_TRACE(c.Name);
    Host.InvalidateAll();
    auto* w = Add(new TuiHudWindow(nullptr));
    w->SetBounds(0, 0, 200, 160);
    w->SetText("LEDs");
    w->SetShowCaption(c.Caption);
    w->SetShowCloseButton(c.Caption);
    w->SetButtonAlign(uxButtonAlignRight);
    Host.PaintTree();

    TuiVisualObject* back = Part(w, "back");
    TuiVisualObject* caption = Part(w, "caption");
    auto* title = dynamic_cast<TuiText*>(Part(w, "text"));
    TuiVisualObject* close = Part(w, "close");
    TuiVisualObject* grip = Part(w, "sizegrip");
    ASSERT_TRUE(back && caption && title && close && grip);
    for (const char* shown : {"back", "shadow", "stroke", "sizegrip"})
      EXPECT_TRUE(Part(w, shown)->Visible()) << shown;
    EXPECT_EQ(caption->Visible(), c.Caption);
    EXPECT_EQ(title->Visible(), c.Caption);
    EXPECT_EQ(close->Visible(), c.Caption);

    // The back is inset 12 for the shadow, which shows outside it and is
    // strongest to the right and below.
    const TuiRect b = back->GetAbsoluteRect();
    EXPECT_EQ(b, (TuiRect{12, 12, 188, 148}));
    EXPECT_EQ(Alpha(Pixel(100, 0)), 0u);
    EXPECT_GT(Alpha(Pixel(189, 80)), 0x40u);
    EXPECT_GT(Alpha(Pixel(100, 149)), 0x40u);
    EXPECT_LT(Alpha(Pixel(100, 11)), Alpha(Pixel(100, 149)));
    EXPECT_LT(Alpha(Pixel(11, 80)), Alpha(Pixel(189, 80)));
    // The back's translucent near-black fill.
    EXPECT_GT(Alpha(Pixel(100, 100)), 0xE0u);
    EXPECT_LT(Pixel(100, 100) & 0xFF, 0x40u);
    // The grip's dark diagonal in the bottom-right corner, inside the outline.
    const TuiRect g = grip->GetAbsoluteRect();
    EXPECT_LE(g.Right, b.Right);
    EXPECT_LE(g.Bottom, b.Bottom);
    EXPECT_GT(g.Right, b.Right - 20);
    EXPECT_GT(g.Bottom, b.Bottom - 20);

    if (c.Caption) {
      EXPECT_EQ(caption->Height(), 21.0f);
      EXPECT_EQ(caption->GetAbsoluteRect().Top, b.Top + 1);
      EXPECT_EQ(title->Font()->Style(), uxFontBold);
      EXPECT_EQ(title->Fill()->ColorValue(), 0xFFFFFFFFu);
      EXPECT_EQ(title->Text(), "LEDs");
      // Right-aligned close button in the caption row, the title left of it.
      const TuiRect r = close->GetAbsoluteRect();
      EXPECT_GT(r.Left, (b.Left + b.Right) / 2);
      EXPECT_GT(r.Right, b.Right - 8);
      EXPECT_LE(r.Bottom, b.Top + 22);
      EXPECT_LE(title->GetAbsoluteRect().Right, r.Left);
      // Its translucent white ellipse paints light.
      const int cx = int((r.Left + r.Right) / 2), cy = int((r.Top + r.Bottom) / 2);
      EXPECT_GT((Pixel(cx - 4, cy) >> 8) & 0xFF, 0x80u);
    } else {
      // Where the caption bar would darken the back there is only the back.
      EXPECT_EQ(Pixel(60, 24), Pixel(60, 100));
    }
    w->Free();
  }
}

}  // namespace

namespace {

// A freshly styled box or radio button shows its state in its first frame,
// with nothing left running; only a later change fades the mark, over the
// style's 0.1 s.
TEST_F(DefaultSheetTest, FreshStyleShowsTheMarkAtOnceAndALaterChangeFades) {
  platform::TVirtualClock clock;
  TuiAnimationTimer::Instance().SetSource(&clock);
  const auto markAlpha = [](TuiControl* C) {
    auto* mark = dynamic_cast<TuiShape*>(Part(C, "checkmark"));
    return mark ? int(Alpha(mark->Fill()->ColorValue())) : -1;
  };
  for (const bool checked : {false, true}) {
    auto* box = Add(new TuiHudCheckBox(Root()));
    auto* radio = Add(new TuiHudRadioButton(Root()));
    radio->SetGroupName(checked ? "on" : "off");
    for (TuiControl* c : {static_cast<TuiControl*>(box), static_cast<TuiControl*>(radio)})
      c->SetBounds(10, 10, 80, 19);
    box->SetIsChecked(checked);
    radio->SetIsChecked(checked);
    Host.PaintTree();
    for (TuiControl* c : {static_cast<TuiControl*>(box), static_cast<TuiControl*>(radio)}) {
      // The HUD sheet's mark is lit at alpha E0.
      EXPECT_EQ(markAlpha(c), checked ? 0xE0 : 0) << c->ClassName() << " checked " << checked;
    }
    EXPECT_EQ(TuiAnimationTimer::Instance().Count(), 0) << "checked " << checked;

    box->SetIsChecked(!checked);
    clock.Advance(50);
    const int halfway = markAlpha(box);
    EXPECT_GT(halfway, 0) << "checked " << checked;
    EXPECT_LT(halfway, 0xE0) << "checked " << checked;
    clock.Advance(100);
    EXPECT_EQ(markAlpha(box), checked ? 0 : 0xE0);
    box->Free();
    radio->Free();
  }
  TuiAnimationTimer::Instance().SetSource(nullptr);
}

}  // namespace

namespace {

// Every look the sheet gives to the pointer must show. The controls that
// answer it are found in the styles themselves, nested ones included (a
// window's close button, a track's thumb): each control that owns an
// animation triggered by "IsMouseOver" is pointed at, and its pixels must
// change once the animation's time has run and come back once the pointer has
// left and the reverse animation has run.
TEST_F(DefaultSheetTest, EveryHoverAnimationOfTheSheetShowsUnderThePointer) {
  platform::TVirtualClock clock;
  struct TSource {
    explicit TSource(platform::TVirtualClock& C) { TuiAnimationTimer::Instance().SetSource(&C); }
    ~TSource() { TuiAnimationTimer::Instance().SetSource(nullptr); }
  } source(clock);

  const auto pixels = [this](const TuiRect& R) {
    const TuiCanvas& c = Host.Buffer();
    std::vector<uint32_t> out;
    for (int y = std::max(0, int(R.Top)); y < std::min(c.Height(), int(std::ceil(R.Bottom))); ++y)
      for (int x = std::max(0, int(R.Left)); x < std::min(c.Width(), int(std::ceil(R.Right))); ++x)
        out.push_back(Pixel(x, y));
    return out;
  };
  // The controls whose own animations answer the pointer.
  const auto hoverTargets = [](TuiControl* Top) {
    std::vector<TuiControl*> found;
    std::vector<TuiObject*> todo{Top};
    while (!todo.empty()) {
      TuiObject* o = todo.back();
      todo.pop_back();
      for (TuiObject* c : o->ChildList()) todo.push_back(c);
      auto* a = dynamic_cast<TuiAnimation*>(o);
      if (!a || !TriggerMentions(a->Trigger(), "IsMouseOver")) continue;
      TuiObject* owner = a->Parent();
      while (owner && !dynamic_cast<TuiControl*>(owner)) owner = owner->Parent();
      if (owner && std::find(found.begin(), found.end(), owner) == found.end())
        found.push_back(static_cast<TuiControl*>(owner));
    }
    return found;
  };

  std::set<std::string> reacting;
  for (const std::string& category : TuiClassRegistry::Instance().Categories())
    for (const TuiClassInfo* info : TuiClassRegistry::Instance().ClassesOf(category)) {
      if (!info->InheritsFrom(TuiControl::StaticClass())) continue;
      SCOPED_TRACE(info->Name());
      auto* control = dynamic_cast<TuiControl*>(info->Create(nullptr));
      ASSERT_TRUE(control);
      Add(control);
      control->SetBounds(10, 10, 170, 120);
      Host.InvalidateAll();
      Host.PaintTree();
      for (TuiControl* target : hoverTargets(control)) {
        SCOPED_TRACE(target->ClassName());
        const TuiRect r = target->GetAbsoluteRect();
        const TuiPoint centre{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
        // No part of any style may take the pointer from the control.
        ASSERT_EQ(Host.ObjectAt(centre.X, centre.Y), target);
        const std::vector<uint32_t> away = pixels(r);

        Host.MouseMove(0, centre.X, centre.Y);
        clock.Advance(300);
        Host.PaintTree();
        EXPECT_TRUE(pixels(r) != away) << "no change under the pointer";

        Host.MouseMove(0, 199, 199);
        clock.Advance(300);
        Host.PaintTree();
        EXPECT_TRUE(pixels(r) == away) << "the pointer has left";
        reacting.insert(info->Name());
      }
      control->Free();
    }
  // The settings window's controls are among them.
  for (const char* shown :
       {"TuiHudButton", "TuiHudCheckBox", "TuiHudRadioButton", "TuiHudTrackBar", "TuiHudWindow"})
    EXPECT_TRUE(reacting.count(shown)) << shown;
}

}  // namespace
