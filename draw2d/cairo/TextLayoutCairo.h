#pragma once

#include <cairo.h>

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "draw2d/Canvas.h"

typedef struct _PangoContext PangoContext;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoLayoutLine PangoLayoutLine;

// The fonts and text layout of one canvas, on Pango.
//
// Families are looked up first among the canvas's private fonts (loaded from
// streams into a fontconfig set of their own), then among the installed fonts,
// which the process sees through one font map of its own: fontconfig's fonts
// plus the metric-compatible Tahoma that fonts-wine ships, added when its files
// exist. A family found nowhere becomes fontconfig's sans-serif.
//
// Layout: lines of the text (one per line break, or wrapped at words within
// the rectangle's width) are stacked from the block's top; the block sits at
// the top, middle or bottom of the rectangle and each line at its left,
// centre or right, whether or not it fits. Nothing is clipped.
class TuiCairoFonts {
 public:
  TuiCairoFonts();
  ~TuiCairoFonts();
  TuiCairoFonts(const TuiCairoFonts&) = delete;
  TuiCairoFonts& operator=(const TuiCairoFonts&) = delete;

  // Resolves family and style: a style the family lacks becomes the first of
  // regular, bold, italic, bold italic, underline, strike-out that it has.
  void SetFont(const TuiFont& Font);
  const std::string& ResolvedFamily() const { return FFamily; }
  bool LoadFont(std::istream& Stream);

  // Lays Text out and draws it with the context's source. Context's matrix
  // decides the device; AntiAlias drops grid fitting for this call.
  void Draw(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap, TuiTextAlign HAlign,
            TuiTextAlign VAlign, bool AntiAlias);
  // The union of the lines' boxes, trailing spaces included; false for no
  // text or no usable font. Context may be none (no surface yet).
  bool Measure(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
               TuiTextAlign HAlign, TuiTextAlign VAlign, TuiRect& Result);
  // False when the family lacks the requested style or nothing was converted.
  bool ToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
              TuiTextAlign HAlign, TuiTextAlign VAlign);

 private:
  struct TLine {
    PangoLayoutLine* Line;
    double X, Top, Baseline, Width, Height, OwnX;
  };
  // Builds the layout into FLayout and the placed lines into FLines.
  bool Layout(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
              TuiTextAlign HAlign, TuiTextAlign VAlign, bool MeasureTrailingSpaces);
  void SetQuality(bool GridFit);
  PangoContext* ActiveContext() const;

  PangoContext* FShared = nullptr;
  PangoFontMap* FPrivateMap = nullptr;
  PangoContext* FPrivate = nullptr;
  void* FPrivateConfig = nullptr;  // FcConfig*
  std::vector<std::string> FPrivateFiles;
  bool FUsePrivate = false;

  PangoFontDescription* FDescription = nullptr;
  std::string FFamily;
  bool FUnderline = false, FStrikeout = false;
  bool FHasStyle = true;
  bool FGridFit = true;
  bool FValid = false;

  PangoLayout* FLayout = nullptr;
  std::vector<TLine> FLines;
};
