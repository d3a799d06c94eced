#include <memory>
#include <string>

#include "ControlFixtures.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

using namespace control_fixtures;

UX_IMPLEMENT_CLASS(TuiTestControl)
UX_IMPLEMENT_CLASS(TuiTestControlKind)

namespace {

using StyleTest = ControlTest;

bool AllUnstoredAndLocked(TuiObject* O) {
  if (O->Stored()) return false;
  if (TuiVisualObject* v = O->Visual(); v && !v->Locked()) return false;
  for (TuiObject* c : O->ChildList())
    if (!AllUnstoredAndLocked(c)) return false;
  return true;
}

TEST_F(StyleTest, FirstPaintClonesTheClassStyleAsFirstChild) {
  auto* c = Add(new TuiTestControl(Root()));
  auto* own = new TuiRectangle(c);
  own->SetParent(c);
  int applied = 0;
  c->Events().OnApplyResource = [&](TuiObject*) { ++applied; };
  EXPECT_EQ(c->StyleObject(), nullptr);
  EXPECT_TRUE(c->StylePending());

  Host.PaintTree();

  TuiVisualObject* style = c->StyleObject();
  ASSERT_NE(style, nullptr);
  EXPECT_FALSE(c->StylePending());
  EXPECT_EQ(c->Children(0), style);
  EXPECT_EQ(c->Children(1), own);
  EXPECT_EQ(style->Owner(), c);
  EXPECT_EQ(style->Align(), vaContents);
  EXPECT_FALSE(style->DesignHide());
  EXPECT_EQ(style->ResourceName(), "testcontrolstyle");
  EXPECT_TRUE(AllUnstoredAndLocked(style));
  EXPECT_EQ(style->Width(), c->Width());
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(c->Applied, 1);
  // The parts are the clone's, not the sheet's.
  auto* text = c->FindPart<TuiText>("TEXT");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Parent(), style);
  EXPECT_NE(c->FindPart<TuiRectangle>("background"), nullptr);
  EXPECT_EQ(c->FindPart<TuiRectangle>("text"), nullptr);  // another class
  // A clone is never written with its control.
  EXPECT_EQ(c->ObjectToText().find("testcontrolstyle"), std::string::npos);
}

// Which style a control ends up with, identified by the Tag the sheet gives it.
TEST_F(StyleTest, LookupOrder) {
  struct TCase {
    const char* Resource;
    bool SheetLoadedBefore;
    int Tag;
    const char* ResourceName;
  } cases[] = {
      // Named: from stage A (name dropped) once the sheet is in, otherwise
      // from stage B, which keeps it.
      {"hudCloseButtonStyle", true, 4, ""},
      {"hudCloseButtonStyle", false, 4, "hudCloseButtonStyle"},
      // Nothing by that name, or no visual object: the class decides.
      {"nosuchstyle", true, 1, "testcontrolstyle"},
      {"grad", true, 1, "testcontrolstyle"},
      {"grad", false, 1, "testcontrolstyle"},
      // The first of two in depth-first order.
      {"dupstyle", false, 2, "dupstyle"},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(std::string(k.Resource) + (k.SheetLoadedBefore ? " loaded" : " not loaded"));
    TuiStyleSheets::FreeDefault();
    if (k.SheetLoadedBefore) {
      ASSERT_NE(TuiStyleSheets::LoadDefault(), nullptr);
    }
    auto c = std::make_unique<TuiTestControl>(nullptr);
    c->SetResource(k.Resource);
    ASSERT_NE(c->StyleObject(), nullptr);
    EXPECT_EQ(c->StyleObject()->Tag(), k.Tag);
    EXPECT_EQ(c->StyleObject()->ResourceName(), k.ResourceName);
  }
}

