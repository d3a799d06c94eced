#include "draw2d/PathData.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "draw2d/PathObject.h"
#include "scene2d/Errors.h"
#include "scene2d/TextForms.h"

UX_IMPLEMENT_CLASS(TuiPathData)

void TuiPathData::DefineProperties(TuiClassBuilder<TuiPathData>& C) {
  // The text is accepted from streams but never written: the binary form keeps
  // every float exactly, the text only three decimals.
  C.Property("Data", &TuiPathData::Data, &TuiPathData::SetData).Stored = false;
  C.Property("ResourceName", &TuiPathData::ResourceName, &TuiPathData::SetResourceName);
  C.Property("Path", &TuiPathData::PathBinary, &TuiPathData::SetPathBinary);
}

namespace {

TuiPoint operator+(const TuiPoint& A, const TuiPoint& B) {
  return {A.X + B.X, A.Y + B.Y};
}

double Distance(const TuiPoint& A, const TuiPoint& B) {
  return std::hypot(double(B.X) - A.X, double(B.Y) - A.Y);
}

double ToRad(double Degrees) {
  return Degrees * std::numbers::pi / 180;
}

double ToDeg(double Radians) {
  return Radians * 180 / std::numbers::pi;
}

// Damaged payloads and absurd flatness values must not turn one curve into
// millions of points.
constexpr int MaxCurvePoints = 1024;

TuiPoint Bezier(const TuiPoint& P0, const TuiPoint& P1, const TuiPoint& P2, const TuiPoint& P3, double T) {
  const double u = 1 - T;
  const double a = u * u * u, b = 3 * u * u * T, c = 3 * u * T * T, d = T * T * T;
  return {float(a * P0.X + b * P1.X + c * P2.X + d * P3.X), float(a * P0.Y + b * P1.Y + c * P2.Y + d * P3.Y)};
}

// Curve entries only make sense in threes; everything that walks the points
// relies on it, so a payload that breaks it is refused.
bool CurvesComeInThrees(const std::vector<TuiPathPoint>& Points) {
  size_t run = 0;
  for (const TuiPathPoint& p : Points) {
    if (p.Kind == ppCurveTo) {
      ++run;
    } else {
      if (run % 3 != 0) return false;
      run = 0;
    }
  }
  return run % 3 == 0;
}

uint32_t ReadU32(const std::vector<uint8_t>& B, size_t At) {
  return uint32_t(B[At]) | uint32_t(B[At + 1]) << 8 | uint32_t(B[At + 2]) << 16 | uint32_t(B[At + 3]) << 24;
}

void WriteU32(std::vector<uint8_t>& B, uint32_t V) {
  for (int i = 0; i < 4; ++i) B.push_back(uint8_t(V >> (8 * i)));
}

[[noreturn]] void BadPayload() {
  throw EuxReadError("Invalid property value");
}

// The text grammar: command letters, then their arguments. A letter whose
// arguments do not read is dropped and the next letter tried; text the grammar
// cannot place at all ends the reading.
class TPathTextReader {
 public:
  TPathTextReader(TuiPathData& Path, std::string_view Text) : FPath(Path) {
    FText.reserve(Text.size());
    for (char c : Text)
      if (c != '\t' && c != '\n' && c != '\r') FText += c;
  }

  void Run() {
    while (FPos < FText.size()) {
      const size_t passStart = FPos;
      while (FPos < FText.size() && FText[FPos] == ' ') ++FPos;
      const size_t tokenStart = FPos;
      while (FPos < FText.size() && IsCommand(FText[FPos])) ++FPos;
      const std::string token = FText.substr(tokenStart, FPos - tokenStart);
      for (char letter : token) Command(letter);
      if (FPos == passStart) break;
    }
  }

 private:
  static bool IsCommand(char C) {
    return std::string_view("zmlchvsqtaZMLCHVSQTA").find(C) != std::string_view::npos;
  }
  static bool IsDigit(char C) { return C >= '0' && C <= '9'; }

