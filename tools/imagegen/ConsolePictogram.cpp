#include "tools/imagegen/ConsolePictogram.h"

#include "draw2d/Brush.h"
#include "draw2d/PathData.h"
#include "draw2d/cairo/CanvasCairo.h"

namespace {

constexpr float Scale = TuiConsolePictogram::Size / TuiConsolePictogram::ViewHeight;
constexpr uint32_t White = 0xFFFFFFFF, Black = 0xFF000000;

// The LEDs and the round button as the console's layout places them in the
// picture object (x, y, width, height).
constexpr TuiRect GreenRow{19, 6, 206 + 40, 6 + 40};
constexpr TuiRect YellowLed{19, 197, 19 + 40, 197 + 40};
constexpr TuiRect RedLed{206, 197, 206 + 40, 197 + 40};
constexpr TuiRect RoundButton{96, 74, 96 + 109, 74 + 116};

void Stroke(TuiCanvas& C, const TuiPathData& Path) {
  C.DrawPath(Path, Path.GetBounds(), 1);
}

void PowerSymbol(TuiCanvas& C) {
  const TuiPoint centre{(RoundButton.Left + RoundButton.Right) / 2,
                        (RoundButton.Top + RoundButton.Bottom) / 2};
  const float r = 34;
  // A ring open at the top, and the stem standing in the opening.
  C.DrawArc(centre, {r, r}, -60, 300, 1);
  C.DrawLine({centre.X, centre.Y - r - 8}, {centre.X, centre.Y - 6}, 1);
}

// A fuel pump right of the yellow LED: the body with its window, the hose
// leaving its side, and the nozzle hung on the side.
void PetrolPump(TuiCanvas& C) {
  const float left = YellowLed.Right + 6, bottom = YellowLed.Bottom + 3;
  C.DrawRect({left, bottom - 36, left + 18, bottom}, 2, 2, AllCorners, 1);
  C.FillRect({left + 4, bottom - 32, left + 14, bottom - 24}, 1, 1, AllCorners, 1);
  C.DrawLine({left - 3, bottom}, {left + 21, bottom}, 1);
  TuiPathData hose;
  hose.MoveTo({left + 18, bottom - 30});
  hose.LineTo({left + 24, bottom - 24});
  hose.LineTo({left + 24, bottom - 8});
  hose.CurveTo({left + 24, bottom - 4}, {left + 30, bottom - 4}, {left + 30, bottom - 8});
  hose.LineTo({left + 30, bottom - 26});
  hose.LineTo({left + 26, bottom - 32});
  Stroke(C, hose);
}

// A gas cylinder left of the red LED: a body with a domed top, the valve on
// top and the handle across it.
void GasCylinder(TuiCanvas& C) {
  const float right = RedLed.Left - 6, bottom = RedLed.Bottom + 3;
  const float left = right - 22;
  C.DrawRect({left, bottom - 34, right, bottom}, 9, 9, AllCorners, 1);
  const float mid = (left + right) / 2;
  C.FillRect({mid - 3, bottom - 40, mid + 3, bottom - 34}, 0, 0, AllCorners, 1);
  C.DrawLine({mid - 8, bottom - 42}, {mid + 8, bottom - 42}, 1);
  C.DrawLine({left + 2, bottom - 12}, {right - 2, bottom - 12}, 1);
}

}  // namespace

TuiPoint TuiConsolePictogram::ToPixel(TuiPoint P) {
  return {(P.X - ViewLeft) * Scale, P.Y * Scale};
}

void TuiConsolePictogram::Draw(TuiBitmap& Bitmap) {
  Bitmap.SetSize(Size, Size);
  // A bitmap canvas draws on the bitmap's own pixels and clears only a buffer
  // of its own, so the background is laid into the bitmap first.
  Bitmap.Clear(Black);
  TuiCanvasCairo canvas(Bitmap);
  canvas.BeginScene();
  TuiMatrix m;
  m.M[0][0] = m.M[1][1] = Scale;
  m.M[2][0] = -ViewLeft * Scale;
  canvas.SetMatrix(m);
  canvas.Fill()->SetStyle(uxBrushSolid);
  canvas.Fill()->SetColorValue(White);
  canvas.Stroke()->SetStyle(uxBrushSolid);
  canvas.Stroke()->SetColorValue(White);
  canvas.SetStrokeThickness(2.5f);
  canvas.SetStrokeCap(uxCapRound);
  canvas.SetStrokeJoin(uxJoinRound);

  // The bar under the green row, as long as the row.
  canvas.FillRect({GreenRow.Left, GreenRow.Bottom + 5, GreenRow.Right, GreenRow.Bottom + 10}, 2.5f, 2.5f,
                  AllCorners, 1);
  PowerSymbol(canvas);
  PetrolPump(canvas);
  GasCylinder(canvas);
  canvas.EndScene();
}
