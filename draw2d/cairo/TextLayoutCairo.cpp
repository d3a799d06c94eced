#include "draw2d/cairo/TextLayoutCairo.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <iterator>
#include <map>

#include "scene2d/stream/TextEncoding.h"

namespace {

// Far beyond any text a window shows, and small enough that Pango's fixed-point
// sizes cannot overflow on a font size read from a damaged file.
constexpr float MaxFontSize = 10000;

const char* const TahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};

// The installed fonts as the whole process sees them. Its own fontconfig
// configuration keeps the process's default one untouched.
PangoFontMap* SharedFontMap() {
  static PangoFontMap* map = [] {
    FcConfig* config = FcInitLoadConfigAndFonts();
    for (const char* file : TahomaFiles) {
      std::error_code error;
      if (std::filesystem::exists(file, error))
        FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file));
    }
    PangoFontMap* m = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(m), config);
    FcConfigDestroy(config);
    return m;
  }();
  return map;
}

// Which of regular, bold, italic and bold italic a family has as real faces.
struct TFamilyFaces {
  bool Found = false;
  std::string Name;
  bool Has[4] = {false, false, false, false};
};

TFamilyFaces LookUpFamily(PangoFontMap* Map, const std::string& Family) {
  TFamilyFaces result;
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(Map, &families, &count);
  for (int i = 0; i < count && !result.Found; ++i) {
    if (g_ascii_strcasecmp(pango_font_family_get_name(families[i]), Family.c_str()) != 0) continue;
    result.Found = true;
    result.Name = pango_font_family_get_name(families[i]);
    PangoFontFace** faces = nullptr;
    int faceCount = 0;
    pango_font_family_list_faces(families[i], &faces, &faceCount);
    for (int f = 0; f < faceCount; ++f) {
      if (pango_font_face_is_synthesized(faces[f])) continue;
      PangoFontDescription* d = pango_font_face_describe(faces[f]);
      const bool bold = pango_font_description_get_weight(d) >= PANGO_WEIGHT_SEMIBOLD;
      const bool italic = pango_font_description_get_style(d) != PANGO_STYLE_NORMAL;
      result.Has[(bold ? 1 : 0) + (italic ? 2 : 0)] = true;
      pango_font_description_free(d);
    }
    g_free(faces);
  }
  g_free(families);
  return result;
}

// The installed fonts never change while the process runs.
const TFamilyFaces& SharedFamily(const std::string& Family) {
  static std::map<std::string, TFamilyFaces> cache;
  std::string key = Family;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, LookUpFamily(SharedFontMap(), Family)).first;
  return it->second;
}

// Whether a family with these faces has Style; underline and strike-out are
// decorations of the regular face.
bool HasStyle(const TFamilyFaces& F, TuiFontStyle Style) {
  switch (Style) {
    case uxFontBold:
      return F.Has[1];
    case uxFontItalic:
      return F.Has[2];
    case uxFontBoldItalic:
      return F.Has[3];
    default:
      return F.Has[0];
  }
}

cairo_font_options_t* QualityOptions(bool GridFit) {
  cairo_font_options_t* o = cairo_font_options_create();
  // Grey-scale smoothing in both modes: colour fringes of sub-pixel smoothing
  // would show on the translucent windows.
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, GridFit ? CAIRO_HINT_STYLE_SLIGHT : CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, GridFit ? CAIRO_HINT_METRICS_ON : CAIRO_HINT_METRICS_OFF);
  return o;
}

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

}  // namespace

TuiCairoFonts::TuiCairoFonts() : FShared(pango_font_map_create_context(SharedFontMap())) {}

TuiCairoFonts::~TuiCairoFonts() {
  if (FLayout) g_object_unref(FLayout);
  if (FDescription) pango_font_description_free(FDescription);
  g_object_unref(FShared);
  if (FPrivate) g_object_unref(FPrivate);
  if (FPrivateMap) g_object_unref(FPrivateMap);
  if (FPrivateConfig) FcConfigDestroy(static_cast<FcConfig*>(FPrivateConfig));
  for (const std::string& file : FPrivateFiles) ::unlink(file.c_str());
}

PangoContext* TuiCairoFonts::ActiveContext() const {
  return FUsePrivate ? FPrivate : FShared;
}