  void SkipSeparators() {
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == ',')) ++FPos;
  }

  bool StartsNumber() const { return FPos < FText.size() && (FText[FPos] == '-' || IsDigit(FText[FPos])); }

  // "+" is never part of a number and "-" only leads it or follows an "e", so
  // "10-20" reads as two numbers.
  bool ReadNumber(float& Value) {
    const size_t begin = FPos;
    if (FPos < FText.size() && FText[FPos] == '-') ++FPos;
    while (FPos < FText.size()) {
      const char c = FText[FPos];
      if (IsDigit(c) || c == '.' || c == 'e' || (c == '-' && FPos > begin && FText[FPos - 1] == 'e'))
        ++FPos;
      else
        break;
    }
    return FPos > begin && TryTextToFloat(std::string_view(FText).substr(begin, FPos - begin), Value);
  }

  bool ReadScalar(float& Value) {
    SkipSeparators();
    if (!ReadNumber(Value)) return false;
    SkipSeparators();
    return true;
  }

  bool ReadPoint(TuiPoint& P) { return ReadScalar(P.X) && ReadScalar(P.Y); }

  void Command(char Letter) {
    const bool rel = Letter >= 'a';
    TuiPoint p, c1, c2;
    float v = 0;
    switch (Letter) {
      case 'M':
      case 'm':
        if (!ReadPoint(p)) return;
        rel ? FPath.MoveToRel(p) : FPath.MoveTo(p);
        while (StartsNumber() && ReadPoint(p)) rel ? FPath.LineToRel(p) : FPath.LineTo(p);
        return;
      case 'L':
      case 'l':
        do {
          if (!ReadPoint(p)) return;
          rel ? FPath.LineToRel(p) : FPath.LineTo(p);
        } while (StartsNumber());
        return;
      case 'H':
      case 'h':
        if (ReadScalar(v)) rel ? FPath.HLineToRel(v) : FPath.HLineTo(v);
        return;
      case 'V':
      case 'v':
        if (ReadScalar(v)) rel ? FPath.VLineToRel(v) : FPath.VLineTo(v);
        return;
      case 'C':
      case 'c':
        do {
          if (!ReadPoint(c1) || !ReadPoint(c2) || !ReadPoint(p)) return;
          rel ? FPath.CurveToRel(c1, c2, p) : FPath.CurveTo(c1, c2, p);
        } while (StartsNumber());
        return;
      case 'S':
      case 's':
        do {
          if (!ReadPoint(c2) || !ReadPoint(p)) return;
          rel ? FPath.SmoothCurveToRel(c2, p) : FPath.SmoothCurveTo(c2, p);
        } while (StartsNumber());
        return;
      case 'Q':
      case 'q':
        // Quadratic curves are read past and draw nothing.
        (void)(ReadPoint(c1) && ReadPoint(p));
        return;
      case 'T':
      case 't':
        (void)ReadPoint(p);
        return;
      case 'A':
      case 'a': {
        TuiPoint radii, flags;
        float rotation = 0;
        if (!ReadPoint(radii) || !ReadScalar(rotation) || !ReadPoint(flags) || !ReadPoint(p)) return;
        if (rel) p = p + FPath.LastPoint();
        FPath.EllipticArcTo(radii, rotation, flags.X == 1, flags.Y == 1, p);
        return;
      }
      case 'Z':
      case 'z':
        FPath.ClosePath();
        return;
    }
  }

  TuiPathData& FPath;
  std::string FText;
  size_t FPos = 0;
};

}  // namespace

TuiPathData::~TuiPathData() = default;

TuiPathObject* TuiPathData::Resource() const {
  return FLink.Object();
}

// ---- building ----

TuiPoint TuiPathData::LastPoint() const {
  return FPoints.empty() ? TuiPoint{} : FPoints.back().Point;
}

void TuiPathData::MoveTo(const TuiPoint& P) {
  Append(ppMoveTo, P);
  FFigureStart = P;
}

void TuiPathData::MoveToRel(const TuiPoint& D) {
  MoveTo(LastPoint() + D);
}

void TuiPathData::LineTo(const TuiPoint& P) {
  Append(ppLineTo, P);
}

void TuiPathData::LineToRel(const TuiPoint& D) {
  LineTo(LastPoint() + D);
}

void TuiPathData::HLineTo(float X) {
  LineTo({X, LastPoint().Y});
}

