#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "scene2d/ClassInfo.h"
#include "scene2d/Persistent.h"

// The font of every text of the 2D scene. One style, not a set: the
// combinations a platform font can carry beyond bold and italic have no style
// of their own.

enum TuiFontStyle : uint8_t {
  uxFontRegular,
  uxFontBold,
  uxFontItalic,
  uxFontBoldItalic,
  uxFontUnderline,
  uxFontStrikeout,
};
UX_ENUM(TuiFontStyle, "uxFontRegular", "uxFontBold", "uxFontItalic", "uxFontBoldItalic", "uxFontUnderline",
        "uxFontStrikeout")

// A platform font as the window system describes it: the height in pixels is
// negative for a character height, and the style is a set of flags.
enum TuiFontFlag : uint8_t { fdBold = 1, fdItalic = 2, fdUnderline = 4, fdStrikeOut = 8 };
struct TuiFontDescription {
  std::string FaceName;
  int32_t Height = 0;
  uint8_t Flags = 0;  // TuiFontFlag bits
};

class TuiFont : public TuiPersistent {
  UX_CLASS(TuiFont, TuiPersistent)
 public:
  TuiFont() = default;

  // Compared exactly when streaming: "tahoma" is not the default.
  const std::string& Family() const { return FFamily; }
  void SetFamily(const std::string& Value);
  // Em height in scene units (pixels at scale 1).
  float Size() const { return FSize; }
  void SetSize(float Value);
  TuiFontStyle Style() const { return FStyle; }
  void SetStyle(TuiFontStyle Value);
  // Sub-pixel rather than grey-scale smoothing.
  bool ClearType() const { return FClearType; }
  void SetClearType(bool Value);

  // Each notifies once when anything changed.
  void Assign(const TuiFont& Source);
  // Size from the height's magnitude; a flag set other than none, bold, italic
  // or both keeps the style.
  void Assign(const TuiFontDescription& Source);
  // Raises "Cannot assign a <class> to a TuiFont" for other classes.
  void Assign(const TuiPersistent& Source);
  // Height -Round(Size); underline and strike-out styles keep the flags.
  void AssignTo(TuiFontDescription& Dest) const;

  std::function<void(TuiFont* Sender)> OnChanged;

  static void DefineProperties(TuiClassBuilder<TuiFont>& C);

 private:
  void Changed();

  std::string FFamily = "Tahoma";
  float FSize = 11;
  TuiFontStyle FStyle = uxFontRegular;
  bool FClearType = true;
};
