#include "controls/TextBox.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <variant>

#include "controls/Content.h"
#include "draw2d/BrushObject.h"
#include "platform/Clipboard.h"
#include "scene2d/stream/TextEncoding.h"

UX_IMPLEMENT_CLASS(TuiCustomTextBox)
UX_IMPLEMENT_CLASS(TuiTextBox)
UX_IMPLEMENT_CLASS(TuiHudTextBox)

namespace {

constexpr uint16_t VkBack = 8;
constexpr uint16_t VkReturn = 13;
constexpr uint16_t VkEnd = 35;
constexpr uint16_t VkHome = 36;
constexpr uint16_t VkLeft = 37;
constexpr uint16_t VkRight = 39;
constexpr uint16_t VkInsert = 45;
constexpr uint16_t VkDelete = 46;
// The I-beam.
constexpr int32_t CursorIBeam = -4;

std::u16string Encode(char32_t Char) {
  if (Char < 0x10000) return std::u16string(1, char16_t(Char));
  Char -= 0x10000;
  return {char16_t(0xD800 + (Char >> 10)), char16_t(0xDC00 + (Char & 0x3FF))};
}

std::string Utf8(std::u16string_view Text) {
  std::string result;
  uxUtf16ToUtf8(Text, result, true);
  return result;
}

std::string DataText(const TuiData& Value) {
  struct TVisitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool B) const { return B ? "True" : "False"; }
    std::string operator()(int64_t I) const { return std::to_string(I); }
    std::string operator()(double D) const {
      // The shortest text that reads back the same, never in a locale's form.
      char buf[32];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, D);
      return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    std::string operator()(const std::string& S) const { return S; }
  };
  return std::visit(TVisitor{}, Value);
}

}  // namespace

void TuiCustomTextBox::DefineProperties(TuiClassBuilder<TuiCustomTextBox>& C) {
  C.Default("Cursor", CursorIBeam);
  C.Property<bool, bool>("CanFocused", &TuiCustomTextBox::CanFocused, &TuiCustomTextBox::SetCanFocused, true);
  C.Property<bool, bool>("DisableFocusEffect", &TuiCustomTextBox::DisableFocusEffect,
                         &TuiCustomTextBox::SetDisableFocusEffect, false);
  C.Object("Font", &TuiCustomTextBox::Font);
  C.Property("TextAlign", &TuiCustomTextBox::TextAlign, &TuiCustomTextBox::SetTextAlign, uxTextAlignNear);
  C.Reference<TuiControl>("BindingSource", &TuiCustomTextBox::BindingSource,
                          &TuiCustomTextBox::SetBindingSource);
  C.Property("ReadOnly", &TuiCustomTextBox::ReadOnly, &TuiCustomTextBox::SetReadOnly);
  C.Property("MaxLength", &TuiCustomTextBox::MaxLength, &TuiCustomTextBox::SetMaxLength, 0);
  C.Event("OnChange", &TuiCustomTextBox::OnChange);
  C.Event("OnChangeTracking", &TuiCustomTextBox::OnChangeTracking);
  C.Event("OnTyping", &TuiCustomTextBox::OnTyping);
}

void TuiTextBox::DefineProperties(TuiClassBuilder<TuiTextBox>& C) {
  C.Property<bool, bool>("Password", &TuiTextBox::Password, &TuiTextBox::SetPassword);
  C.Property<std::string, const std::string&>("Text", &TuiTextBox::TextCodePage,
                                              &TuiTextBox::SetTextCodePage);
}

TuiCustomTextBox::TuiCustomTextBox(TuiComponent* Owner)
    : TuiControl(Owner),
      FForeground(std::make_unique<TuiBrush>(uxBrushSolid, 0xFF000000)),
      FFont(std::make_unique<TuiFont>()),
      FSelectionBrush(std::make_unique<TuiBrush>(uxBrushSolid, 0x802A8ADF)) {
  FFont->OnChanged = [this](TuiFont*) { FontChanged(); };
  FForeground->OnChanged = [this](TuiBrush*) { Repaint(); };
  SetCanFocused(true);
  SetCursor(CursorIBeam);
  SetAutoCapture(true);
  SetWidth(100);
  SetHeight(22);
}

