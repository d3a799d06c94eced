#pragma once

#include <memory>

#include "scene2d/Geometry.h"

class TuiBackgroundCache;
class TuiBitmap;
class TuiCanvas;
class TuiChildIndex;
class TuiObject;
class TuiSceneHost;
class TuiVisualObject;

// What the effects code adds to the paint pass. Effects are children of the
// object they apply to (TuiVisualObject::HasEffects); their code installs
// itself in TuiPainter::EffectPainter.
class IuxEffectPainter {
 public:
  virtual ~IuxEffectPainter() = default;
  // Whether an effect of Object paints over it rather than under it.
  virtual bool PaintsAfter(TuiVisualObject& Object) = 0;
  // Whether an effect draws Object in place of its own painting.
  virtual bool ReplacesPainting(TuiVisualObject& Object) = 0;
  // Draws Object's effects with the canvas matrix at Object's absolute one.
  virtual void PaintEffects(TuiVisualObject& Object, TuiCanvas& Canvas) = 0;
};

// The paint pass of a 2D tree over the canvas contract: it is what
// TuiVisualObject::PaintChildren and visual brushes run once Register has
// installed it. Objects are painted with the canvas matrix at their absolute
// matrix; only objects whose update rectangle touches one of the host's dirty
// rectangles are painted, except when a subtree is painted into another
// canvas (PaintTo).
class TuiPainter {
 public:
  // Installs the pass as TuiVisualObject::PaintDriver and as
  // TuiCanvas::VisualPainter. Idempotent; hosts call it when made.
  static void Register();

  // The painting of one object and its subtree on Canvas, Parent being its
  // visual parent or none for a root; the host calls it for each root.
  static void PaintObject(TuiVisualObject* Parent, TuiVisualObject& Object, TuiCanvas& Canvas);
  // Object and its subtree into Canvas, filling Rect, as if Object were a
  // child of Parent (none: a root) turned upright. The object's place, the
  // host's painting and every flag are back as they were afterwards, also
  // when painting throws.
  static void PaintTo(TuiVisualObject& Object, TuiCanvas& Canvas, const TuiRect& Rect,
                      TuiVisualObject* Parent = nullptr);
  // A picture of Round(Width) x Round(Height) pixels of the object; none
  // without a host or a canvas class.
  static std::unique_ptr<TuiBitmap> MakeScreenshot(TuiVisualObject& Object);

  // Whether Object, a shape of Host with no visual children, is painted
  // straight over what the pass painted before it and nothing is painted
  // after it where Rect lies: no effect on it or above it, no later sibling
  // of it or of an ancestor and no ancestor's OnPaint or drag highlight
  // reaches into Rect. The pixels under it then depend on nothing of it.
  static bool PaintsAloneOnTop(TuiSceneHost& Host, TuiVisualObject& Object, const TuiRect& Rect);
  // Paints such an object over what is in the canvas, with the clips the
  // walk from its root down to it would have set.
  static void PaintAlone(TuiVisualObject& Object, TuiCanvas& Canvas);

  static IuxEffectPainter* EffectPainter;
  // Told of every object the pass is about to paint in its host's canvas;
  // the host sets it for its own pass.
  static TuiBackgroundCache* Backgrounds;

 private:
  class TDriver;
  // Parents of many children visit only those their index says the dirty
  // area may reach (TuiChildIndex), in the same order.
  static void PaintChildren(TuiVisualObject& Parent);
  // One child's turn: the checks before painting it, and recording the
  // rectangle they computed in Index.
  static void PaintChild(TuiVisualObject& Parent, TuiVisualObject& C, TuiCanvas& Canvas, bool Designer,
                         TuiChildIndex* Index);
  static void PaintChildrenFrom(TuiVisualObject& Parent, TuiCanvas& Canvas, bool Designer, int From,
                                bool Record);
  static void BeginAutoDrag(TuiVisualObject& Object);
  static void PaintTo(TuiVisualObject& Object, TuiCanvas& Canvas, const TuiRect& Rect,
                      TuiVisualObject* Parent, const TuiMatrix& Base);
};
