#include "scene2d/stream/ReadBudget.h"

#include <string>

#include "scene2d/stream/StreamErrors.h"

namespace {

thread_local TuiReadBudget* CurrentBudget = nullptr;

}  // namespace

TuiReadBudget::TuiReadBudget(int64_t Pixels) : FLimit(Pixels), FLeft(Pixels), FOuter(CurrentBudget) {
  CurrentBudget = this;
}

TuiReadBudget::~TuiReadBudget() {
  // Scoped objects end in reverse order of their making, so this is the
  // innermost budget.
  CurrentBudget = FOuter;
}

void TuiReadBudget::ChargePixels(int64_t Pixels) {
  if (Pixels <= 0) return;
  for (TuiReadBudget* b = CurrentBudget; b; b = b->FOuter)
    if (Pixels > b->FLeft)
      uxRaiseReadError(uxFormatMessage(uxMsgReadBudgetExceeded, {std::to_string(b->FLimit)}));
  for (TuiReadBudget* b = CurrentBudget; b; b = b->FOuter) b->FLeft -= Pixels;
}
