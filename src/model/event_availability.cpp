#include "model/event_availability.h"

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>

#include "model/device_types.h"
#include "model/event_selection.h"
#include "model/rule_record.h"

namespace trv {

namespace {

using namespace event_criteria;

using namespace event_index;

constexpr EventAvailability Entry(int defaultEvent, std::initializer_list<int> events) {
  EventAvailability entry{defaultEvent, {}};
  for (const int event : events) entry.Allowed[static_cast<std::size_t>(event)] = true;
  return entry;
}

constexpr EventAvailability kFixedEntries[] = {
    Entry(kFault, {kFault, kCommsFail, kDay, kDelaysActive, kEvacuate}),
    Entry(kFault, {kFault}),
    Entry(kFire, {kFire, kPreAlarm, kFault, kEnabled, kDisabled}),
    Entry(kFire, {kFire, kNonFire, kFault, kEnabled, kDisabled}),
    Entry(kFault, {kFault, kCommsFail, kDelaysActive, kEvacuate}),
    Entry(kFire, {kFire, kNonFire, kFault, kDisabled}),
    Entry(kFault, {kFault, kDisabled}),
    Entry(kFire, {kFire, kInTest, kFault, kDisabled, kPowerOK}),
};

constexpr EventAvailability kSensorEntry =
    Entry(kFire, {kFire, kPreAlarm, kFault, kEnabled, kDisabled});
constexpr EventAvailability kGasSensorEntry =
    Entry(kPreAlarm, {kPreAlarm, kFault, kEnabled, kDisabled});
constexpr EventAvailability kAnyModuleEntry =
    Entry(kFire, {kFire, kNonFire, kFault, kEnabled, kDisabled});
constexpr EventAvailability kFireModuleEntry = Entry(kFire, {kFire, kFault, kEnabled, kDisabled});
constexpr EventAvailability kOutputModuleEntry = Entry(kFault, {kFault, kEnabled, kDisabled});
constexpr EventAvailability kAuxModuleEntry =
    Entry(kNonFire, {kNonFire, kFault, kEnabled, kDisabled});

struct TypedEntry {
  std::string_view Code;
  EventAvailability Availability;
};

constexpr TypedEntry kKP10SensorEntries[] = {
    {"ANY", kSensorEntry}, {"TMP", kSensorEntry}, {"ION", kSensorEntry}, {"OPT", kSensorEntry},
    {"MLT", kSensorEntry}, {"TPX", kSensorEntry}, {"AVS", kSensorEntry}, {"AVR", kSensorEntry},
    {"LSR", kSensorEntry}, {"QD4", kSensorEntry},
};

constexpr TypedEntry kKP10ModuleEntries[] = {
    {"ANY", kAnyModuleEntry},    {"MON", kFireModuleEntry},   {"MNS", kFireModuleEntry},
    {"MCP", kFireModuleEntry},   {"DKM", kFireModuleEntry},   {"ZMX", kFireModuleEntry},
    {"AUX", kAuxModuleEntry},    {"SDR", kOutputModuleEntry}, {"TxD", kOutputModuleEntry},
    {"CTL", kOutputModuleEntry}, {"RLY", kOutputModuleEntry}, {"ESM", kOutputModuleEntry},
    {"EST", kOutputModuleEntry}, {"ESO", kOutputModuleEntry}, {"ESE", kOutputModuleEntry},
    {"RLE", kOutputModuleEntry}, {"CTE", kOutputModuleEntry}, {"MRL", kOutputModuleEntry},
    {"IRL", kOutputModuleEntry}, {"LBM", kOutputModuleEntry},
};

constexpr TypedEntry kKPxKSensorEntries[] = {
    {"ANY", kSensorEntry}, {"TMP", kSensorEntry}, {"ION", kSensorEntry},    {"OPT", kSensorEntry},
    {"MLT", kSensorEntry}, {"AVS", kSensorEntry}, {"GAS", kGasSensorEntry}, {"QDR4", kSensorEntry},
};

constexpr TypedEntry kKPxKModuleEntries[] = {
    {"ANY", kAnyModuleEntry},    {"SPK", kFireModuleEntry},   {"MON", kFireModuleEntry},
    {"ASP", kFireModuleEntry},   {"MCP", kFireModuleEntry},   {"CDI", kFireModuleEntry},
    {"ZMX", kFireModuleEntry},   {"SDR", kOutputModuleEntry}, {"CTL", kOutputModuleEntry},
    {"LBM", kOutputModuleEntry}, {"AUX", kAuxModuleEntry},
};

enum class EntrySource {
  Fixed,
  SensorsByType,
  ModulesByType,
  ModulesByTypeWithDeviceTest,  // KPxK modules on the network tab
};

struct CriteriaRow {
  int SystemClass;
  int PanelClass;
  int LoopClass;
  int NonDevice;
  int DeviceKind;
  int Page;
  int Typed;
  EntrySource Source;
  int FixedEntry;
};

constexpr int A = kAnyCriterion;
constexpr EntrySource kFixed = EntrySource::Fixed;
constexpr EntrySource kSensorsByType = EntrySource::SensorsByType;
constexpr EntrySource kModulesByType = EntrySource::ModulesByType;
constexpr EntrySource kNetworkModulesByType = EntrySource::ModulesByTypeWithDeviceTest;

// Tested in order; the first row that matches decides. Columns: system, panel, loop, non-device,
// device kind, page, typed, then where the entry comes from (the fixed entry number).
constexpr CriteriaRow kCriteriaRows[] = {
    {2, A, A, A, A, 1, 1, kFixed, 7},                 // row 1
    {2, 2, 0, A, A, 0, 1, kFixed, 4},                 // row 2
    {2, 1, 0, A, A, 0, 1, kFixed, 0},                 // row 3
    {2, A, A, 0, A, 0, 1, kFixed, 1},                 // row 4
    {2, 2, 3, A, 0, 0, 1, kFixed, 5},                 // row 5
    {2, 2, 3, A, 1, 0, 1, kFixed, 6},                 // row 6
    {2, A, A, A, 0, 0, 1, kFixed, 2},                 // row 7
    {2, A, A, A, 0, 0, 2, kSensorsByType, 0},         // row 8
    {2, A, A, A, 0, 2, 1, kFixed, 2},                 // row 9
    {2, A, A, A, 0, 2, 2, kSensorsByType, 0},         // row 10
    {2, A, A, A, 1, 0, 1, kFixed, 3},                 // row 11
    {2, A, A, A, 1, 0, 2, kModulesByType, 0},         // row 12
    {2, A, A, A, 1, 2, 1, kFixed, 3},                 // row 13
    {2, A, A, A, 1, 2, 2, kNetworkModulesByType, 0},  // row 14
    {0, A, A, A, A, 1, 1, kFixed, 7},                 // row 15
    {0, A, 0, A, A, 0, 1, kFixed, 0},                 // row 16
    {0, A, A, 0, A, 0, 1, kFixed, 1},                 // row 17
    {0, A, A, A, 0, 0, 1, kFixed, 2},                 // row 18
    {0, A, A, A, 0, 0, 2, kSensorsByType, 0},         // row 19
    {0, A, A, A, 1, 0, 1, kFixed, 3},                 // row 20
    {0, A, A, A, 1, 0, 2, kModulesByType, 0},         // row 21
};

bool Matches(int rowValue, int stateValue) {
  return rowValue == kAnyCriterion || rowValue == -1 || rowValue == stateValue;
}

bool RowMatches(const CriteriaRow& row, const EventCriteria& state) {
  return Matches(row.SystemClass, state.SystemClass) && Matches(row.PanelClass, state.PanelClass) &&
         Matches(row.LoopClass, state.LoopClass) && Matches(row.NonDevice, state.NonDevice) &&
         Matches(row.DeviceKind, state.DeviceKind) && Matches(row.Page, state.Page) &&
         Matches(row.Typed, state.Typed);
}

std::span<const TypedEntry> TypedEntries(DeviceFamily family, bool module) {
  if (family == DeviceFamily::KP10) {
    if (module) return kKP10ModuleEntries;
    return kKP10SensorEntries;
  }
  if (module) return kKPxKModuleEntries;
  return kKPxKSensorEntries;
}

// The entry for the type at position of the family's short list.
std::optional<EventAvailability> TypedAvailability(DeviceFamily family, bool module, int position) {
  const std::span<const std::string_view> codes = FamilyDeviceTypeList(family, module).Codes;
  if (position < 0 || static_cast<std::size_t>(position) >= codes.size()) return std::nullopt;
  const std::span<const TypedEntry> entries = TypedEntries(family, module);
  const std::string_view code = codes[static_cast<std::size_t>(position)];
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const TypedEntry& entry) { return entry.Code == code; });
  if (found == entries.end()) return std::nullopt;
  return found->Availability;
}

