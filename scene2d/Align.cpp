// The alignment engine: how a parent places its aligned children.

#include <algorithm>
#include <cmath>
#include <vector>

#include "scene2d/VisualObject.h"

namespace {

// One pass per kind, in this order: edges first, the most-outer ones before
// the plain ones, then what fills the rest, then what only reacts to the
// parent's size change.
constexpr TuiAlign kPassOrder[] = {
    vaMostTop, vaMostBottom, vaMostLeft, vaMostRight, vaTop,        vaBottom,      vaLeft,       vaRight,
    vaClient,  vaHorizontal, vaVertical, vaContents,  vaCenter,     vaHorzCenter,  vaVertCenter, vaScale,
    vaFit,     vaFitLeft,    vaFitRight, vaTopRight,  vaBottomLeft, vaBottomRight,
};

bool KeepsOwnWidth(TuiAlign Kind) {
  switch (Kind) {
    case vaTopLeft:
    case vaTopRight:
    case vaBottomLeft:
    case vaBottomRight:
    case vaLeft:
    case vaRight:
    case vaMostLeft:
    case vaMostRight:
    case vaVertical:
      return true;
    default:
      return false;
  }
}

bool KeepsOwnHeight(TuiAlign Kind) {
  switch (Kind) {
    case vaTopLeft:
    case vaTopRight:
    case vaBottomLeft:
    case vaBottomRight:
    case vaTop:
    case vaBottom:
    case vaMostTop:
    case vaMostBottom:
    case vaHorizontal:
      return true;
    default:
      return false;
  }
}

struct TRealignGuard {
  bool& Flag;
  explicit TRealignGuard(bool& F) : Flag(F) { Flag = true; }
  ~TRealignGuard() { Flag = false; }
  TRealignGuard(const TRealignGuard&) = delete;
  TRealignGuard& operator=(const TRealignGuard&) = delete;
};

}  // namespace

void TuiVisualObject::Realign() {
  if (IsDestroying() || FRealigning || FUpdateCount > 0) return;
  const TuiPoint size = AlignSize();
  if (std::fabs(size.X) < 2 || std::fabs(size.Y) < 2) return;
  if (IsLoading()) {
    FLastAligned = size;
    return;
  }
  RefreshChildFlags();
  if (size != FLastAligned && FHasEffects) EffectsChanged();
  if (!FHasAlignedChildren || ChildrenCount() == 0) {
    // Nothing is placed, so nothing can lag behind this size.
    FLastAligned = size;
    return;
  }
  TRealignGuard guard(FRealigning);
  const TuiRect m = MarginsValue();
  TuiRect area{m.Left, m.Top, size.X - m.Right, size.Y - m.Bottom};
  for (TuiAlign kind : kPassOrder) AlignPass(kind, area, size);
  FLastAligned = size;
  Repaint();
}

void TuiVisualObject::AlignPass(TuiAlign Kind, TuiRect& Area, const TuiPoint& Size) {
  std::vector<TuiVisualObject*> list;
  for (TuiObject* c : ChildList())
    if (TuiVisualObject* v = c->Visual(); v && v->FAlign == Kind && v->FVisible) list.push_back(v);
  if (list.empty()) return;

  auto x = [](const TuiVisualObject* V) { return V->FPosition->X(); };
  auto y = [](const TuiVisualObject* V) { return V->FPosition->Y(); };
  switch (Kind) {
    case vaTop:
    case vaMostTop:
      std::stable_sort(list.begin(), list.end(), [&](auto* A, auto* B) { return y(A) < y(B); });
      break;
    case vaLeft:
    case vaMostLeft:
      std::stable_sort(list.begin(), list.end(), [&](auto* A, auto* B) { return x(A) < x(B); });
      break;
    // For the far edges a later child with an equal edge goes first: sorting
    // the reversed list stably gives exactly that.
    case vaRight:
    case vaMostRight:
      std::reverse(list.begin(), list.end());
      std::stable_sort(list.begin(), list.end(),
                       [&](auto* A, auto* B) { return x(A) + A->FWidth > x(B) + B->FWidth; });
      break;
    case vaBottom:
    case vaMostBottom:
      std::reverse(list.begin(), list.end());
      std::stable_sort(list.begin(), list.end(),
                       [&](auto* A, auto* B) { return y(A) + A->FHeight > y(B) + B->FHeight; });
      break;
    default:
      break;
  }
  for (TuiVisualObject* c : list) PlaceChild(c, Kind, Area, Size);
}