TuiCustomTextBox::~TuiCustomTextBox() = default;

// ---- text ----

void TuiCustomTextBox::SetText(const std::u16string& Value) {
  if (Value == FText) return;
  FText = Value;
  TextLookChanged();
  if (FCaretPosition > int(FText.size())) PlaceCaret(int(FText.size()));
  if (!IsLoading() && OnChangeTracking) OnChangeTracking(this);
  FChanged = true;
  Invalidate();
}

std::string TuiCustomTextBox::TextUtf8() const {
  return Utf8(FText);
}

std::string TuiCustomTextBox::TextCodePage() const {
  return uxUtf16ToCodePage(FText);
}

void TuiCustomTextBox::SetTextCodePage(const std::string& Value) {
  SetText(uxCodePageToUtf16(Value));
}

void TuiCustomTextBox::SetTextAlign(TuiTextAlign Value) {
  if (Value == FTextAlign) return;
  FTextAlign = Value;
  Repaint();
}

void TuiCustomTextBox::SetPassword(bool Value) {
  if (Value == FPassword) return;
  FPassword = Value;
  TextLookChanged();
  Repaint();
}

void TuiCustomTextBox::FontChanged() {
  TextLookChanged();
  Invalidate();
}

TuiData TuiCustomTextBox::GetData() {
  return TextCodePage();
}

void TuiCustomTextBox::SetData(const TuiData& Value) {
  SetTextCodePage(DataText(Value));
}

// ---- caret and selection ----

void TuiCustomTextBox::SelectionRange(int& Low, int& High) const {
  const int len = int(FText.size());
  Low = std::clamp(std::min(FSelStart, FSelStart + FSelLength), 0, len);
  High = std::clamp(std::max(FSelStart, FSelStart + FSelLength), 0, len);
}

std::u16string TuiCustomTextBox::SelText() const {
  int lo, hi;
  SelectionRange(lo, hi);
  return FText.substr(size_t(lo), size_t(hi - lo));
}

void TuiCustomTextBox::PlaceCaret(int Position) {
  FCaretPosition = std::clamp(Position, 0, int(FText.size()));
  ScrollToCaret();
  if (FSelLength == 0) FSelStart = FCaretPosition;
  Repaint();
  if (!IsFocused() || !FShowCaret) return;
  const float height = FFont->Size() * 1.25f;
  const TuiRect content = ContentRect();
  SetCaretSize({2, height});
  SetCaretPosition(TuiPoint{CaretX(FCaretPosition) - 1, (content.Top + content.Bottom - height) / 2});
  SetCaretColor(FForeground->ColorValue());
}

void TuiCustomTextBox::SetSelStart(int Value) {
  FSelLength = 0;
  PlaceCaret(Value);
}

void TuiCustomTextBox::SetSelLength(int Value) {
  if (Value == FSelLength) return;
  FSelLength = Value;
  Repaint();
}

void TuiCustomTextBox::FollowCaret(int OldCaret, bool Extend) {
  if (Extend) {
    FSelLength += OldCaret - FCaretPosition;
  } else {
    FSelLength = 0;
  }
  FSelStart = FCaretPosition;
  Repaint();
}

void TuiCustomTextBox::ScrollToCaret() {
  const int caret = FCaretPosition;
  const int len = int(FText.size());
  if (caret + 1 <= FFirstVisible) {
    FFirstVisible = caret == 0 ? 1 : caret;
    return;
  }
  const float room = ContentRect().Width();
  if (FPassword) {
    const float cell = FFont->Size() / 2;
    while (cell * float(caret - FFirstVisible + 1) > room && FFirstVisible < len) ++FFirstVisible;
    return;
  }
  // Whether the units from one-based From up to the caret overflow the room.
  auto overflows = [&](int From) { return From <= caret && SpanWidth(From - 1, caret) > room; };
  // Long texts scroll in big steps first, so that a jump to the end of a
  // long line takes a few dozen steps rather than one per unit.
  while (FFirstVisible < len && overflows(FFirstVisible)) {
    int step = 1;
    for (int big : {500, 100, 50, 10})
      if (overflows(FFirstVisible + big)) {
        step = big;
        break;
      }
    FFirstVisible += step;
  }
}

