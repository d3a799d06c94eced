#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FakeScene.h"
#include "scene2d/Layouts.h"

namespace {

std::unique_ptr<TuiLayout> MakeParent(float W, float H, const TuiRect& Margins = {}) {
  auto p = std::make_unique<TuiLayout>(nullptr);
  p->SetWidth(W);
  p->SetHeight(H);
  p->Margins()->SetRect(Margins);
  return p;
}

TuiVisualObject* AddChild(TuiVisualObject& Parent, TuiAlign Kind, const TBox& Box,
                          const TuiRect& Padding = {}) {
  auto* c = new TuiVisualObject(nullptr);
  SetBox(*c, Box);
  c->Padding()->SetRect(Padding);
  c->SetAlign(Kind);
  Parent.AddObject(c);
  return c;
}

// Every kind in a 100 x 80 parent with margins (4, 6, 8, 10), the child at
// (20, 30), 10 x 12, padding (1, 2, 3, 4); then the parent grows to 150 x 100.
struct TKindRow {
  TuiAlign Kind;
  TBox Placed;
  TBox Resized;
};

const TKindRow kKinds[] = {
    {vaNone, {20, 30, 10, 12}, {20, 30, 10, 12}},        {vaTopLeft, {20, 30, 10, 12}, {20, 30, 10, 12}},
    {vaTopRight, {20, 30, 10, 12}, {70, 30, 10, 12}},    {vaBottomLeft, {20, 30, 10, 12}, {20, 50, 10, 12}},
    {vaBottomRight, {20, 30, 10, 12}, {70, 50, 10, 12}}, {vaTop, {5, 8, 84, 12}, {5, 8, 134, 12}},
    {vaMostTop, {5, 8, 84, 12}, {5, 8, 134, 12}},        {vaBottom, {5, 54, 84, 12}, {5, 74, 134, 12}},
    {vaMostBottom, {5, 54, 84, 12}, {5, 74, 134, 12}},   {vaLeft, {5, 8, 10, 58}, {5, 8, 10, 78}},
    {vaMostLeft, {5, 8, 10, 58}, {5, 8, 10, 78}},        {vaRight, {79, 8, 10, 58}, {129, 8, 10, 78}},
    {vaMostRight, {79, 8, 10, 58}, {129, 8, 10, 78}},    {vaClient, {5, 8, 84, 58}, {5, 8, 134, 78}},
    {vaContents, {1, 2, 96, 74}, {1, 2, 146, 94}},       {vaCenter, {42, 31, 10, 12}, {67, 41, 10, 12}},
    {vaHorzCenter, {42, 8, 10, 58}, {67, 8, 10, 78}},    {vaVertCenter, {5, 31, 84, 12}, {5, 41, 134, 12}},
    {vaHorizontal, {5, 30, 84, 12}, {5, 30, 134, 12}},   {vaVertical, {20, 8, 10, 58}, {20, 8, 10, 78}},
    {vaScale, {20, 30, 10, 12}, {30, 37.5f, 15, 15}},
};

TEST(Align, EveryKindWithMarginsAndPaddingFollowsItsParent) {
  for (const TKindRow& row : kKinds) {
    SCOPED_TRACE(EnumInfo<TuiAlign>().Names[row.Kind]);
    auto parent = MakeParent(100, 80, {4, 6, 8, 10});
    TuiVisualObject* c = AddChild(*parent, row.Kind, {20, 30, 10, 12}, {1, 2, 3, 4});
    EXPECT_EQ(BoxOf(*c), row.Placed);
    parent->Realign();
    EXPECT_EQ(BoxOf(*c), row.Placed) << "a second realignment at the same size moves nothing";
    parent->SetWidth(150);
    parent->SetHeight(100);
    EXPECT_EQ(BoxOf(*c), row.Resized);
    // The matrix follows the placement.
    EXPECT_EQ(TransformPoint({0, 0}, c->LocalMatrix()), (TuiPoint{row.Resized.X, row.Resized.Y}));
  }
}

// Single cases: parent size and margins, child box, padding and kind, an
// optional resize of the parent, and where the child ends up.
struct TCase {
  const char* Name;
  TBox Parent;  // X and Y unused
  TuiRect Margins;
  TuiAlign Kind;
  TBox Child;
  TuiRect Padding;
  TBox ResizeTo;  // W = 0: no resize
  TBox Expected;
};

const TCase kCases[] = {
    {"contents 299 x 295", {0, 0, 299, 295}, {}, vaContents, {5, 5, 10, 10}, {}, {}, {0, 0, 299, 295}},
    {"contents with padding 12 ignores margins",
     {0, 0, 299, 295},
     {7, 7, 7, 7},
     vaContents,
     {5, 5, 10, 10},
     {12, 12, 12, 12},
     {},
     {12, 12, 275, 271}},
    {"right 17 in 26", {0, 0, 26, 50}, {}, vaRight, {0, 0, 17, 5}, {}, {}, {9, 0, 17, 50}},
    {"center truncates 2.5", {0, 0, 15, 50}, {}, vaCenter, {0, 0, 10, 50}, {}, {}, {2, 0, 10, 50}},
    {"center truncates toward zero", {0, 0, 15, 50}, {}, vaCenter, {0, 0, 20, 50}, {}, {}, {-2, 0, 20, 50}},
    {"vertcenter takes the full width",
     {0, 0, 60, 40},
     {},
     vaVertCenter,
     {7, 7, 10, 10},
     {},
     {},
     {0, 15, 60, 10}},
    {"horzcenter takes the full height",
     {0, 0, 60, 40},
     {},
     vaHorzCenter,
     {7, 7, 10, 10},
     {},
     {},
     {25, 0, 10, 40}},
    {"parent 1.5 wide aligns nothing", {0, 0, 1.5f, 100}, {}, vaClient, {3, 3, 7, 7}, {}, {}, {3, 3, 7, 7}},
    {"topright moves with the right edge",
     {0, 0, 100, 100},
     {},
     vaTopRight,
     {60, 5, 30, 10},
     {},
     {0, 0, 150, 100},
     {110, 5, 30, 10}},
    {"scale 100 -> 150",
     {0, 0, 100, 100},
     {},
     vaScale,
     {10, 0, 20, 10},
     {},
     {0, 0, 150, 100},
     {15, 0, 30, 10}},
    {"fit enlarges and centres", {0, 0, 200, 200}, {}, vaFit, {0, 0, 100, 50}, {}, {}, {0, 50, 200, 100}},
    {"fit shrinks and centres", {0, 0, 100, 100}, {}, vaFit, {0, 0, 400, 200}, {}, {}, {0, 25, 100, 50}},
    {"fit in a wide parent", {0, 0, 300, 100}, {}, vaFit, {0, 0, 100, 50}, {}, {}, {50, 0, 200, 100}},
    {"fitleft", {0, 0, 300, 100}, {}, vaFitLeft, {0, 0, 100, 50}, {}, {}, {0, 0, 200, 100}},
    {"fitright", {0, 0, 300, 100}, {}, vaFitRight, {0, 0, 100, 50}, {}, {}, {100, 0, 200, 100}},
    {"fit with margins and padding",
     {0, 0, 300, 100},
     {10, 0, 10, 0},
     vaFit,
     {0, 0, 100, 40},
     {5, 5, 5, 5},
     {},
     {45, 5, 210, 90}},
    {"fitleft with margins and padding",
     {0, 0, 300, 100},
     {10, 0, 10, 0},
     vaFitLeft,
     {0, 0, 100, 40},
     {5, 5, 5, 5},
     {},
     {15, 5, 210, 90}},
    {"fitright with margins and padding",
     {0, 0, 300, 100},
     {10, 0, 10, 0},
     vaFitRight,
     {0, 0, 100, 40},
     {5, 5, 5, 5},
     {},
     {75, 5, 210, 90}},
    {"fit follows a resize",
     {0, 0, 200, 200},
     {},
     vaFit,
     {0, 0, 100, 50},
     {},
     {0, 0, 200, 50},
     {50, 0, 100, 50}},
};

TEST(Align, SingleCases) {
  for (const TCase& c : kCases) {
    SCOPED_TRACE(c.Name);
    auto parent = MakeParent(c.Parent.W, c.Parent.H, c.Margins);
    TuiVisualObject* child = AddChild(*parent, c.Kind, c.Child, c.Padding);
    if (c.ResizeTo.W != 0) parent->SetBounds(0, 0, c.ResizeTo.W, c.ResizeTo.H);
    EXPECT_EQ(BoxOf(*child), c.Expected);
    parent->Realign();
    EXPECT_EQ(BoxOf(*child), c.Expected) << "realigning again is idempotent";
  }
}

TEST(Align, EdgesStackInSortedOrderAndTheClientTakesTheRest) {
  auto parent = MakeParent(100, 200);
  parent->BeginUpdate();  // as from a stream: all present before the first alignment
  TuiVisualObject* lower = AddChild(*parent, vaTop, {0, 50, 10, 22});
  TuiVisualObject* upper = AddChild(*parent, vaTop, {0, 10, 10, 30});
  TuiVisualObject* client = AddChild(*parent, vaClient, {0, 0, 10, 10});
  parent->EndUpdate();
  EXPECT_EQ(BoxOf(*upper), (TBox{0, 0, 100, 30}));
  EXPECT_EQ(BoxOf(*lower), (TBox{0, 30, 100, 22}));
  EXPECT_EQ(BoxOf(*client), (TBox{0, 52, 100, 148}));

  // The most-outer kinds go before the plain ones whatever their order.
  TuiVisualObject* most = AddChild(*parent, vaMostTop, {0, 100, 10, 8});
  EXPECT_EQ(BoxOf(*most), (TBox{0, 0, 100, 8}));
  EXPECT_EQ(BoxOf(*upper).Y, 8);
  EXPECT_EQ(BoxOf(*client), (TBox{0, 60, 100, 140}));
}

TEST(Align, TiesKeepChildOrderAtTheNearEdgesAndReverseItAtTheFarEdges) {
  auto parent = MakeParent(100, 100);
  parent->BeginUpdate();  // all four arrive tied
  TuiVisualObject* a = AddChild(*parent, vaTop, {0, 5, 10, 10});
  TuiVisualObject* b = AddChild(*parent, vaTop, {0, 5, 10, 10});
  TuiVisualObject* r1 = AddChild(*parent, vaRight, {50, 0, 10, 10});
  TuiVisualObject* r2 = AddChild(*parent, vaRight, {50, 0, 10, 10});
  parent->EndUpdate();
  EXPECT_EQ(a->Position()->Y(), 0);
  EXPECT_EQ(b->Position()->Y(), 10);
  EXPECT_EQ(r2->Position()->X(), 90) << "the later child with the same right edge goes outermost";
  EXPECT_EQ(r1->Position()->X(), 80);

  // Moving a child among its siblings realigns the parent in the new order.
  auto tieAgain = [&] {
    for (TuiVisualObject* o : {a, b}) o->Position()->SetY(5);
    for (TuiVisualObject* o : {r1, r2}) o->Position()->SetX(50);
  };
  tieAgain();
  b->SetIndex(0);
  EXPECT_EQ(b->Position()->Y(), 0);
  EXPECT_EQ(a->Position()->Y(), 10);
  tieAgain();
  r1->BringToFront();
  EXPECT_EQ(r1->Position()->X(), 90);
  EXPECT_EQ(r2->Position()->X(), 80);
}

// A child that picks its own extent along the axis it consumes whenever it is
// realigned, as a wrapping text would.
class TAutoSize : public TuiVisualObject {
 public:
  using TuiVisualObject::TuiVisualObject;
  bool AutoWidth = false;
  bool AutoHeight = false;
  void Realign() override {
    if (AutoWidth) SetWidth(30);
    if (AutoHeight) SetHeight(30);
    TuiVisualObject::Realign();
  }
};

TEST(Align, SiblingsFollowAChildThatSizedItselfButNotAtTheOutermostEdges) {
  struct TRow {
    TuiAlign Kind;
    TBox Client;
  } rows[] = {
      {vaTop, {0, 30, 100, 50}}, {vaBottom, {0, 0, 100, 50}},   {vaLeft, {30, 0, 70, 80}},
      {vaRight, {0, 0, 70, 80}}, {vaMostTop, {0, 10, 100, 70}}, {vaMostRight, {0, 0, 90, 80}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(EnumInfo<TuiAlign>().Names[row.Kind]);
    auto parent = MakeParent(100, 80);
    auto* sizer = new TAutoSize(nullptr);
    SetBox(*sizer, {0, 0, 10, 10});
    const bool vertical = row.Kind == vaTop || row.Kind == vaBottom || row.Kind == vaMostTop;
    sizer->AutoHeight = vertical;
    sizer->AutoWidth = !vertical;
    parent->AddObject(sizer);
    TuiVisualObject* client = AddChild(*parent, vaClient, {0, 0, 10, 10});
    sizer->SetAlign(row.Kind);
    EXPECT_EQ(vertical ? sizer->Height() : sizer->Width(), 30);
    EXPECT_EQ(BoxOf(*client), row.Client);
  }
}

TEST(Align, ChangesOfVisibilityAlignPaddingAndMarginsRealign) {
  auto parent = MakeParent(100, 100);
  TuiVisualObject* top = AddChild(*parent, vaTop, {0, 0, 10, 20});
  TuiVisualObject* client = AddChild(*parent, vaClient, {0, 0, 10, 10});
  ASSERT_EQ(BoxOf(*client), (TBox{0, 20, 100, 80}));

  top->SetVisible(false);
  EXPECT_EQ(BoxOf(*client), (TBox{0, 0, 100, 100}));
  top->SetVisible(true);
  EXPECT_EQ(BoxOf(*client), (TBox{0, 20, 100, 80}));

  top->SetAlign(vaNone);
  EXPECT_EQ(BoxOf(*client), (TBox{0, 0, 100, 100}));
  EXPECT_EQ(BoxOf(*top), (TBox{0, 0, 100, 20})) << "a child no longer aligned stays where it was";

  client->Padding()->SetLeft(5);
  EXPECT_EQ(BoxOf(*client), (TBox{5, 0, 95, 100}));
  parent->Margins()->SetTop(7);
  EXPECT_EQ(BoxOf(*client), (TBox{5, 7, 95, 93}));
  client->SetProperty("Padding.Rect", std::string("(0,0,0,10)"));
  EXPECT_EQ(BoxOf(*client), (TBox{0, 7, 100, 83}));
}

TEST(Align, AnchorsCountOnlyResizesAfterTheyArrive) {
  // The parent was resized while it had nothing to align; a child anchored
  // later keeps its place until the next resize.
  auto parent = MakeParent(300, 200);
  TuiVisualObject* corner = AddChild(*parent, vaBottomRight, {250, 150, 40, 40});
  EXPECT_EQ(BoxOf(*corner), (TBox{250, 150, 40, 40}));
  parent->SetBounds(0, 0, 310, 180);
  EXPECT_EQ(BoxOf(*corner), (TBox{260, 130, 40, 40}));
}

TEST(Align, UpdatesDeferRealignmentToTheirEnd) {
  auto parent = MakeParent(100, 100);
  auto* middle = new TuiLayout(nullptr);
  middle->SetAlign(vaClient);
  parent->AddObject(middle);
  TuiVisualObject* leaf = AddChild(*middle, vaClient, {0, 0, 10, 10});
  ASSERT_EQ(BoxOf(*leaf), (TBox{0, 0, 100, 100}));

  parent->BeginUpdate();
  EXPECT_EQ(leaf->UpdateCount(), 1);
  parent->SetWidth(200);
  parent->Margins()->SetLeft(10);
  EXPECT_EQ(BoxOf(*middle), (TBox{0, 0, 100, 100}));
  auto* late = new TuiVisualObject(nullptr);
  parent->AddObject(late);
  EXPECT_EQ(late->UpdateCount(), 1) << "a child takes over its parent's update";
  parent->EndUpdate();
  EXPECT_EQ(parent->UpdateCount(), 0);
  EXPECT_EQ(BoxOf(*middle), (TBox{10, 0, 190, 100}));
  EXPECT_EQ(BoxOf(*leaf), (TBox{0, 0, 190, 100}));

  parent->BeginUpdate();
  parent->RemoveObject(late);
  EXPECT_EQ(late->UpdateCount(), 0) << "a removed child leaves the update";
  delete late;
  parent->EndUpdate();
  parent->EndUpdate();  // unbalanced: nothing below zero
  EXPECT_EQ(parent->UpdateCount(), 0);
}

TEST(Align, LoadingDefersEverythingToLoadCompletion) {
  auto parent = std::make_unique<TuiLayout>(nullptr);
  auto* corner = new TuiVisualObject(nullptr);
  auto* client = new TuiVisualObject(nullptr);
  // As a stream reader does: create, attach, flag, then set properties.
  for (TuiVisualObject* o : {static_cast<TuiVisualObject*>(parent.get()), corner, client}) {
    if (o != parent.get()) parent->AddObject(o);
    o->SetLoading(true);
  }
  parent->SetProperty("Width", 150.0);
  parent->SetProperty("Height", 120.0);
  parent->SetProperty("Margins.Rect", std::string("(5,5,5,5)"));
  client->SetProperty("Align", int64_t(vaClient));
  client->SetProperty("Position.Point", std::string("(3,4)"));
  corner->SetProperty("Align", int64_t(vaTopRight));
  corner->SetProperty("Position.Point", std::string("(100,0)"));
  corner->SetProperty("RotateAngle", 90.0);

  EXPECT_EQ(BoxOf(*client), (TBox{3, 4, 50, 50}));
  EXPECT_EQ(corner->LocalMatrix(), TuiMatrix{}) << "the matrix waits for load completion";

  for (TuiVisualObject* o : {static_cast<TuiVisualObject*>(parent.get()), corner, client}) o->Loaded();
  EXPECT_FALSE(parent->IsLoading());
  EXPECT_EQ(BoxOf(*client), (TBox{5, 5, 140, 110}));
  EXPECT_EQ(BoxOf(*corner), (TBox{100, 0, 50, 50})) << "the loaded size is the last aligned one";
  EXPECT_NE(corner->LocalMatrix(), TuiMatrix{});
  parent->SetWidth(170);
  EXPECT_EQ(corner->Position()->X(), 120);
}

TEST(Align, ScaledLayoutAlignsInItsOriginalSpace) {
  auto layout = std::make_unique<TuiScaledLayout>(nullptr);
  layout->SetWidth(100);
  layout->SetHeight(200);
  EXPECT_EQ(layout->OriginalWidth(), 50);
  auto* client = new TuiVisualObject(nullptr);
  client->SetAlign(vaClient);
  layout->AddObject(client);
  EXPECT_EQ(BoxOf(*client), (TBox{0, 0, 50, 50}));
  EXPECT_EQ(client->GetAbsoluteRect(), (TuiRect{0, 0, 100, 200}));
  layout->SetOriginalWidth(0);
  EXPECT_EQ(layout->OriginalWidth(), 1) << "never below 1";
  layout->SetOriginalWidth(25);
  EXPECT_EQ(BoxOf(*client), (TBox{0, 0, 25, 50}));
  EXPECT_EQ(client->GetAbsoluteRect(), (TuiRect{0, 0, 100, 200}));
}

}  // namespace
