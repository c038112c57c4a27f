#pragma once

#include <string>
#include <vector>

#include "editor/configuration_compare.h"

namespace trv {

// How a row of the side-by-side comparison is marked.
enum class ComparisonMark { Heading, Setting, Changed, OnlyInA, OnlyInB, Moved };

// One row of the side-by-side comparison: a heading ("Settings", "Rules") in A alone, or what
// each side holds of one difference, empty on a side without it.
struct ComparisonRow {
  ComparisonMark Mark = ComparisonMark::Changed;
  std::string A;
  std::string B;

  bool operator==(const ComparisonRow&) const = default;
};

// The names of the two sides in the summary: "A" and "B" for two files; "this configuration"
// and "the file" in the window.
struct ComparisonSides {
  std::string A;
  std::string B;
};

// The cells the grid shows, on one line: padding and "n/a" left out.
std::string RuleTextLine(const RuleText& cells);

// The settings under their heading, then the rules under theirs, each side of a rule with its
// number there: "rule 4: Zonal / 0 / ( 4.. 5) / Fire / ...". A changed rule that reads the same
// on both sides shows the fields that differ after its text.
std::vector<ComparisonRow> ComparisonRows(const ConfigurationDifferences& differences);

// "differences: 2 settings, 3 rules (1 changed, 2 only in B)", naming the kinds of rule
// difference that occur; "no differences" when there are none.
std::string ComparisonSummary(const ConfigurationDifferences& differences,
                              const ComparisonSides& sides);

}  // namespace trv