// ---- geometry ----

TuiCanvas* TuiCustomTextBox::MeasureCanvas() {
  if (TuiCanvas* canvas = Canvas()) return canvas;
  // Outside a host the box still measures, on a canvas of its own kind that
  // lives as long as the process.
  static TuiCanvas* scratch = TuiCanvas::CreateCanvas(1, 1).release();
  return scratch;
}

TuiRect TuiCustomTextBox::ContentRect() {
  auto* content = FindPart<TuiContent>("content");
  if (!content) return GetLocalRect();
  const TuiPoint p = content->Position()->Point();
  return {p.X, p.Y, p.X + content->Width(), p.Y + content->Height()};
}

const std::vector<float>& TuiCustomTextBox::Offsets() {
  TuiCanvas* canvas = FPassword ? nullptr : MeasureCanvas();
  if (!FOffsets.empty() && canvas == FOffsetsCanvas) return FOffsets;
  FOffsetsCanvas = canvas;
  const size_t len = FText.size();
  FOffsets.assign(len + 1, 0);
  if (FPassword) {
    for (size_t i = 0; i <= len; ++i) FOffsets[i] = FFont->Size() / 2 * float(i);
    return FOffsets;
  }
  if (!canvas || len == 0) return FOffsets;
  // The code page has one byte for each unit but a surrogate pair's two.
  std::string bytes;
  bytes.reserve(len);
  std::vector<uint32_t> byteOf(len + 1);
  for (size_t i = 0; i < len; ++i) {
    byteOf[i] = uint32_t(bytes.size());
    const bool pair = i + 1 < len && FText[i] >= 0xD800 && FText[i] < 0xDC00 && FText[i + 1] >= 0xDC00 &&
                      FText[i + 1] < 0xE000;
    bytes += uxUtf16ToCodePage(std::u16string_view(FText).substr(i, pair ? 2 : 1));
    if (pair) {
      byteOf[i + 1] = byteOf[i];
      ++i;
    }
  }
  byteOf[len] = uint32_t(bytes.size());
  TuiFont saved;
  saved.Assign(*canvas->Font());
  canvas->Font()->Assign(*FFont);
  std::vector<float> byteOffsets;
  canvas->TextOffsets(bytes, byteOffsets);
  canvas->Font()->Assign(saved);
  for (size_t i = 0; i <= len; ++i) FOffsets[i] = byteOffsets[byteOf[i]];
  return FOffsets;
}

float TuiCustomTextBox::SpanWidth(int From, int To) {
  const std::vector<float>& x = Offsets();
  const int len = int(FText.size());
  From = std::clamp(From, 0, len);
  To = std::clamp(To, 0, len);
  return To > From ? x[size_t(To)] - x[size_t(From)] : 0;
}

float TuiCustomTextBox::TextWidth(std::u16string_view Value) {
  if (FPassword) return FFont->Size() / 2 * float(Value.size());
  if (Value.empty()) return 0;
  TuiCanvas* canvas = MeasureCanvas();
  if (!canvas) return 0;
  TuiFont saved;
  saved.Assign(*canvas->Font());
  canvas->Font()->Assign(*FFont);
  const float width = canvas->TextWidth(uxUtf16ToCodePage(Value));
  canvas->Font()->Assign(saved);
  return width;
}

float TuiCustomTextBox::AlignOffset() {
  if (FTextAlign == uxTextAlignNear) return 0;
  // An empty text is placed as a one-letter one would be.
  const float whole = FText.empty() ? TextWidth(u"a") : SpanWidth(0, int(FText.size()));
  const float room = ContentRect().Width();
  if (whole >= room) return 0;
  return FTextAlign == uxTextAlignCenter ? (room - whole) / 2 : room - whole;
}

