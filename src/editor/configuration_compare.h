#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/rule_text.h"

namespace trv {

class Configuration;

// A field that differs, with its value on each side as text.
struct FieldDifference {
  std::string Field;
  std::string ValueA;
  std::string ValueB;

  bool operator==(const FieldDifference&) const = default;
};

enum class RuleChange {
  Changed,  // the rule at this place holds something else
  OnlyInA,
  OnlyInB,
  Moved,  // the same rule at another place
};

// A rule that differs. Rule numbers are 0 on a side without the rule, and so are its text cells
// empty.
struct RuleDifference {
  RuleChange Change = RuleChange::Changed;
  std::int32_t NumberA = 0;
  std::int32_t NumberB = 0;
  RuleText TextA;
  RuleText TextB;
  std::vector<FieldDifference> Fields;  // Changed: the fields of the rule that differ

  bool operator==(const RuleDifference&) const = default;
};

struct ConfigurationDifferences {
  std::vector<FieldDifference> Settings;
  std::vector<RuleDifference> Rules;  // in rule order

  bool Empty() const { return Settings.empty() && Rules.empty(); }
};

// The side, if any, that was read back from a controller's image.
enum class ImageSide { None, A, B };

// The settings and the rules of b that differ from those of a. Rules are matched by their place
// in the list, so that an inserted or deleted rule is one difference and not a change of every
// rule after it; only the fields that a rule of its kind uses are compared, and of an event
// selection only the events that count. Each side's rule text is the one its settings give.
// When one side is an image, the other is compared as the controller would hold it after a send
// (what an image cannot carry is not a difference), its rules still numbered and shown as it holds
// them; it throws ImageOverflowError when it does not fit into an image. Lists too different to
// match rule by rule are compared by rule number.
ConfigurationDifferences CompareConfigurations(const Configuration& a, const Configuration& b,
                                               ImageSide imageSide = ImageSide::None);

}  // namespace trv
