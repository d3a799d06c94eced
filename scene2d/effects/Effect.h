#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "draw2d/Bitmap.h"
#include "scene2d/Object.h"

class TuiCanvas;
class TuiVisualObject;

// A non-visual child of a visual object that changes how the object is drawn.
// The paint pass renders the object into a picture per effect, lets the effect
// process its pixels and draws the picture beneath the object, over it
// (PaintsAfter) or in its place (ReplacesPainting). Pictures are rebuilt only
// when the object's cache is stale (TuiVisualObject::EffectCacheStale).
//
// A trigger text ("IsFocused=true") switches the effect on and off from the
// state of the control that raised a trigger it mentions.
class TuiEffect : public TuiObject, public IuxTriggerEffect {
  UX_CLASS(TuiEffect, TuiObject)
 public:
  explicit TuiEffect(TuiComponent* Owner);
  ~TuiEffect() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const std::string& Trigger() const { return FTrigger; }
  void SetTrigger(const std::string& Value) { FTrigger = Value; }

  // The area the effect paints for an object of local rectangle R; the base
  // paints just the object's.
  virtual TuiRect GetRect(const TuiRect& R) const { return R; }
  // Where the object sits inside the effect's picture, in local units.
  virtual TuiPoint GetOffset() const { return {0, 0}; }
  // Changes the picture's pixels; Scale is the object's absolute X scale, the
  // ratio of picture pixels to local units.
  virtual void ProcessEffect(TuiCanvas& Canvas, TuiBitmap& Bitmap, float Scale);
  // How many picture pixels away, across and down, ProcessEffect reads to
  // make one pixel; negative: the whole row or column. A picture made only of
  // the part that shows, widened by this, is the same there as a whole one.
  struct TReach {
    int32_t X = 0, Y = 0;
  };
  virtual TReach Reach(float Scale) const;

  // The last recognised condition of Trigger decides whether the effect is
  // enabled; with none recognised it is disabled.
  void ApplyTrigger(TuiObject* Instance, std::string_view TriggerName) override;

  // ---- what the tree and the paint pass ask ----
  bool EffectEnabled() const override { return FEnabled; }
  bool ReplacesPainting() const override { return FReplacesPainting; }
  bool PaintsAfter() const override { return FPaintsAfter; }
  TuiRect EffectRect(const TuiRect& R) const override { return GetRect(R); }
  // The processed picture, kept until the parent's cache goes stale. It holds
  // PictureArea() of a whole picture of PictureSize() pixels.
  TuiBitmap& Picture() { return FPicture; }
  const TuiPixelRect& PictureArea() const { return FPictureArea; }
  const TuiPixelRect& PictureSize() const { return FPictureSize; }
  void SetPictureArea(const TuiPixelRect& Area, const TuiPixelRect& Size) {
    FPictureArea = Area;
    FPictureSize = Size;
  }

  static void DefineProperties(TuiClassBuilder<TuiEffect>& C) {
    C.Property("Enabled", &TuiEffect::Enabled, &TuiEffect::SetEnabled, true);
    C.Property("Trigger", &TuiEffect::Trigger, &TuiEffect::SetTrigger, std::string());
  }

 protected:
  // Called by every parameter setter after storing a changed value: the
  // parent's pictures are stale and the area the effect covers is repainted.
  void Changed();

  bool FReplacesPainting = false;
  bool FPaintsAfter = false;

 private:
  bool FEnabled = true;
  std::string FTrigger;
  TuiBitmap FPicture;
  TuiPixelRect FPictureArea, FPictureSize;
};