void TuiCairoFonts::SetFont(const TuiFont& Font) {
  TFamilyFaces faces;
  FUsePrivate = false;
  if (FPrivateMap) {
    faces = LookUpFamily(FPrivateMap, Font.Family());
    FUsePrivate = faces.Found;
  }
  if (!faces.Found) faces = SharedFamily(Font.Family());
  TuiFontStyle style = Font.Style();
  FHasStyle = !faces.Found || HasStyle(faces, style);
  if (!FHasStyle) {
    for (uint8_t s = uxFontRegular; s <= uxFontStrikeout; ++s)
      if (HasStyle(faces, TuiFontStyle(s))) {
        style = TuiFontStyle(s);
        break;
      }
  }
  FFamily = faces.Found ? faces.Name : std::string("sans-serif");
  FUnderline = style == uxFontUnderline;
  FStrikeout = style == uxFontStrikeout;
  FGridFit = Font.ClearType();
  FValid = Font.Size() > 0 && std::isfinite(Font.Size());

  if (FDescription) pango_font_description_free(FDescription);
  FDescription = pango_font_description_new();
  pango_font_description_set_family(FDescription, FFamily.c_str());
  const bool bold = style == uxFontBold || style == uxFontBoldItalic;
  const bool italic = style == uxFontItalic || style == uxFontBoldItalic;
  pango_font_description_set_weight(FDescription, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(FDescription, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  if (FValid)
    pango_font_description_set_absolute_size(FDescription,
                                             double(std::min(Font.Size(), MaxFontSize)) * PANGO_SCALE);
  SetQuality(FGridFit);
}

void TuiCairoFonts::SetQuality(bool GridFit) {
  cairo_font_options_t* o = QualityOptions(GridFit);
  for (PangoContext* c : {FShared, FPrivate}) {
    if (!c) continue;
    pango_cairo_context_set_font_options(c, o);
    pango_context_set_round_glyph_positions(c, GridFit);
  }
  cairo_font_options_destroy(o);
}

bool TuiCairoFonts::LoadFont(std::istream& Stream) {
  const std::string data{std::istreambuf_iterator<char>(Stream), std::istreambuf_iterator<char>()};
  if (data.empty()) return false;
  // Pango reads font files by name, so the data goes into a file of this
  // canvas's own, removed with it.
  std::string path = (std::filesystem::temp_directory_path() / "uxfont-XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return false;
  const bool written = ::write(fd, data.data(), data.size()) == ssize_t(data.size());
  ::close(fd);
  if (!FPrivateConfig) FPrivateConfig = FcConfigCreate();
  auto* config = static_cast<FcConfig*>(FPrivateConfig);
  FcFontSet* before = FcConfigGetFonts(config, FcSetApplication);
  const int had = before ? before->nfont : 0;
  FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(path.c_str()));
  FcFontSet* after = FcConfigGetFonts(config, FcSetApplication);
  if (!written || !after || after->nfont == had) {
    ::unlink(path.c_str());
    return false;
  }
  FPrivateFiles.push_back(path);
  if (!FPrivateMap) {
    FPrivateMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(FPrivateMap), config);
    FPrivate = pango_font_map_create_context(FPrivateMap);
  } else {
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(FPrivateMap));
  }
  return true;
}

