#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/event_selection.h"
#include "model/rule_record.h"
#include "model/string_ids.h"

namespace trv {

class Configuration;
struct ControllerSettings;

inline constexpr std::size_t kRuleTextColumns = 9;

// One row of the rule text sheet: Rule, Panel, Loop, Zone, Address, Device, Event, Output,
// Channel.
using RuleText = std::array<std::string, kRuleTextColumns>;

// The string ids of the column headings, in column order.
inline constexpr std::array<int, kRuleTextColumns> kRuleTextHeadings{
    string_id::kRuleHeading,  string_id::kPanelHeading,   string_id::kLoopHeading,
    string_id::kZoneHeading,  string_id::kAddressHeading, string_id::kDeviceHeading,
    string_id::kEventHeading, string_id::kOutputHeading,  string_id::kChannelHeading};

// The texts of the board and zonal event choices, by choice index.
inline constexpr std::array<std::string_view, 2> kBoardEventChoiceTexts{
    "Fire", "Fire & Fault/Test/Disable"};
inline constexpr std::array<std::string_view, 5> kZonalEventChoiceTexts{
    "Fire", "Fault/Test/Disable", "Fault", "Zone in Test", "Disable"};

using EventCaptions = std::array<std::string, kEventCount>;
using BoardEventChoices = std::array<std::string, kBoardEventChoiceTexts.size()>;
using ZonalEventChoices = std::array<std::string, kZonalEventChoiceTexts.size()>;

// The built-in captions and choice texts (a language module may change what the editor shows).
EventCaptions DefaultEventCaptions();
BoardEventChoices DefaultBoardEventChoices();
ZonalEventChoices DefaultZonalEventChoices();

// What the rule text reads from the editor: the controller's model and system, the captions the
// event page shows, and the state of two of its fields.
struct RuleTextContext {
  int ModelIndex = 0;
  int SystemIndex = 2;
  EventCaptions EventCaptionTexts = DefaultEventCaptions();
  BoardEventChoices BoardEventChoiceTexts = DefaultBoardEventChoices();
  ZonalEventChoices ZonalEventChoiceTexts = DefaultZonalEventChoices();
  bool TerminationBankHasRange = true;  // the termination output has a bank (other models)
  std::int32_t LastZoneMax = 255;       // maximum of the board page's last-zone field
};

// The context of an editor that shows these settings with its built-in captions.
RuleTextContext RuleTextContextOf(const ControllerSettings& settings);

// The rule as the rule table shows it, with the texts of the active string table.
RuleText RenderRule(const RuleRecord& rule, const RuleTextContext& context);

// Rows 1..count of the rule text sheet from the rule data sheet.
void RenderAllRules(Configuration& configuration, const RuleTextContext& context);

}  // namespace trv
