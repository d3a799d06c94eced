#include "scene2d/ReadLosses.h"

#include "scene2d/Object.h"

namespace {

thread_local TuiLossCollector* tCollector = nullptr;
thread_local const TuiLossContext* tContext = nullptr;

}  // namespace

TuiLossCollector::TuiLossCollector() : FOuter(tCollector) {
  tCollector = this;
}

TuiLossCollector::~TuiLossCollector() {
  tCollector = FOuter;
}

TuiLossContext::TuiLossContext(const TuiComponent& Object, std::string_view Property)
    : FObject(Object), FProperty(Property), FOuter(tContext) {
  tContext = this;
}

TuiLossContext::~TuiLossContext() {
  tContext = FOuter;
}

void uxReportLoss(std::string_view What) {
  if (!tCollector) return;
  TuiReadLoss loss;
  loss.What = What;
  if (tContext) {
    // Built only here: reading a property that converts costs nothing.
    for (const TuiComponent* o = &tContext->FObject; o; o = o->GetParentComponent()) {
      const std::string& name = o->Name().empty() ? o->ClassName() : o->Name();
      loss.Object = loss.Object.empty() ? name : name + "." + loss.Object;
    }
    loss.Property = tContext->FProperty;
  }
  tCollector->FLosses.push_back(std::move(loss));
}

std::string uxQuoteForLoss(std::string_view Text) {
  constexpr size_t kShown = 64;
  std::string quoted = "'";
  for (char c : Text.substr(0, kShown))
    quoted += (unsigned char)c >= 0x20 && (unsigned char)c < 0x7F ? c : '?';
  quoted += Text.size() > kShown ? "'..." : "'";
  return quoted;
}
