#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene2d/Errors.h"
#include "scene2d/Layouts.h"
#include "scene2d/Object.h"
#include "tests/scene2d/testing/TestHost.h"

// However an object dies, everyone who knew it hears of it while it is still
// whole, and nobody hears from it afterwards.

namespace {

// A weak holder whose reaction to the death can do anything.
struct TReactingHolder : IuxFreeNotify {
  TuiObject* Watched = nullptr;
  int Told = 0;
  std::function<void()> React;
  explicit TReactingHolder(TuiObject* O) : Watched(O) { O->AddFreeNotify(this); }
  ~TReactingHolder() override {
    if (Watched) Watched->RemoveFreeNotify(this);
  }
  void FreeNotify(TuiObject* Dying) override {
    ++Told;
    if (Dying == Watched) Watched = nullptr;
    if (React) React();
  }
};

// A class that adds state and no teardown of its own: the host must still
// see it whole, with its own class and fields, when it leaves.
class TLabelled : public TuiLayout {
 public:
  using TuiLayout::TuiLayout;
  std::string Label = "still here";
};

struct TWatchingHost : TTestHost {
  std::vector<std::string> Seen;
  void Notification(TuiComponent* C, TuiOperation Op) override {
    TTestHost::Notification(C, Op);
    if (auto* l = dynamic_cast<TLabelled*>(C)) Seen.push_back(l->Label);
  }
};

TEST(Destruction, AHostFreedBeforeItsRootsLeavesThemDetached) {
  auto root = std::make_unique<TuiLayout>(nullptr);
  auto* child = new TuiLayout(nullptr);
  root->AddObject(child);
  {
    TTestHost host;
    host.AddObject(root.get());
    ASSERT_EQ(root->Scene(), &host);
    ASSERT_EQ(child->Scene(), &host);
  }
  EXPECT_EQ(root->Scene(), nullptr);
  EXPECT_EQ(child->Scene(), nullptr);
  root.reset();  // must not tell the dead host anything (the sanitizer build would see it)
}

TEST(Destruction, TheHostSeesTheWholeObjectLeaveBeforeItsChildrenGo) {
  TWatchingHost host;
  auto* root = new TLabelled(nullptr);
  root->AddObject(new TuiLayout(nullptr));
  host.AddObject(root);
  delete root;
  EXPECT_EQ(host.RootCount(), 0);
  // Told as it starts to die and again as it leaves the roots, both times
  // with its own class and fields intact; its child, freed with it, was no
  // root and tells the host nothing.
  EXPECT_EQ(host.Seen, (std::vector<std::string>{"still here", "still here"}));
  EXPECT_EQ(host.Removed.size(), 2u);
}

TEST(Destruction, AHolderMayFreeAnotherHolderInItsReaction) {
  auto target = std::make_unique<TuiObject>(nullptr);
  auto first = std::make_unique<TReactingHolder>(target.get());
  auto* second = new TReactingHolder(target.get());
  auto third = std::make_unique<TReactingHolder>(target.get());
  first->React = [&] { delete second; };
  target.reset();
  EXPECT_EQ(first->Told, 1);
  EXPECT_EQ(third->Told, 1) << "the holders after the freed one are still told";
}

TEST(Destruction, AnAncestorCannotBecomeAChild) {
  TuiObject root(nullptr);
  auto* middle = new TuiObject(nullptr);
  auto* leaf = new TuiObject(nullptr);
  root.AddObject(middle);
  middle->AddObject(leaf);
  EXPECT_THROW(leaf->AddObject(&root), EuxError);
  EXPECT_THROW(leaf->AddObject(leaf), EuxError);
  EXPECT_THROW(middle->SetParent(leaf), EuxError);
  // Nothing moved.
  EXPECT_EQ(root.Parent(), nullptr);
  EXPECT_EQ(middle->Parent(), &root);
  EXPECT_EQ(leaf->Parent(), middle);
  EXPECT_EQ(leaf->ChildrenCount(), 0);
}

// What an animation does when it finishes: it frees itself from inside the
// walk that started it.
class TSelfFreeing : public TuiObject, public IuxAnimation {
 public:
  using TuiObject::TuiObject;
  std::vector<std::string>* Log = nullptr;
  bool FreeOnStart = false;
  void Start() override {
    Log->push_back(Name());
    if (FreeOnStart) delete this;
  }
  void Stop() override {}
  bool Running() const override { return false; }
  bool HasTrigger() const override { return true; }
  void StartTrigger(TuiObject*, std::string_view) override { Start(); }
};

TEST(Destruction, AnObjectMayFreeItselfFromItsOwnEvent) {
  TuiObject parent(nullptr);
  std::vector<std::string> log;
  for (const char* name : {"a", "b", "c"}) {
    auto* a = new TSelfFreeing(nullptr);
    a->SetName("fade");
    a->Log = &log;
    a->FreeOnStart = std::string(name) != "c";
    parent.AddObject(a);
  }
  parent.StartAnimation("fade");
  EXPECT_EQ(log.size(), 3u) << "every sibling started, none twice";
  EXPECT_EQ(parent.ChildrenCount(), 1);
  log.clear();
  parent.StartTriggerAnimation(&parent, "IsMouseOver=true");
  EXPECT_EQ(log.size(), 1u);
}

TEST(Destruction, ObjectsFreedAtProcessExitFindTheRegistriesWhole) {
  // A process-wide object (a default style sheet) is freed by the exit
  // handlers, after the function-local statics of the library may be gone.
  EXPECT_EXIT(
      {
        static std::unique_ptr<TuiObject> sheet;
        static TTestHost host;
        sheet = std::make_unique<TuiLayout>(nullptr);
        sheet->SetResourceName("hudwindowstyle");
        host.AddObject(static_cast<TuiLayout*>(sheet.get()));
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Destruction, StyleLookupFollowsNamesStoredFlagsAndDeaths) {
  auto older = std::make_unique<TuiObject>(nullptr);
  auto newer = std::make_unique<TuiObject>(nullptr);
  older->SetResourceName("panelstyle");
  newer->SetResourceName("PanelStyle");
  EXPECT_EQ(TuiObject::FindStyleObject("PANELSTYLE"), newer.get());
  newer->SetStored(false);
  EXPECT_EQ(TuiObject::FindStyleObject("panelstyle"), older.get());
  newer->SetStored(true);
  newer->SetResourceName("other");
  EXPECT_EQ(TuiObject::FindStyleObject("panelstyle"), older.get());
  EXPECT_EQ(TuiObject::FindStyleObject("other"), newer.get());
  // Renamed back, construction order decides again.
  newer->SetResourceName("panelstyle");
  EXPECT_EQ(TuiObject::FindStyleObject("panelstyle"), newer.get());
  older.reset();
  newer.reset();
  EXPECT_EQ(TuiObject::FindStyleObject("panelstyle"), nullptr);
  EXPECT_EQ(TuiObject::FindStyleObject(""), nullptr);
}

TEST(Destruction, ManySiblingsAreFreedInOnePassWhateverFreesThem) {
  constexpr int kCount = 300000;
  // The parent first, and the owner first (last created first): both stay
  // linear; a rescan of the siblings per removal would take minutes here.
  for (bool ownerFirst : {false, true}) {
    auto owner = std::make_unique<TuiComponent>(nullptr);
    auto* parent = new TuiLayout(owner.get());
    for (int i = 0; i < kCount; ++i) parent->AddObject(new TuiLayout(owner.get()));
    ASSERT_EQ(parent->ChildrenCount(), kCount);
    if (!ownerFirst) {
      delete parent;
      EXPECT_EQ(owner->ComponentCount(), 0);
    }
    owner.reset();
  }
}

}  // namespace
