#pragma once

#include <array>
#include <cstdint>

#include "model/event_selection.h"

namespace trv::rule_word_layout {

// Subtypes of Control words.
inline constexpr unsigned kBoardsSubtype = 4;
inline constexpr unsigned kVdsSubtype = 5;
inline constexpr unsigned kNetworkSubtype = 6;
inline constexpr unsigned kRuleHeaderSubtype = 7;

// Zones above this go with a ZoneHigh word.
inline constexpr std::int32_t kZonesPerZoneWord = 4096;

// An event of the EventSelection and its bit in an Events word.
struct EventBit {
  int Event;
  unsigned Bit;
};

// Events word of event rules; Fault goes to one of three bits by the rule's source.
inline constexpr std::array<EventBit, 8> kEventRuleBits{{
    {event_index::kFire, 11},
    {event_index::kPreAlarm, 10},
    {event_index::kNonFire, 9},
    {event_index::kDisabled, 6},
    {event_index::kDay, 5},
    {event_index::kDeviceTest, 3},
    {event_index::kCommsFail, 2},
    {event_index::kEvacuate, 1},
}};
inline constexpr unsigned kDeviceFaultBit = 8;
inline constexpr unsigned kNonDeviceFaultBit = 4;
inline constexpr unsigned kNonLoopFaultBit = 0;
inline constexpr std::array<EventBit, 3> kFaultBits{{
    {event_index::kFault, kDeviceFaultBit},
    {event_index::kFault, kNonDeviceFaultBit},
    {event_index::kFault, kNonLoopFaultBit},
}};

// Events word of Event (General) rules.
inline constexpr std::array<EventBit, 5> kGeneralEventBits{{
    {event_index::kFire, 0},
    {event_index::kFault, 1},
    {event_index::kDisabled, 2},
    {event_index::kInTest, 3},
    {event_index::kPowerOK, 4},
}};

}  // namespace trv::rule_word_layout
