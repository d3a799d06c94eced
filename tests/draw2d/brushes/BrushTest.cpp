#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "draw2d/Brush.h"
#include "draw2d/BrushObject.h"
#include "draw2d/Font.h"
#include "scene2d/Errors.h"
#include "scene2d/PropertyHandle.h"

namespace {

constexpr TuiColor White = 0xFFFFFFFF, Red = 0xFFFF0000;

// The stored properties a writer would put out for Root, as dotted paths,
// descending into sub-objects the way the stream writer does.
std::vector<std::string> StoredPaths(TuiPersistent& Root, const std::string& Prefix = {}) {
  std::vector<std::string> out;
  for (const TuiPropertyInfo& p : Root.ClassInfo().Properties()) {
    if (!p.IsStored(Root)) continue;
    const std::string path = Prefix + p.Name;
    if (p.Kind == pkObject) {
      for (auto& s : StoredPaths(*std::get<TuiPersistent*>(p.Get(Root)), path + ".")) out.push_back(s);
    } else {
      out.push_back(path);
    }
  }
  return out;
}

using Paths = std::vector<std::string>;

TEST(Brush, StreamsOnlyWhatDiffersFromTheOwnersDefaults) {
  const struct {
    const char* What;
    std::function<void(TuiBrush&)> Change;
    Paths Expected;
  } cases[] = {
      {"untouched", [](TuiBrush&) {}, {}},
      {"no fill", [](TuiBrush& B) { B.SetStyle(uxBrushNone); }, {"Style"}},
      {"colour", [](TuiBrush& B) { B.SetColor("#FF3E3E3E"); }, {"Color"}},
      {"colour back to default", [](TuiBrush& B) { B.SetColor("#FF3E3E3E"), B.SetColorValue(White); }, {}},
      // A gradient brush writes its gradient, never its colour.
      {"gradient",
       [](TuiBrush& B) {
         B.SetStyle(uxBrushGradient);
         B.SetColor("#FF606060");
         B.Gradient()->StopPosition()->SetPoint({1, 0.5f});
       },
       {"Style", "Gradient.Points", "Gradient.Style", "Gradient.StopPosition.Point"}},
      {"bitmap",
       [](TuiBrush& B) {
         B.SetStyle(uxBrushBitmap);
         B.Bitmap()->SetWrapMode(uxWrapTileStretch);
       },
       {"Style", "Bitmap.WrapMode"}},
      {"resource",
       [](TuiBrush& B) {
         B.SetStyle(uxBrushResource);
         B.Resource()->SetResourceName("grad");
       },
       {"Style", "Resource.ResourceName"}},
      // Sub-descriptions out of force stay out of the stream.
      {"changed gradient, solid style",
       [](TuiBrush& B) { B.Gradient()->SetStyle(uxRadialGradient), B.Resource()->SetResourceName("x"); },
       {}},
  };
  for (const auto& c : cases) {
    TuiBrush b(uxBrushSolid, White);
    c.Change(b);
    EXPECT_EQ(StoredPaths(b), c.Expected) << c.What;
  }
  // The defaults are the owner's: the same state streams differently elsewhere.
  TuiBrush none(uxBrushNone, Red);
  none.SetStyle(uxBrushSolid);
  EXPECT_EQ(StoredPaths(none), (Paths{"Style"}));
}

TEST(Brush, ColorOfAGradientBrushMovesTheFirstStop) {
  TuiBrush b(uxBrushSolid, White);
  int changes = 0;
  b.OnChanged = [&](TuiBrush* Sender) {
    EXPECT_EQ(Sender, &b);
    ++changes;
  };
  b.SetProperty("Style", int64_t(uxBrushGradient));
  changes = 0;
  b.SetProperty("Color", std::string("#FFFF0000"));
  EXPECT_EQ(b.ColorValue(), Red);
  EXPECT_EQ(b.Gradient()->Points()->Points(0)->ColorValue(), Red);
  EXPECT_EQ(b.Gradient()->Points()->Points(1)->ColorValue(), White);
  EXPECT_EQ(changes, 1) << "colour and stop make one change";
  // Property names resolve in any case, as style animations write them.
  b.SetProperty("color", std::string("#FFFF0000"));
  EXPECT_EQ(changes, 1);
  // Colour animations write the value without its text, through the
  // property's colour setter; the stop must follow all the same.
  TuiPropertyHandle animated(b, "Color");
  ASSERT_TRUE(animated);
  changes = 0;
  animated.SetColor(0x80000000);
  EXPECT_EQ(b.ColorValue(), 0x80000000u);
  EXPECT_EQ(b.Gradient()->Points()->Points(0)->ColorValue(), 0x80000000u);
  EXPECT_EQ(b.Gradient()->Points()->Points(1)->ColorValue(), White);
  EXPECT_EQ(changes, 1);
  animated.SetColor(Red);  // as before, for what follows
  // A stop that moved on its own is still brought back by the same colour.
  b.Gradient()->Points()->Points(0)->SetColorValue(0xFF000000);
  changes = 0;
  b.SetColor("#FFFF0000");
  EXPECT_EQ(b.Gradient()->Points()->Points(0)->ColorValue(), Red);
  EXPECT_EQ(changes, 1);
  // A solid brush leaves its gradient alone.
  b.SetStyle(uxBrushSolid);
  b.SetColor("#FF00FF00");
  EXPECT_EQ(b.Gradient()->Points()->Points(0)->ColorValue(), Red);
  // A gradient without stops takes the colour alone.
  b.SetStyle(uxBrushGradient);
  b.Gradient()->Points()->Clear();
  b.SetColor("#FF0000FF");
  EXPECT_EQ(b.ColorValue(), 0xFF0000FFu);
  // A text that is no colour is colour 0.
  b.SetColor("not a colour");
  EXPECT_EQ(b.ColorValue(), 0u);
}

TEST(Brush, NotifiesOncePerRealChangeAndNeverForTheSameValue) {
  TuiBrush b(uxBrushSolid, White);
  int changes = 0;
  b.OnChanged = [&](TuiBrush*) { ++changes; };
  // Each path is set to a new value and then to that value again.
  const struct {
    const char* Path;
    TuiPropValue Value;
  } table[] = {
      {"Style", int64_t(uxBrushGradient)},
      {"Color", std::string("#80102030")},
      {"Gradient.Style", int64_t(uxRadialGradient)},
      {"Gradient.StartPosition.Point", std::string("(0.250,1)")},
      {"Gradient.StopPosition.X", 0.75},
      {"Gradient.StopPosition.Y", 0.5},
      {"Bitmap.WrapMode", int64_t(uxWrapTileOriginal)},
      {"Resource.ResourceName", std::string("grad")},
  };
  for (const auto& row : table) {
    changes = 0;
    b.SetProperty(row.Path, row.Value);
    EXPECT_EQ(changes, 1) << row.Path;
    b.SetProperty(row.Path, row.Value);
    EXPECT_EQ(changes, 1) << row.Path << " again";
  }
  const struct {
    const char* What;
    std::function<void()> Do;
    int Expected;
  } calls[] = {
      {"colour value", [&] { b.SetColorValue(Red); }, 1},
      {"same colour value", [&] { b.SetColorValue(Red); }, 0},
      {"radial rotation", [&] { b.Gradient()->RadialTransform()->SetRotateAngle(10); }, 1},
      {"bitmap picture", [&] { b.Bitmap()->Bitmap()->SetSize(2, 2); }, 1},
      {"same bitmap size", [&] { b.Bitmap()->Bitmap()->SetSize(2, 2); }, 0},
      {"visual", [&] { b.SetVisual(TuiVisual()); }, 0},
  };
  for (const auto& c : calls) {
    changes = 0;
    c.Do();
    EXPECT_EQ(changes, c.Expected) << c.What;
  }
}

TEST(Brush, AssignTakesTheSelectedSubDescriptionOnly) {
  TuiBrush source(uxBrushNone, Red);
  source.SetStyle(uxBrushGradient);
  source.SetColor("#FF123456");
  source.Gradient()->SetStyle(uxRadialGradient);
  source.Resource()->SetResourceName("elsewhere");

  TuiBrush b(uxBrushSolid, White);
  b.Resource()->SetResourceName("mine");
  int changes = 0;
  b.OnChanged = [&](TuiBrush*) { ++changes; };
  b.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Style(), uxBrushGradient);
  EXPECT_EQ(b.DefaultStyle(), uxBrushNone);
  EXPECT_EQ(b.DefaultColor(), Red);
  EXPECT_EQ(b.ColorValue(), 0xFF123456u);
  EXPECT_EQ(b.Gradient()->Style(), uxRadialGradient);
  EXPECT_EQ(b.Gradient()->Points()->Points(0)->ColorValue(), 0xFF123456u);
  EXPECT_EQ(b.Resource()->ResourceName(), "mine");
  b.Assign(static_cast<const TuiPersistent&>(source));
  EXPECT_EQ(changes, 1) << "nothing new";

