#pragma once

#include <cstdint>

#include "model/configuration.h"
#include "model/workbook.h"

namespace trv {

// Rows of the rule text sheet for a rule count: the rules and the empty row to append to.
int RuleTextRowsShown(std::int32_t ruleCount);

// The rule text sheet as the grid shows it: nine headed columns, the rows of the rules, the
// active cell at the first rule. Leaves the rule text sheet selected.
void SetUpRuleTextSheet(Workbook& book, std::int32_t ruleCount);

// The workbook's set-up at creation, File New and File Open: column widths on every sheet, the
// rule text sheet, the settings cells that wait for no confirmation and, when clearing, the
// rule sheets emptied. Leaves the rule text sheet selected.
void SetUpWorkbook(Configuration& configuration, bool clear);

}  // namespace trv
