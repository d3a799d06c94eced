#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FakeScene.h"
#include "scene2d/Errors.h"
#include "scene2d/Layouts.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/Registration.h"
#include "scene2d/stream/StreamConvert.h"

namespace {

enum TOrder { kOwnerFirstChildrenOlder, kOwnerFirstParentsOlder, kParentFirst, kChildFirst };

TEST(VisualTree, DestroyingInAnyOrderUnlinksEverything) {
  for (TOrder order : {kOwnerFirstChildrenOlder, kOwnerFirstParentsOlder, kParentFirst, kChildFirst}) {
    SCOPED_TRACE(order);
    TFakeScene host;
    auto owner = std::make_unique<TuiComponent>(nullptr);
    TuiLayout* root = nullptr;
    TuiVisualObject *middle = nullptr, *top = nullptr, *fill = nullptr;
    auto makeParents = [&] {
      root = new TuiLayout(owner.get());
      middle = new TuiVisualObject(owner.get());
    };
    auto makeChildren = [&] {
      top = new TuiVisualObject(owner.get());
      fill = new TuiVisualObject(owner.get());
    };
    if (order == kOwnerFirstChildrenOlder) {
      makeChildren();
      makeParents();
    } else {
      makeParents();
      makeChildren();
    }
    host.AddObject(root);
    root->SetBounds(0, 0, 200, 100);
    root->AddObject(middle);
    middle->AddObject(top);
    middle->AddObject(fill);
    middle->SetAlign(vaClient);
    top->SetAlign(vaTop);
    fill->SetAlign(vaClient);
    ASSERT_EQ(BoxOf(*fill), (TBox{0, 50, 200, 50}));

    switch (order) {
      case kOwnerFirstChildrenOlder:
      case kOwnerFirstParentsOlder:
        owner.reset();
        break;
      case kParentFirst:
        delete middle;
        EXPECT_EQ(root->ChildrenCount(), 0);
        EXPECT_EQ(owner->ComponentCount(), 1);
        break;
      case kChildFirst:
        delete top;
        EXPECT_EQ(middle->ChildrenCount(), 1);
        root->SetWidth(300);
        EXPECT_EQ(BoxOf(*fill), (TBox{0, 0, 300, 100})) << "the rest still aligns";
        delete root;
        EXPECT_EQ(owner->ComponentCount(), 0);
        break;
    }
    if (order == kParentFirst) continue;
    EXPECT_TRUE(host.Roots.empty());
    EXPECT_EQ(std::count(host.Removed.begin(), host.Removed.end(), root), 1);
  }
}

TEST(VisualTree, PopupMenuReferenceIsClearedWhenTheMenuDies) {
  auto menu = std::make_unique<TuiComponent>(nullptr);
  TuiVisualObject o(nullptr);
  o.SetPopupMenu(menu.get());
  menu.reset();
  EXPECT_EQ(o.PopupMenu(), nullptr);

  // The other way round the menu must not keep a link to a dead object.
  auto survivor = std::make_unique<TuiComponent>(nullptr);
  auto user = std::make_unique<TuiVisualObject>(nullptr);
  user->SetPopupMenu(survivor.get());
  user.reset();
  survivor.reset();
}

std::vector<std::string> StoredValues(const TuiPersistent& O) {
  std::vector<std::string> names;
  for (const TuiPropertyInfo& p : O.ClassInfo().Properties())
    if (p.Kind != pkObject && p.IsStored(O)) names.push_back(p.Name);
  return names;
}

TEST(VisualTree, PublishedPropertiesAreStoredOnlyWhenTheyDifferFromTheirDefaults) {
  TuiVisualObject o(nullptr);
  EXPECT_EQ(StoredValues(o), std::vector<std::string>{});
  const char* holders[] = {"Position", "Scale", "RotateCenter", "Margins", "Padding"};
  for (const char* h : holders) {
    const TuiPropertyInfo* p = o.ClassInfo().FindProperty(h);
    ASSERT_NE(p, nullptr) << h;
    EXPECT_EQ(StoredValues(*std::get<TuiPersistent*>(p->Get(o))), std::vector<std::string>{}) << h;
  }

  o.SetWidth(100);
  o.SetOpacity(0.5f);
  o.SetHitTest(false);
  o.SetAlign(vaClient);
  o.SetHint("tip");
  o.SetProperty("Position.Point", std::string("(1,2)"));
  o.SetProperty("Margins.Top", 3.0);
  EXPECT_EQ(StoredValues(o), (std::vector<std::string>{"Align", "Width", "Opacity", "HitTest", "Hint"}));
  EXPECT_EQ(StoredValues(*o.Position()), std::vector<std::string>{"Point"});
  EXPECT_EQ(std::get<std::string>(o.GetProperty("Position.Point")), "(1,2)");
  EXPECT_EQ(std::get<std::string>(o.GetProperty("Margins.Rect")), "(0,3,0,0)");
  EXPECT_EQ(StoredValues(*o.Scale()), std::vector<std::string>{});
  EXPECT_EQ(TransformPoint({0, 0}, o.LocalMatrix()), (TuiPoint{1, 2})) << "a path write notifies the owner";
  EXPECT_DOUBLE_EQ(std::get<double>(o.GetProperty("position.x")), 1);
  EXPECT_THROW(o.SetProperty("IsMouseOver", true), EuxError);

  TuiLayout layout(nullptr);
  EXPECT_EQ(StoredValues(layout), std::vector<std::string>{});
  layout.SetHitTest(true);
  EXPECT_EQ(StoredValues(layout), std::vector<std::string>{"HitTest"});
  TuiScaledLayout scaled(nullptr);
  EXPECT_EQ(StoredValues(scaled), std::vector<std::string>{});
  scaled.SetOriginalHeight(80);
  EXPECT_EQ(StoredValues(scaled), std::vector<std::string>{"OriginalHeight"});

  const TuiEnumInfo& align = EnumInfo<TuiAlign>();
  EXPECT_EQ(align.Names.size(), size_t(vaFitRight) + 1);
  EXPECT_EQ(align.Find("VACLIENT"), vaClient);
  EXPECT_EQ(align.Find("vaHorzCenter"), vaHorzCenter);
  EXPECT_EQ(align.Find("vaFitRight"), vaFitRight);
}

TEST(VisualTree, RegistrationMakesLayoutsCreatableByNameOnce) {
  RegisterScene2dClasses();
  RegisterScene2dClasses();
  TuiClassRegistry& registry = TuiClassRegistry::Instance();
  const auto layouts = registry.ClassesOf("Layouts");
  for (const TuiClassInfo* c : {&TuiLayout::StaticClass(), &TuiScaledLayout::StaticClass()})
    EXPECT_EQ(std::count(layouts.begin(), layouts.end(), c), 1) << c->Name();

  const TuiClassInfo* info = registry.Find("tuilayout");
  ASSERT_NE(info, nullptr);
  std::unique_ptr<TuiPersistent> made(info->Create(nullptr));
  auto* layout = dynamic_cast<TuiLayout*>(made.get());
  ASSERT_NE(layout, nullptr);
  EXPECT_FALSE(layout->HitTest());
  EXPECT_TRUE(layout->IsVisual());
  std::unique_ptr<TuiPersistent> scaled(registry.Find("TuiScaledLayout")->Create(nullptr));
  EXPECT_NE(dynamic_cast<TuiScaledLayout*>(scaled.get()), nullptr);
}

TEST(VisualTree, StreamedLayoutIsAlignedAtLoadCompletionAndWritesBackTheSame) {
  RegisterScene2dClasses();
  const std::string text =
      "object Root: TuiLayout\n"
      "  Width = 299\n"
      "  Height = 295\n"
      "  object Window: TuiLayout\n"
      "    Align = vaContents\n"
      "    Margins.Rect = '(5,30,5,5)'\n"
      "    Padding.Rect = '(12,12,12,12)'\n"
      "    object Grip: TuiLayout\n"
      "      Align = vaBottomRight\n"
      "      Position.Point = '(240,240)'\n"
      "      Width = 16\n"
      "      Height = 16\n"
      "    end\n"
      "    object Body: TuiLayout\n"
      "      Align = vaClient\n"
      "      RotateAngle = 365\n"
      "    end\n"
      "    object Caption: TuiLayout\n"
      "      Align = vaTop\n"
      "      Height = 20\n"
      "    end\n"
      "  end\n"
      "end\n";
  TuiLayout root(nullptr);
  ReadObjectData(uxObjectTextToBinary(text), root, nullptr);
  ASSERT_EQ(root.ChildrenCount(), 1);
  auto* window = root.Children(0)->Visual();
  ASSERT_EQ(window->ChildrenCount(), 3);
  auto* grip = window->Children(0)->Visual();
  auto* body = window->Children(1)->Visual();
  auto* caption = window->Children(2)->Visual();
  EXPECT_EQ(BoxOf(*window), (TBox{12, 12, 275, 271}));
  EXPECT_EQ(BoxOf(*caption), (TBox{5, 30, 265, 20}));
  EXPECT_EQ(BoxOf(*body), (TBox{5, 50, 265, 216}));
  EXPECT_EQ(BoxOf(*grip), (TBox{240, 240, 16, 16})) << "the size at load is the last aligned one";
  EXPECT_EQ(body->RotateAngle(), 5);
  EXPECT_NE(body->LocalMatrix(), TuiMatrix{});
  for (TuiVisualObject* o : {&static_cast<TuiVisualObject&>(root), window, grip, body, caption})
    EXPECT_FALSE(o->IsLoading()) << o->Name();

  const std::string written = WriteObjectData(root);
  const std::string back = uxObjectBinaryToText(written);
  for (const char* absent : {"Width = 50", "HitTest", "Opacity", "Position.X", "Scale.Point", "Margins.Top"})
    EXPECT_EQ(back.find(absent), std::string::npos) << absent << "\n" << back;
  EXPECT_NE(back.find("Padding.Rect = '(12,12,12,12)'"), std::string::npos) << back;
  TuiLayout copy(nullptr);
  ReadObjectData(written, copy, nullptr);
  EXPECT_EQ(WriteObjectData(copy), written);
}

// An animation child that records the triggers it is started with.
class TRecorder : public TuiObject, public IuxAnimation {
 public:
  using TuiObject::TuiObject;
  std::vector<std::string> Triggers;
  void Start() override {}
  void Stop() override {}
  bool Running() const override { return false; }
  bool HasTrigger() const override { return true; }
  void StartTrigger(TuiObject*, std::string_view Trigger) override { Triggers.emplace_back(Trigger); }
};

TEST(VisualTree, TriggersPassThroughLockedStylePartsAndShowingRunsIsVisible) {
  struct TRow {
    bool Locked, HitTest, Passes;
  } rows[] = {{true, false, true}, {true, true, false}, {false, false, false}};
  for (const TRow& r : rows) {
    TuiVisualObject control(nullptr);
    auto* part = new TuiVisualObject(nullptr);
    auto* recorder = new TRecorder(nullptr);
    control.AddObject(part);
    part->AddObject(recorder);
    part->SetLocked(r.Locked);
    part->SetHitTest(r.HitTest);
    control.StartTriggerAnimation(&control, "IsMouseOver");
    EXPECT_EQ(!recorder->Triggers.empty(), r.Passes) << r.Locked << r.HitTest;
  }

  TuiVisualObject o(nullptr);
  auto* recorder = new TRecorder(nullptr);
  o.AddObject(recorder);
  o.SetVisible(false);
  EXPECT_TRUE(recorder->Triggers.empty());
  o.SetVisible(true);
  EXPECT_EQ(recorder->Triggers, std::vector<std::string>{"IsVisible"});
}

}  // namespace

