#include "transfer/load_decoded_configuration.h"

#include <array>

#include "model/rule_text.h"
#include "model/string_ids.h"
#include "model/string_table.h"

namespace trv {

namespace {

constexpr int kRuleTextColumnWidth = 3150;

// Even a stream of nothing but two-word rules leaves the row after the last rule in the sheets.
static_assert(ConfigurationImage::kStreamWordCapacity / 2 < kMaxRows);

// Sheet 3 as the grid shows it: nine headed columns and the rules plus the empty row to append.
void SetUpRuleTextSheet(Workbook& book, std::int32_t ruleCount) {
  constexpr std::array kHeadings{
      string_id::kRuleHeading,  string_id::kPanelHeading,   string_id::kLoopHeading,
      string_id::kZoneHeading,  string_id::kAddressHeading, string_id::kDeviceHeading,
      string_id::kEventHeading, string_id::kOutputHeading,  string_id::kChannelHeading};
  book.SetSelectedSheet(kRuleTextSheet);
  book.SetMaxColumn(static_cast<int>(kHeadings.size()));
  book.SetMaxRow(ruleCount + 1);
  for (std::size_t column = 0; column < kHeadings.size(); ++column) {
    book.SetColumnHeading(static_cast<int>(column) + 1, ActiveText(kHeadings[column]));
  }
  book.SetColumnWidths(1, static_cast<int>(kHeadings.size()), kRuleTextColumnWidth);
  book.SetActiveCell(1, 1);
}

}  // namespace

void LoadDecodedConfiguration(Configuration& configuration, const DecodedConfiguration& decoded) {
  configuration.ControllerSettings = decoded.Settings;
  configuration.MimicBook = Workbook();
  configuration.RuleCount = static_cast<std::int32_t>(decoded.Rules.size());
  for (std::int32_t n = 1; n <= configuration.RuleCount; ++n) {
    configuration.StoreRule(n, decoded.Rules[static_cast<std::size_t>(n - 1)]);
  }
  configuration.TargetRule = 0;
  configuration.SelectedRow = 0;
  configuration.SelectedColumn = 0;
  configuration.SettingsLocked = true;
  configuration.Modified = true;  // as the settings page's handlers leave it
  configuration.RecomputeRequiredSystem();
  configuration.WriteSettingsToSheet();
  SetUpRuleTextSheet(configuration.MimicBook, configuration.RuleCount);
  RenderAllRules(configuration, RuleTextContextOf(configuration.ControllerSettings));
  configuration.LoadWorkingRule(configuration.RuleCount);  // Render all leaves the last rule there
}

void DecodeImageInto(Configuration& configuration, const ConfigurationImage& image) {
  LoadDecodedConfiguration(configuration, DecodeImage(image, configuration.ControllerSettings,
                                                      configuration.DefaultBaseName));
}

}  // namespace trv
