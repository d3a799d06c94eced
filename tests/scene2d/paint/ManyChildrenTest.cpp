// A parent of many children paints only those near the dirty area: after any
// change to a child or to the parent, painting small areas must give the same
// pixels as painting everything.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/scene2d/paint/PaintFixtures.h"

using namespace paint_fixtures;

namespace {

// 7 x 7 boxes of 10 x 10, 12 apart, in a panel of 88 x 88; a second parent
// over the whole scene holds one box of its own.
class ManyChildren : public TScene {
 public:
  using TScene::Add;
  void SetUp() override {
    TScene::SetUp();
    Panel = Add(Root.get(), "panel", 0, 0, 88, 88, 0xFF404040);
    for (int i = 0; i < 49; ++i)
      Kids.push_back(Add(Panel, "k" + std::to_string(i), float(2 + i % 7 * 12), float(2 + i / 7 * 12), 10, 10,
                         0xFF000000 | uint32_t(i * 0x050B13 + 0x202020)));
    Other = Add(Root.get(), "other", 0, 0, 100, 100, 0);
    Stray = Add(Other, "stray", 40, 40, 10, 10, 0xFFFFFF00);
  }

  std::vector<uint32_t> Pixels() const {
    const TuiCanvas& c = Host->Buffer();
    return {c.BufferBits(), c.BufferBits() + size_t(c.Width()) * size_t(c.Height())};
  }
  // Repaints the scene in small squares, one at a time.
  void PaintInSquares() {
    for (int y = 0; y < 100; y += 10)
      for (int x = 0; x < 100; x += 10) {
        Host->AddUpdateRect({float(x), float(y), float(x + 9), float(y + 9)});
        Host->PaintTree();
      }
  }

  TBox* Panel = nullptr;
  TBox* Other = nullptr;
  TBox* Stray = nullptr;
  std::vector<TBox*> Kids;
};

struct TChange {
  std::string Name;
  std::function<void(ManyChildren&)> Before;  // before the first paint, may be empty
  std::function<void(ManyChildren&)> Change;
};

class ManyChildrenChange : public ManyChildren, public ::testing::WithParamInterface<TChange> {};

TEST_P(ManyChildrenChange, SmallRepaintsMatchAFullPaint) {
  const TChange& c = GetParam();
  if (c.Before) c.Before(*this);
  PaintAll();
  PaintInSquares();  // every child's place is known before the change
  c.Change(*this);
  Host->PaintTree();
  const std::vector<uint32_t> afterChange = Pixels();
  PaintInSquares();
  const std::vector<uint32_t> inSquares = Pixels();
  Host->InvalidateAll();
  Host->PaintTree();
  const std::vector<uint32_t> full = Pixels();
  EXPECT_TRUE(afterChange == full) << "the repaint after the change";
  EXPECT_TRUE(inSquares == full) << "the repaint in squares";
}

using F = ManyChildren;

const std::vector<TChange> kChanges{
    TChange{"Move", {}, [](F& f) { f.Kids[48]->SetBounds(56, 56, 10, 10); }},
    TChange{"Resize", {}, [](F& f) { f.Kids[24]->SetBounds(38, 38, 30, 25); }},
    TChange{"Rotate", [](F& f) { f.Kids[24]->SetBounds(38, 38, 20, 10); },
            [](F& f) { f.Kids[24]->SetRotateAngle(90); }},
    TChange{"Scale",
            {},
            [](F& f) {
              f.Kids[24]->Scale()->SetPoint({2.5f, 2});
            }},
    TChange{"Hide", {}, [](F& f) { f.Kids[24]->SetVisible(false); }},
    TChange{"Show", [](F& f) { f.Kids[24]->SetVisible(false); }, [](F& f) { f.Kids[24]->SetVisible(true); }},
    TChange{"ShowMoved", [](F& f) { f.Kids[24]->SetVisible(false); },
            [](F& f) {
              f.Kids[24]->SetBounds(60, 10, 20, 20);
              f.Kids[24]->SetVisible(true);
            }},
    TChange{"ReparentIn", {}, [](F& f) { f.Stray->SetParent(f.Panel); }},
    TChange{"ReparentOut", {}, [](F& f) { f.Kids[24]->SetParent(f.Other); }},
    TChange{"Add", {}, [](F& f) { f.Add(f.Panel, "added", 30, 30, 25, 25, 0xFF00FFFF); }},
    TChange{"Remove", {}, [](F& f) { f.Kids[24]->SetParent(nullptr); }},
    TChange{"Free", {}, [](F& f) { delete f.Kids[24]; }},
    TChange{"FreeAndAdd",
            {},
            [](F& f) {
              delete f.Kids[24];
              f.Add(f.Panel, "added", 60, 60, 25, 25, 0xFF00FFFF);
            }},
    TChange{"BringToFront", [](F& f) { f.Kids[24]->SetBounds(38, 38, 30, 30); },
            [](F& f) { f.Kids[24]->BringToFront(); }},
    TChange{"Sort", [](F& f) { f.Kids[24]->SetBounds(38, 38, 30, 30); },
            [](F& f) {
              f.Panel->SortChildren([](TuiObject* A, TuiObject* B) { return A > B; });
              f.Panel->Repaint();
            }},
    TChange{"ClipChildren", [](F& f) { f.Kids[48]->SetBounds(80, 80, 15, 15); },
            [](F& f) { f.Panel->SetClipChildren(true); }},
    TChange{"Unclip",
            [](F& f) {
              f.Kids[48]->SetBounds(80, 80, 15, 15);
              f.Panel->SetClipChildren(true);
            },
            [](F& f) { f.Panel->SetClipChildren(false); }},
    TChange{"ParentMoves",
            {},
            [](F& f) {
              f.Panel->Position()->SetPoint({7, 5});
            }},
    TChange{"ParentScales",
            {},
            [](F& f) {
              f.Panel->Scale()->SetPoint({0.5f, 1});
            }},
    TChange{"ParentHides", {}, [](F& f) { f.Panel->SetVisible(false); }},
    TChange{"ManyMoves",
            {},
            [](F& f) {
              for (int i = 0; i < 49; i += 2)
                f.Kids[size_t(i)]->Position()->SetPoint({float(i * 7 % 80), 3.0f});
            }},
    TChange{"DeleteChildren", {}, [](F& f) {
              f.Panel->DeleteChildren();
              f.Panel->Repaint();
            }}};

INSTANTIATE_TEST_SUITE_P(Changes, ManyChildrenChange, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<TChange>& I) { return I.param.Name; });

