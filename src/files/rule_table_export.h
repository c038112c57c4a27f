#pragma once

#include <string>

#include "model/rule_text.h"

namespace trv {

class Configuration;

// The rule table for spreadsheets and cause-and-effect documents, as CSV: UTF-8 with a byte-order
// mark (so that spreadsheets take it for UTF-8), CRLF line ends, a field holding a comma, a quote,
// CR or LF quoted with its quotes doubled. The first row is an empty cell over the rule numbers
// and the grid's nine headings; then one row a rule: its number and its nine cells as the grid
// shows them in this context.
std::string ExportRuleTable(const Configuration& configuration, const RuleTextContext& context);

}  // namespace trv
