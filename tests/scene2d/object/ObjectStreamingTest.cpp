#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "scene2d/Collection.h"
#include "scene2d/Colors.h"
#include "scene2d/Errors.h"
#include "scene2d/Object.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/ReadLosses.h"
#include "scene2d/TextForms.h"
#include "scene2d/ValueHolders.h"
#include "scene2d/stream/StreamConvert.h"

namespace {

enum TTestShape : uint8_t { tsNone, tsRound, tsSquare };
UX_ENUM(TTestShape, "tsNone", "tsRound", "tsSquare")

class TTestPoint : public TuiCollectionItem {
  UX_CLASS(TTestPoint, TuiCollectionItem)
 public:
  using TuiCollectionItem::TuiCollectionItem;
  const std::string& Color() const { return FColor; }
  void SetColor(const std::string& V) { FColor = V; }
  float Offset() const { return FOffset; }
  void SetOffset(float V) { FOffset = V; }
  static void DefineProperties(TuiClassBuilder<TTestPoint>& C) {
    C.Property("Color", &TTestPoint::Color, &TTestPoint::SetColor);
    C.Property("Offset", &TTestPoint::Offset, &TTestPoint::SetOffset);
  }

 private:
  std::string FColor;
  float FOffset = 0;
};
UX_IMPLEMENT_CLASS(TTestPoint)

// A class with one property of each kind the windows and styles use.
class TTestThing : public TuiObject {
  UX_CLASS(TTestThing, TuiObject)
 public:
  explicit TTestThing(TuiComponent* Owner)
      : TuiObject(Owner),
        FPosition(std::make_unique<TuiPosition>(TuiPoint{0, 0})),
        FPoints(std::make_unique<TuiCollection>(
            [](TuiCollection* C) { return std::make_unique<TTestPoint>(C); })) {}

  float Width() const { return FWidth; }
  void SetWidth(float V) { FWidth = V; }
  TTestShape Shape() const { return FShape; }
  void SetShape(TTestShape V) { FShape = V; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool V) { FVisible = V; }
  int32_t Count() const { return FCount; }
  void SetCount(int32_t V) { FCount = V; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& V) { FText = V; }
  TuiPosition* Position() const { return FPosition.get(); }
  TuiCollection* Points() const { return FPoints.get(); }
  std::function<void(TuiObject*)> OnClick;
  std::string Clicked;
  void HandleClick(TuiObject* Sender) { Clicked += Sender->Name() + ";"; }
  int LoadedCalls = 0;
  std::string LoadedOrder;
  void Loaded() override { LoadedOrder += Name() + ";"; }

  static void DefineProperties(TuiClassBuilder<TTestThing>& C) {
    C.Property("Width", &TTestThing::Width, &TTestThing::SetWidth, 50.0f);
    C.Property("Shape", &TTestThing::Shape, &TTestThing::SetShape, tsNone);
    C.Property("Visible", &TTestThing::Visible, &TTestThing::SetVisible, true);
    C.Property("Count", &TTestThing::Count, &TTestThing::SetCount, 0);
    C.Property("Text", &TTestThing::Text, &TTestThing::SetText);
    C.Object("Position", &TTestThing::Position);
    C.Collection("Points", &TTestThing::Points);
    C.Event("OnClick", &TTestThing::OnClick);
    C.Method("AClick", &TTestThing::HandleClick);
  }