// The object a walk over every child finds, front-most first: the answer the
// index must give.
TuiVisualObject* Walked(TuiVisualObject& V, float X, float Y) {
  if (!V.Visible()) return nullptr;
  if (V.ClipChildren() && !V.PointInObject(X, Y)) return nullptr;
  const auto& children = V.ChildList();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (TuiVisualObject* c = (*it)->Visual(); c && c->Visible())
      if (TuiVisualObject* hit = Walked(*c, X, Y)) return hit;
  return V.HitTest() && V.PointInObject(X, Y) ? &V : nullptr;
}

class ManyChildrenHit : public ManyChildren, public ::testing::WithParamInterface<TChange> {
 public:
  // The second parent lies over the whole scene; its own hits would hide
  // the panel's children.
  void SetUp() override {
    ManyChildren::SetUp();
    Other->SetHitTest(false);
  }
  // Every half unit over the scene and a little beyond, edges included.
  void ExpectSameHits(const char* When) {
    int differ = 0;
    for (float y = -2; y <= 102; y += 0.5f)
      for (float x = -2; x <= 102; x += 0.5f) {
        TuiVisualObject* indexed = Host->ObjectAt(x, y);
        TuiVisualObject* walked = Walked(*Root, x, y);
        if (indexed != walked && ++differ <= 5)
          ADD_FAILURE() << When << ": at (" << x << ", " << y << ") " << Name(indexed) << " instead of "
                        << Name(walked);
      }
  }
  static std::string Name(TuiVisualObject* V) { return V ? static_cast<TBox*>(V)->Tag : "nothing"; }
};

