#include "app/SEFA1.h"

#include <string>

#include "app/Kardo.h"
#include "app/ZR_Kardo_Led.h"

namespace kardo {

namespace {

constexpr uint8_t PointBit = 0x80;

constexpr std::array<uint8_t, 256> MakeCharTable() {
  std::array<uint8_t, 256> t{};
  auto set = [&t](std::string_view Chars, uint8_t Pattern) {
    for (char c : Chars) t[static_cast<unsigned char>(c)] = Pattern;
  };
  set("0O", 0x3F);
  set("1", 0x06);
  set("2", 0x5B);
  set("3", 0x4F);
  set("4", 0x66);
  set("5Ss", 0x6D);
  set("6", 0x7D);
  set("7", 0x07);
  set("8", 0x7F);
  set("9", 0x6F);
  set("Aa", 0x77);
  set("Bb", 0x7C);
  set("C", 0x39);
  set("c", 0x58);
  set("Dd", 0x5E);
  set("Ee", 0x79);
  set("Ff", 0x71);
  set("Gg", 0x3D);
  set("Hh", 0x76);
  set("I", 0x30);
  set("i", 0x10);
  set("Jj", 0x1E);
  set("Ll", 0x38);
  set("o", 0x5C);
  set("Pp", 0x73);
  set("Qq", 0x67);
  set("Rr", 0x50);
  set("U", 0x3E);
  set("u", 0x1C);
  set("-", 0x40);
  set("_", 0x08);
  set(".,", PointBit);
  return t;
}

constexpr std::array<uint8_t, 256> CharTable = MakeCharTable();

bool IsPointChar(char C) {
  return C == '.' || C == ',';
}

}  // namespace

uint8_t SegmentsOfChar(std::string_view Text) {
  return Text.empty() ? 0 : CharTable[static_cast<unsigned char>(Text[0])];
}

TForm_3D_SEFA1::TForm_3D_SEFA1(TKardo& App, IFormView& View)
    : TForm_3D(View, "Layout_3D_SEFA1", "Timer_3D_Resize_SEFA1"),
      Timer_Sefa1_H(View.Timer("Timer_Sefa1_H")),
      Timer_Sefa1_L(View.Timer("Timer_Sefa1_L")),
      Timer_Sefa1(View.Timer("Timer_Sefa1")),
      FApp(App),
      FShapesH(DigitShapes(View, "RoundRect_Sefa1H_")),
      FShapesL(DigitShapes(View, "RoundRect_Sefa1L_")) {
  Window().OnShow = Method(this, &TForm_3D_SEFA1::FormShow);
  Window().OnClose = Method(this, &TForm_3D_SEFA1::FormClose);
  Timer_Sefa1_H.OnTimer = Method(this, &TForm_3D_SEFA1::Timer_Sefa1_HTimer);
  Timer_Sefa1_L.OnTimer = Method(this, &TForm_3D_SEFA1::Timer_Sefa1_LTimer);
  Timer_Sefa1.OnTimer = Method(this, &TForm_3D_SEFA1::Timer_Sefa1Timer);
}

TForm_3D_SEFA1::TDigitShapes TForm_3D_SEFA1::DigitShapes(IFormView& View, std::string_view Prefix) {
  TDigitShapes shapes{};
  const char* suffixes[8] = {"A", "B", "C", "D", "E", "F", "G", "Dp"};
  for (int i = 0; i < 8; ++i) shapes[i] = &View.Shape(std::string(Prefix) + suffixes[i]);
  return shapes;
}

void TForm_3D_SEFA1::FormCreate() {
  LayoutSetup();
  PaintDigit(FShapesH, 0, false);
  PaintDigit(FShapesL, 0, false);
}

void TForm_3D_SEFA1::FormShow(IViewElement*) {
  DisplayShown = true;
  ScaleReset();
  IWindowView& console = FApp.Form_3D_Kardo->Window();
  Window().SetLeft(console.Left() + console.Width() - 12);
  Window().SetTop(console.Top());
}

void TForm_3D_SEFA1::FormClose(IViewElement*) {
  DisplayShown = false;
  ResizeTimerOff();
}

// Every paint writes all eight colours; the stored pattern's point bit never
// reaches the screen, the digit's point flag does.
void TForm_3D_SEFA1::PaintDigit(const TDigitShapes& Shapes, uint8_t Pattern, bool Point) {
  Pattern = Point ? (Pattern | PointBit) : (Pattern & ~PointBit);
  for (int bit = 0; bit < 8; ++bit)
    Shapes[bit]->SetFillColor(Pattern & (1u << bit) ? ColorLitRed : ColorUnlit);
}

void TForm_3D_SEFA1::PaintDigitH(uint8_t Pattern) {
  PaintDigit(FShapesH, Pattern, PointH);
}
void TForm_3D_SEFA1::PaintDigitL(uint8_t Pattern) {
  PaintDigit(FShapesL, Pattern, PointL);
}

void TForm_3D_SEFA1::BlankDisplay() {
  PaintDigitH(0);
  PaintDigitL(0);
}

void TForm_3D_SEFA1::BlankDigitH() {
  PaintDigitH(0);
}

void TForm_3D_SEFA1::RefreshDisplay() {
  PaintDigitH(DigitH);
  PaintDigitL(DigitL);
  if (!DisplayShown) Window().Show();
}

void TForm_3D_SEFA1::SetDisplayText(std::string_view T) {
  const size_t n = T.size();
  if (n == 0) return;
  if (n == 1) {
    // A single character keeps both point flags as they were.
    DigitH = SegmentsOfChar(T);
    DigitL = 0;
  } else if (IsPointChar(T[1])) {
    PointH = true;
    PointL = false;
    DigitH = SegmentsOfChar(T);
    if (n == 2) {
      DigitL = 0;
    } else {
      if (n >= 4) PointL = IsPointChar(T[3]);
      DigitL = SegmentsOfChar(T.substr(2));
    }
  } else {
    PointH = false;
    PointL = false;
    DigitH = SegmentsOfChar(T);
    if (n >= 3) PointL = IsPointChar(T[2]);
    DigitL = SegmentsOfChar(T.substr(1));
  }
  RefreshDisplay();
}

void TForm_3D_SEFA1::Timer_Sefa1_HTimer(IViewElement*) {
  PaintDigitH(BlinkPhaseH ? 0 : DigitH);
  BlinkPhaseH = !BlinkPhaseH;
}

void TForm_3D_SEFA1::Timer_Sefa1_LTimer(IViewElement*) {
  PaintDigitL(BlinkPhaseL ? 0 : DigitL);
  BlinkPhaseL = !BlinkPhaseL;
}

void TForm_3D_SEFA1::Timer_Sefa1Timer(IViewElement*) {
  switch (DisplayTimerMode) {
    case tmLowLevelBlink:
      PaintDigitL(BlinkPhaseL ? 0 : DigitL);
      PaintDigitH(BlinkPhaseL ? 0 : DigitH);
      BlinkPhaseL = !BlinkPhaseL;
      break;
    case tmRunningSegment:
      // One lit segment circles digit H clockwise from the top, then one blank step.
      BlankDigitH();
      if (++SegmentStep > SegmentStepLimit) SegmentStep = 1;
      if (SegmentStep >= 1 && SegmentStep <= 6) FShapesH[SegmentStep - 1]->SetFillColor(ColorLitRed);
      break;
    default:
      break;
  }
}

// The stepped sensor shows the upper bound of each band.
namespace {
struct TLevelBand {
  int Upper;
  const char* Digits;
};
constexpr TLevelBand LevelBands[] = {{15, "15"}, {30, "30"}, {45, "45"}, {60, "60"}, {80, "80"}, {99, "99"}};
}  // namespace

void TForm_3D_SEFA1::ApplyLevel() {
  TForm_3D_Set& settings = *FApp.Form_3D_Set;
  const int v = static_cast<int>(settings.HudTrackBar_Sefa1_Level_Sensor.Value());
  if (settings.HudCheckBox_Sefa1_SoftWare_Sensor.IsChecked()) {
    DigitH = SegmentsOfChar(std::to_string(v / 10));
    DigitL = SegmentsOfChar(std::to_string(v % 10));
  } else {
    for (const TLevelBand& band : LevelBands) {
      if (v >= 0 && v <= band.Upper) {
        DigitH = SegmentsOfChar(band.Digits);
        DigitL = SegmentsOfChar(band.Digits + 1);
        break;
      }
    }
  }
  ShowLevelLeds(v);
  RefreshDisplay();
}

void TForm_3D_SEFA1::ShowLevelLeds(int v) {
  TForm_3D_Kardo& c = *FApp.Form_3D_Kardo;
  LedsAllOff(c);
  // The green row works as a bar filling from G5 toward G1.
  if (v >= 0 && v <= 15) {
    c.Circle_LR.SetFillColor(ColorLitRed);
  } else if (v >= 16 && v <= 80) {
    c.Circle_LG5.SetFillColor(ColorLitGreen);
    if (v >= 31) c.Circle_LG4.SetFillColor(ColorLitGreen);
    if (v >= 46) c.Circle_LG3.SetFillColor(ColorLitGreen);
    if (v >= 61) c.Circle_LG2.SetFillColor(ColorLitGreen);
  } else if (v >= 81 && v <= 99) {
    LedsGreensOn(c);
  }

  if (v < 16) {
    DisplayTimerMode = tmLowLevelBlink;
    Timer_Sefa1.SetEnabled(false);
    // Resetting the digit-L speed bar runs its change handler, which retimes
    // Timer_Sefa1_L and its label too.
    ITrackBarView& blinkL = FApp.Form_3D_Set->HudTrackBar_Sefa1_Blink_L;
    blinkL.SetValue(250);
    Timer_Sefa1.SetInterval(TruncValue(blinkL.Value()));
    Timer_Sefa1.SetEnabled(true);
  } else {
    Timer_Sefa1.SetEnabled(false);
  }
}

}  // namespace kardo