void TuiPathData::HLineToRel(float D) {
  HLineTo(LastPoint().X + D);
}

void TuiPathData::VLineTo(float Y) {
  LineTo({LastPoint().X, Y});
}

void TuiPathData::VLineToRel(float D) {
  VLineTo(LastPoint().Y + D);
}

void TuiPathData::CurveTo(const TuiPoint& C1, const TuiPoint& C2, const TuiPoint& End) {
  Append(ppCurveTo, C1);
  Append(ppCurveTo, C2);
  Append(ppCurveTo, End);
}

void TuiPathData::CurveToRel(const TuiPoint& C1, const TuiPoint& C2, const TuiPoint& End) {
  const TuiPoint last = LastPoint();
  CurveTo(C1 + last, C2 + last, End + last);
}

void TuiPathData::SmoothCurveTo(const TuiPoint& C2, const TuiPoint& End) {
  TuiPoint c1 = C2;
  if (FPoints.size() >= 3) {
    const TuiPoint last = LastPoint(), before = FPoints[FPoints.size() - 2].Point;
    c1 = {2 * last.X - before.X, 2 * last.Y - before.Y};
  }
  CurveTo(c1, C2, End);
}

void TuiPathData::SmoothCurveToRel(const TuiPoint& C2, const TuiPoint& End) {
  const TuiPoint last = LastPoint();
  SmoothCurveTo(C2 + last, End + last);
}

void TuiPathData::ClosePath() {
  Append(ppClose, FFigureStart);
}

void TuiPathData::AddEllipse(const TuiRect& R) {
  constexpr float k = 0.5522847498f;
  const float cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  const float kx = k * (R.Right - R.Left) / 2, ky = k * (R.Bottom - R.Top) / 2;
  MoveTo({R.Left, cy});
  CurveTo({R.Left, cy - ky}, {cx - kx, R.Top}, {cx, R.Top});
  CurveTo({cx + kx, R.Top}, {R.Right, cy - ky}, {R.Right, cy});
  CurveTo({R.Right, cy + ky}, {cx + kx, R.Bottom}, {cx, R.Bottom});
  CurveTo({cx - kx, R.Bottom}, {R.Left, cy + ky}, {R.Left, cy});
}

void TuiPathData::AddArc(const TuiPoint& Center, const TuiPoint& Radius, float StartAngle, float SweepAngle) {
  AppendArcPieces(Center, Radius, StartAngle, SweepAngle, true);
}

void TuiPathData::AppendArcPieces(const TuiPoint& Center, const TuiPoint& Radius, double StartAngle,
                                  double SweepAngle, bool LeadingLine, double Rotation) {
  if (!std::isfinite(StartAngle) || std::isnan(SweepAngle)) return;
  StartAngle = std::fmod(StartAngle, 360.0);
  SweepAngle = std::clamp(SweepAngle, -360.0, 360.0);
  if (std::abs(ToRad(SweepAngle)) < 1e-10) return;
  const double cosR = std::cos(Rotation), sinR = std::sin(Rotation);
  // (X, Y) on the unit circle turned by Angle, then onto the ellipse, then
  // turned by the rotation about the centre.
  auto place = [&](double X, double Y, double Angle) -> TuiPoint {
    const double c = std::cos(Angle), s = std::sin(Angle);
    const double px = Radius.X * (X * c - Y * s), py = Radius.Y * (X * s + Y * c);
    return {float(Center.X + px * cosR - py * sinR), float(Center.Y + px * sinR + py * cosR)};
  };
  if (LeadingLine) {
    const TuiPoint start = place(1, 0, ToRad(StartAngle));
    FPoints.empty() ? MoveTo(start) : LineTo(start);
  }
  auto piece = [&](double Theta, double Alpha) {
    if (Alpha == 0) {
      LineTo(place(1, 0, ToRad(Theta)));
      return;
    }
    const double h = ToRad(Alpha) / 2, cosH = std::cos(h), sinH = std::sin(h);
    const double k = 4.0 / 3.0 * (1 - cosH), lift = sinH - k * cosH / sinH;
    const double turn = ToRad(Theta) + h;
    CurveTo(place(cosH + k, -lift, turn), place(cosH + k, lift, turn), place(cosH, sinH, turn));
  };
  const double limit = 90 + ToDeg(0.01);
  double theta = StartAngle, remaining = SweepAngle;
  while (std::abs(remaining) > limit) {
    const double step = remaining > 0 ? 90 : -90;
    piece(theta, step);
    theta += step;
    remaining -= step;
  }
  piece(theta, remaining);
}

