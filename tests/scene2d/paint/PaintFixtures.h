#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw2d/Canvas.h"
#include "draw2d/cairo/CairoRegistration.h"
#include "scene2d/Errors.h"
#include "scene2d/paint/BufferedScene.h"
#include "scene2d/paint/Painter.h"

namespace paint_fixtures {

// A visual object that fills its rectangle with one colour and writes what
// happens to it into a shared log ("A.paint", "A.enter", ...).
class TBox : public TuiVisualObject {
 public:
  TBox(TuiComponent* Owner, std::string AName, std::vector<std::string>* ALog)
      : TuiVisualObject(Owner), Tag(std::move(AName)), Log(ALog) {}
  std::string Tag;
  std::vector<std::string>* Log;
  TuiColor Color = 0xFF0000FF;
  int Paints = 0;
  bool ThrowInPaint = false;

  void SetColor(TuiColor Value) {
    if (Value == Color) return;
    Color = Value;
    Repaint();
  }
  void Note(const std::string& What) {
    if (Log) Log->push_back(Tag + "." + What);
  }
  using TuiVisualObject::SetAutoCapture;

  void MouseEnter() override {
    Note("enter");
    TuiVisualObject::MouseEnter();
  }
  void MouseLeave() override {
    Note("leave");
    TuiVisualObject::MouseLeave();
  }
  void MouseMove(TuiShiftState Shift, float X, float Y, float DX, float DY) override {
    Note("move");
    TuiVisualObject::MouseMove(Shift, X, Y, DX, DY);
  }
  void Click() override {
    Note("click");
    TuiVisualObject::Click();
  }
  void DblClick() override {
    Note("dblclick");
    TuiVisualObject::DblClick();
  }
  void EnterFocus() override {
    Note("enterfocus");
    TuiVisualObject::EnterFocus();
  }
  void KillFocus() override {
    Note("killfocus");
    TuiVisualObject::KillFocus();
  }

 protected:
  void BeforePaint() override { Note("beforepaint"); }
  void Paint() override {
    ++Paints;
    Note("paint");
    if (ThrowInPaint) throw EuxError("paint failed");
    TuiCanvas* c = Canvas();
    c->Fill()->SetStyle(uxBrushSolid);
    c->Fill()->SetColorValue(Color);
    c->FillRect(GetLocalRect(), 0, 0, AllCorners, GetAbsoluteOpacity());
  }
  void AfterPaint() override { Note("afterpaint"); }
};

// A host of W x H pixels with one root covering it; objects made with
// Add belong to the root.
class TScene : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterCairoCanvas();
    Host = std::make_unique<TuiBufferedScene>(100, 100);
    Root = std::make_unique<TBox>(nullptr, "root", &Log);
    Root->SetBounds(0, 0, 100, 100);
    Root->Color = 0xFF000000;
    Host->AddObject(Root.get());
  }
  void TearDown() override {
    Root.reset();
    Host.reset();
  }

  TBox* Add(TuiVisualObject* Parent, const std::string& Name, float X, float Y, float W, float H,
            TuiColor Color = 0xFF0000FF) {
    auto* b = new TBox(Root.get(), Name, &Log);
    b->SetBounds(X, Y, W, H);
    b->Color = Color;
    b->SetParent(Parent);
    return b;
  }
  // Paints everything and forgets what happened on the way.
  void PaintAll() {
    Host->InvalidateAll();
    Host->PaintTree();
    Log.clear();
  }
  uint32_t Pixel(int32_t X, int32_t Y) const {
    const TuiCanvas& c = Host->Buffer();
    return c.BufferBits()[size_t(Y) * size_t(c.Width()) + size_t(X)];
  }

  std::vector<std::string> Log;
  std::unique_ptr<TuiBufferedScene> Host;
  std::unique_ptr<TBox> Root;
};

}  // namespace paint_fixtures