 private:
  float FWidth = 50;
  TTestShape FShape = tsNone;
  bool FVisible = true;
  int32_t FCount = 0;
  std::string FText;
  std::unique_ptr<TuiPosition> FPosition;
  std::unique_ptr<TuiCollection> FPoints;
};
UX_IMPLEMENT_CLASS(TTestThing)

// Hands its children up to its parent in streams.
class TTestContent : public TTestThing {
  UX_CLASS(TTestContent, TTestThing)
 public:
  using TTestThing::TTestThing;
  bool IsContent() const override { return true; }
};
UX_IMPLEMENT_CLASS(TTestContent)

struct Registered {
  Registered() {
    TuiClassRegistry::Instance().Register("Test", {&TTestThing::StaticClass(), &TTestContent::StaticClass()});
  }
} registered;

TTestThing* AddThing(TuiObject* Parent, const std::string& Name) {
  auto* t = new TTestThing(nullptr);
  t->SetName(Name);
  Parent->AddObject(t);
  return t;
}

TEST(ObjectStreaming, WritesOnlyWhatDiffersFromDefaultsAndReadsItBack) {
  TTestThing root(nullptr);
  root.SetName("Root");
  TTestThing* a = AddThing(&root, "A");
  a->SetWidth(0.5f);
  a->SetShape(tsSquare);
  a->SetVisible(false);
  a->SetCount(-300);
  a->SetText("On");
  a->Position()->SetPoint({14, 31});
  a->SetProperty("OnClick", std::string("AClick"));
  auto* p = static_cast<TTestPoint*>(a->Points()->Add());
  p->SetColor("#FFFF0000");
  p->SetOffset(0.25f);
  static_cast<TTestPoint*>(a->Points()->Add())->SetColor("#FF0000FF");
  AddThing(&root, "B");

  const std::string text = uxObjectBinaryToText(WriteObjectData(root));
  EXPECT_EQ(text.find("Width = 50"), std::string::npos) << text;
  EXPECT_NE(text.find("Position.Point = '(14,31)'"), std::string::npos) << text;
  EXPECT_NE(text.find("Shape = tsSquare"), std::string::npos) << text;
  EXPECT_NE(text.find("OnClick = AClick"), std::string::npos) << text;
  EXPECT_EQ(text.find("Position.X"), std::string::npos) << text;

  TTestThing copy(nullptr);
  ReadObjectData(WriteObjectData(root), copy, nullptr);
  ASSERT_EQ(copy.ChildrenCount(), 2);
  auto* ca = static_cast<TTestThing*>(copy.Children(0));
  EXPECT_EQ(copy.Name(), "Root");
  EXPECT_EQ(ca->Name(), "A");
  EXPECT_EQ(ca->Width(), 0.5f);
  EXPECT_EQ(ca->Shape(), tsSquare);
  EXPECT_FALSE(ca->Visible());
  EXPECT_EQ(ca->Count(), -300);
  EXPECT_EQ(ca->Text(), "On");
  EXPECT_EQ(ca->Position()->Point(), (TuiPoint{14, 31}));
  // The handler is bound to the reading root's method of that name.
  ASSERT_TRUE(ca->OnClick);
  ca->OnClick(ca);
  EXPECT_EQ(copy.Clicked, "A;");
  ASSERT_EQ(ca->Points()->Count(), 2);
  EXPECT_EQ(static_cast<TTestPoint*>(ca->Points()->Items(0))->Offset(), 0.25f);
  EXPECT_EQ(static_cast<TTestPoint*>(ca->Points()->Items(1))->Color(), "#FF0000FF");
  // Reading again writes the same bytes.
  EXPECT_EQ(WriteObjectData(copy), WriteObjectData(root));
}

TEST(ObjectStreaming, ReadsIntegralFloatsAndCompletesLoadingParentsFirst) {
  const std::string data = uxObjectTextToBinary(
      "object Root: TTestThing\n"
      "  Width = 7\n"
      "  object A: TTestThing\n"
      "    object A1: TTestThing\n"
      "    end\n"
      "  end\n"
      "  object B: TTestThing\n"
      "  end\n"
      "end\n");
  TTestThing root(nullptr);
  std::string order;
  ReadObjectData(data, root, nullptr);
  EXPECT_EQ(root.Width(), 7.0f);
  EXPECT_EQ(root.LoadedOrder, "Root;");
  auto* a = static_cast<TTestThing*>(root.Children(0));
  EXPECT_EQ(a->LoadedOrder, "A;");
  EXPECT_FALSE(a->IsLoading());
  EXPECT_EQ(a->Children(0)->Name(), "A1");
}

TEST(ObjectStreaming, ReportsTheReadersMessages) {
  struct Case {
    const char* Text;
    const char* Message;
  };
  const Case cases[] = {
      {"object R: TTestThing\n Nope = 1\nend", "Error reading R.Nope: Property Nope does not exist"},
      {"object R: TTestThing\n Width = 'x'\nend", "Error reading R.Width: Invalid property value"},
      // Beyond a float, or not a number: no text form would give them back.
      {"object R: TTestThing\n Width = 1E39\nend", "Error reading R.Width: Invalid floating point value"},
      {"object R: TTestThing\n Width = -Inf\nend", "Error reading R.Width: Invalid floating point value"},
      {"object R: TTestThing\n Position.X = +Nan\nend",
       "Error reading R.Position.X: Invalid floating point value"},
      {"object R: TTestThing\n Shape = tsOval\nend", "Error reading R.Shape: Invalid property value"},
      {"object R: TTestThing\n Width.X = 1\nend", "Error reading R.Width.X: Invalid property path"},
      {"object R: TTestThing\n object C: TNoSuchClass\n end\nend", "Class TNoSuchClass not found"},
  };
  for (const Case& c : cases) {
    TTestThing root(nullptr);
    try {
      ReadObjectData(uxObjectTextToBinary(c.Text), root, nullptr);
      ADD_FAILURE() << "no error for " << c.Text;
    } catch (const EuxReadError& e) {
      EXPECT_EQ(std::string(e.what()), c.Message);
    }
    EXPECT_FALSE(root.IsLoading());
  }
  TTestThing root(nullptr);
  EXPECT_THROW(ReadObjectData("TPF1", root, nullptr), EuxReadError);
}

TEST(ObjectStreaming, WritesNoFloatThatWouldNotReadBack) {
  for (const float bad : {INFINITY, -INFINITY, NAN}) {
    TTestThing thing(nullptr);
    thing.SetWidth(bad);
    EXPECT_THROW(WriteObjectData(thing), EuxWriteError) << bad;
  }
}

// Each fallback taken while reading is reported with the object's path and
// the property as stored; values that convert report nothing, and without a
// collector nothing is kept.
TEST(ObjectStreaming, ReportsEachFallbackWithItsObjectAndProperty) {
  const std::string data = uxObjectTextToBinary(
      "object R: TTestThing\n"
      "  Position.Point = 'garbage'\n"
      "  object Good: TTestThing\n"
      "    Position.Point = '(1,2)'\n"
      "    object Deep: TTestThing\n"
      "      Position.Point = '(NAN,0)'\n"
      "    end\n"
      "  end\n"
      "  object TTestThing\n"
      "    Position.Point = ''\n"
      "  end\n"
      "end\n");
  TTestThing root(nullptr);
  TuiLossCollector collector;
  ReadObjectData(data, root, nullptr);
  std::vector<std::string> seen;
  for (const TuiReadLoss& l : collector.Losses())
    seen.push_back(l.Object + " | " + l.Property + " | " + l.What);
  EXPECT_EQ(seen, (std::vector<std::string>{"R | Position.Point | 'garbage' is not a point",
                                            "R.Good.Deep | Position.Point | '(NAN,0)' is not a point",
                                            "R.TTestThing | Position.Point | '' is not a point"}));
  EXPECT_EQ(root.Position()->Point(), (TuiPoint{0, 0}));  // the fallback itself stays

  {
    TuiLossCollector inner;
    EXPECT_EQ(TextToColor("nonsense"), 0u);
    EXPECT_EQ(TextToColor("#FF102030"), 0xFF102030u);
    TextToRect(std::string(100, 'x'));
    ASSERT_EQ(inner.Losses().size(), 2u);
    EXPECT_EQ(inner.Losses()[0].What, "'nonsense' is not a colour");
    EXPECT_EQ(inner.Losses()[0].Object, "");  // outside any reading
    EXPECT_EQ(inner.Losses()[1].What, "'" + std::string(64, 'x') + "'... is not a rectangle");
  }
  EXPECT_EQ(collector.Losses().size(), 3u);  // the inner collector took the later ones
}

TEST(ObjectStreaming, LoadFromStreamSkipsBadValuesAndDropsNames) {
  TTestThing root(nullptr);
  root.LoadFromStream(
      uxObjectTextToBinary("object R: TTestThing\n Nope = 1\n Count = 3\n object C: TTestThing\n Width = "
                           "'bad'\n Count = 4\n end\nend"));
  EXPECT_EQ(root.Name(), "");
  EXPECT_EQ(root.Count(), 3);
  ASSERT_EQ(root.ChildrenCount(), 1);
  EXPECT_EQ(root.Children(0)->Name(), "");
  EXPECT_EQ(static_cast<TTestThing*>(root.Children(0))->Count(), 4);
  EXPECT_FALSE(root.IsDesigning());
}

TEST(ObjectStreaming, CloneCopiesStoredDescendantsWithoutNameParentOrNonStoredChildren) {
  TTestThing parent(nullptr);
  TTestThing* original = AddThing(&parent, "Original");
  original->SetCount(9);
  AddThing(original, "Kept")->SetText("kept");
  AddThing(original, "Skipped")->SetStored(false);
  std::unique_ptr<TuiObject> clone(original->CloneObject(nullptr));
  ASSERT_TRUE(clone);
  EXPECT_EQ(clone->ClassName(), "TTestThing");
  EXPECT_EQ(clone->Name(), "");
  EXPECT_EQ(clone->Parent(), nullptr);
  EXPECT_EQ(static_cast<TTestThing*>(clone.get())->Count(), 9);
  ASSERT_EQ(clone->ChildrenCount(), 1);
  EXPECT_EQ(static_cast<TTestThing*>(clone->Children(0))->Text(), "kept");
  EXPECT_EQ(original->Name(), "Original") << "saving clears the name only on the way out";
}

// A clone is made straight from the properties, without a stream; it must be
// what reading the original's stream gives, whatever the original holds:
// values the stream rounds or drops, sub-objects, collections, events bound
// to the copy, children in their order, texts the stream re-encodes.
TEST(ObjectStreaming, CloneIsWhatTheStreamOfTheOriginalReadsAs) {
  const std::vector<std::pair<const char*, std::function<void(TTestThing&)>>> cases = {
      {"defaults", [](TTestThing&) {}},
      {"values",
       [](TTestThing& T) {
         T.SetWidth(0.1f);
         T.SetShape(tsSquare);
         T.SetVisible(false);
         T.SetCount(-7);
         T.SetText("plain");
       }},
      {"beyond the stream",
       [](TTestThing& T) {
         T.SetShape(TTestShape(9));  // the writer refuses it
       }},
      {"sub-object and collection",
       [](TTestThing& T) {
         T.Position()->SetPoint({3.5f, -2});
         for (const char* color : {"#FF102030", "#80FFFFFF"}) {
           auto* point = static_cast<TTestPoint*>(T.Points()->Add());
           point->SetColor(color);
           point->SetOffset(0.25f);
         }
       }},
      {"event", [](TTestThing& T) { T.SetEventHandlerName("OnClick", "AClick"); }},
      {"unbound event", [](TTestThing& T) { T.SetEventHandlerName("OnClick", "NoSuchMethod"); }},
      {"code-page text",
       [](TTestThing& T) {
         T.SetText(
             "Gr\xfc\xdf"
             "e");
       }},
      {"children",
       [](TTestThing& T) {
         AddThing(&T, "First")->SetCount(1);
         AddThing(AddThing(&T, "Second"), "Inner")->SetText("inner");
         AddThing(&T, "Hidden")->SetStored(false);
         auto* content = new TTestContent(nullptr);
         T.AddObject(content);
         AddThing(content, "InContent")->SetCount(4);
       }},
  };
  for (const auto& [name, make] : cases) {
    TTestThing parent(nullptr);
    TTestThing* original = AddThing(&parent, "Original");
    make(*original);
    std::string data;
    try {
      data = original->SaveToStream();
    } catch (const EuxError&) {
      EXPECT_THROW(delete original->CloneObject(nullptr), EuxError) << name;
      continue;
    }
    TTestThing streamed(nullptr);
    streamed.LoadFromStream(data);
    std::unique_ptr<TuiObject> clone(original->CloneObject(nullptr));
    ASSERT_TRUE(clone) << name;
    auto& copy = static_cast<TTestThing&>(*clone);
    EXPECT_EQ(copy.ObjectToText(), streamed.ObjectToText()) << name;
    EXPECT_EQ(copy.Width(), streamed.Width()) << name;
    EXPECT_EQ(copy.Text(), streamed.Text()) << name;
    EXPECT_EQ(bool(copy.OnClick), bool(streamed.OnClick)) << name;
    EXPECT_EQ(copy.ChildrenCount(), streamed.ChildrenCount()) << name;
    EXPECT_EQ(copy.IsDesigning(), streamed.IsDesigning()) << name;
    EXPECT_EQ(copy.LoadedOrder, streamed.LoadedOrder) << name;
    if (copy.OnClick) {
      copy.OnClick(&copy);
      streamed.OnClick(&streamed);
      EXPECT_EQ(copy.Clicked, streamed.Clicked) << name;
    }
  }
}

TEST(ObjectStreaming, ContentChildrenReappearUnderTheContentsParent) {
  TTestThing root(nullptr);
  auto* content = new TTestContent(nullptr);
  root.AddObject(content);
  AddThing(content, "Inner")->SetCount(1);
  TTestThing copy(nullptr);
  ReadObjectData(WriteObjectData(root), copy, nullptr);
  ASSERT_EQ(copy.ChildrenCount(), 2);
  EXPECT_EQ(copy.Children(0)->Name(), "Inner");
  EXPECT_EQ(copy.Children(1)->ClassName(), "TTestContent");
  EXPECT_EQ(copy.Children(1)->ChildrenCount(), 0);
}

TEST(ObjectStreaming, CreateObjectFromStreamGivesNoneOnAnyError) {
  TuiObject owner(nullptr);
  std::unique_ptr<TuiObject> made(
      TuiObject::CreateObjectFromText(nullptr, "object X: TTestThing\n Count = 5\nend"));
  ASSERT_TRUE(made);
  EXPECT_EQ(static_cast<TTestThing*>(made.get())->Count(), 5);
  for (const char* bad :
       {"object X: TNoSuchClass\nend", "object X: TTestThing\n object Y: TNoSuchClass\n end\nend",
        "object X: TTestThing", "garbage"}) {
    EXPECT_EQ(TuiObject::CreateObjectFromText(&owner, bad), nullptr) << bad;
    EXPECT_EQ(owner.ComponentCount(), 0) << "a failed read leaves nothing behind: " << bad;
  }
  EXPECT_EQ(TuiObject::CreateObjectFromStream(&owner, std::string("TPF0\x05TTest", 10)), nullptr);
}

}  // namespace
