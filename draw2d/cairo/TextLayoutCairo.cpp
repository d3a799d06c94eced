#include "draw2d/cairo/TextLayoutCairo.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <istream>
#include <iterator>
#include <map>

#include "scene2d/stream/TextEncoding.h"

namespace {

// Far beyond any text a window shows, and small enough that Pango's fixed-point
// sizes cannot overflow on a font size read from a damaged file.
constexpr float MaxFontSize = 10000;

const char* const TahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};

// The program's own faces. With all of them present a configuration of just
// these files serves every window: it takes about a millisecond to build,
// where the system's whole configuration (its rules, its font directories and
// their caches) takes several, and Pango would load that once more in a
// thread of its own.
bool HaveOwnFaces() {
  for (const char* file : TahomaFiles) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return false;
  }
  return true;
}

FcConfig* NewConfig(bool Lean) {
  FcConfig* config = Lean ? FcConfigCreate() : FcInitLoadConfigAndFonts();
  for (const char* file : TahomaFiles) {
    std::error_code error;
    if (std::filesystem::exists(file, error))
      FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file));
  }
  return config;
}

struct TSharedFonts {
  PangoFontMap* Map = nullptr;
  // Only the program's own faces are known so far.
  bool Lean = false;
};

TSharedFonts& SharedFonts() {
  static TSharedFonts fonts = [] {
    TSharedFonts f;
    f.Lean = HaveOwnFaces();
    FcConfig* config = NewConfig(f.Lean);
    // The lean one is made the process's current configuration before the map
    // exists, so that Pango's start-up finds one and loads nothing more.
    if (f.Lean) FcConfigSetCurrent(config);
    f.Map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(f.Map), config);
    FcConfigDestroy(config);
    return f;
  }();
  return fonts;
}

// From the program's own faces to all the system's, for good.
void WidenToSystemFonts() {
  TSharedFonts& fonts = SharedFonts();
  if (!fonts.Lean) return;
  FcConfig* config = NewConfig(false);
  FcConfigSetCurrent(config);
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fonts.Map), config);
  FcConfigDestroy(config);
  fonts.Lean = false;
}

PangoFontMap* SharedFontMap() {
  return SharedFonts().Map;
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
  if (it == cache.end()) {
    TFamilyFaces faces = LookUpFamily(SharedFontMap(), Family);
    // A family other than the program's own needs the system's fonts.
    if (!faces.Found && SharedFonts().Lean) {
      WidenToSystemFonts();
      faces = LookUpFamily(SharedFontMap(), Family);
    }
    it = cache.emplace(key, std::move(faces)).first;
  }
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

void SetQuality(PangoContext* Context, bool GridFit) {
  cairo_font_options_t* o = QualityOptions(GridFit);
  pango_cairo_context_set_font_options(Context, o);
  pango_context_set_round_glyph_positions(Context, GridFit);
  cairo_font_options_destroy(o);
}

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

}  // namespace

TuiCairoFonts::TuiCairoFonts() {
  for (bool gridFit : {false, true}) {
    PangoContext* c = pango_font_map_create_context(SharedFontMap());
    SetQuality(c, gridFit);
    FShared[gridFit].Context = c;
  }
}

TuiCairoFonts::~TuiCairoFonts() {
  DropLayouts();
  if (FAttributes) pango_attr_list_unref(FAttributes);
  if (FDescription) pango_font_description_free(FDescription);
  for (TContext* set : {FShared, FPrivate})
    for (int i = 0; i < 2; ++i)
      if (set[i].Context) g_object_unref(set[i].Context);
  if (FPrivateMap) g_object_unref(FPrivateMap);
  if (FPrivateConfig) FcConfigDestroy(static_cast<FcConfig*>(FPrivateConfig));
  for (const std::string& file : FPrivateFiles) ::unlink(file.c_str());
}

TuiCairoFonts::TContext& TuiCairoFonts::ActiveContext(bool GridFit) {
  return FUsePrivate ? FPrivate[GridFit] : FShared[GridFit];
}

