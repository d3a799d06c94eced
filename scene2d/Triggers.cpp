#include "scene2d/Triggers.h"

#include <algorithm>
#include <variant>

#include "scene2d/Persistent.h"

namespace {

std::string_view Trim(std::string_view S) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!S.empty() && blank(S.front())) S.remove_prefix(1);
  while (!S.empty() && blank(S.back())) S.remove_suffix(1);
  return S;
}

char Lower(char C) {
  return C >= 'A' && C <= 'Z' ? char(C + 32) : C;
}

}  // namespace

std::vector<TuiTriggerCondition> ParseTrigger(std::string_view Text) {
  std::vector<TuiTriggerCondition> conditions;
  while (!Text.empty()) {
    const size_t end = std::min(Text.find(';'), Text.size());
    const std::string_view part = Text.substr(0, end);
    Text.remove_prefix(std::min(end + 1, Text.size()));
    if (Trim(part).empty()) continue;
    const size_t eq = part.find('=');
    if (eq == std::string_view::npos)
      conditions.push_back({std::string(Trim(part)), {}});
    else
      conditions.push_back({std::string(Trim(part.substr(0, eq))), std::string(Trim(part.substr(eq + 1)))});
  }
  return conditions;
}

std::optional<bool> TriggerConditionHolds(const TuiPersistent& Instance,
                                          const TuiTriggerCondition& Condition) {
  const TuiPropertyInfo* p = Instance.ClassInfo().FindProperty(Condition.Name);
  if (!p || !p->Get) return std::nullopt;
  if (p->Kind == pkBool) {
    const TuiPropValue v = p->Get(Instance);
    return SameText(std::get<bool>(v) ? "True" : "False", Condition.Value);
  }
  if (p->Kind == pkEnum && p->Enum) {
    const TuiPropValue v = p->Get(Instance);
    const int64_t ordinal = std::get<int64_t>(v);
    const auto& names = p->Enum->Names;
    return ordinal >= 0 && size_t(ordinal) < names.size() &&
           SameText(names[size_t(ordinal)], Condition.Value);
  }
  return std::nullopt;
}

bool TriggerMentions(std::string_view Text, std::string_view TriggerName) {
  return TriggerName.empty() ||
         std::search(Text.begin(), Text.end(), TriggerName.begin(), TriggerName.end(),
                     [](char A, char B) { return Lower(A) == Lower(B); }) != Text.end();
}