float TuiCustomTextBox::CaretX(int Position) {
  float x = ContentRect().Left;
  const int len = int(FText.size());
  if (Position > 0) {
    if (FPassword) {
      x += FFont->Size() / 2 * float(std::min(Position, len) - FFirstVisible + 1);
    } else if (Position >= FFirstVisible) {
      x += SpanWidth(FFirstVisible - 1, std::min(Position, len));
    }
  }
  return x + AlignOffset();
}

int TuiCustomTextBox::PositionAtX(float X) {
  const int len = int(FText.size());
  const float x = X - AlignOffset() - ContentRect().Left;
  const int first = FFirstVisible - 1;
  if (FPassword) return std::clamp(first + int(std::trunc(x / (FFont->Size() / 2))), 0, len);
  if (FText.empty()) return first;
  auto widthUpTo = [&](int P) { return SpanWidth(first, P); };
  int p = first;
  float left = widthUpTo(p);
  while (p < len && left < x) {
    const float right = widthUpTo(p + 1);
    if (x >= left && x < right) return x > (left + right) / 2 ? p + 1 : p;
    left = right;
    ++p;
  }
  return p;
}

// ---- editing ----

void TuiCustomTextBox::InsertText(std::u16string_view Value) {
  if (FReadOnly) return;
  int lo, hi;
  SelectionRange(lo, hi);
  std::u16string text = FText;
  text.replace(size_t(lo), size_t(hi - lo), Value);
  FSelLength = 0;
  if (FMaxLength > 0 && int(text.size()) > FMaxLength) {
    FSelStart = FCaretPosition;
    Repaint();
    return;
  }
  SetText(text);
  PlaceCaret(lo + int(Value.size()));
}

void TuiCustomTextBox::DeleteSelection() {
  if (FReadOnly) return;
  int lo, hi;
  SelectionRange(lo, hi);
  std::u16string text = FText;
  text.erase(size_t(lo), size_t(hi - lo));
  FSelLength = 0;
  SetText(text);
  PlaceCaret(lo);
}

void TuiCustomTextBox::CopyToClipboard() {
  const std::u16string selected = SelText();
  if (!selected.empty()) platform::Clipboard().SetText(Utf8(selected));
}

void TuiCustomTextBox::CutToClipboard() {
  CopyToClipboard();
  DeleteSelection();
}

void TuiCustomTextBox::PasteFromClipboard() {
  if (FReadOnly) return;
  InsertText(uxUtf8ToUtf16(platform::Clipboard().GetText()));
}

void TuiCustomTextBox::SelectAll() {
  SetSelStart(0);
  SetSelLength(int(FText.size()));
  PlaceCaret(int(FText.size()));
}

void TuiCustomTextBox::Change() {
  if (!FChanged) return;
  PushData();
  if (OnChange) OnChange(this);
}

TuiCustomTextBox::TEditMenuState TuiCustomTextBox::EditMenuState() const {
  int lo, hi;
  SelectionRange(lo, hi);
  const bool selected = hi > lo;
  const bool canPaste = !FReadOnly && !platform::Clipboard().GetText().empty();
  return {selected && !FReadOnly, selected, canPaste, selected && !FReadOnly,
          !(lo == 0 && hi == int(FText.size()))};
}

// ---- keys ----

void TuiCustomTextBox::DeleteKey(bool Backward, TuiShiftState Shift) {
  if (FReadOnly) return;
  if (FSelLength != 0) {
    if ((Shift & (uxShift | uxAlt | uxCtrl)) == uxShift)
      CutToClipboard();
    else
      DeleteSelection();
  } else {
    std::u16string text = FText;
    const int caret = FCaretPosition;
    if (Backward && caret > 0) text.erase(size_t(caret - 1), 1);
    if (!Backward && caret < int(text.size())) text.erase(size_t(caret), 1);
    SetText(text);
    PlaceCaret(Backward ? caret - 1 : caret);
  }
  if (OnTyping) OnTyping(this);
}

