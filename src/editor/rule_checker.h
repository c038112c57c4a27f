#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

class Configuration;

// Error: the controller would be programmed wrongly, or the send would fail. Warning: legal, but
// almost certainly not meant. Note: for information.
enum class FindingSeverity { Error, Warning, Note };

// What one check found: the check's stable code ("E03"), the rules concerned (none for the
// configuration as a whole), and a text in the system's terms.
struct Finding {
  FindingSeverity Severity = FindingSeverity::Note;
  std::string Code;
  std::vector<std::int32_t> Rules;  // ascending
  std::string Text;

  bool operator==(const Finding&) const = default;
};

// Everything the checks find in the settings and rules 1..count: errors first, then warnings,
// then notes; within each, by first rule (the configuration as a whole first), then by code.
// Cleared rules take no part. The settings are taken as the settings page, a rule file or an
// image leave them: a system index outside 0..2 throws std::out_of_range.
std::vector<Finding> CheckConfiguration(const Configuration& configuration);

// "error", "warning" or "note".
std::string_view SeverityName(FindingSeverity severity);

// The finding as one line: "rule 12: error E03: output 65 (board 2, bank 1, output 1) is on
// board 2, but 1 board is installed"; "rules 3, 7: ..." for several rules, no prefix for none.
std::string FindingLine(const Finding& finding);

// What the window's list shows of a finding beside its severity: the rules ("3, 7"; empty for
// the configuration as a whole) and the code with the text ("E03: output 65 ...").
std::string FindingRules(const Finding& finding);
std::string FindingText(const Finding& finding);

// "1 error, 2 warnings, 0 notes".
std::string FindingsSummary(const std::vector<Finding>& findings);

bool HasError(const std::vector<Finding>& findings);
std::size_t CountErrors(const std::vector<Finding>& findings);

}  // namespace trv
