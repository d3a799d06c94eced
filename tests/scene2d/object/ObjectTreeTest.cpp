#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scene2d/Errors.h"
#include "scene2d/Layouts.h"
#include "scene2d/Object.h"
#include "scene2d/VisualObject.h"

namespace {

// A free-notification holder that records what it was told.
struct Holder : IuxFreeNotify {
  std::vector<TuiObject*> Told;
  void FreeNotify(TuiObject* Dying) override { Told.push_back(Dying); }
};

// A component that keeps a weak reference and clears it when told.
class TRefHolder : public TuiObject {
 public:
  using TuiObject::TuiObject;
  TuiObject* Ref = nullptr;
  void Notification(TuiComponent* C, TuiOperation Op) override {
    if (Op == opRemove && C == Ref) Ref = nullptr;
  }
};

std::vector<TuiObject*> Kids(TuiObject* O) {
  return O->ChildList();
}

TEST(ObjectTree, AddingMovesAChildToTheEndOfItsNewParent) {
  auto owner = std::make_unique<TuiObject>(nullptr);
  auto* p1 = new TuiObject(owner.get());
  auto* p2 = new TuiObject(owner.get());
  auto* a = new TuiObject(owner.get());
  auto* b = new TuiObject(owner.get());
  p1->AddObject(a);
  p1->AddObject(b);
  p2->AddObject(a);
  EXPECT_EQ(Kids(p1), std::vector<TuiObject*>{b});
  EXPECT_EQ(Kids(p2), std::vector<TuiObject*>{a});
  EXPECT_EQ(a->Parent(), p2);
  EXPECT_EQ(b->Index(), 0);
  // Adding an existing child again re-adds it last, once.
  p2->AddObject(b);
  p2->AddObject(a);
  EXPECT_EQ(Kids(p2), (std::vector<TuiObject*>{b, a}));
  // Removing a non-child does nothing.
  p1->RemoveObject(a);
  EXPECT_EQ(a->Parent(), p2);
  EXPECT_EQ(Kids(p2).size(), 2u);
}

TEST(ObjectTree, IndexFollowsRemovalAndCanBeSet) {
  TuiObject parent(nullptr);
  auto* a = new TuiObject(nullptr);
  auto* b = new TuiObject(nullptr);
  auto* c = new TuiObject(nullptr);
  for (TuiObject* o : {a, b, c}) parent.AddObject(o);
  parent.RemoveObject(a);
  EXPECT_EQ(b->Index(), 0);
  EXPECT_EQ(c->Index(), 1);
  EXPECT_EQ(a->Index(), -1);
  delete a;
  c->SetIndex(0);
  EXPECT_EQ(Kids(&parent), (std::vector<TuiObject*>{c, b}));
  EXPECT_EQ(b->Index(), 1);
  b->SendToBack();
  EXPECT_EQ(b->Index(), 0);
  b->BringToFront();
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(parent.Children(5), nullptr);
  EXPECT_EQ(parent.Children(-1), nullptr);
}

TEST(ObjectTree, FindResourceIgnoresCaseAndDoesNotEnterControls) {
  class TControlLike : public TuiObject {
   public:
    using TuiObject::TuiObject;
    bool IsControl() const override { return true; }
  };
  TuiObject root(nullptr);
  auto* panel = new TuiObject(nullptr);
  auto* text = new TuiObject(nullptr);
  auto* control = new TControlLike(nullptr);
  auto* inner = new TuiObject(nullptr);
  root.AddObject(control);
  root.AddObject(panel);
  panel->AddObject(text);
  control->AddObject(inner);
  text->SetResourceName("text");
  inner->SetResourceName("inner");
  control->SetResourceName("button");
  EXPECT_EQ(root.FindResource("Text"), text);
  EXPECT_EQ(root.FindResource("BUTTON"), control);
  EXPECT_EQ(root.FindResource("inner"), nullptr);
  EXPECT_EQ(root.FindResource(""), nullptr);

  inner->SetBindingName("Level");
  EXPECT_EQ(root.FindBinding("level"), inner) << "binding search does enter controls";
}

TEST(ObjectTree, DestroyingInAnyOrderUnlinksEverything) {
  // Owner first: the owner frees what it owns, which leaves its parents.
  {
    auto owner = std::make_unique<TuiObject>(nullptr);
    TuiObject parent(nullptr);
    auto* child = new TuiObject(owner.get());
    auto* grandchild = new TuiObject(owner.get());
    parent.AddObject(child);
    child->AddObject(grandchild);
    owner.reset();
    EXPECT_EQ(parent.ChildrenCount(), 0);
  }
  // Parent first: the children go with it and leave their owner's list.
  {
    TuiObject owner(nullptr);
    auto* parent = new TuiObject(&owner);
    auto* child = new TuiObject(&owner);
    parent->AddObject(child);
    ASSERT_EQ(owner.ComponentCount(), 2);
    delete parent;
    EXPECT_EQ(owner.ComponentCount(), 0);
  }
  // Child first: it leaves parent and owner.
  {
    TuiObject owner(nullptr);
    auto* parent = new TuiObject(&owner);
    auto* child = new TuiObject(&owner);
    parent->AddObject(child);
    delete child;
    EXPECT_EQ(parent->ChildrenCount(), 0);
    EXPECT_EQ(owner.ComponentCount(), 1);
  }
}

TEST(ObjectTree, WeakReferencesAreClearedWhenTheirTargetDies) {
  Holder h;
  TRefHolder ref(nullptr);
  auto* target = new TuiObject(nullptr);
  target->AddFreeNotify(&h);
  target->AddFreeNotify(&h);  // registered once
  target->AddFreeNotify(&ref);
  ref.Ref = target;
  const std::string token = TuiObject::ObjectToData(target);
  EXPECT_EQ(TuiObject::DataToObject(token), target);
  delete target;
  EXPECT_EQ(h.Told, std::vector<TuiObject*>{target});
  EXPECT_EQ(ref.Ref, nullptr);
  EXPECT_EQ(TuiObject::DataToObject(token), nullptr) << "a dead object's token decodes to none";
  for (const char* bad : {"uxobj", "uxobjx", "uxobj99999999999999999999", "obj1", ""})
    EXPECT_EQ(TuiObject::DataToObject(bad), nullptr) << bad;
}

TEST(ObjectTree, FindStyleObjectReturnsTheNewestLiveStoredOne) {
  auto older = std::make_unique<TuiObject>(nullptr);
  auto newer = std::make_unique<TuiObject>(nullptr);
  auto clone = std::make_unique<TuiObject>(nullptr);
  older->SetResourceName("buttonstyle");
  newer->SetResourceName("ButtonStyle");
  clone->SetResourceName("buttonstyle");
  clone->SetStored(false);
  EXPECT_EQ(TuiObject::FindStyleObject("buttonstyle"), newer.get());
  newer.reset();
  EXPECT_EQ(TuiObject::FindStyleObject("buttonstyle"), older.get());
}

TEST(ObjectProperties, AreFoundByNameAndDottedPathIgnoringCase) {
  TuiObject parent(nullptr);
  auto* child = new TuiObject(nullptr);
  parent.AddObject(child);
  child->SetProperty("parent.resourcename", std::string("panel"));
  EXPECT_EQ(parent.ResourceName(), "panel");
  EXPECT_EQ(std::get<int64_t>(child->GetProperty("Index")), 0);
  EXPECT_THROW(child->SetProperty("Nope", int64_t(1)), EuxError);
  try {
    child->GetProperty("Parent.Nope");
    ADD_FAILURE() << "an unknown path must raise";
  } catch (const EuxError& e) {
    EXPECT_STREQ(e.what(), "Property Parent.Nope does not exist");
  }
  // The class table starts with the base's properties, in order.
  const auto& props = TuiObject::StaticClass().Properties();
  ASSERT_GE(props.size(), 4u);
  EXPECT_EQ(props[0].Name, "Name");
  EXPECT_EQ(props[1].Name, "Tag");
  EXPECT_EQ(props[2].Name, "Index");
  EXPECT_FALSE(props[2].IsStored(*child));
}

// A class that changes an inherited default changes its own line only: the
// base, and the base's other heirs, keep theirs.
TEST(ObjectTree, AChangedInheritedDefaultStaysWithTheClassThatChangedIt) {
  const TuiPropertyInfo* own = TuiLayout::StaticClass().FindProperty("HitTest");
  const TuiPropertyInfo* base = TuiVisualObject::StaticClass().FindProperty("HitTest");
  const TuiPropertyInfo* sibling = TuiScaledLayout::StaticClass().FindProperty("HitTest");
  ASSERT_TRUE(own && base && sibling);
  EXPECT_EQ(own->Default, TuiPropValue(false));
  EXPECT_EQ(base->Default, TuiPropValue(true));
  EXPECT_EQ(sibling->Default, TuiPropValue(true));
  // Lines inherited unchanged are the base's own.
  EXPECT_EQ(TuiScaledLayout::StaticClass().FindProperty("Opacity"),
            TuiVisualObject::StaticClass().FindProperty("Opacity"));
  // The table still lists every line once, in the base's order.
  std::vector<std::string> names;
  for (const TuiPropertyInfo& p : TuiLayout::StaticClass().Properties()) names.push_back(p.Name);
  std::vector<std::string> baseNames;
  for (const TuiPropertyInfo& p : TuiVisualObject::StaticClass().Properties()) baseNames.push_back(p.Name);
  EXPECT_EQ(names, baseNames);
}

}  // namespace