  TuiFont font;
  try {
    b.Assign(static_cast<const TuiPersistent&>(font));
    ADD_FAILURE() << "no error";
  } catch (const EuxConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TuiFont to a TuiBrush");
  }
  EXPECT_EQ(b.Style(), uxBrushGradient);
  EXPECT_EQ(changes, 1);
}

TEST(Brush, BitmapHolderCopiesPictureAndWrapMode) {
  TuiBrushBitmap source;
  source.Bitmap()->SetSize(3, 2);
  source.Bitmap()->Clear(Red);
  source.SetWrapMode(uxWrapTileStretch);
  TuiBrushBitmap b;
  int changes = 0;
  b.OnChanged = [&](TuiBrushBitmap*) { ++changes; };
  b.Assign(source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.WrapMode(), uxWrapTileStretch);
  ASSERT_EQ(b.Bitmap()->Width(), 3);
  EXPECT_EQ(b.Bitmap()->Bits()[5], Red);
  b.Assign(source);
  EXPECT_EQ(changes, 1) << "an equal picture is no change";
  source.Bitmap()->Clear(White);
  b.Assign(source);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(b.Bitmap()->Bits()[0], White);
  EXPECT_THROW(b.Assign(static_cast<const TuiPersistent&>(TuiBrushResource())), EuxConvertError);
}

