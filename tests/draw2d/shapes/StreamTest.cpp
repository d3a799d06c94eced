#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ShapeFixtures.h"
#include "draw2d/ShapeEllipses.h"
#include "draw2d/ShapeImage.h"
#include "draw2d/ShapePaths.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "scene2d/ClassInfo.h"

using namespace shape_fixtures;

namespace {

// The property names a class adds to those of every visual object, and those
// it redeclares with a field of its own.
std::set<std::string> OwnProperties(const char* ClassName) {
  const TuiClassInfo* info = TuiClassRegistry::Instance().Find(ClassName);
  std::set<std::string> names;
  if (!info) return {"<not registered>"};
  for (const TuiPropertyInfo& p : info->Properties()) {
    const TuiPropertyInfo* inherited = TuiVisualObject::StaticClass().FindProperty(p.Name);
    if (!inherited || inherited->EventType != p.EventType) names.insert(p.Name);
  }
  return names;
}

std::unique_ptr<TuiObject> RoundTrip(const TuiObject& Original) {
  return std::unique_ptr<TuiObject>(TuiObject::CreateObjectFromStream(nullptr, Original.SaveToStream()));
}

// The lines of an object's text form between its header and its end.
std::vector<std::string> StoredLines(const TuiObject& O) {
  std::vector<std::string> lines;
  std::string text = O.ObjectToText();
  size_t start = text.find('\n') + 1;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    line.erase(0, line.find_first_not_of(' '));
    if (line != "end") lines.push_back(line);
  }
  return lines;
}

}  // namespace

class ShapeStreamTest : public ShapeTest {};

TEST_F(ShapeStreamTest, EachClassPublishesWhatItsDrawingUses) {
  const std::set<std::string> stroke{"Stroke", "StrokeCap", "StrokeDash", "StrokeJoin", "StrokeThickness"};
  auto with = [&](std::set<std::string> Extra, bool Fill = true) {
    Extra.insert(stroke.begin(), stroke.end());
    if (Fill) Extra.insert("Fill");
    return Extra;
  };
  const std::set<std::string> rectangle = with({"xRadius", "yRadius", "Corners", "CornerType", "Sides"});
  const std::set<std::string> ellipse = with({});
  const std::set<std::string> angles = with({"StartAngle", "EndAngle"});
  struct TCase {
    const char* Class;
    std::set<std::string> Own;
  };
  const TCase cases[] = {
      {"TuiShape", {}},
      {"TuiLine", with({"LineType"}, false)},
      {"TuiRectangle", rectangle},
      {"TuiSidesRectangle", rectangle},
      {"TuiRoundRect", with({"Corners"})},
      {"TuiEllipse", ellipse},
      {"TuiCircle", ellipse},
      {"TuiPie", angles},
      {"TuiArc", angles},
      {"TuiCustomPath", ellipse},
      {"TuiPath", with({"Data", "WrapMode"})},
      {"TuiText",
       {"Fill", "Font", "Text", "HorzTextAlign", "VertTextAlign", "WordWrap", "AutoSize", "Stretch"}},
      {"TuiImage", {"Bitmap", "BitmapMargins", "WrapMode", "DisableInterpolation", "OnBitmapLoaded"}},
      {"TuiPaintBox", {"OnPaint"}},
  };
  for (const TCase& c : cases) EXPECT_EQ(OwnProperties(c.Class), c.Own) << c.Class;
}

TEST_F(ShapeStreamTest, DefaultShapesStoreNothingOfTheirOwn) {
  for (const char* name :
       {"TuiLine", "TuiRectangle", "TuiSidesRectangle", "TuiRoundRect", "TuiEllipse", "TuiCircle", "TuiPie",
        "TuiArc", "TuiPath", "TuiText", "TuiImage", "TuiPaintBox"}) {
    std::unique_ptr<TuiPersistent> made(TuiClassRegistry::Instance().Find(name)->Create(nullptr));
    EXPECT_EQ(StoredLines(static_cast<TuiObject&>(*made)), std::vector<std::string>{}) << name;
  }
}

TEST_F(ShapeStreamTest, ChangedDefaultsAreStoredWhereTheyDiffer) {
  // A text's fill starts black and its outline absent; an arc starts unfilled.
  TuiText text(nullptr);
  text.Fill()->SetColorValue(0xFFE0E0E0);
  TuiArc arc(nullptr);
  arc.Fill()->SetStyle(uxBrushSolid);
  TuiRectangle rectangle(nullptr);
  rectangle.Fill()->SetStyle(uxBrushNone);
  EXPECT_EQ(StoredLines(text), std::vector<std::string>{"Fill.Color = '#FFE0E0E0'"});
  EXPECT_EQ(StoredLines(arc), std::vector<std::string>{"Fill.Style = uxBrushSolid"});
  EXPECT_EQ(StoredLines(rectangle), std::vector<std::string>{"Fill.Style = uxBrushNone"});
}