void TuiCairoFonts::SetFont(const TuiFont& Font) {
  TFamilyFaces faces;
  bool usePrivate = false;
  if (FPrivateMap) {
    faces = LookUpFamily(FPrivateMap, Font.Family());
    usePrivate = faces.Found;
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
  const bool underline = style == uxFontUnderline, strikeout = style == uxFontStrikeout;
  const bool valid = Font.Size() > 0 && std::isfinite(Font.Size());
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, faces.Found ? faces.Name.c_str() : "sans-serif");
  const bool bold = style == uxFontBold || style == uxFontBoldItalic;
  const bool italic = style == uxFontItalic || style == uxFontBoldItalic;
  pango_font_description_set_weight(d, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  if (valid)
    pango_font_description_set_absolute_size(d, double(std::min(Font.Size(), MaxFontSize)) * PANGO_SCALE);
  FGridFit = Font.ClearType();
  // A font that resolves as before keeps the texts laid out with it.
  if (FDescription && pango_font_description_equal(d, FDescription) && usePrivate == FUsePrivate &&
      underline == FUnderline && strikeout == FStrikeout && valid == FValid) {
    pango_font_description_free(d);
    return;
  }
  if (FDescription) pango_font_description_free(FDescription);
  FDescription = d;
  FFamily = faces.Found ? faces.Name : std::string("sans-serif");
  FUsePrivate = usePrivate;
  FUnderline = underline;
  FStrikeout = strikeout;
  FValid = valid;
  if (FAttributes) pango_attr_list_unref(FAttributes);
  FAttributes = nullptr;
  if (FUnderline || FStrikeout) {
    FAttributes = pango_attr_list_new();
    pango_attr_list_insert(FAttributes, FUnderline ? pango_attr_underline_new(PANGO_UNDERLINE_SINGLE)
                                                   : pango_attr_strikethrough_new(TRUE));
  }
  ApplyDescription();
}

void TuiCairoFonts::ApplyDescription() {
  DropLayouts();
  for (TContext* set : {FShared, FPrivate})
    for (int i = 0; i < 2; ++i)
      if (set[i].Context) pango_context_set_font_description(set[i].Context, FDescription);
}

void TuiCairoFonts::DropLayouts() {
  FLayouts.clear();
  for (TEntry& e : FOrder) g_object_unref(e.Layout);
  FOrder.clear();
  FCachedBytes = 0;
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
    for (bool gridFit : {false, true}) {
      PangoContext* c = pango_font_map_create_context(FPrivateMap);
      SetQuality(c, gridFit);
      if (FDescription) pango_context_set_font_description(c, FDescription);
      FPrivate[gridFit] = TContext{c};
    }
  } else {
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(FPrivateMap));
  }
  // The new faces may change what the same font resolves to.
  DropLayouts();
  return true;
}

