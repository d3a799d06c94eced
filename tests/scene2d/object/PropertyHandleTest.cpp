#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "scene2d/Colors.h"
#include "scene2d/Errors.h"
#include "scene2d/Layouts.h"
#include "scene2d/PropertyHandle.h"

namespace {

// A colour kept as its text, as brushes keep theirs, with a native setter
// that animations may take instead.
class TTinted : public TuiLayout {
  UX_CLASS(TTinted, TuiLayout)
 public:
  using TuiLayout::TuiLayout;
  const std::string& Tint() const { return FTint; }
  void SetTint(const std::string& V) {
    FTint = V;
    ++TextWrites;
  }
  void SetTintValue(uint32_t V) { FTint = ColorToText(V); }
  int TextWrites = 0;
  static void DefineProperties(TuiClassBuilder<TTinted>& C) {
    C.Property("Tint", &TTinted::Tint, &TTinted::SetTint);
    C.ColorSetter("Tint", &TTinted::SetTintValue);
  }

 private:
  std::string FTint;
};
UX_IMPLEMENT_CLASS(TTinted)

TEST(PropertyHandle, ResolvesByTheStreamsRulesOrTheAnimationsRules) {
  TuiLayout parent(nullptr);
  auto* child = new TuiLayout(nullptr);
  parent.AddObject(child);
  struct Case {
    const char* Path;
    TuiPathRule Rule;
    TuiPersistent* Target;  // none: unresolved
    const char* Property;
  };
  const Case cases[] = {
      {"position.x", uxPathStrict, child->Position(), "X"},
      {"Parent.Opacity", uxPathStrict, &parent, "Opacity"},
      {"Parent.Opacity", uxPathSkipNonObjects, &parent, "Opacity"},
      // A middle name that holds no object: strict fails, animations go on.
      {"Width.Opacity", uxPathStrict, nullptr, nullptr},
      {"Width.Opacity", uxPathSkipNonObjects, child, "Opacity"},
      {"Nope.Opacity", uxPathStrict, nullptr, nullptr},
      {"Nope.Opacity", uxPathSkipNonObjects, child, "Opacity"},
      {"Margins.Top", uxPathSkipNonObjects, child->Margins(), "Top"},
      {"Opacity.Nope", uxPathSkipNonObjects, nullptr, nullptr},
      {"", uxPathSkipNonObjects, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    TuiPropertyHandle h(*child, c.Path, c.Rule);
    EXPECT_EQ(h.Target(), c.Target) << c.Path << " rule " << int(c.Rule);
    EXPECT_EQ(bool(h), c.Property != nullptr) << c.Path;
    if (h && c.Property) {
      EXPECT_EQ(h.Property()->Name, c.Property) << c.Path;
    }
  }
}

TEST(PropertyHandle, ADeadTargetReadsAsUnresolved) {
  auto parent = std::make_unique<TuiLayout>(nullptr);
  auto child = std::make_unique<TuiLayout>(nullptr);
  parent->AddObject(child.get());
  TuiPropertyHandle opacity(*child, "Parent.Opacity", uxPathSkipNonObjects);
  TuiPropertyHandle own(*child, "Position.X");
  ASSERT_TRUE(opacity);
  opacity.SetFloat(0.5f);
  EXPECT_EQ(parent->Opacity(), 0.5f);
  child->SetParent(nullptr);
  parent.reset();
  EXPECT_FALSE(opacity) << "the parent it wrote to is gone";
  opacity.SetFloat(0.25f);  // nothing to write to, nothing raised
  EXPECT_EQ(opacity.Get(), TuiPropValue());
  ASSERT_TRUE(own);
  child.reset();
  EXPECT_FALSE(own) << "a sub-object dies with the tree object that owns it";
}

TEST(PropertyHandle, ConvertsBetweenKindsOrRaisesAConversionError) {
  TuiLayout o(nullptr);
  struct Case {
    const char* Path;
    TuiPropValue In;
    TuiPropValue Out;  // none: EuxConvertError
  };
  const Case cases[] = {
      {"Width", int64_t(5), 5.0},
      {"Width", std::string("2.5"), 2.5},
      {"Width", std::string("abc"), {}},
      {"Width", 1e39, {}},
      {"Width", std::nan(""), {}},
      {"Width", true, {}},
      {"Visible", std::string("false"), false},
      {"Visible", int64_t(1), true},
      {"Visible", std::string("maybe"), {}},
      {"Align", std::string("vaClient"), int64_t(13)},
      {"Align", int64_t(0), int64_t(0)},
      {"Align", std::string("vaNowhere"), {}},
      {"Align", int64_t(99), {}},
      {"Tag", std::string("7"), int64_t(7)},
      {"Tag", 2.0, int64_t(2)},
      {"Tag", 2.5, {}},
      {"Tag", int64_t(3000000000), {}},
      {"Hint", int64_t(42), std::string("42")},
      {"Hint", 0.5, std::string("0.5")},
      {"Hint", true, std::string("True")},
  };
  for (const Case& c : cases) {
    TuiPropertyHandle h(o, c.Path);
    ASSERT_TRUE(h) << c.Path;
    if (std::holds_alternative<std::monostate>(c.Out)) {
      EXPECT_THROW(h.Set(c.In), EuxConvertError) << c.Path;
      continue;
    }
    h.Set(c.In);
    TuiPropValue got = h.Get();
    if (auto* f = std::get_if<double>(&got)) got = double(float(*f));
    EXPECT_EQ(got, c.Out) << c.Path;
  }
  // The object's own SetProperty converts the same way.
  o.SetProperty("Width", int64_t(12));
  EXPECT_EQ(o.Width(), 12.0f);
  EXPECT_THROW(o.SetProperty("Height", std::string("tall")), EuxConvertError);
  EXPECT_EQ(o.Height(), 50.0f) << "a refused value leaves the old one";
}

TEST(PropertyHandle, TypedWritesTakeTheShortcutAndMeanTheSame) {
  TTinted o(nullptr);
  TuiPropertyHandle width(o, "Width");
  width.SetFloat(33);
  EXPECT_EQ(o.Width(), 33.0f);
  TuiPropertyHandle tint(o, "Tint");
  tint.SetColor(0xFF00FF00);
  EXPECT_EQ(o.Tint(), "#FF00FF00");
  EXPECT_EQ(o.TextWrites, 0) << "the native colour setter, not the text";
  // Without a native setter a colour goes in as its text.
  TuiLayout plain(nullptr);
  TuiPropertyHandle hint(plain, "Hint");
  hint.SetColor(0x80FF0000);
  EXPECT_EQ(plain.Hint(), "#80FF0000");
  // A float to a text property converts rather than taking the shortcut.
  hint.SetFloat(1.5f);
  EXPECT_EQ(plain.Hint(), "1.5");
}

}  // namespace