void TuiVisualObject::PlaceChild(TuiVisualObject* C, TuiAlign Kind, TuiRect& R, const TuiPoint& Size) {
  const TuiRect p = C->PaddingValue();
  const float ownWidth = C->FWidth + p.Left + p.Right;
  const float ownHeight = C->FHeight + p.Top + p.Bottom;
  float w = R.Right - R.Left;
  if (w < 0 || KeepsOwnWidth(Kind)) w = ownWidth;
  float h = R.Bottom - R.Top;
  if (h < 0 || KeepsOwnHeight(Kind)) h = ownHeight;
  float x = R.Left;
  float y = R.Top;
  if (Kind == vaVertical) x = C->FPosition->X() - p.Left;
  if (Kind == vaHorizontal) y = C->FPosition->Y() - p.Top;

  switch (Kind) {
    case vaTopRight:
      C->MoveBy(Size.X - FLastAligned.X, 0);
      return;
    case vaBottomLeft:
      C->MoveBy(0, Size.Y - FLastAligned.Y);
      return;
    case vaBottomRight:
      C->MoveBy(Size.X - FLastAligned.X, Size.Y - FLastAligned.Y);
      return;
    case vaTop:
    case vaMostTop:
      R.Top += h;
      break;
    case vaBottom:
    case vaMostBottom:
      y = R.Bottom - h;
      R.Bottom = y;
      break;
    case vaLeft:
    case vaMostLeft:
      R.Left += w;
      break;
    case vaRight:
    case vaMostRight:
      x = R.Right - w;
      R.Right = x;
      break;
    case vaCenter:
    case vaHorzCenter:
    case vaVertCenter:
      if (Kind != vaVertCenter) {
        x = R.Left + std::trunc((w - ownWidth) / 2);
        w = ownWidth;
      }
      if (Kind != vaHorzCenter) {
        y = R.Top + std::trunc((h - ownHeight) / 2);
        h = ownHeight;
      }
      break;
    case vaContents:
      // The whole parent, whatever its margins and the siblings took.
      C->Place({p.Left, p.Top}, Size.X - p.Left - p.Right, Size.Y - p.Top - p.Bottom, true);
      return;
    case vaScale:
      if (FLastAligned.X > 0 && FLastAligned.Y > 0 && Size.X > 0 && Size.Y > 0) {
        const float fx = Size.X / FLastAligned.X;
        const float fy = Size.Y / FLastAligned.Y;
        C->Place({C->FPosition->X() * fx, C->FPosition->Y() * fy}, C->FWidth * fx, C->FHeight * fy, true);
      }
      return;
    case vaFit:
    case vaFitLeft:
    case vaFitRight:
      FitChild(C, Kind, Size);
      return;
    default:  // vaClient, vaHorizontal, vaVertical take the area but leave it to the others
      break;
  }

  C->Place({x + p.Left, y + p.Top}, w - p.Left - p.Right, h - p.Top - p.Bottom, false);

  // A child that chose another size while realigning gives back or takes the
  // difference on the side it consumed. The outermost kinds keep their slot.
  const float dw = w - (C->FWidth + p.Left + p.Right);
  const float dh = h - (C->FHeight + p.Top + p.Bottom);
  switch (Kind) {
    case vaTop:
      R.Top -= dh;
      break;
    case vaBottom:
      R.Bottom += dh;
      break;
    case vaLeft:
      R.Left -= dw;
      break;
    case vaRight:
      R.Right += dw;
      break;
    default:
      break;
  }
}

void TuiVisualObject::FitChild(TuiVisualObject* C, TuiAlign Kind, const TuiPoint& Size) {
  const TuiRect p = C->PaddingValue();
  const TuiRect m = MarginsValue();
  const TuiRect bounds{m.Left, m.Top, Size.X - m.Right, Size.Y - m.Bottom};
  const float cx = C->FPosition->X(), cy = C->FPosition->Y();
  TuiRect outer{cx - p.Left, cy - p.Top, cx + C->FWidth + p.Right, cy + C->FHeight + p.Bottom};
  // FitRect only shrinks; a smaller child is enlarged by the ratio it reports.
  // A child without area has no ratio to enlarge by.
  const float ratio = FitRect(outer, bounds);
  if (ratio > 0 && ratio < 1) {
    outer = {outer.Left / ratio, outer.Top / ratio, outer.Right / ratio, outer.Bottom / ratio};
    RectCenter(outer, bounds);
  }
  if (Kind == vaFitLeft) OffsetRect(outer, bounds.Left - outer.Left, 0);
  if (Kind == vaFitRight) OffsetRect(outer, bounds.Right - outer.Right, 0);
  C->Place({outer.Left + p.Left, outer.Top + p.Top}, outer.Width() - p.Left - p.Right,
           outer.Height() - p.Top - p.Bottom, true);
}

void TuiVisualObject::Place(const TuiPoint& Pos, float AWidth, float AHeight, bool Always) {
  FPlacing = true;
  FPosition->SetPoint(Pos);
  FPlacing = false;
  const bool widthChanged = AWidth != FWidth;
  const bool heightChanged = AHeight != FHeight;
  if (widthChanged || heightChanged) {
    FWidth = AWidth;
    FHeight = AHeight;
    SizeChanged(widthChanged, heightChanged);
  }
  if (widthChanged || heightChanged || Always) Realign();
  UpdateLocalMatrix();
}

void TuiVisualObject::MoveBy(float DeltaX, float DeltaY) {
  if (DeltaX == 0 && DeltaY == 0) return;
  FPosition->SetPoint({FPosition->X() + DeltaX, FPosition->Y() + DeltaY});
}