void TuiPathData::EllipticArcTo(const TuiPoint& Radius, float Rotation, bool LargeArc, bool Sweep,
                                const TuiPoint& End) {
  const TuiPoint from = LastPoint();
  if (from == End) return;
  double rx = std::abs(double(Radius.X)), ry = std::abs(double(Radius.Y));
  // Without a radius there is no ellipse to follow; the straight line is the
  // limit of ever flatter arcs.
  if (rx == 0 || ry == 0) {
    LineTo(End);
    return;
  }
  const double phi = ToRad(Rotation), cosP = std::cos(phi), sinP = std::sin(phi);
  const double dx = (double(from.X) - End.X) / 2, dy = (double(from.Y) - End.Y) / 2;
  const double x1 = cosP * dx + sinP * dy, y1 = -sinP * dx + cosP * dy;
  const double excess = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
  if (excess > 1) {
    rx *= std::sqrt(excess);
    ry *= std::sqrt(excess);
  }
  const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
  const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
  const double coef = (LargeArc == Sweep ? -1 : 1) * std::sqrt(std::max(0.0, num / den));
  const double cxp = coef * rx * y1 / ry, cyp = -coef * ry * x1 / rx;
  const double cx = cosP * cxp - sinP * cyp + (double(from.X) + End.X) / 2;
  const double cy = sinP * cxp + cosP * cyp + (double(from.Y) + End.Y) / 2;
  const double ux = (x1 - cxp) / rx, uy = (y1 - cyp) / ry, vx = (-x1 - cxp) / rx, vy = (-y1 - cyp) / ry;
  const double start = ToDeg(std::atan2(uy, ux));
  double sweep = ToDeg(std::atan2(ux * vy - uy * vx, ux * vx + uy * vy));
  if (!Sweep && sweep > 0)
    sweep -= 360;
  else if (Sweep && sweep < 0)
    sweep += 360;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(rx) || !std::isfinite(ry)) {
    LineTo(End);
    return;
  }
  AppendArcPieces({float(cx), float(cy)}, {float(rx), float(ry)}, start, sweep, false, phi);
}

void TuiPathData::AddRectangle(const TuiRect& R, TuiCorners Corners, TuiCornerType CornerType, float XRadius,
                               float YRadius) {
  uxRectangleOutline(*this, R, Corners, CornerType, XRadius, YRadius);
}

// ---- whole-path operations ----

void TuiPathData::Clear() {
  if (FPoints.empty()) return;
  FPoints.clear();
  FFigureStart = {};
  Changed();
}

TuiRect TuiPathData::GetBounds() const {
  if (FPoints.empty()) return {};
  bool any = false;
  TuiRect r;
  for (const TuiPathPoint& p : FPoints) {
    if (p.Kind == ppClose) continue;
    if (!any) {
      r = {p.Point.X, p.Point.Y, p.Point.X, p.Point.Y};
      any = true;
      continue;
    }
    r.Left = std::min(r.Left, p.Point.X);
    r.Top = std::min(r.Top, p.Point.Y);
    r.Right = std::max(r.Right, p.Point.X);
    r.Bottom = std::max(r.Bottom, p.Point.Y);
  }
  if (r.Right - r.Left == 0) r.Right = r.Left + 0.001f;
  if (r.Bottom - r.Top == 0) r.Bottom = r.Top + 0.001f;
  return r;
}

void TuiPathData::Scale(float SX, float SY) {
  for (TuiPathPoint& p : FPoints) {
    if (p.Kind == ppClose) continue;
    p.Point.X *= SX;
    p.Point.Y *= SY;
  }
}

