#include "files/rule_table_export.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "model/configuration.h"
#include "model/string_table.h"

namespace trv {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

void AppendField(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// The first field, then the nine cells, each after a comma.
void AppendRow(std::string& out, std::string_view first, const RuleText& cells) {
  AppendField(out, first);
  for (const std::string& cell : cells) {
    out += ',';
    AppendField(out, cell);
  }
  out += kLineEnd;
}

RuleText Headings() {
  RuleText headings;
  std::transform(kRuleTextHeadings.begin(), kRuleTextHeadings.end(), headings.begin(),
                 [](int id) { return ActiveText(id); });
  return headings;
}

}  // namespace

std::string ExportRuleTable(const Configuration& configuration, const RuleTextContext& context) {
  std::string out(kByteOrderMark);
  AppendRow(out, "", Headings());
  const std::int32_t count = std::min(configuration.RuleCount, kMaxRows);
  for (std::int32_t n = 1; n <= count; ++n) {
    AppendRow(out, std::to_string(n), RenderRule(configuration.StoredRule(n), context));
  }
  return out;
}

}  // namespace trv
