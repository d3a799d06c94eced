#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "draw2d/Brush.h"
#include "draw2d/Font.h"
#include "scene2d/Errors.h"

namespace {

struct FontRow {
  const char* Property;
  TuiPropValue Changed;
};

// Each property with a value other than its default.
const FontRow Rows[] = {
    {"Family", std::string("Segoe UI")},
    {"Size", 13.0},
    {"Style", int64_t(uxFontBold)},
    {"ClearType", false},
};

TEST(Font, WritesOnlyPropertiesThatDifferFromTheDefaults) {
  for (const FontRow& row : Rows) {
    TuiFont f;
    const TuiPropertyInfo* p = TuiFont::StaticClass().FindProperty(row.Property);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->IsStored(f)) << row.Property << " at its default";
    f.SetProperty(row.Property, row.Changed);
    EXPECT_TRUE(p->IsStored(f)) << row.Property << " changed";
    EXPECT_EQ(f.GetProperty(row.Property), row.Changed);
  }
  // The comparison with the default family is exact.
  TuiFont f;
  f.SetFamily("tahoma");
  EXPECT_TRUE(TuiFont::StaticClass().FindProperty("Family")->IsStored(f));
}

TEST(Font, NotifiesOncePerRealChange) {
  TuiFont f;
  int changes = 0;
  f.OnChanged = [&](TuiFont* Sender) {
    EXPECT_EQ(Sender, &f);
    ++changes;
  };
  for (const FontRow& row : Rows) {
    changes = 0;
    f.SetProperty(row.Property, row.Changed);
    f.SetProperty(row.Property, row.Changed);
    EXPECT_EQ(changes, 1) << row.Property;
  }
  TuiFont other;
  changes = 0;
  f.Assign(other);
  EXPECT_EQ(changes, 1) << "four properties, one notification";
  f.Assign(other);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.Family(), "Tahoma");
  EXPECT_EQ(f.Size(), 11);
  EXPECT_TRUE(f.ClearType());
}

TEST(Font, PlatformDescriptionsMapBothWays) {
  TuiFont f;
  f.Assign(TuiFontDescription{"Arial", -13, fdBold | fdItalic});
  EXPECT_EQ(f.Family(), "Arial");
  EXPECT_EQ(f.Size(), 13);
  EXPECT_EQ(f.Style(), uxFontBoldItalic);
  TuiFontDescription d{"x", 0, fdUnderline};
  f.AssignTo(d);
  EXPECT_EQ(d.FaceName, "Arial");
  EXPECT_EQ(d.Height, -13);
  EXPECT_EQ(d.Flags, fdBold | fdItalic);

  // Flag sets beyond bold and italic have no style: the style stays.
  f.Assign(TuiFontDescription{"Arial", 20, fdBold | fdUnderline});
  EXPECT_EQ(f.Style(), uxFontBoldItalic);
  EXPECT_EQ(f.Size(), 20);
  f.Assign(TuiFontDescription{"Arial", 20, 0});
  EXPECT_EQ(f.Style(), uxFontRegular);

  // Underline and strike-out styles leave the description's flags; sizes round
  // half to even.
  f.SetStyle(uxFontStrikeout);
  f.SetSize(12.5f);
  d.Flags = fdUnderline;
  f.AssignTo(d);
  EXPECT_EQ(d.Flags, fdUnderline);
  EXPECT_EQ(d.Height, -12);
  f.SetSize(NAN);
  f.AssignTo(d);
  EXPECT_EQ(d.Height, 0);

  TuiBrush brush(uxBrushSolid, 0);
  try {
    f.Assign(static_cast<const TuiPersistent&>(brush));
    ADD_FAILURE() << "no error";
  } catch (const EuxConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TuiBrush to a TuiFont");
  }
}

}  // namespace