std::optional<EventAvailability> RowAvailability(const CriteriaRow& row, int position) {
  const DeviceFamily family =
      row.SystemClass == kSystemKP10 ? DeviceFamily::KP10 : DeviceFamily::KPxK;
  switch (row.Source) {
    case EntrySource::Fixed:
      return kFixedEntries[row.FixedEntry];
    case EntrySource::SensorsByType:
      return TypedAvailability(family, false, position);
    case EntrySource::ModulesByType:
      return TypedAvailability(family, true, position);
    case EntrySource::ModulesByTypeWithDeviceTest: {
      std::optional<EventAvailability> availability = TypedAvailability(family, true, position);
      if (availability) availability->Allowed[kDeviceTest] = true;
      return availability;
    }
  }
  return std::nullopt;
}

}  // namespace

// Both the rule's sentinels and the criteria share names here: each is named with its namespace.
EventCriteria EventCriteriaOfRule(const RuleRecord& rule, int systemIndex) {
  namespace ec = event_criteria;
  EventCriteria criteria;
  const bool kp10 = FamilyOfSystem(systemIndex) == DeviceFamily::KP10;
  criteria.SystemClass = kp10 ? ec::kSystemKP10 : ec::kSystemKPxK;
  const bool devicePanelShown = IsDeviceTypeApplicable(rule.DeviceType);
  criteria.DeviceKind = !devicePanelShown               ? ec::kNoDeviceKind
                        : IsModuleType(rule.DeviceType) ? ec::kModule
                                                        : ec::kSensor;
  criteria.DeviceTypePosition = std::max(rule.DeviceType, 0) % kModuleTypeOffset;
  if (rule.Kind == rkEventNetwork) {
    criteria.Page = ec::kNetworkPage;
    criteria.PanelClass = criteria.LoopClass = criteria.NonDevice = ec::kAnyCriterion;
    criteria.Typed = ec::kTyped;
    return criteria;
  }
  const bool general = rule.Kind == rkEventGeneral;
  const bool virtualLoop = IsVirtualLoop(rule.Loop);
  criteria.Page = general ? ec::kGeneralPage : ec::kLocalPage;
  criteria.PanelClass = rule.Panel == trv::kAnyPanel || kp10 ? ec::kAnyPanel : ec::kSpecificPanel;
  criteria.LoopClass = virtualLoop                  ? ec::kVirtualLoop
                       : rule.Loop == trv::kNonLoop ? ec::kNonLoop
                                                    : ec::kOtherLoop;
  criteria.NonDevice = rule.Address == kNonDevice ? ec::kNonDeviceChecked : ec::kDeviceEvent;
  criteria.Typed = devicePanelShown && !virtualLoop && !general ? ec::kTyped : ec::kUntyped;
  return criteria;
}

std::optional<int> MatchingCriteriaRow(const EventCriteria& criteria) {
  const auto found =
      std::find_if(std::begin(kCriteriaRows), std::end(kCriteriaRows),
                   [&](const CriteriaRow& row) { return RowMatches(row, criteria); });
  if (found == std::end(kCriteriaRows)) return std::nullopt;
  return static_cast<int>(found - std::begin(kCriteriaRows)) + 1;
}

std::optional<EventAvailability> LookUpEventAvailability(const EventCriteria& criteria) {
  const std::optional<int> row = MatchingCriteriaRow(criteria);
  if (!row) return std::nullopt;
  return RowAvailability(kCriteriaRows[*row - 1], criteria.DeviceTypePosition);
}

}  // namespace trv