bool TuiCairoFonts::Layout(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                           TuiTextAlign HAlign, TuiTextAlign VAlign, bool MeasureTrailingSpaces) {
  FLines.clear();
  if (Text.empty() || !FValid) return false;
  PangoContext* pc = ActiveContext();
  if (Context)
    pango_cairo_update_context(Context, pc);
  else
    pango_context_set_matrix(pc, nullptr);
  if (FLayout) g_object_unref(FLayout);
  FLayout = pango_layout_new(pc);
  pango_layout_set_font_description(FLayout, FDescription);
  if (FUnderline || FStrikeout) {
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, FUnderline ? pango_attr_underline_new(PANGO_UNDERLINE_SINGLE)
                                             : pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(FLayout, attrs);
    pango_attr_list_unref(attrs);
  }
  const std::string utf8 = uxIsAscii(Text) ? std::string(Text) : uxCodePageToUtf8(Text);
  pango_layout_set_text(FLayout, utf8.data(), int(utf8.size()));
  const double width = double(Rect.Right) - Rect.Left, height = double(Rect.Bottom) - Rect.Top;
  // A rectangle without width leaves the lines unbounded, wrapping or not.
  if (WordWrap && width > 0 && width < 1e6) {
    pango_layout_set_width(FLayout, int(width * PANGO_SCALE));
    pango_layout_set_wrap(FLayout, PANGO_WRAP_WORD_CHAR);
  }
  PangoRectangle block;
  pango_layout_get_extents(FLayout, nullptr, &block);
  const double blockHeight = double(block.height) / PANGO_SCALE;
  double top = Rect.Top;
  if (VAlign == uxTextAlignCenter) top += (height - blockHeight) / 2;
  if (VAlign == uxTextAlignFar) top = Rect.Bottom - blockHeight;

  const char* text = pango_layout_get_text(FLayout);
  PangoLayoutIter* iter = pango_layout_get_iter(FLayout);
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    PangoRectangle logical, own;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    pango_layout_line_get_extents(line, nullptr, &own);
    double lineWidth = double(logical.width) / PANGO_SCALE;
    if (!MeasureTrailingSpaces) {
      // Alignment leaves trailing blanks out, as if they were not there.
      int end = line->start_index + line->length;
      while (end > line->start_index && IsBlank(text[end - 1])) --end;
      if (end != line->start_index + line->length) {
        int x = 0;
        if (end > line->start_index) pango_layout_line_index_to_x(line, end, FALSE, &x);
        lineWidth = double(x - own.x) / PANGO_SCALE;
      }
    }
    double x = Rect.Left;
    if (HAlign == uxTextAlignCenter) x += (width - lineWidth) / 2;
    if (HAlign == uxTextAlignFar) x = Rect.Right - lineWidth;
    FLines.push_back({line, x, top + double(logical.y) / PANGO_SCALE,
                      top + double(pango_layout_iter_get_baseline(iter)) / PANGO_SCALE,
                      double(logical.width) / PANGO_SCALE, double(logical.height) / PANGO_SCALE,
                      double(own.x) / PANGO_SCALE});
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return true;
}

void TuiCairoFonts::Draw(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                         TuiTextAlign HAlign, TuiTextAlign VAlign, bool AntiAlias) {
  const bool switched = AntiAlias && FGridFit;
  if (switched) SetQuality(false);
  if (Layout(Context, Rect, Text, WordWrap, HAlign, VAlign, false)) {
    for (const TLine& l : FLines) {
      cairo_move_to(Context, l.X - l.OwnX, l.Baseline);
      pango_cairo_show_layout_line(Context, l.Line);
    }
  }
  if (switched) SetQuality(true);
  cairo_new_path(Context);
}

bool TuiCairoFonts::Measure(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                            TuiTextAlign HAlign, TuiTextAlign VAlign, TuiRect& Result) {
  if (!Layout(Context, Rect, Text, WordWrap, HAlign, VAlign, true)) return false;
  bool first = true;
  for (const TLine& l : FLines) {
    const TuiRect box{float(l.X), float(l.Top), float(l.X + l.Width), float(l.Top + l.Height)};
    Result = first ? box : UnionRect(Result, box);
    first = false;
  }
  return !first;
}

bool TuiCairoFonts::ToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                           TuiTextAlign HAlign, TuiTextAlign VAlign) {
  if (!FHasStyle || Text.empty() || !FValid) return false;
  // Outlines are the font's own shapes, not fitted to any device grid.
  if (FGridFit) SetQuality(false);
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  if (Layout(cr, Rect, Text, WordWrap, HAlign, VAlign, false)) {
    for (const TLine& l : FLines) {
      cairo_move_to(cr, l.X - l.OwnX, l.Baseline);
      pango_cairo_layout_line_path(cr, l.Line);
    }
  }
  if (FGridFit) SetQuality(true);
  cairo_path_t* path = cairo_copy_path(cr);
  Path.Clear();
  for (int i = 0; path->status == CAIRO_STATUS_SUCCESS && i < path->num_data;
       i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    auto pt = [d](int k) { return TuiPoint{float(d[k].point.x), float(d[k].point.y)}; };
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO:
        Path.MoveTo(pt(1));
        break;
      case CAIRO_PATH_LINE_TO:
        Path.LineTo(pt(1));
        break;
      case CAIRO_PATH_CURVE_TO:
        Path.CurveTo(pt(1), pt(2), pt(3));
        break;
      case CAIRO_PATH_CLOSE_PATH:
        Path.ClosePath();
        break;
    }
  }
  cairo_path_destroy(path);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  return !Path.IsEmpty();
}
