#include "scene2d/paint/Painter.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "draw2d/Bitmap.h"
#include "draw2d/Canvas.h"
#include "draw2d/Shape.h"
#include "scene2d/Scene.h"
#include "scene2d/VisualObject.h"
#include "scene2d/paint/BackgroundCache.h"

IuxEffectPainter* TuiPainter::EffectPainter = nullptr;
TuiBackgroundCache* TuiPainter::Backgrounds = nullptr;

class TuiPainter::TDriver : public IuxPaintDriver {
 public:
  void PaintChildren(TuiVisualObject& Parent) override { TuiPainter::PaintChildren(Parent); }
  void BeginAutoDrag(TuiVisualObject& Object) override { TuiPainter::BeginAutoDrag(Object); }
};

namespace {

constexpr TuiColor DragHighlightColor = 0xB2005ACC;
constexpr float DragImageMax = 512;
constexpr float DragImageOpacity = 0.7f;

// Restores a saved canvas state when the scope ends, also by an exception.
class TSavedState {
 public:
  explicit TSavedState(TuiCanvas& Canvas) : FCanvas(Canvas) {}
  TSavedState(const TSavedState&) = delete;
  TSavedState& operator=(const TSavedState&) = delete;
  ~TSavedState() { Restore(); }
  void Save() {
    Restore();
    FState = FCanvas.SaveCanvas();
    FSaved = true;
  }
  void Restore() {
    if (!FSaved) return;
    FSaved = false;
    FCanvas.RestoreCanvas(FState);
  }

 private:
  TuiCanvas& FCanvas;
  int32_t FState = -1;
  bool FSaved = false;
};

bool TouchesDirtyArea(IuxScene* Scene, const TuiRect& R) {
  if (!Scene) return false;
  const int count = Scene->GetUpdateRectsCount();
  for (int i = 0; i < count; ++i)
    if (RectsIntersect(R, Scene->GetUpdateRect(i))) return true;
  return false;
}

void DrawDragHighlight(TuiVisualObject& Object, TuiCanvas& Canvas) {
  TSavedState state(Canvas);
  state.Save();
  Canvas.SetMatrix(Object.GetAbsoluteMatrix());
  Canvas.Stroke()->SetStyle(uxBrushSolid);
  Canvas.Stroke()->SetColorValue(DragHighlightColor);
  Canvas.SetStrokeThickness(3);
  Canvas.SetStrokeDash(uxDashSolid);
  TuiRect r = Object.GetLocalRect();
  InflateRect(r, -1, -1);
  Canvas.DrawRect(r, 1, 1, AllCorners, 1);
}

}  // namespace

void TuiPainter::Register() {
  static TDriver driver;
  TuiVisualObject::PaintDriver = &driver;
  TuiCanvas::VisualPainter = [](TuiVisualObject& Object, TuiCanvas& Canvas, const TuiRect& Rect) {
    // The rectangle is in the user space of the shape being filled.
    PaintTo(Object, Canvas, Rect, nullptr, Canvas.Matrix());
  };
}

void TuiPainter::PaintChild(TuiVisualObject& Parent, TuiVisualObject& C, TuiCanvas& Canvas, bool Designer,
                            TuiChildIndex* Index) {
  if (!(C.FVisible || (Designer && !C.FLocked)) || (Designer && C.FDesignHide)) return;
  const TuiRect r = C.UpdateRect();
  // Effects may paint outside the rectangle, whatever it touches.
  if (Index) Index->Record(&C, r, C.HasEffects() || C.InDesigner());
  if (r.Width() == 0 || r.Height() == 0) return;
  if (C.Scene() != Parent.Scene()) C.SetScene(Parent.Scene());
  if (Parent.FClipChildren && !RectsIntersect(r, Parent.UpdateRect())) return;
  PaintObject(&Parent, C, Canvas);
}

void TuiPainter::PaintChildrenFrom(TuiVisualObject& Parent, TuiCanvas& Canvas, bool Designer, int From,
                                   bool Record) {
  // By index: a handler that changes the children must not leave the loop on
  // a freed element.
  for (int i = From; i < Parent.ChildrenCount(); ++i) {
    TuiVisualObject* c = Parent.Children(i)->Visual();
    if (c) PaintChild(Parent, *c, Canvas, Designer, Record ? Parent.FChildIndex.get() : nullptr);
  }
}