size_t TuiCairoFonts::TKeyHash::operator()(const TLayoutKey& K) const {
  size_t h = std::hash<std::string_view>()(K.Text);
  auto mix = [&h](size_t V) { h ^= V + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
  mix(size_t(K.WrapWidth));
  mix(size_t(K.HAlign) | size_t(K.VAlign) << 8 | size_t(K.GridFit) << 16 | size_t(K.Device) << 17);
  for (double v : K.Scale) mix(std::hash<double>()(v));
  return h;
}

bool TuiCairoFonts::TKeyEqual::operator()(const TLayoutKey& A, const TLayoutKey& B) const {
  return A.Text == B.Text && A.WrapWidth == B.WrapWidth && A.HAlign == B.HAlign && A.VAlign == B.VAlign &&
         A.GridFit == B.GridFit && A.Device == B.Device &&
         std::equal(std::begin(A.Scale), std::end(A.Scale), std::begin(B.Scale));
}

TuiCairoFonts::TContext& TuiCairoFonts::PreparedContext(cairo_t* Context, bool GridFit, double (&Scale)[4]) {
  const double identity[4] = {1, 0, 0, 1};
  std::copy(std::begin(identity), std::end(identity), std::begin(Scale));
  if (Context) {
    cairo_matrix_t m;
    cairo_get_matrix(Context, &m);
    Scale[0] = m.xx;
    Scale[1] = m.yx;
    Scale[2] = m.xy;
    Scale[3] = m.yy;
  }
  // The context's matrix shapes the glyphs; setting it, even to the same
  // value, marks every layout made on it for shaping again.
  TContext& active = ActiveContext(GridFit);
  const bool device = Context != nullptr;
  if (!active.HasScale || active.Device != device ||
      !std::equal(std::begin(Scale), std::end(Scale), std::begin(active.Scale))) {
    if (Context)
      pango_cairo_update_context(Context, active.Context);
    else
      pango_context_set_matrix(active.Context, nullptr);
    active.HasScale = true;
    active.Device = device;
    std::copy(std::begin(Scale), std::end(Scale), std::begin(active.Scale));
  }
  return active;
}

PangoLayout* TuiCairoFonts::NewLayout(TContext& Active, std::string_view Text) {
  PangoLayout* layout = pango_layout_new(Active.Context);
  ++FLayoutsMade;
  if (FAttributes) pango_layout_set_attributes(layout, FAttributes);
  const std::string utf8 = uxIsAscii(Text) ? std::string(Text) : uxCodePageToUtf8(Text);
  pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
  return layout;
}

const TuiCairoFonts::TEntry* TuiCairoFonts::Layout(cairo_t* Context, const TuiRect& Rect,
                                                   std::string_view Text, bool WordWrap, TuiTextAlign HAlign,
                                                   TuiTextAlign VAlign, bool GridFit) {
  if (Text.empty() || !FValid) return nullptr;
  Text = Text.substr(0, TuiCanvas::MaxLaidOutText);
  TLayoutKey key{Text, -1, HAlign, VAlign, GridFit, Context != nullptr, {1, 0, 0, 1}};
  TContext& active = PreparedContext(Context, GridFit, key.Scale);
  const double width = double(Rect.Right) - Rect.Left;
  // A rectangle without width leaves the lines unbounded, wrapping or not.
  if (WordWrap && width > 0 && width < 1e6) key.WrapWidth = int(width * PANGO_SCALE);

  auto found = FLayouts.find(key);
  if (found != FLayouts.end()) {
    TEntry& entry = *found->second;
    FOrder.splice(FOrder.begin(), FOrder, found->second);
    // A layout whose context changed since is shaped again on first use; its
    // old lines are gone then.
    if (pango_layout_get_serial(entry.Layout) != entry.Serial) ReadLines(entry);
    return &entry;
  }

  const size_t cost = LayoutCost(Text.size());
  while (!FOrder.empty() && (FLayouts.size() >= LayoutCacheLimit || FCachedBytes + cost > LayoutCacheBytes)) {
    FLayouts.erase(FOrder.back().Key);
    g_object_unref(FOrder.back().Layout);
    FCachedBytes -= LayoutCost(FOrder.back().Text.size());
    FOrder.pop_back();
  }
  FOrder.emplace_front();
  TEntry& entry = FOrder.front();
  entry.Text = std::string(Text);
  entry.Key = key;
  entry.Key.Text = entry.Text;
  entry.Layout = NewLayout(active, Text);
  FCachedBytes += cost;
  if (key.WrapWidth >= 0) {
    pango_layout_set_width(entry.Layout, key.WrapWidth);
    pango_layout_set_wrap(entry.Layout, PANGO_WRAP_WORD_CHAR);
  }
  ReadLines(entry);
  FLayouts.emplace(entry.Key, FOrder.begin());
  return &entry;
}

void TuiCairoFonts::ReadLines(TEntry& Entry) {
  PangoLayout* layout = Entry.Layout;
  Entry.Lines.clear();
  PangoRectangle block;
  pango_layout_get_extents(layout, nullptr, &block);
  Entry.BlockHeight = double(block.height) / PANGO_SCALE;
  const char* text = pango_layout_get_text(layout);
  PangoLayoutIter* iter = pango_layout_get_iter(layout);
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    PangoRectangle logical, own;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    pango_layout_line_get_extents(line, nullptr, &own);
    const double lineWidth = double(logical.width) / PANGO_SCALE;
    double alignWidth = lineWidth;
    // Drawn text is aligned as if its trailing blanks were not there.
    int end = line->start_index + line->length;
    while (end > line->start_index && IsBlank(text[end - 1])) --end;
    if (end != line->start_index + line->length) {
      int x = 0;
      if (end > line->start_index) pango_layout_line_index_to_x(line, end, FALSE, &x);
      alignWidth = double(x - own.x) / PANGO_SCALE;
    }
    Entry.Lines.push_back({line, double(logical.y) / PANGO_SCALE,
                           double(pango_layout_iter_get_baseline(iter)) / PANGO_SCALE, lineWidth, alignWidth,
                           double(logical.height) / PANGO_SCALE, double(own.x) / PANGO_SCALE});
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  Entry.Serial = pango_layout_get_serial(layout);
}

double TuiCairoFonts::LineX(const TuiRect& Rect, TuiTextAlign HAlign, double LineWidth) {
  const double width = double(Rect.Right) - Rect.Left;
  double x = Rect.Left;
  if (HAlign == uxTextAlignCenter) x += (width - LineWidth) / 2;
  if (HAlign == uxTextAlignFar) x = Rect.Right - LineWidth;
  return x;
}

double TuiCairoFonts::BlockTop(const TuiRect& Rect, TuiTextAlign VAlign, double BlockHeight) {
  const double height = double(Rect.Bottom) - Rect.Top;
  double top = Rect.Top;
  if (VAlign == uxTextAlignCenter) top += (height - BlockHeight) / 2;
  if (VAlign == uxTextAlignFar) top = Rect.Bottom - BlockHeight;
  return top;
}

void TuiCairoFonts::Draw(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                         TuiTextAlign HAlign, TuiTextAlign VAlign, bool AntiAlias) {
  if (const TEntry* e = Layout(Context, Rect, Text, WordWrap, HAlign, VAlign, FGridFit && !AntiAlias)) {
    const double top = BlockTop(Rect, VAlign, e->BlockHeight);
    for (const TLine& l : e->Lines) {
      cairo_move_to(Context, LineX(Rect, HAlign, l.AlignWidth) - l.OwnX, top + l.Baseline);
      pango_cairo_show_layout_line(Context, l.Line);
    }
  }
  cairo_new_path(Context);
}

bool TuiCairoFonts::Measure(cairo_t* Context, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                            TuiTextAlign HAlign, TuiTextAlign VAlign, TuiRect& Result) {
  const TEntry* e = Layout(Context, Rect, Text, WordWrap, HAlign, VAlign, FGridFit);
  if (!e) return false;
  const double top = BlockTop(Rect, VAlign, e->BlockHeight);
  bool first = true;
  for (const TLine& l : e->Lines) {
    const double x = LineX(Rect, HAlign, l.Width), y = top + l.Top;
    const TuiRect box{float(x), float(y), float(x + l.Width), float(y + l.Height)};
    Result = first ? box : UnionRect(Result, box);
    first = false;
  }
  return !first;
}

void TuiCairoFonts::Offsets(cairo_t* Context, std::string_view Text, std::vector<float>& Result) {
  Result.assign(Text.size() + 1, 0);
  if (Text.empty() || !FValid) return;
  double scale[4];
  TContext& active = PreparedContext(Context, FGridFit, scale);
  double start = 0;
  for (size_t from = 0; from < Text.size(); from += TuiCanvas::MaxLaidOutText) {
    const std::string_view piece = Text.substr(from, TuiCanvas::MaxLaidOutText);
    PangoLayout* layout = NewLayout(active, piece);
    // Every byte of the code page is one character: the iterator's byte
    // indices in the UTF-8 text map back to the bytes of Piece.
    const char* text = pango_layout_get_text(layout);
    const size_t size = std::strlen(text);
    std::vector<uint32_t> charAt(size + 1, uint32_t(piece.size()));
    uint32_t chars = 0;
    for (const char* p = text; p < text + size; p = g_utf8_next_char(p)) charAt[size_t(p - text)] = chars++;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
      const auto index = size_t(pango_layout_iter_get_index(iter));
      if (index >= size) continue;
      PangoRectangle r;
      pango_layout_iter_get_char_extents(iter, &r);
      if (charAt[index] < piece.size())
        Result[from + charAt[index]] = float(start + double(r.x) / PANGO_SCALE);
    } while (pango_layout_iter_next_char(iter));
    pango_layout_iter_free(iter);
    PangoRectangle line;
    pango_layout_get_extents(layout, nullptr, &line);
    start += double(line.width) / PANGO_SCALE;
    Result[from + piece.size()] = float(start);
    g_object_unref(layout);
  }
}

bool TuiCairoFonts::ToPath(TuiPathData& Path, const TuiRect& Rect, std::string_view Text, bool WordWrap,
                           TuiTextAlign HAlign, TuiTextAlign VAlign) {
  if (!FHasStyle || Text.empty() || !FValid) return false;
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  // Outlines are the font's own shapes, not fitted to any device grid.
  if (const TEntry* e = Layout(cr, Rect, Text, WordWrap, HAlign, VAlign, false)) {
    const double top = BlockTop(Rect, VAlign, e->BlockHeight);
    for (const TLine& l : e->Lines) {
      cairo_move_to(cr, LineX(Rect, HAlign, l.AlignWidth) - l.OwnX, top + l.Baseline);
      pango_cairo_layout_line_path(cr, l.Line);
    }
  }
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