void TuiCustomTextBox::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  Inherited::KeyDown(Key, KeyChar, Shift);
  FLastKey = Key;
  FLastChar = KeyChar;
  const TuiShiftState modifiers = Shift & (uxShift | uxAlt | uxCtrl);
  const bool ctrlOnly = modifiers == uxCtrl;
  const bool shiftOnly = modifiers == uxShift;
  const int len = int(FText.size());
  const int caret = FCaretPosition;
  auto moveTo = [&](int Position) {
    PlaceCaret(Position);
    FollowCaret(caret, Shift & uxShift);
  };
  switch (Key) {
    case VkBack:
      DeleteKey(true, Shift);
      break;
    case VkDelete:
      DeleteKey(false, Shift);
      break;
    case VkReturn:
      Change();
      break;
    case VkEnd:
      moveTo(len);
      break;
    case VkHome:
      moveTo(0);
      break;
    case VkLeft: {
      int p = caret - 1;
      if (Shift & uxCtrl) {
        p = caret;
        while (p > 0 && FText[size_t(p - 1)] == u' ') --p;
        while (p > 0 && FText[size_t(p - 1)] != u' ') --p;
      }
      moveTo(p);
      break;
    }
    case VkRight: {
      int p = caret + 1;
      if (Shift & uxCtrl) {
        p = caret;
        while (p < len && FText[size_t(p)] != u' ') ++p;
        while (p < len && FText[size_t(p)] == u' ') ++p;
      }
      moveTo(p);
      break;
    }
    case VkInsert:
      if (ctrlOnly) {
        CopyToClipboard();
      } else if (shiftOnly) {
        PasteFromClipboard();
        if (OnTyping) OnTyping(this);
      }
      break;
    default:
      break;
  }

  if (KeyChar != 0) {
    // Some keyboards deliver Ctrl+C, V, X and Z as control characters.
    if (ctrlOnly && (KeyChar == 3 || KeyChar == 22 || KeyChar == 24 || KeyChar == 26)) KeyChar += U'a' - 1;
    const char32_t lower = KeyChar >= U'A' && KeyChar <= U'Z' ? KeyChar + (U'a' - U'A') : KeyChar;
    if (!FFilterChars.empty() && FFilterChars.find(Encode(KeyChar)) == std::u16string::npos) {
      KeyChar = 0;
    } else if (ctrlOnly &&
               (lower == U'a' || lower == U'c' || lower == U'v' || lower == U'x' || lower == U'z')) {
      if (lower == U'a') SelectAll();
      if (lower == U'c') CopyToClipboard();
      if (lower == U'x') CutToClipboard();
      if (lower == U'v') {
        PasteFromClipboard();
        if (OnTyping) OnTyping(this);
      }
      KeyChar = 0;
    } else if (KeyChar >= 32 && !FReadOnly) {
      InsertText(Encode(KeyChar));
      if (OnTyping) OnTyping(this);
    }
  }
  // A glow or shadow of the style shows the text: its pictures are stale.
  Invalidate();
  PlaceCaret(FCaretPosition);
}

// ---- mouse and focus ----

void TuiCustomTextBox::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  // A press that gives the focus keeps the selection focusing made.
  const bool wasFocused = IsFocused();
  Inherited::MouseDown(Button, Shift, X, Y);
  if (Button != uxMouseLeft) return;
  FDragging = true;
  if (wasFocused && !(Shift & uxDouble)) {
    FSelLength = 0;
    PlaceCaret(PositionAtX(X));
  }
}

void TuiCustomTextBox::MouseMove(TuiShiftState Shift, float X, float Y, float DeltaX, float DeltaY) {
  Inherited::MouseMove(Shift, X, Y, DeltaX, DeltaY);
  if (!FDragging) return;
  const int caret = FCaretPosition;
  int p = PositionAtX(X);
  // Past the right edge the selection reaches for the next, hidden unit.
  if (X > ContentRect().Right) ++p;
  PlaceCaret(p);
  FollowCaret(caret, true);
}

void TuiCustomTextBox::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  Inherited::MouseUp(Button, Shift, X, Y);
  FDragging = false;
}

void TuiCustomTextBox::DblClick() {
  Inherited::DblClick();
  SelectAll();
}

