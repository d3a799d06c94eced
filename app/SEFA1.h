#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "app/Form_3D.h"

namespace kardo {

class TKardo;

// The segment pattern of the first character of Text: bits 0 to 6 are segments A
// to G, bit 7 the decimal point. An empty text has no segments.
uint8_t SegmentsOfChar(std::string_view Text);

// The display window: two seven-segment digits, H and L, each with a point.
class TForm_3D_SEFA1 : public TForm_3D {
 public:
  TForm_3D_SEFA1(TKardo& App, IFormView& View);

  ITimerView& Timer_Sefa1_H;
  ITimerView& Timer_Sefa1_L;
  ITimerView& Timer_Sefa1;

  // Display state, all off at program start.
  uint8_t DigitH = 0;
  uint8_t DigitL = 0;
  bool PointH = false;
  bool PointL = false;
  bool BlinkPhaseH = false;
  bool BlinkPhaseL = false;  // also the phase of the low-level blink
  bool DisplayShown = false;
  uint8_t DisplayTimerMode = 0;  // job of Timer_Sefa1: 1 low-level blink, 2 running segment
  uint8_t SegmentStep = 0;
  uint8_t SegmentStepLimit = 0;

  // Timer_Sefa1's jobs.
  static constexpr uint8_t tmLowLevelBlink = 1;
  static constexpr uint8_t tmRunningSegment = 2;

  void FormCreate();

  void PaintDigitH(uint8_t Pattern);
  void PaintDigitL(uint8_t Pattern);
  void BlankDisplay();
  void BlankDigitH();
  // Paints the stored digits and shows the window the first time.
  void RefreshDisplay();
  void SetDisplayText(std::string_view Text);

  // Level indication: digits and LEDs from the level track bar.
  void ApplyLevel();
  void ShowLevelLeds(int Level);

 private:
  using TDigitShapes = std::array<IShapeView*, 8>;  // A to G, then the point
  static TDigitShapes DigitShapes(IFormView& View, std::string_view Prefix);
  static void PaintDigit(const TDigitShapes& Shapes, uint8_t Pattern, bool Point);

  void FormShow(IViewElement* Sender);
  void FormClose(IViewElement* Sender);
  void Timer_Sefa1_HTimer(IViewElement* Sender);
  void Timer_Sefa1_LTimer(IViewElement* Sender);
  void Timer_Sefa1Timer(IViewElement* Sender);

  TKardo& FApp;
  TDigitShapes FShapesH;
  TDigitShapes FShapesL;
};

}  // namespace kardo