std::vector<TuiPathPoint> TuiPathData::FitToRect(const TuiRect& Rect) const {
  const TuiRect b = GetBounds();
  const float sx = Rect.Width() / b.Width(), sy = Rect.Height() / b.Height();
  std::vector<TuiPathPoint> out = FPoints;
  for (TuiPathPoint& p : out)
    p.Point = {Rect.Left + (p.Point.X - b.Left) * sx, Rect.Top + (p.Point.Y - b.Top) * sy};
  return out;
}

void TuiPathData::FlattenToPolygon(TuiPolygon& Polygon, TuiPoint& Size, float Flatness) const {
  Polygon.clear();
  Size = {};
  if (FPoints.empty()) return;
  const TuiRect b = GetBounds();
  const double scale = std::max(b.Height() / 100.0, b.Width() / 100.0);
  double flatness = Flatness * scale;
  if (!(flatness >= 0.05)) flatness = 0.05;  // NaN too
  // The points each curve asks for, counted first: a path of many long curves
  // would otherwise ask for a thousand points apiece. Past the total budget
  // every curve gives up the same share of what it asked beyond its two ends.
  auto wanted = [&](size_t At) {
    const double n = RoundHalfEven(Distance(FPoints[At].Point, FPoints[At + 2].Point) / flatness);
    return n > 2 ? int(std::min(n, double(MaxCurvePoints))) : 2;
  };
  size_t total = 0, extra = 0;
  for (size_t i = 0; i < FPoints.size(); ++i) {
    if (FPoints[i].Kind == ppCurveTo) {
      if (i + 2 >= FPoints.size()) break;
      const int n = wanted(i);
      total += size_t(n);
      extra += size_t(n - 2);
      i += 2;
    } else {
      total += FPoints[i].Kind == ppClose ? 2 : 1;
    }
  }
  double share = 1;
  if (total > MaxFlattenPoints) {
    const size_t fixed = total - extra;
    share = fixed >= MaxFlattenPoints ? 0 : double(MaxFlattenPoints - fixed) / double(extra);
  }
  Polygon.reserve(std::min(total, std::max(MaxFlattenPoints, total - extra)));
  TuiPoint current, start;
  for (size_t i = 0; i < FPoints.size(); ++i) {
    const TuiPathPoint& p = FPoints[i];
    switch (p.Kind) {
      case ppMoveTo:
        start = p.Point;
        [[fallthrough]];
      case ppLineTo:
        Polygon.push_back(p.Point);
        current = p.Point;
        break;
      case ppCurveTo: {
        if (i + 2 >= FPoints.size()) {
          i = FPoints.size();
          break;
        }
        const TuiPoint c1 = p.Point, c2 = FPoints[i + 1].Point, end = FPoints[i + 2].Point;
        int count = wanted(i);
        if (share < 1) count = 2 + int(std::floor((count - 2) * share));
        for (int j = 0; j < count; ++j)
          Polygon.push_back(Bezier(current, c1, c2, end, double(j) / (count - 1)));
        current = end;
        i += 2;
        break;
      }
      case ppClose:
        Polygon.push_back(start);
        Polygon.push_back(PolygonFigureEnd);
        current = start;
        break;
    }
  }
  Size = {std::abs(b.Width()), std::abs(b.Height())};
}

float TuiPathData::Length(float Flatness) const {
  TuiPolygon polygon;
  TuiPoint size;
  FlattenToPolygon(polygon, size, Flatness);
  double total = 0;
  for (size_t i = 1; i < polygon.size(); ++i) {
    // A figure end is a separator, not a place the outline goes through.
    if (polygon[i] == PolygonFigureEnd || polygon[i - 1] == PolygonFigureEnd) continue;
    total += Distance(polygon[i - 1], polygon[i]);
  }
  return float(total);
}

// ---- text and binary forms ----

std::string TuiPathData::Data() const {
  std::string text;
  auto point = [&](const TuiPoint& P) {
    text += FloatToText(P.X);
    text += ',';
    text += FloatToText(P.Y);
    text += ' ';
  };
  for (size_t i = 0; i < FPoints.size(); ++i) {
    const TuiPathPoint& p = FPoints[i];
    switch (p.Kind) {
      case ppMoveTo:
        text += "M ";
        point(p.Point);
        break;
      case ppLineTo:
        text += "L ";
        point(p.Point);
        break;
      case ppCurveTo:
        if (i + 2 >= FPoints.size()) return text;
        text += "C ";
        point(p.Point);
        point(FPoints[i + 1].Point);
        point(FPoints[i + 2].Point);
        i += 2;
        break;
      case ppClose:
        text += "Z ";
        break;
    }
  }
  return text;
}