TEST(VisualHolder, ForgetsItsObjectWhenTheObjectDies) {
  TuiVisual holder;
  int changes = 0;
  holder.OnChanged = [&](TuiVisual*) { ++changes; };
  auto* object = new TuiLayout(nullptr);
  holder.SetVisualObject(object);
  holder.SetVisualObject(object);
  EXPECT_EQ(changes, 1);
  delete object;
  EXPECT_EQ(holder.VisualObject(), nullptr);
  // A holder that dies first unregisters, so the object's death touches nothing freed.
  auto* other = new TuiLayout(nullptr);
  {
    TuiVisual shortLived;
    shortLived.SetVisualObject(other);
  }
  delete other;
}

TEST(SceneList, HoldsEveryLiveHostInTheOrderTheyWereMade) {
  const size_t before = TuiSceneList::Scenes().size();
  auto first = std::make_unique<TFakeScene>();
  auto second = std::make_unique<TFakeScene>();
  ASSERT_EQ(TuiSceneList::Scenes().size(), before + 2);
  EXPECT_EQ(TuiSceneList::Scenes()[before], first.get());
  EXPECT_EQ(TuiSceneList::Scenes()[before + 1], second.get());
  first.reset();
  ASSERT_EQ(TuiSceneList::Scenes().size(), before + 1);
  EXPECT_EQ(TuiSceneList::Scenes()[before], second.get());
}
