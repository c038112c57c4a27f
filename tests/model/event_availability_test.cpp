#include "model/event_availability.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "model/device_types.h"
#include "model/event_selection.h"

namespace trv {
namespace {

using namespace event_criteria;

using namespace event_index;

EventAvailability Expected(int defaultEvent, std::initializer_list<int> events) {
  EventAvailability availability{defaultEvent, {}};
  for (const int event : events) availability.Allowed[static_cast<std::size_t>(event)] = true;
  return availability;
}

EventCriteria Local(int system, int panel, int loop, int nonDevice, int kind, int typed,
                    int position = 0) {
  return {system, panel, loop, nonDevice, kind, kLocalPage, typed, position};
}

EventCriteria General(int system) {
  return {system, kAnyPanel, kAnyCriterion, kAnyCriterion, kNoDeviceKind, kGeneralPage, kUntyped};
}

EventCriteria Network(int kind, int typed, int position = 0) {
  return {kSystemKPxK, kAnyCriterion, kAnyCriterion, kAnyCriterion,
          kind,        kNetworkPage,  typed,         position};
}

struct RowCase {
  EventCriteria Criteria;
  int Row;
  EventAvailability Availability;
};

TEST(EventAvailability, EveryRowIsReachedByTheStateItDescribes) {
  const EventAvailability sensorFixed =
      Expected(kFire, {kFire, kPreAlarm, kFault, kEnabled, kDisabled});
  const EventAvailability moduleFixed =
      Expected(kFire, {kFire, kNonFire, kFault, kEnabled, kDisabled});
  const EventAvailability general = Expected(kFire, {kFire, kInTest, kFault, kDisabled, kPowerOK});
  const EventAvailability nonLoopAnyPanel =
      Expected(kFault, {kFault, kCommsFail, kDay, kDelaysActive, kEvacuate});
  const EventAvailability faultOnly = Expected(kFault, {kFault});
  const int kind = kNoDeviceKind;
  const RowCase cases[] = {
      {General(kSystemKPxK), 1, general},
      {Local(kSystemKPxK, kSpecificPanel, kNonLoop, kDeviceEvent, kind, kUntyped), 2,
       Expected(kFault, {kFault, kCommsFail, kDelaysActive, kEvacuate})},
      {Local(kSystemKPxK, kAnyPanel, kNonLoop, kDeviceEvent, kind, kUntyped), 3, nonLoopAnyPanel},
      {Local(kSystemKPxK, kAnyPanel, kOtherLoop, kNonDeviceChecked, kind, kUntyped), 4, faultOnly},
      {Local(kSystemKPxK, kSpecificPanel, kVirtualLoop, kDeviceEvent, kSensor, kUntyped), 5,
       Expected(kFire, {kFire, kNonFire, kFault, kDisabled})},
      {Local(kSystemKPxK, kSpecificPanel, kVirtualLoop, kDeviceEvent, kModule, kUntyped), 6,
       Expected(kFault, {kFault, kDisabled})},
      {Local(kSystemKPxK, kAnyPanel, kVirtualLoop, kDeviceEvent, kSensor, kUntyped), 7,
       sensorFixed},
      {Local(kSystemKPxK, kAnyPanel, kOtherLoop, kDeviceEvent, kSensor, kTyped, 1), 8, sensorFixed},
      {Network(kSensor, kUntyped), 9, sensorFixed},
      {Network(kSensor, kTyped, 2), 10, sensorFixed},
      {Local(kSystemKPxK, kAnyPanel, kVirtualLoop, kDeviceEvent, kModule, kUntyped), 11,
       moduleFixed},
      {Local(kSystemKPxK, kSpecificPanel, kOtherLoop, kDeviceEvent, kModule, kTyped, 1), 12,
       Expected(kFire, {kFire, kFault, kEnabled, kDisabled})},
      {Network(kModule, kUntyped), 13, moduleFixed},
      {Network(kModule, kTyped, 0), 14,
       Expected(kFire, {kFire, kNonFire, kFault, kDeviceTest, kEnabled, kDisabled})},
      {General(kSystemKP10), 15, general},
      {Local(kSystemKP10, kAnyPanel, kNonLoop, kDeviceEvent, kind, kUntyped), 16, nonLoopAnyPanel},
      {Local(kSystemKP10, kAnyPanel, kOtherLoop, kNonDeviceChecked, kind, kUntyped), 17, faultOnly},
      {Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent, kSensor, kUntyped), 18, sensorFixed},
      {Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent, kSensor, kTyped, 5), 19,
       sensorFixed},
      {Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent, kModule, kUntyped), 20, moduleFixed},
      {Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent, kModule, kTyped, 5), 21,
       Expected(kNonFire, {kNonFire, kFault, kEnabled, kDisabled})},
  };
  for (const RowCase& rowCase : cases) {
    EXPECT_EQ(MatchingCriteriaRow(rowCase.Criteria), rowCase.Row);
    EXPECT_EQ(LookUpEventAvailability(rowCase.Criteria), rowCase.Availability)
        << "row " << rowCase.Row;
  }
}