void TuiPathData::SetData(const std::string& Text) {
  TuiPathData parsed;
  TPathTextReader(parsed, Text).Run();
  SetPoints(std::move(parsed.FPoints));
}

TuiBinary TuiPathData::PathBinary() const {
  TuiBinary out;
  if (FPoints.empty()) return out;
  out.Bytes.reserve(4 + 12 * FPoints.size());
  WriteU32(out.Bytes, uint32_t(FPoints.size()));
  for (const TuiPathPoint& p : FPoints) {
    WriteU32(out.Bytes, uint32_t(p.Kind));
    WriteU32(out.Bytes, std::bit_cast<uint32_t>(p.Point.X));
    WriteU32(out.Bytes, std::bit_cast<uint32_t>(p.Point.Y));
  }
  return out;
}

void TuiPathData::SetPathBinary(const TuiBinary& Value) {
  const std::vector<uint8_t>& b = Value.Bytes;
  if (b.empty()) {
    SetPoints({});
    return;
  }
  if (b.size() < 4) BadPayload();
  const int32_t count = int32_t(ReadU32(b, 0));
  const size_t rest = b.size() - 4;
  if (count < 0 || (count == 0 && rest != 0)) BadPayload();
  // The size must match one of the two layouts exactly before anything is
  // allocated, so a forged count cannot ask for more than the payload holds.
  size_t kindSize = 4;
  if (count > 0 && rest == size_t(count) * 12)
    kindSize = 4;
  else if (count > 0 && rest == size_t(count) * 9)
    kindSize = 1;
  else if (count > 0)
    BadPayload();
  std::vector<TuiPathPoint> points;
  points.reserve(size_t(count));
  size_t at = 4;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t kind = kindSize == 4 ? ReadU32(b, at) : b[at];
    at += kindSize;
    if (kind > ppClose) BadPayload();
    const float x = std::bit_cast<float>(ReadU32(b, at)), y = std::bit_cast<float>(ReadU32(b, at + 4));
    at += 8;
    points.push_back({TuiPathPointKind(kind), {x, y}});
  }
  if (!CurvesComeInThrees(points)) BadPayload();
  SetPoints(std::move(points));
}

void TuiPathData::SetPoints(std::vector<TuiPathPoint> Points) {
  if (Points == FPoints) return;
  FPoints = std::move(Points);
  FFigureStart = {};
  for (auto it = FPoints.rbegin(); it != FPoints.rend(); ++it)
    if (it->Kind == ppMoveTo) {
      FFigureStart = it->Point;
      break;
    }
  Changed();
}

// ---- resource link ----

void TuiPathData::SetResource(TuiPathObject* Value) {
  if (FLink.SetObject(Value)) Changed();
}

void TuiPathData::SetResourceName(const std::string& Value) {
  if (FLink.SetName(Value)) Changed();
}

TuiPathData* TuiPathData::ResolvePath() {
  TuiPathObject* object = FLink.Resolve();
  return object ? object->Path() : nullptr;
}

void TuiPathData::Assign(const TuiPathData& Source) {
  if (&Source == this) return;
  // Resolving first lets a copy carry the object a name stands for.
  const_cast<TuiPathData&>(Source).ResolvePath();
  const bool pointsChanged = FPoints != Source.FPoints;
  FPoints = Source.FPoints;
  FFigureStart = Source.FFigureStart;
  const bool linkChanged = FLink.Assign(Source.FLink);
  if (pointsChanged || linkChanged) Changed();
}

void TuiPathData::Assign(const TuiPersistent& Source) {
  if (auto* path = dynamic_cast<const TuiPathData*>(&Source)) return Assign(*path);
  throw EuxConvertError("Cannot assign a " + Source.ClassName() + " to a " + ClassName());
}

void TuiPathData::Changed() {
  if (OnChanged) OnChanged(this);
}