// ---- resources ----

TEST(BrushResource, ResolvesByNameFollowsChainsAndForgetsDeadObjects) {
  auto decoy = std::make_unique<TuiObject>(nullptr);
  decoy->SetResourceName("grad");
  TuiBrush b(uxBrushSolid, White);
  b.SetStyle(uxBrushResource);
  b.Resource()->SetResourceName("GRAD");
  EXPECT_EQ(b.Resource()->ResolveBrush(), nullptr) << "only brush objects are adopted";
  EXPECT_EQ(b.ColorValue(), White) << "unresolved: its own colour";

  auto grad = std::make_unique<TuiBrushObject>(nullptr);
  grad->SetName("grad");
  EXPECT_EQ(grad->ResourceName(), "grad");
  EXPECT_EQ(grad->Brush()->Style(), uxBrushSolid);
  EXPECT_EQ(grad->Brush()->ColorValue(), White);
  grad->Brush()->SetColorValue(Red);
  int changes = 0;
  b.OnChanged = [&](TuiBrush*) { ++changes; };
  EXPECT_EQ(b.ColorValue(), Red);
  EXPECT_EQ(b.Resource()->Resource(), grad.get());
  EXPECT_EQ(b.Resource()->ResourceName(), "grad");
  EXPECT_EQ(changes, 0) << "adopting what the name meant is no change";

  // A chain of resource brushes is followed; a loop ends.
  auto chained = std::make_unique<TuiBrushObject>(nullptr);
  chained->SetResourceName("chained");
  chained->Brush()->SetStyle(uxBrushResource);
  chained->Brush()->Resource()->SetResourceName("grad");
  TuiBrush viaChain(uxBrushResource, 0);
  viaChain.Resource()->SetResourceName("chained");
  EXPECT_EQ(viaChain.ColorValue(), Red);
  grad->Brush()->SetStyle(uxBrushResource);
  grad->Brush()->Resource()->SetResourceName("chained");
  const TuiColor looped = viaChain.ColorValue();  // a loop ends at some brush's own colour
  EXPECT_TRUE(looped == Red || looped == White);
  grad->Brush()->SetStyle(uxBrushSolid);

  // Assigning a resource brush brings the resolved colour.
  TuiBrush copy(uxBrushSolid, White);
  copy.Assign(b);
  EXPECT_EQ(copy.ColorValue(), Red);
  EXPECT_EQ(copy.Resource()->Resource(), grad.get());

  grad.reset();
  EXPECT_EQ(b.Resource()->Resource(), nullptr);
  EXPECT_EQ(copy.Resource()->Resource(), nullptr);
  EXPECT_EQ(b.Resource()->ResourceName(), "grad");
  EXPECT_EQ(b.ColorValue(), White) << "unresolved again: its own colour";
  EXPECT_EQ(changes, 0);

  auto again = std::make_unique<TuiBrushObject>(nullptr);
  again->SetResourceName("Grad");
  again->Brush()->SetColorValue(0xFF00FF00);
  EXPECT_EQ(b.Resource()->ResolveBrush(), again->Brush());
  EXPECT_EQ(b.ColorValue(), 0xFF00FF00u);
  // Renaming drops the link; setting the link takes the object's name.
  b.Resource()->SetResourceName("other");
  EXPECT_EQ(b.Resource()->Resource(), nullptr);
  b.Resource()->SetResource(again.get());
  EXPECT_EQ(b.Resource()->ResourceName(), "Grad");
  EXPECT_EQ(changes, 2);
  {
    TuiBrushResource shortLived;
    shortLived.SetResource(again.get());
  }
  chained.reset();
  again.reset();
  EXPECT_EQ(b.Resource()->Resource(), nullptr);
}

TEST(BrushResource, NamedObjectKeepsAResourceNameOfItsOwn) {
  TuiBrushObject o(nullptr);
  o.SetResourceName("foreground");
  o.SetName("Brush1");
  EXPECT_EQ(o.ResourceName(), "foreground");
  EXPECT_EQ(std::get<std::string>(o.GetProperty("Brush.Color")), "#FFFFFFFF");
  o.SetProperty("Brush.Color", std::string("#FF000000"));
  EXPECT_EQ(o.Brush()->ColorValue(), 0xFF000000u);
}

}  // namespace