void TuiPainter::PaintChildren(TuiVisualObject& Parent) {
  TuiCanvas* canvas = Parent.Canvas();
  if (!canvas) return;
  const bool designer = Parent.InDesigner();
  // Painting into another canvas and designing paint every child.
  IuxScene* scene = Parent.Scene();
  if (!scene || designer || Parent.FPaintingTo || Parent.ChildrenCount() < TuiChildIndex::MinChildren) {
    PaintChildrenFrom(Parent, *canvas, designer, 0, false);
    return;
  }
  if (!Parent.FChildIndex) Parent.FChildIndex = std::make_unique<TuiChildIndex>();
  TuiChildIndex* index = Parent.FChildIndex.get();
  std::vector<TuiRect> dirty;
  bool finite = true;
  for (int i = 0, n = scene->GetUpdateRectsCount(); i < n; ++i) {
    dirty.push_back(scene->GetUpdateRect(i));
    const TuiRect& d = dirty.back();
    finite = finite && std::isfinite(d.Left) && std::isfinite(d.Top) && std::isfinite(d.Right) &&
             std::isfinite(d.Bottom);
  }
  if (index->AllStale() || !finite) {
    if (index->AllStale()) {
      std::vector<TuiVisualObject*> children;
      for (TuiObject* o : Parent.ChildList())
        if (TuiVisualObject* v = o->Visual()) children.push_back(v);
      index->Reset(children);
    }
    PaintChildrenFrom(Parent, *canvas, designer, 0, true);
    if (Parent.FChildIndex.get() == index) index->Settle();
    return;
  }

  // The children the dirty area may reach, in painting order. Every other
  // child would be passed over by the walk above, and stays so as long as
  // nothing changes on the way; when something does, the walk goes on from
  // there over all the remaining children.
  std::vector<TuiVisualObject*> candidates;
  index->Candidates(dirty, candidates);
  if (candidates.size() * 4 > size_t(Parent.ChildrenCount())) {
    PaintChildrenFrom(Parent, *canvas, designer, 0, true);
    if (Parent.FChildIndex.get() == index) index->Settle();
    return;
  }
  std::vector<std::pair<int, TuiVisualObject*>> order;
  order.reserve(candidates.size());
  for (TuiVisualObject* c : candidates) order.emplace_back(c->Index(), c);
  std::sort(order.begin(), order.end());
  const uint64_t generation = Parent.ChildrenGeneration();
  const uint64_t version = index->Version();
  auto unchanged = [&] {
    if (Parent.ChildrenGeneration() != generation || Parent.FChildIndex.get() != index ||
        index->Version() != version)
      return false;
    const int n = scene->GetUpdateRectsCount();
    if (size_t(n) != dirty.size()) return false;
    for (int i = 0; i < n; ++i)
      if (!(scene->GetUpdateRect(i) == dirty[size_t(i)])) return false;
    return true;
  };
  for (const auto& [position, c] : order) {
    PaintChild(Parent, *c, *canvas, designer, index);
    if (!unchanged()) {
      PaintChildrenFrom(Parent, *canvas, designer, position + 1, true);
      break;
    }
  }
  if (Parent.FChildIndex.get() == index) index->Settle();
}

void TuiPainter::PaintObject(TuiVisualObject* Parent, TuiVisualObject& C, TuiCanvas& Canvas) {
  const bool mustPaint = C.InDesigner() || C.FPaintingTo || TouchesDirtyArea(C.Scene(), C.UpdateRect());
  IuxEffectPainter* effects = C.HasEffects() ? EffectPainter : nullptr;
  if (mustPaint) {
    if (Backgrounds && !C.FPaintingTo) Backgrounds->ObjectPainting(C, Canvas);
    TSavedState parentClip(Canvas);
    if (Parent && Parent->FClipChildren && C.FCanClipped) {
      parentClip.Save();
      Canvas.SetMatrix(Parent->GetAbsoluteMatrix());
      Canvas.IntersectClipRect(Parent->GetLocalRect());
    }
    const TuiMatrix matrix = C.GetAbsoluteMatrix();
    Canvas.SetMatrix(matrix);
    C.BeforePaint();
    if (effects && !effects->PaintsAfter(C)) {
      effects->PaintEffects(C, Canvas);
      Canvas.SetMatrix(matrix);
    }
    if (!(effects && effects->ReplacesPainting(C))) {
      const TuiRect local = C.GetLocalRect();
      TSavedState clipParent(Canvas);
      if (C.HasClipParentChild())
        for (TuiObject* o : C.ChildList()) {
          TuiVisualObject* v = o->Visual();
          if (!v || !v->FClipParent) continue;
          clipParent.Save();
          Canvas.SetMatrix(v->GetAbsoluteMatrix());
          Canvas.ExcludeClipRect(v->GetLocalRect());
          Canvas.SetMatrix(matrix);
          break;
        }
      if (C.FClipChildren) {
        TSavedState ownClip(Canvas);
        ownClip.Save();
        Canvas.IntersectClipRect(local);
        if (C.Handlers().OnBeforePaint) C.Handlers().OnBeforePaint(&C, &Canvas, local);
        C.Paint();
      } else {
        if (C.Handlers().OnBeforePaint) C.Handlers().OnBeforePaint(&C, &Canvas, local);
        C.Paint();
      }
      clipParent.Restore();
      C.PaintChildren();
      Canvas.SetMatrix(matrix);
      if (C.Handlers().OnPaint) C.Handlers().OnPaint(&C, &Canvas, local);
    }
    C.AfterPaint();
    if (C.FIsDragOver && !C.FDragDisableHighlight) DrawDragHighlight(C, Canvas);
  }
  if (effects && effects->PaintsAfter(C)) {
    Canvas.SetMatrix(C.GetAbsoluteMatrix());
    effects->PaintEffects(C, Canvas);
  }
}

