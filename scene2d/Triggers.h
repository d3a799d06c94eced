#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TuiPersistent;

// One condition of a trigger text: "IsMouseOver=true" names a published
// Boolean or enumeration property of the object that raised the trigger and
// the value name it must have.
struct TuiTriggerCondition {
  std::string Name;
  std::string Value;
  friend bool operator==(const TuiTriggerCondition&, const TuiTriggerCondition&) = default;
};

// "IsMouseOver=true;IsPressed=false": conditions joined by ";", each split at
// its first "=" into a name and a value, both trimmed of blanks. Empty
// conditions are dropped; one without "=" has an empty value.
std::vector<TuiTriggerCondition> ParseTrigger(std::string_view Text);

// Whether Instance's property named by the condition has the value name it
// asks for ("True", "False" or an enumeration value), ignoring case; none
// when Instance publishes no Boolean or enumeration property of that name, so
// that a condition about a property the object lacks is ignored.
std::optional<bool> TriggerConditionHolds(const TuiPersistent& Instance,
                                          const TuiTriggerCondition& Condition);

// Whether a trigger text mentions the raised trigger name, ignoring case: only
// such texts are evaluated.
bool TriggerMentions(std::string_view Text, std::string_view TriggerName);
