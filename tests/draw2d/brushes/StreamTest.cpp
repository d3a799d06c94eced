#include <gtest/gtest.h>

#include <string>

#include "draw2d/BrushObject.h"
#include "draw2d/Draw2dRegistration.h"
#include "draw2d/PathObject.h"
#include "scene2d/Errors.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

namespace {

class BrushStream : public ::testing::Test {
 protected:
  void SetUp() override { RegisterDraw2dClasses(); }

  static std::unique_ptr<TuiObject> Read(const std::string& Text, const TuiReadHooks& Hooks = {}) {
    auto root = std::make_unique<TuiObject>(nullptr);
    ReadObjectData(uxObjectTextToBinary(Text), *root, nullptr, Hooks);
    return root;
  }
};

// A left-to-right grey gradient as the built-in style sheet stores it, a
// resource brush naming it, and a glyph path.
const char* const Sheet = R"(object TuiObject
  object grad: TuiBrushObject
    ResourceName = 'grad'
    Brush.Style = uxBrushGradient
    Brush.Gradient.Points = <
      item
        Color = '#FF606060'
      end
      item
        Color = '#FF303030'
        Offset = 1
      end
    >
    Brush.Gradient.Style = uxLinearGradient
    Brush.Gradient.StartPosition.Point = '(0,0.500)'
    Brush.Gradient.StopPosition.Point = '(1,0.500)'
  end
  object TuiBrushObject
    Brush.Style = uxBrushResource
    Brush.Resource.ResourceName = 'grad'
  end
  object TuiBrushObject
    Brush.Color = '#FF3E3E3E'
  end
  object TuiPathObject
    Path.Path = {
      03000000000000000000000000000000010000000000803F0000003F03000000
      0000000000000000}
  end
end
)";

TEST_F(BrushStream, StyleSheetBrushesAndPathsRoundTrip) {
  auto root = Read(Sheet);
  ASSERT_EQ(root->ChildrenCount(), 4);
  auto* grad = dynamic_cast<TuiBrushObject*>(root->Children(0));
  auto* user = dynamic_cast<TuiBrushObject*>(root->Children(1));
  auto* solid = dynamic_cast<TuiBrushObject*>(root->Children(2));
  auto* glyph = dynamic_cast<TuiPathObject*>(root->Children(3));
  ASSERT_TRUE(grad && user && solid && glyph);
  const TuiGradient& g = *grad->Brush()->Gradient();
  ASSERT_EQ(g.Points()->Count(), 2);
  EXPECT_EQ(g.Points()->Points(0)->ColorValue(), 0xFF606060u);
  EXPECT_EQ(g.Points()->Points(1)->Offset(), 1);
  EXPECT_EQ(g.StopPosition()->Point(), (TuiPoint{1, 0.5f}));
  EXPECT_EQ(user->Brush()->ColorValue(), grad->Brush()->ColorValue());
  EXPECT_EQ(solid->Brush()->ColorValue(), 0xFF3E3E3Eu);
  EXPECT_EQ(glyph->Path()->Data(), "M 0,0 L 1,0.500 Z ");
  // Written back, the stream is the one read.
  EXPECT_EQ(uxObjectBinaryToText(WriteObjectData(*root)), Sheet);
}

TEST_F(BrushStream, PathTextIsReadAndBadPayloadsAreReadErrors) {
  auto root =
      Read("object TuiObject\n  object TuiPathObject\n    Path.Data = 'M 0,0 L 2,0 L 2,2 Z'\n  end\nend\n");
  auto* glyph = dynamic_cast<TuiPathObject*>(root->Children(0));
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(glyph->Path()->Count(), 4);
  // The text is never written; the binary form is.
  const std::string text = uxObjectBinaryToText(WriteObjectData(*root));
  EXPECT_EQ(text.find("Data"), std::string::npos);
  EXPECT_NE(text.find("Path.Path = {"), std::string::npos);

  const std::string damaged =
      "object TuiObject\n  object TuiPathObject\n    Path.Path = {05000000}\n  end\nend\n";
  EXPECT_THROW(Read(damaged), EuxReadError);
  // A style loader declares the error handled and keeps the rest.
  std::string message;
  TuiReadHooks hooks;
  hooks.OnError = [&](const std::string& Message, bool& Handled) {
    message = Message;
    Handled = true;
  };
  auto kept = Read(damaged, hooks);
  ASSERT_EQ(kept->ChildrenCount(), 1);
  EXPECT_TRUE(dynamic_cast<TuiPathObject*>(kept->Children(0))->Path()->IsEmpty());
  EXPECT_NE(message.find("Invalid property value"), std::string::npos) << message;
}

}  // namespace