bool TuiPainter::PaintsAloneOnTop(TuiSceneHost& Host, TuiVisualObject& Object, const TuiRect& Rect) {
  // A shape sets every part of the canvas state it paints with; other objects
  // may paint with what the objects before them left.
  if (!dynamic_cast<TuiShape*>(&Object)) return false;
  if (Object.Scene() != &Host || Object.InDesigner() || !Object.FVisible || Object.HasEffects()) return false;
  for (TuiObject* c : Object.ChildList())
    if (c->Visual()) return false;
  auto laterCovers = [&Rect](const std::vector<TuiObject*>& List, size_t From) {
    for (size_t i = From; i < List.size(); ++i)
      if (TuiVisualObject* v = List[i]->Visual(); v && v->FVisible && RectsIntersect(v->UpdateRect(), Rect))
        return true;
    return false;
  };
  TuiVisualObject* node = &Object;
  while (TuiObject* up = node->Parent()) {
    TuiVisualObject* p = up->Visual();
    // Effects are painted from pictures of whole subtrees, under or over them.
    if (!p || !p->FVisible || p->HasEffects() || p->Handlers().OnPaint || p->FIsDragOver) return false;
    if (p->FClipChildren && !RectsIntersect(node->UpdateRect(), p->UpdateRect())) return false;
    if (laterCovers(p->ChildList(), size_t(node->Index()) + 1)) return false;
    node = p;
  }
  std::vector<TuiObject*> roots;
  for (int i = 0; i < Host.RootCount(); ++i) roots.push_back(Host.Roots(i));
  const auto at = std::find(roots.begin(), roots.end(), node);
  return at != roots.end() && !laterCovers(roots, size_t(at - roots.begin()) + 1);
}

void TuiPainter::PaintAlone(TuiVisualObject& Object, TuiCanvas& Canvas) {
  std::vector<TuiVisualObject*> chain;
  for (TuiObject* o = Object.Parent(); o; o = o->Parent())
    if (TuiVisualObject* v = o->Visual()) chain.insert(chain.begin(), v);
  TSavedState clips(Canvas);
  clips.Save();
  // The parent's own clip is PaintObject's.
  for (size_t i = 0; i + 1 < chain.size(); ++i)
    if (chain[i]->FClipChildren && chain[i + 1]->FCanClipped) {
      Canvas.SetMatrix(chain[i]->GetAbsoluteMatrix());
      Canvas.IntersectClipRect(chain[i]->GetLocalRect());
    }
  PaintObject(chain.empty() ? nullptr : chain.back(), Object, Canvas);
}

namespace {

template <class F>
void ForSubtree(TuiVisualObject& Object, const F& Action) {
  Action(Object);
  for (TuiObject* c : Object.ChildList())
    if (TuiVisualObject* v = c->Visual()) ForSubtree(*v, Action);
}

}  // namespace

void TuiPainter::PaintTo(TuiVisualObject& Object, TuiCanvas& Canvas, const TuiRect& Rect,
                         TuiVisualObject* Parent) {
  PaintTo(Object, Canvas, Rect, Parent, IdentityMatrix());
}

