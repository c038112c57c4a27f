#include "model/required_system.h"

#include <algorithm>

#include "model/host_system_limits.h"
#include "model/zone_range.h"

namespace trv {
namespace {

constexpr std::int32_t kLargeFamilyZoneAbove = 32;  // beyond the zones of the small family
constexpr std::int32_t kKP4000ZoneMax = 80;

int LocalInputLevel(std::int32_t panel, std::int32_t lastZone) {
  return panel > 0 || lastZone > kLargeFamilyZoneAbove ? kSystemKP4000 : kSystemKP10;
}

bool IsNetworkZoneInput(const RuleRecord& rule) {
  return rule.Panel == kNetworkZonePanel;
}

int StoredBoardRuleLevel(const RuleRecord& rule, int modelIndex, std::int32_t zoneMax) {
  const std::int32_t lastZone =
      BoardRuleLastZone(rule.Zone, BoardRuleSpan(modelIndex, rule.Events), zoneMax);
  return RequiredSystemOfBoardRule(IsNetworkZoneInput(rule), rule.Panel, lastZone);
}

int StoredZonalRuleLevel(const RuleRecord& rule) {
  const ZoneRange range = ZoneRange::Unpack(rule.Zone);
  // The editor keeps last >= first; a rule from elsewhere may not, and then its first zone is
  // the highest one it needs.
  return RequiredSystemOfZonalRule(IsNetworkZoneInput(rule), rule.Panel,
                                   std::max(range.First, range.Last));
}

// Loop -1 (any) and -2 (non-loop) need nothing; a virtual loop (1024 and up) reads as a loop
// above 1. Any panel (-1) needs nothing. A general event has only its panel.
int StoredRuleLevel(const RuleRecord& rule, int modelIndex, std::int32_t zoneMax) {
  switch (rule.Kind) {
    case rkBoard:
      return StoredBoardRuleLevel(rule, modelIndex, zoneMax);
    case rkZonal:
      return StoredZonalRuleLevel(rule);
    case rkEventNetwork:
      return RequiredSystemOfEventNetworkRule();
    case rkEventLocal:
      return RequiredSystemOfEventLocalRule(rule.Panel, rule.Loop);
    case rkEventGeneral:
      return RequiredSystemOfEventLocalRule(rule.Panel, 1);
    default:
      return kSystemKP10;
  }
}

std::int32_t LastZoneMax(int modelIndex, int systemIndex) {
  return HostSystemLimitsOf(systemIndex, {.ModelIndex = modelIndex}).LocalZone.Max;
}

}  // namespace

int RequiredSystemOfBoardRule(bool networkZoneInput, std::int32_t panel, std::int32_t lastZone) {
  if (networkZoneInput) return kSystemKP6000;
  return LocalInputLevel(panel, lastZone);
}

int RequiredSystemOfZonalRule(bool networkZoneInput, std::int32_t panel, std::int32_t lastZone) {
  if (networkZoneInput || lastZone > kKP4000ZoneMax) return kSystemKP6000;
  return LocalInputLevel(panel, lastZone);
}

int RequiredSystemOfEventNetworkRule() {
  return kSystemKP6000;
}

int RequiredSystemOfEventLocalRule(std::int32_t panel, std::int32_t loop) {
  return panel > 0 || loop > 1 ? kSystemKP4000 : kSystemKP10;
}

int RaisedRequiredSystem(int requiredSystem, int ruleLevel) {
  return std::max(requiredSystem, ruleLevel);
}

int RequiredSystemOfStoredRule(const RuleRecord& rule, int modelIndex, int systemIndex) {
  return StoredRuleLevel(rule, modelIndex, LastZoneMax(modelIndex, systemIndex));
}

int RequiredSystemOfStoredRules(std::span<const RuleRecord> rules, int modelIndex,
                                int systemIndex) {
  const std::int32_t zoneMax = LastZoneMax(modelIndex, systemIndex);
  int required = kSystemKP10;
  for (const RuleRecord& rule : rules) {
    required = RaisedRequiredSystem(required, StoredRuleLevel(rule, modelIndex, zoneMax));
    if (required == kSystemKP6000) break;
  }
  return required;
}

}  // namespace trv