TEST_F(StyleTest, HostSheetComesFirstButParentClassStylesOnlyFromTheBuiltInSheet) {
  TuiResources sheet(nullptr);
  sheet.SetResource(
      "object S: TuiBackground\n"
      "  object A: TuiLayout\n    ResourceName = 'testcontrolstyle'\n    Tag = 7\n  end\n"
      "end\n");
  Host.SetStyle(&sheet);
  auto* own = Add(new TuiTestControl(Root()));
  auto* kind = Add(new TuiTestControlKind(Root()));
  own->ApplyResource();
  kind->ApplyResource();
  ASSERT_NE(own->StyleObject(), nullptr);
  ASSERT_NE(kind->StyleObject(), nullptr);
  EXPECT_EQ(own->StyleObject()->Tag(), 7);
  EXPECT_EQ(kind->StyleObject()->Tag(), 1);
}

TEST_F(StyleTest, LastResortIsAnyLiveStoredObjectOfThatName) {
  auto loose = std::make_unique<TuiLayout>(nullptr);
  loose->SetResourceName("LooseStyle");
  loose->SetTag(11);
  auto c = std::make_unique<TuiTestControl>(nullptr);
  c->SetResource("loosestyle");
  ASSERT_NE(c->StyleObject(), nullptr);
  EXPECT_EQ(c->StyleObject()->Tag(), 11);

  // An object that holds the control itself would be copied into it again
  // at every paint; it is no style.
  auto holder = std::make_unique<TuiLayout>(nullptr);
  holder->SetResourceName("holderstyle");
  auto* inside = new TuiTestControl(holder.get());
  inside->SetParent(holder.get());
  inside->SetResource("holderstyle");
  EXPECT_EQ(inside->StyleObject()->Tag(), 1);  // the class's instead
}

TEST_F(StyleTest, WritingTheSameResourceReplacesTheStyleAfterFreeStyle) {
  auto c = std::make_unique<TuiTestControl>(nullptr);
  c->SetResource("dupstyle");
  TuiObject* first = c->StyleObject();
  bool firstFreed = false;
  struct TWatch : IuxFreeNotify {
    bool* Flag;
    void FreeNotify(TuiObject*) override { *Flag = true; }
  } watch;
  watch.Flag = &firstFreed;
  first->AddFreeNotify(&watch);

  c->SetResource("dupstyle");

  EXPECT_TRUE(firstFreed);
  EXPECT_EQ(c->Freed, 1);
  EXPECT_TRUE(c->FreedWhileAttached);
  ASSERT_NE(c->StyleObject(), nullptr);
  EXPECT_EQ(c->ChildrenCount(), 1);
  EXPECT_EQ(c->Applied, 2);
}

TEST_F(StyleTest, StyleWaitsWhileLoadingOrInAnUpdate) {
  auto c = std::make_unique<TuiTestControl>(nullptr);
  c->BeginUpdate();
  c->SetResource("dupstyle");
  EXPECT_EQ(c->StyleObject(), nullptr);
  c->EndUpdate();
  c->EnterFocus();  // the next opportunity
  ASSERT_NE(c->StyleObject(), nullptr);
  EXPECT_EQ(c->StyleObject()->Tag(), 2);

  // A read layout leaves its controls unstyled until they are needed.
  auto read = std::unique_ptr<TuiObject>(TuiObject::CreateObjectFromText(
      nullptr, "object L: TuiLayout\n  object C: TuiLabel\n    Resource = 'dupstyle'\n  end\nend\n"));
  ASSERT_NE(read, nullptr);
  auto* label = dynamic_cast<TuiControl*>(read->Children(0));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->StyleObject(), nullptr);
  EXPECT_TRUE(label->StylePending());
}

TEST_F(StyleTest, FindResourceStopsAtNestedControls) {
  auto c = std::make_unique<TuiTestControl>(nullptr);
  c->ApplyResource();
  ASSERT_NE(c->StyleObject(), nullptr);
  EXPECT_NE(c->FindResource("inner"), nullptr);
  EXPECT_EQ(c->FindResource("secret"), nullptr);
  EXPECT_EQ(c->FindResource(""), nullptr);
}