TEST(EventAvailability, TheFirstMatchingRowDecides) {
  // Non-loop with "Non Device Event" also matches row 4 (Fault only).
  EXPECT_EQ(MatchingCriteriaRow(
                Local(kSystemKPxK, kAnyPanel, kNonLoop, kNonDeviceChecked, kSensor, kUntyped)),
            3);
  // A virtual sensor on a specific panel also matches row 7.
  EXPECT_EQ(MatchingCriteriaRow(
                Local(kSystemKPxK, kSpecificPanel, kVirtualLoop, kDeviceEvent, kSensor, kUntyped)),
            5);
  // "Non Device Event" with a sensor also matches row 18 on KP10.
  EXPECT_EQ(MatchingCriteriaRow(
                Local(kSystemKP10, kAnyPanel, kOtherLoop, kNonDeviceChecked, kSensor, kUntyped)),
            17);
  EXPECT_EQ(MatchingCriteriaRow(
                Local(kSystemKP10, kAnyPanel, kNonLoop, kNonDeviceChecked, kSensor, kUntyped)),
            16);
}

TEST(EventAvailability, KPxKSensorsOfferFireButGasOffersPreAlarm) {
  const auto& sensors = FamilyDeviceTypeList(DeviceFamily::KPxK, false).Codes;
  for (int position = 0; position < static_cast<int>(sensors.size()); ++position) {
    const EventAvailability expected =
        sensors[static_cast<std::size_t>(position)] == "GAS"
            ? Expected(kPreAlarm, {kPreAlarm, kFault, kEnabled, kDisabled})
            : Expected(kFire, {kFire, kPreAlarm, kFault, kEnabled, kDisabled});
    for (const EventCriteria& criteria :
         {Local(kSystemKPxK, kAnyPanel, kOtherLoop, kDeviceEvent, kSensor, kTyped, position),
          Network(kSensor, kTyped, position)}) {
      EXPECT_EQ(LookUpEventAvailability(criteria), expected) << position;
    }
  }
}

TEST(EventAvailability, KPxKModulesByTypeAndTheirNetworkDeviceTest) {
  const EventAvailability fireInput = Expected(kFire, {kFire, kFault, kEnabled, kDisabled});
  const EventAvailability output = Expected(kFault, {kFault, kEnabled, kDisabled});
  const EventAvailability expected[] = {
      Expected(kFire, {kFire, kNonFire, kFault, kEnabled, kDisabled}),  // ANY
      fireInput,                                                        // SPK
      output,                                                           // SDR
      output,                                                           // CTL
      fireInput,                                                        // MON
      Expected(kNonFire, {kNonFire, kFault, kEnabled, kDisabled}),      // AUX
      fireInput,                                                        // ASP
      fireInput,                                                        // MCP
      fireInput,                                                        // CDI
      fireInput,                                                        // ZMX
      output,                                                           // LBM
  };
  for (int position = 0; position < 11; ++position) {
    const EventAvailability local = expected[position];
    EXPECT_EQ(LookUpEventAvailability(Local(kSystemKPxK, kAnyPanel, kOtherLoop, kDeviceEvent,
                                            kModule, kTyped, position)),
              local)
        << position;
    EventAvailability network = local;
    network.Allowed[kDeviceTest] = true;
    EXPECT_EQ(LookUpEventAvailability(Network(kModule, kTyped, position)), network) << position;
  }
}

TEST(EventAvailability, KP10TypesByCode) {
  const auto& modules = FamilyDeviceTypeList(DeviceFamily::KP10, true).Codes;
  for (int position = 0; position < static_cast<int>(modules.size()); ++position) {
    const std::string_view code = modules[static_cast<std::size_t>(position)];
    EventAvailability expected = Expected(kFault, {kFault, kEnabled, kDisabled});
    if (code == "ANY") expected = Expected(kFire, {kFire, kNonFire, kFault, kEnabled, kDisabled});
    if (code == "MON" || code == "MNS" || code == "MCP" || code == "DKM" || code == "ZMX") {
      expected = Expected(kFire, {kFire, kFault, kEnabled, kDisabled});
    }
    if (code == "AUX") expected = Expected(kNonFire, {kNonFire, kFault, kEnabled, kDisabled});
    EXPECT_EQ(LookUpEventAvailability(Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent,
                                            kModule, kTyped, position)),
              expected)
        << code;
  }
  for (int position = 0; position < 10; ++position) {
    EXPECT_EQ(LookUpEventAvailability(Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent,
                                            kSensor, kTyped, position)),
              Expected(kFire, {kFire, kPreAlarm, kFault, kEnabled, kDisabled}));
  }
}

TEST(EventAvailability, TypedRowsWithoutThatTypeAndUnknownStatesHaveNoEntry) {
  for (const int position : {-1, 11, 255, 100000}) {
    EXPECT_EQ(LookUpEventAvailability(Network(kModule, kTyped, position)), std::nullopt);
  }
  EXPECT_EQ(LookUpEventAvailability(
                Local(kSystemKPxK, kAnyPanel, kOtherLoop, kDeviceEvent, kSensor, kTyped, 8)),
            std::nullopt);
  EXPECT_EQ(LookUpEventAvailability(
                Local(kSystemKP10, kAnyPanel, kOtherLoop, kDeviceEvent, kModule, kTyped, 20)),
            std::nullopt);
  // KP10 has no network tab; system class 1 is no class; a shown device panel without a kind.
  EXPECT_EQ(LookUpEventAvailability({kSystemKP10, kAnyCriterion, kAnyCriterion, kAnyCriterion,
                                     kSensor, kNetworkPage, kUntyped}),
            std::nullopt);
  EXPECT_EQ(LookUpEventAvailability(General(1)), std::nullopt);
  EXPECT_EQ(LookUpEventAvailability(
                Local(kSystemKPxK, kAnyPanel, kOtherLoop, kDeviceEvent, kNoDeviceKind, kTyped)),
            std::nullopt);
}

}  // namespace
}  // namespace trv