void TuiPainter::PaintTo(TuiVisualObject& O, TuiCanvas& Canvas, const TuiRect& Rect, TuiVisualObject* Parent,
                         const TuiMatrix& Base) {
  IuxScene* scene = O.Scene();
  if (!scene || O.FWidth * O.FHeight == 0) return;

  // Everything below is put back by the destructor, whatever painting throws.
  struct TRestore {
    TuiVisualObject& O;
    IuxScene* Scene;
    TSavedState State;
    bool WasDisabled = Scene->GetDisableUpdate();
    bool WasRealigning = O.FRealigning;
    // An effect's picture painted inside another PaintTo must leave the outer
    // one's flag on, or the rest of the outer subtree would be culled.
    bool WasPaintingTo = O.FPaintingTo;
    TuiCanvas* PrevTempCanvas = O.FTempCanvas;
    TuiMatrix Local = O.FLocalMatrix;

    TRestore(TuiVisualObject& AObject, IuxScene* AScene, TuiCanvas& Canvas)
        : O(AObject), Scene(AScene), State(Canvas) {}
    ~TRestore() {
      O.FLocalMatrix = Local;
      O.MatrixChanged();
      O.InvalidateUpdateRects();
      // Fresh matrices now, while painting is still suspended, so that taking
      // them later does not ask for a repaint of an unchanged place.
      ForSubtree(O, [](TuiVisualObject& V) { V.GetAbsoluteMatrix(); });
      O.OpacityChanged();
      O.EnabledChanged();
      ForSubtree(O, [this](TuiVisualObject& V) {
        V.FPaintingTo = WasPaintingTo;
        V.FTempCanvas = PrevTempCanvas;
      });
      O.FRealigning = WasRealigning;
      State.Restore();
      Scene->SetDisableUpdate(WasDisabled);
    }
  } restore(O, scene, Canvas);

  scene->SetDisableUpdate(true);
  O.FRealigning = true;
  ForSubtree(O, [&Canvas](TuiVisualObject& V) {
    V.FPaintingTo = true;
    V.FTempCanvas = &Canvas;
  });
  restore.State.Save();

  // Upright at Rect's top-left, scaled to fill it, under Parent.
  TuiMatrix local;
  local.M[0][0] = Rect.Width() / O.FWidth;
  local.M[1][1] = Rect.Height() / O.FHeight;
  local.M[2][0] = Rect.Left;
  local.M[2][1] = Rect.Top;
  const TuiMatrix above =
      Parent ? MatrixMultiply(Parent->GetChildrenMatrix(), Parent->GetAbsoluteMatrix()) : Base;
  O.FLocalMatrix = local;
  O.MatrixChanged();
  O.FAbsoluteMatrix = MatrixMultiply(local, above);
  O.FAbsoluteMatrixStale = false;
  O.InvalidateUpdateRects();
  O.OpacityChanged();
  O.FAbsoluteOpacity = O.FOpacity * (Parent ? Parent->GetAbsoluteOpacity() : 1);
  O.FAbsoluteOpacityStale = false;

  Canvas.SetMatrix(O.FAbsoluteMatrix);
  O.BeforePaint();
  O.Paint();
  O.AfterPaint();
  O.PaintChildren();
}

std::unique_ptr<TuiBitmap> TuiPainter::MakeScreenshot(TuiVisualObject& Object) {
  auto bitmap = std::make_unique<TuiBitmap>(int32_t(RoundHalfEven(Object.Width())),
                                            int32_t(RoundHalfEven(Object.Height())));
  bitmap->Clear(0);
  TuiCanvas* canvas = bitmap->IsEmpty() ? nullptr : bitmap->Canvas();
  if (canvas && canvas->BeginScene()) {
    struct TEnd {
      TuiCanvas* C;
      ~TEnd() { C->EndScene(); }
    } end{canvas};
    PaintTo(Object, *canvas, Object.GetLocalRect());
  }
  return bitmap;
}

void TuiPainter::BeginAutoDrag(TuiVisualObject& Object) {
  IuxScene* scene = Object.Scene();
  if (!scene) return;
  std::unique_ptr<TuiBitmap> shot = MakeScreenshot(Object);
  const TuiRect whole{0, 0, float(shot->Width()), float(shot->Height())};
  TuiRect r = whole;
  if (r.Width() > DragImageMax || r.Height() > DragImageMax) FitRect(r, {0, 0, DragImageMax, DragImageMax});
  auto image = std::make_unique<TuiBitmap>(int32_t(r.Width()), int32_t(r.Height()));
  image->Clear(0);
  if (TuiCanvas* canvas = image->IsEmpty() ? nullptr : image->Canvas(); canvas && canvas->BeginScene()) {
    canvas->DrawBitmap(*shot, whole, {0, 0, r.Width(), r.Height()}, DragImageOpacity);
    canvas->EndScene();
  }
  scene->BeginDragDrop(&Object, image.get());
}
