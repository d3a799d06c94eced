#pragma once

#include <functional>
#include <memory>

#include "draw2d/Brush.h"
#include "draw2d/Canvas.h"
#include "scene2d/VisualObject.h"

// The leaf objects that put paint on the canvas. A shape owns a fill and an
// outline brush and the outline's geometry, hands them to the canvas before
// painting and puts the canvas's dash and width back afterwards. Each class
// publishes only the members its drawing uses (a line has no fill, a text no
// outline), so the base publishes nothing and the families pick with
// PublishFill / PublishStroke.
class TuiShape : public TuiVisualObject {
  UX_CLASS(TuiShape, TuiVisualObject)
 public:
  // A solid light grey fill and a solid black outline.
  explicit TuiShape(TuiComponent* Owner);
  ~TuiShape() override;

  TuiBrush* Fill() const { return FFill.get(); }
  void SetFill(const TuiBrush& Value) { FFill->Assign(Value); }
  TuiBrush* Stroke() const { return FStroke.get(); }
  void SetStroke(const TuiBrush& Value) { FStroke->Assign(Value); }
  float StrokeThickness() const { return FStrokeThickness; }
  void SetStrokeThickness(float Value);
  TuiStrokeCap StrokeCap() const { return FStrokeCap; }
  void SetStrokeCap(TuiStrokeCap Value);
  TuiStrokeJoin StrokeJoin() const { return FStrokeJoin; }
  void SetStrokeJoin(TuiStrokeJoin Value);
  TuiStrokeDash StrokeDash() const { return FStrokeDash; }
  void SetStrokeDash(TuiStrokeDash Value);

  // The local rectangle shrunk by half the outline's width when there is an
  // outline, so that outlines centred on its edges stay inside the object.
  TuiRect ShapeRect() const;

  template <class C>
  static void PublishFill(TuiClassBuilder<C>& B) {
    B.template Object<TuiBrush>("Fill", &TuiShape::Fill);
  }
  // The outline brush and its four settings.
  template <class C>
  static void PublishStroke(TuiClassBuilder<C>& B) {
    B.template Object<TuiBrush>("Stroke", &TuiShape::Stroke);
    B.template Property<TuiStrokeCap, TuiStrokeCap>("StrokeCap", &TuiShape::StrokeCap,
                                                    &TuiShape::SetStrokeCap, uxCapFlat);
    B.template Property<TuiStrokeDash, TuiStrokeDash>("StrokeDash", &TuiShape::StrokeDash,
                                                      &TuiShape::SetStrokeDash, uxDashSolid);
    B.template Property<TuiStrokeJoin, TuiStrokeJoin>("StrokeJoin", &TuiShape::StrokeJoin,
                                                      &TuiShape::SetStrokeJoin, uxJoinMiter);
    B.template Property<float, float>("StrokeThickness", &TuiShape::StrokeThickness,
                                      &TuiShape::SetStrokeThickness, 1.0f);
  }

 protected:
  // For families whose brushes start elsewhere (a text's black glyphs and no
  // outline, an arc without fill): the defaults decide what is streamed.
  TuiShape(TuiComponent* Owner, TuiBrushStyle FillStyle, TuiColor FillColor, TuiBrushStyle StrokeStyle,
           TuiColor StrokeColor);

  void BeforePaint() override;
  void AfterPaint() override;
  // The look changed: stale effect pictures and a repaint.
  void LookChanged();

 private:
  void BrushChanged();

  std::unique_ptr<TuiBrush> FFill;
  std::unique_ptr<TuiBrush> FStroke;
  float FStrokeThickness = 1;
  TuiStrokeCap FStrokeCap = uxCapFlat;
  TuiStrokeJoin FStrokeJoin = uxJoinMiter;
  TuiStrokeDash FStrokeDash = uxDashSolid;
};

enum TuiLineType : uint8_t { uxLineNormal, uxLineHorizontal, uxLineVertical };
UX_ENUM(TuiLineType, "uxLineNormal", "uxLineHorizontal", "uxLineVertical")

// A diagonal of the shape rectangle, or its top or left edge.
class TuiLine : public TuiShape {
  UX_CLASS(TuiLine, TuiShape)
 public:
  explicit TuiLine(TuiComponent* Owner) : TuiShape(Owner) {}

  TuiLineType LineType() const { return FLineType; }
  void SetLineType(TuiLineType Value);

  static void DefineProperties(TuiClassBuilder<TuiLine>& C) {
    PublishStroke(C);
    C.Property("LineType", &TuiLine::LineType, &TuiLine::SetLineType, uxLineNormal);
  }

 protected:
  void Paint() override;

 private:
  TuiLineType FLineType = uxLineNormal;
};

using TuiPaintBoxEvent = std::function<void(TuiObject* Sender, TuiCanvas* Canvas)>;

// Paints whatever its handler draws, as part of its own painting (before any
// children), in local coordinates.
class TuiPaintBox : public TuiVisualObject {
  UX_CLASS(TuiPaintBox, TuiVisualObject)
 public:
  explicit TuiPaintBox(TuiComponent* Owner) : TuiVisualObject(Owner) {}

  // Takes the place of the event every visual object fires after its
  // children: a paint box draws in its own turn, and the inherited one stays
  // empty so that nothing runs twice.
  TuiPaintBoxEvent OnPaint;

  static void DefineProperties(TuiClassBuilder<TuiPaintBox>& C) { C.Event("OnPaint", &TuiPaintBox::OnPaint); }

 protected:
  void Paint() override;
};