void TuiCustomTextBox::EnterFocus() {
  Inherited::EnterFocus();
  if (!IsFocused()) return;
  FChanged = false;
  if (FShowCaret) ShowTextCaret();
  if (Scene() && Scene()->BeginTextInput(this))
    PlaceCaret(int(FText.size()));
  else
    SelectAll();
}

void TuiCustomTextBox::KillFocus() {
  if (Scene()) Scene()->EndTextInput(this);
  if (FShowCaret) HideTextCaret();
  Inherited::KillFocus();
  // A box torn down while focused reports nothing more.
  if (!IsDestroying()) Change();
}

// ---- style and painting ----

void TuiCustomTextBox::ApplyStyle() {
  Inherited::ApplyStyle();
  if (auto* content = FindPart<TuiContent>("content"))
    content->Events().OnPaint = [this](TuiObject*, TuiCanvas* Canvas, const TuiRect& Rect) {
      if (Canvas) PaintText(*Canvas, Rect);
    };
  if (auto* selection = FindPart<TuiBrushObject>("selection")) FSelectionBrush->Assign(*selection->Brush());
  if (auto* foreground = FindPart<TuiBrushObject>("foreground")) FForeground->Assign(*foreground->Brush());
}

void TuiCustomTextBox::PaintText(TuiCanvas& Canvas, const TuiRect& Rect) {
  if (FText.empty()) return;
  const int saved = Canvas.SaveCanvas();
  struct TRestore {
    TuiCanvas& C;
    int Index;
    ~TRestore() { C.RestoreCanvas(Index); }
  } restore{Canvas, saved};
  Canvas.IntersectClipRect(Rect);
  Canvas.Font()->Assign(*FFont);
  Canvas.Fill()->Assign(*FForeground);
  const float opacity = GetAbsoluteOpacity();
  const size_t first = size_t(std::min<int>(FFirstVisible - 1, int(FText.size())));
  if (FPassword) {
    const float cell = FFont->Size() / 2;
    const float side = cell - 1;
    const float top = (Rect.Top + Rect.Bottom - side) / 2;
    TuiRect dot{Rect.Left, top, Rect.Left + side, top + side};
    for (size_t i = first; i < FText.size(); ++i) {
      Canvas.FillEllipse(dot, opacity);
      dot.Left += cell;
      dot.Right += cell;
    }
  } else {
    TuiRect r = Rect;
    // A near-aligned line may run on past the edge; the clip cuts it.
    if (FTextAlign == uxTextAlignNear) r.Right += FFont->Size() / 2;
    size_t from = first, to = FText.size();
    TuiTextAlign align = FTextAlign;
    const float whole = SpanWidth(int(first), int(to));
    if (whole > r.Width()) {
      // A line wider than the box is drawn as the units that reach into it,
      // where the whole line would put them, so that a long text costs what
      // the box shows.
      const std::vector<float>& x = Offsets();
      float start = r.Left - x[first];
      if (FTextAlign == uxTextAlignCenter) start += (r.Width() - whole) / 2;
      if (FTextAlign == uxTextAlignFar) start += r.Width() - whole;
      const auto begin = x.begin() + std::ptrdiff_t(first), end = x.end() - 1;
      from = size_t(
          std::max(std::upper_bound(begin, end, Rect.Left - start) - x.begin() - 1, std::ptrdiff_t(first)));
      to = std::min(size_t(std::lower_bound(begin, end, Rect.Right - start) - x.begin()) + 1, FText.size());
      r.Left = start + x[from];
      r.Right = std::max(r.Right, r.Left + (x[to] - x[from]));
      align = uxTextAlignNear;
    }
    Canvas.FillText(r, uxUtf16ToCodePage(std::u16string_view(FText).substr(from, to - from)), false, opacity,
                    align, uxTextAlignCenter);
  }
  int lo, hi;
  SelectionRange(lo, hi);
  if (IsFocused() && hi > lo) {
    const float shift = ContentRect().Left - Rect.Left;
    Canvas.Fill()->Assign(*FSelectionBrush);
    Canvas.FillRect({CaretX(lo) - shift, Rect.Top, CaretX(hi) + 1 - shift, Rect.Bottom}, 0, 0, AllCorners,
                    opacity);
  }
}
