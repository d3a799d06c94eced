#pragma once

#include <functional>
#include <memory>
#include <string>

#include "draw2d/Bitmap.h"
#include "draw2d/Gradient.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/Colors.h"
#include "scene2d/Object.h"
#include "scene2d/Persistent.h"
#include "scene2d/ResourceLink.h"
#include "scene2d/ValueHolders.h"

// Brushes describe every fill and outline: nothing, a colour, a gradient, a
// bitmap pattern, a named brush of a style sheet, or the live picture of a
// visual object. Owners stream them as nested properties ("Fill.Color",
// "Fill.Gradient.Points"), writing only what differs from the defaults the
// owner gave at construction.

enum TuiBrushStyle : uint8_t {
  uxBrushNone,
  uxBrushSolid,
  uxBrushGradient,
  uxBrushBitmap,
  uxBrushResource,
  uxBrushVisual,
};
UX_ENUM(TuiBrushStyle, "uxBrushNone", "uxBrushSolid", "uxBrushGradient", "uxBrushBitmap", "uxBrushResource",
        "uxBrushVisual")

// How a bitmap brush lays its bitmap out: repeated, repeated with every second
// column mirrored, or one copy stretched over the painted rectangle.
enum TuiWrapMode : uint8_t { uxWrapTile, uxWrapTileOriginal, uxWrapTileStretch };
UX_ENUM(TuiWrapMode, "uxWrapTile", "uxWrapTileOriginal", "uxWrapTileStretch")

class TuiBrushBitmap : public TuiPersistent {
  UX_CLASS(TuiBrushBitmap, TuiPersistent)
 public:
  // An empty bitmap, tiled.
  TuiBrushBitmap();

  TuiBitmap* Bitmap() const { return FBitmap.get(); }
  // Copies the picture (or its resource link) in.
  void SetBitmap(const TuiBitmap& Value) { FBitmap->Assign(&Value); }
  TuiWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TuiWrapMode Value);

  // Notifies once when the wrap mode or the picture changed.
  void Assign(const TuiBrushBitmap& Source);
  void Assign(const TuiPersistent& Source);

  std::function<void(TuiBrushBitmap* Sender)> OnChanged;

  static void DefineProperties(TuiClassBuilder<TuiBrushBitmap>& C);

 private:
  void Changed();

  std::unique_ptr<TuiBitmap> FBitmap = std::make_unique<TuiBitmap>();
  TuiWrapMode FWrapMode = uxWrapTile;
};

class TuiBrush;
class TuiBrushObject;

// Names a brush object of a style sheet. The link to the object is weak: it is
// cleared when the object dies while the name stays, so the next resolution
// finds a replacement by name.
class TuiBrushResource : public TuiPersistent {
  UX_CLASS(TuiBrushResource, TuiPersistent)
 public:
  TuiBrushResource() = default;
  ~TuiBrushResource() override;

  TuiBrushObject* Resource() const;
  // Takes the object's resource name as well.
  void SetResource(TuiBrushObject* Value);
  const std::string& ResourceName() const { return FLink.Name(); }
  // A name the linked object does not carry drops the link.
  void SetResourceName(const std::string& Value);
  // The linked object's brush; else the brush of the most recent live, stored
  // brush object of that resource name (any case), which is adopted; else none.
  TuiBrush* ResolveBrush();

  void Assign(const TuiBrushResource& Source);
  void Assign(const TuiPersistent& Source);

  // After a real change of the link or the name; adopting the object a name
  // already stood for is none.
  std::function<void(TuiBrushResource* Sender)> OnChanged;

  static void DefineProperties(TuiClassBuilder<TuiBrushResource>& C) {
    C.Property("ResourceName", &TuiBrushResource::ResourceName, &TuiBrushResource::SetResourceName);
  }

 private:
  void Changed();

  TuiResourceLink<TuiBrushObject> FLink;
};

class TuiBrush : public TuiPersistent {
  UX_CLASS(TuiBrush, TuiPersistent)
 public:
  // The defaults decide what is streamed: a brush left at them writes nothing.
  TuiBrush(TuiBrushStyle DefaultStyle, TuiColor DefaultColor);
  ~TuiBrush() override;

  TuiBrushStyle Style() const { return FStyle; }
  void SetStyle(TuiBrushStyle Value);
  TuiBrushStyle DefaultStyle() const { return FDefaultStyle; }
  TuiColor DefaultColor() const { return FDefaultColor; }

  // The colour of a resource brush is that of the brush it resolves to,
  // followed along a chain of resource brushes.
  TuiColor ColorValue() const;
  void SetColorValue(TuiColor Value);
  // The colour as text. Setting it on a gradient brush also recolours the first
  // stop; the two changes make one notification.
  std::string Color() const { return ColorToText(ColorValue()); }
  void SetColor(const std::string& Value) { SetColorAndFirstStop(TextToColor(Value)); }
  // The same without the text: what colour animations write into "Fill.Color",
  // and so how they drive gradient fills (a hovered button's background).
  void SetColorAndFirstStop(TuiColor Value);

  // Owned sub-descriptions; only the one Style selects is in force. The
  // setters copy the given value in. Each is made when first asked for: most
  // brushes are solid or empty and never need the others.
  TuiGradient* Gradient() const { return FGradient ? FGradient.get() : MakePart(FGradient); }
  void SetGradient(const TuiGradient& Value) { Gradient()->Assign(Value); }
  TuiBrushBitmap* Bitmap() const { return FBitmap ? FBitmap.get() : MakePart(FBitmap); }
  void SetBitmap(const TuiBrushBitmap& Value) { Bitmap()->Assign(Value); }
  TuiBrushResource* Resource() const { return FResource ? FResource.get() : MakePart(FResource); }
  void SetResource(const TuiBrushResource& Value) { Resource()->Assign(Value); }
  TuiVisual* Visual() const { return FVisual ? FVisual.get() : MakePart(FVisual); }
  void SetVisual(const TuiVisual& Value) { Visual()->Assign(Value); }

  // Takes the source's defaults, its (resolved) colour, its style and the one
  // sub-description that style selects; the others keep their content.
  // Notifies once when anything changed.
  void Assign(const TuiBrush& Source);
  // Raises "Cannot assign a <class> to a TuiBrush" for other classes.
  void Assign(const TuiPersistent& Source);

  // After every real change of the brush or of one of its sub-descriptions.
  std::function<void(TuiBrush* Sender)> OnChanged;

  static void DefineProperties(TuiClassBuilder<TuiBrush>& C);

 private:
  void Changed();
  // Made on request from const code too (a reader asking for a gradient's
  // points); what changes is only what is allocated, never the brush's value.
  template <class T>
  T* MakePart(std::unique_ptr<T>& Slot) const {
    Slot = std::make_unique<T>();
    Slot->OnChanged = [this](T*) { const_cast<TuiBrush*>(this)->Changed(); };
    return Slot.get();
  }

  TuiBrushStyle FStyle;
  TuiColor FColor;
  TuiBrushStyle FDefaultStyle;
  TuiColor FDefaultColor;
  mutable std::unique_ptr<TuiGradient> FGradient;
  mutable std::unique_ptr<TuiBrushBitmap> FBitmap;
  mutable std::unique_ptr<TuiBrushResource> FResource;
  mutable std::unique_ptr<TuiVisual> FVisual;
};