// Changes that only matter to hit testing, on top of the ones above.
const std::vector<TChange> kHitChanges{
    TChange{"HitTestOff", {}, [](F& f) { f.Kids[24]->SetHitTest(false); }},
    TChange{"PanelHitTestOff", {}, [](F& f) { f.Panel->SetHitTest(false); }},
    TChange{"Overlap",
            {},
            [](F& f) {
              for (int i = 0; i < 49; i += 3)
                f.Kids[size_t(i)]->SetBounds(float(i % 7 * 12), float(i / 7 * 12), 25, 25);
            }},
    TChange{"RotatedOverlap",
            {},
            [](F& f) {
              f.Kids[24]->SetBounds(30, 40, 40, 8);
              f.Kids[24]->SetRotateAngle(45);
              f.Kids[16]->SetBounds(20, 20, 40, 40);
              f.Kids[16]->SendToBack();
            }},
    TChange{"Transparent", {}, [](F& f) { f.Kids[24]->SetOpacity(0); }},
    TChange{"Disabled", {}, [](F& f) { f.Kids[24]->SetEnabled(false); }},
    TChange{"Grandchildren",
            {},
            [](F& f) {
              TBox* inner = f.Add(f.Kids[24], "inner", 5, 5, 30, 4, 0xFFFF00FF);
              f.Add(inner, "innermost", 20, 0, 4, 30, 0xFF00FF00);
            }},
    TChange{"ClippedGrandchild",
            {},
            [](F& f) {
              f.Kids[24]->SetClipChildren(true);
              f.Add(f.Kids[24], "inner", 5, 5, 30, 4, 0xFFFF00FF);
            }},
};

// After any change the index of the panel's children answers where a walk
// over all of them would: before the next paint (entries stale) and after it.
TEST_P(ManyChildrenHit, IndexedHitsMatchAWalk) {
  const TChange& c = GetParam();
  if (c.Before) c.Before(*this);
  PaintAll();
  PaintInSquares();
  ExpectSameHits("painted");
  c.Change(*this);
  ExpectSameHits("changed");
  Host->PaintTree();
  ExpectSameHits("repainted");
  PaintInSquares();
  ExpectSameHits("repainted in squares");
}

INSTANTIATE_TEST_SUITE_P(Changes, ManyChildrenHit, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<TChange>& I) { return I.param.Name; });
INSTANTIATE_TEST_SUITE_P(HitRules, ManyChildrenHit, ::testing::ValuesIn(kHitChanges),
                         [](const ::testing::TestParamInfo<TChange>& I) { return I.param.Name; });

// A child's paint that moves a later sibling into the dirty area: the
// sibling is painted there in the same pass, as a walk over all would.
TEST_F(ManyChildren, AChangeMadeWhilePaintingReachesTheLaterChildren) {
  PaintAll();
  PaintInSquares();
  TBox* mover = Kids[0];
  TBox* moved = Kids[48];
  bool moveNow = false;
  mover->Events().OnPaint = [&](TuiObject*, TuiCanvas*, const TuiRect&) {
    if (!moveNow) return;
    moveNow = false;
    // Still within the dirty area of the mover's repaint, which is cleared.
    moved->Position()->SetPoint({4, 4});
  };
  moveNow = true;
  mover->SetColor(0xFF123456);
  Host->PaintTree();
  EXPECT_EQ(Pixel(7, 7), moved->Color);
}

// A box that counts how often it is asked whether a point is inside it.
class TCountedBox : public TBox {
 public:
  TCountedBox(TuiComponent* Owner, int* AAsked) : TBox(Owner, "counted", nullptr), Asked(AAsked) {}
  bool PointInObject(float X, float Y) override {
    ++*Asked;
    return TBox::PointInObject(X, Y);
  }
  int* Asked;
};

// Once painted, a hit in a parent of many children asks the few children
// near the point, not every child in front of the one hit.
TEST_F(TScene, AHitAsksOnlyTheChildrenNearThePoint) {
  int asked = 0;
  auto* panel = Add(Root.get(), "panel", 0, 0, 100, 100);
  std::vector<TCountedBox*> boxes;
  for (int i = 0; i < 100; ++i) {
    auto* b = new TCountedBox(Root.get(), &asked);
    b->SetBounds(float(i % 10 * 10 + 1), float(i / 10 * 10 + 1), 8, 8);
    b->SetParent(panel);
    boxes.push_back(b);
  }
  PaintAll();
  asked = 0;
  EXPECT_EQ(Host->ObjectAt(5, 5), boxes[0]);
  EXPECT_LE(asked, 4) << "a walk asks all 100";
  asked = 0;
  EXPECT_EQ(Host->ObjectAt(0.5f, 0.5f), panel);
  EXPECT_LE(asked, 4);
}

}  // namespace
