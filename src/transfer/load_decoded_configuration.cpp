#include "transfer/load_decoded_configuration.h"

#include "model/rule_text.h"
#include "model/rule_workbook.h"

namespace trv {

namespace {

// Even a stream of nothing but two-word rules leaves the row after the last rule in the sheets.
static_assert(ConfigurationImage::kStreamWordCapacity / 2 < kMaxRows);

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