TEST_F(StyleTest, DamagedBuiltInSheetsLeaveControlsUnstyled) {
  const std::string good(uxEmbeddedSheet_teststyle());
  const std::string damaged[] = {
      "",
      "TPF0",
      good.substr(0, good.size() / 2),
      "TPF0\x0dTuiBackground\xff\xff\xff\xff",
      "object X: TuiNoSuchClass\nend\n",
  };
  for (const std::string& data : damaged) {
    SCOPED_TRACE(data.size());
    UseDefaultSheet(data);
    auto c = std::make_unique<TuiTestControl>(nullptr);
    c->ApplyResource();
    EXPECT_EQ(c->StyleObject(), nullptr);
    EXPECT_FALSE(c->StylePending());
    EXPECT_EQ(TuiStyleSheets::Default(), nullptr);
    // Each later lookup tries again.
    UseDefaultSheet(good);
    c->UpdateResource();
    EXPECT_NE(c->StyleObject(), nullptr);
  }
}

TEST_F(StyleTest, UnreadablePropertiesOfAStyleAreSkipped) {
  auto c = std::make_unique<TuiTestControl>(nullptr);
  c->SetResource("brokenstyle");
  TuiVisualObject* style = c->StyleObject();
  ASSERT_NE(style, nullptr);
  EXPECT_FLOAT_EQ(style->Opacity(), 0.5f);
  auto* text = c->FindPart<TuiText>("text");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Text(), "kept");
}

TEST_F(StyleTest, ChangingAHostSheetRestylesEveryControlAndDyingLeavesNoStyle) {
  auto sheet = std::make_unique<TuiResources>(nullptr);
  Host.SetStyle(sheet.get());
  EXPECT_EQ(sheet->SubscriberCount(), 1);
  auto* outer = Add(new TuiTestControl(Root()));
  outer->ApplyResource();
  // The test sheet's style holds a label; it gets a style of its own too.
  auto* inner = dynamic_cast<TuiControl*>(outer->FindResource("inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(outer->StyleObject()->Tag(), 1);

  sheet->SetResource(
      "object S: TuiBackground\n"
      "  object A: TuiLayout\n    ResourceName = 'testcontrolstyle'\n    Tag = 7\n"
      "    object L: TuiLabel\n      ResourceName = 'inner'\n    end\n  end\n"
      "  object B: TuiLayout\n    ResourceName = 'labelstyle'\n    Tag = 12\n  end\n"
      "end\n");
  ASSERT_NE(sheet->Root(), nullptr);
  EXPECT_EQ(outer->StyleObject()->Tag(), 7);
  inner = dynamic_cast<TuiControl*>(outer->FindResource("inner"));
  ASSERT_NE(inner, nullptr);
  inner->ApplyResource();
  ASSERT_NE(inner->StyleObject(), nullptr);
  EXPECT_EQ(inner->StyleObject()->Tag(), 12);

  // Lines that are no sheet: no root, and the controls fall back.
  sheet->SetResource("object S: TuiBackground\n  Width = \n");
  EXPECT_EQ(sheet->Root(), nullptr);
  EXPECT_EQ(outer->StyleObject()->Tag(), 1);

  sheet.reset();
  EXPECT_EQ(Host.GetStyle(), nullptr);
}

TEST_F(StyleTest, ResourcesStoreTheirSheetInBinaryForm) {
  TuiLayout owner(nullptr);
  auto* sheet = new TuiResources(&owner);
  sheet->SetName("Sheet1");
  sheet->SetResource("object S: TuiBackground\n  object A: TuiLayout\n    ResourceName = 'x'\n  end\nend\n");
  const std::string text = owner.ObjectToText();
  EXPECT_NE(text.find("ResourcesBin"), std::string::npos);
  EXPECT_EQ(text.find("Resource ="), std::string::npos);

  TuiLayout copy(nullptr);
  ReadObjectData(uxObjectTextToBinary(text), copy, &copy);
  auto* read = dynamic_cast<TuiResources*>(copy.FindComponent("Sheet1"));
  ASSERT_NE(read, nullptr);
  ASSERT_NE(read->Root(), nullptr);
  EXPECT_NE(read->Root()->FindResource("x"), nullptr);
}

}  // namespace