TEST_F(ShapeStreamTest, RectanglePropertiesRoundTrip) {
  TuiSidesRectangle r(nullptr);
  r.SetXRadius(4);
  r.SetYRadius(6);
  r.SetCorners(1u << uxCornerTopLeft | 1u << uxCornerBottomRight);
  r.SetCornerType(uxCornerInnerLine);
  r.SetSides(0);
  r.SetStrokeThickness(2.5f);
  r.SetStrokeCap(uxCapRound);
  r.SetStrokeJoin(uxJoinBevel);
  r.SetStrokeDash(uxDashDashDot);
  r.Stroke()->SetColorValue(0xFF102030);
  auto copy = RoundTrip(r);
  auto* back = dynamic_cast<TuiSidesRectangle*>(copy.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->XRadius(), 4);
  EXPECT_EQ(back->YRadius(), 6);
  EXPECT_EQ(back->Corners(), r.Corners());
  EXPECT_EQ(back->CornerType(), uxCornerInnerLine);
  EXPECT_EQ(back->Sides(), 0u) << "no sides is stored, not taken for the default";
  EXPECT_EQ(back->StrokeThickness(), 2.5f);
  EXPECT_EQ(back->StrokeCap(), uxCapRound);
  EXPECT_EQ(back->StrokeJoin(), uxJoinBevel);
  EXPECT_EQ(back->StrokeDash(), uxDashDashDot);
  EXPECT_EQ(back->Stroke()->ColorValue(), 0xFF102030u);
}

TEST_F(ShapeStreamTest, LineEllipsesAndRoundRectRoundTrip) {
  TuiLine line(nullptr);
  line.SetLineType(uxLineVertical);
  TuiPie pie(nullptr);
  pie.SetStartAngle(30);
  pie.SetEndAngle(120);
  TuiArc arc(nullptr);
  arc.SetEndAngle(0);
  TuiRoundRect round(nullptr);
  round.SetCorners(1u << uxCornerTopRight);
  TuiCircle circle(nullptr);
  circle.Fill()->SetColorValue(0xFF00FF00);

  auto lineBack = RoundTrip(line);
  EXPECT_EQ(dynamic_cast<TuiLine&>(*lineBack).LineType(), uxLineVertical);
  auto pieBack = RoundTrip(pie);
  EXPECT_EQ(dynamic_cast<TuiPie&>(*pieBack).StartAngle(), 30);
  EXPECT_EQ(dynamic_cast<TuiPie&>(*pieBack).EndAngle(), 120);
  auto arcBack = RoundTrip(arc);
  EXPECT_EQ(dynamic_cast<TuiArc&>(*arcBack).EndAngle(), 0) << "0 differs from the default -90";
  EXPECT_EQ(dynamic_cast<TuiArc&>(*arcBack).Fill()->Style(), uxBrushNone);
  auto roundBack = RoundTrip(round);
  EXPECT_EQ(dynamic_cast<TuiRoundRect&>(*roundBack).Corners(), 1u << uxCornerTopRight);
  auto circleBack = RoundTrip(circle);
  EXPECT_EQ(dynamic_cast<TuiCircle&>(*circleBack).Fill()->ColorValue(), 0xFF00FF00u);
}

TEST_F(ShapeStreamTest, PathTextAndImageRoundTrip) {
  TuiPath path(nullptr);
  path.Data()->SetData("M 0,0 L 10,0 L 5,8 Z");
  path.SetWrapMode(uxPathTile);
  auto pathBack = RoundTrip(path);
  auto& p = dynamic_cast<TuiPath&>(*pathBack);
  EXPECT_EQ(p.Data()->Points(), path.Data()->Points());
  EXPECT_EQ(p.WrapMode(), uxPathTile);

  TuiText text(nullptr);
  text.SetText("Level 3");
  text.Font()->SetSize(14);
  text.SetHorzTextAlign(uxTextAlignFar);
  text.SetVertTextAlign(uxTextAlignNear);
  text.SetWordWrap(false);
  text.SetAutoSize(true);
  auto textBack = RoundTrip(text);
  auto& t = dynamic_cast<TuiText&>(*textBack);
  EXPECT_EQ(t.Text(), "Level 3");
  EXPECT_EQ(t.Font()->Size(), 14);
  EXPECT_EQ(t.HorzTextAlign(), uxTextAlignFar);
  EXPECT_EQ(t.VertTextAlign(), uxTextAlignNear);
  EXPECT_FALSE(t.WordWrap());
  EXPECT_TRUE(t.AutoSize());
  TuiText stretched(nullptr);
  stretched.SetStretch(true);
  EXPECT_TRUE(dynamic_cast<TuiText&>(*RoundTrip(stretched)).Stretch());

  TuiImage image(nullptr);
  image.Bitmap()->SetSize(3, 2);
  image.Bitmap()->Clear(0x80402010);
  image.BitmapMargins()->SetRect({1, 2, 3, 4});
  image.SetWrapMode(uxImageTile);
  image.SetDisableInterpolation(true);
  auto imageBack = RoundTrip(image);
  auto& i = dynamic_cast<TuiImage&>(*imageBack);
  EXPECT_EQ(i.Bitmap()->Width(), 3);
  EXPECT_EQ(i.Bitmap()->Height(), 2);
  EXPECT_EQ(i.Bitmap()->Bits()[5], image.Bitmap()->Bits()[5]);
  EXPECT_EQ(i.BitmapMargins()->Rect(), (TuiRect{1, 2, 3, 4}));
  EXPECT_EQ(i.WrapMode(), uxImageTile);
  EXPECT_TRUE(i.DisableInterpolation());
}
