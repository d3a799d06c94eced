#pragma once

#include <cairo.h>

#include <cstdint>
#include <iosfwd>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "draw2d/Canvas.h"

typedef struct _PangoAttrList PangoAttrList;
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
//
// Shaping is what text costs, and windows draw the same captions every frame,
// so laid-out texts are kept, the most recently used first, keyed by
// everything that shapes them: the text, the wrap width, the alignments, the
// device scale and whether glyphs are fitted to the grid. The font is the
// same for all of them: a font change drops them all. What they are kept
// with is bounded twice: by count, and by an estimate of their bytes, so that
// a few long texts cannot hold hundreds of megabytes.
class TuiCairoFonts {
 public:
  static constexpr size_t LayoutCacheLimit = 256;
  static constexpr size_t LayoutCacheBytes = size_t(32) << 20;
  // What a kept layout is reckoned to cost: Pango's glyphs, attributes and
  // lines take some hundred bytes per byte of text, on top of a fixed part.
  static constexpr size_t LayoutCost(size_t TextBytes) { return 1024 + 128 * TextBytes; }

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
  // Where the caret before each byte of Text stands on one line (see
  // TuiCanvas::TextOffsets); laid out piece by piece and kept by nobody.
  void Offsets(cairo_t* Context, std::string_view Text, std::vector<float>& Result);
  // False when the family lacks the requested style or nothing was converted.
  bool ToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
              TuiTextAlign HAlign, TuiTextAlign VAlign);

  // How many texts are kept laid out, what they are reckoned to cost, and how
  // many texts were ever laid out (pieces laid out for Offsets included).
  size_t CachedLayouts() const { return FLayouts.size(); }
  size_t CachedBytes() const { return FCachedBytes; }
  uint64_t LayoutsMade() const { return FLayoutsMade; }

 private:
  // A laid-out line, relative to the block's top; Width counts trailing
  // blanks, AlignWidth does not.
  struct TLine {
    PangoLayoutLine* Line;
    double Top, Baseline, Width, AlignWidth, Height, OwnX;
  };
  struct TLayoutKey {
    std::string_view Text;
    int WrapWidth;  // Pango units; -1 for unbounded lines
    TuiTextAlign HAlign, VAlign;
    bool GridFit;
    bool Device;      // laid out for a surface, not in the abstract
    double Scale[4];  // the device matrix without its translation
  };
  struct TEntry {
    std::string Text;  // what the key's view points at
    TLayoutKey Key;
    PangoLayout* Layout = nullptr;
    unsigned Serial = 0;  // the layout's, when Lines were read from it
    double BlockHeight = 0;
    std::vector<TLine> Lines;
  };
  struct TKeyHash {
    size_t operator()(const TLayoutKey& K) const;
  };
  struct TKeyEqual {
    bool operator()(const TLayoutKey& A, const TLayoutKey& B) const;
  };
  // One context per font map and grid fitting, so that switching the quality
  // never invalidates the layouts made for the other.
  struct TContext {
    PangoContext* Context = nullptr;
    bool HasScale = false;
    bool Device = false;
    double Scale[4] = {1, 0, 0, 1};
  };

  // The cached layout of Text, made when missing; none for no text or no
  // usable font. Valid until the next call.
  const TEntry* Layout(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                       TuiTextAlign HAlign, TuiTextAlign VAlign, bool GridFit);
  void ReadLines(TEntry& Entry);
  static double LineX(const TuiRect& Rect, TuiTextAlign HAlign, double LineWidth);
  static double BlockTop(const TuiRect& Rect, TuiTextAlign VAlign, double BlockHeight);
  void DropLayouts();
  TContext& ActiveContext(bool GridFit);
  // The active context for GridFit, its matrix set to Context's (none: the
  // abstract one); Scale gets that matrix without its translation.
  TContext& PreparedContext(cairo_t* Context, bool GridFit, double (&Scale)[4]);
  // A new layout of Text (in the code page) on Active with the font's
  // decoration.
  PangoLayout* NewLayout(TContext& Active, std::string_view Text);
  void ApplyDescription();

  TContext FShared[2];  // [GridFit]
  PangoFontMap* FPrivateMap = nullptr;
  TContext FPrivate[2];
  void* FPrivateConfig = nullptr;  // FcConfig*
  std::vector<std::string> FPrivateFiles;
  bool FUsePrivate = false;

  PangoFontDescription* FDescription = nullptr;
  std::string FFamily;
  bool FUnderline = false, FStrikeout = false;
  bool FHasStyle = true;
  bool FGridFit = true;
  bool FValid = false;

  PangoAttrList* FAttributes = nullptr;  // the decoration, if any

  std::list<TEntry> FOrder;  // most recently used first
  std::unordered_map<TLayoutKey, std::list<TEntry>::iterator, TKeyHash, TKeyEqual> FLayouts;
  size_t FCachedBytes = 0;
  uint64_t FLayoutsMade = 0;
};
