#include <gtest/gtest.h>

#include <stdexcept>

#include "model/host_system_limits.h"
#include "model/limits_entry.h"
#include "model/output_word.h"
#include "model/rule_record.h"

namespace trv {
namespace {

constexpr int kModel4 = kSlimlineModelIndex;

TEST(HostSystemLimits, RangesPerSystem) {
  const HostSystemLimits kp10 = HostSystemLimitsOf(kSystemKP10, {});
  const HostSystemLimits kp4000 = HostSystemLimitsOf(kSystemKP4000, {});
  const HostSystemLimits kp6000 = HostSystemLimitsOf(kSystemKP6000, {.VdsChecked = true});
  EXPECT_EQ(kp10.BoardZonalPanel, (FieldLimits{0, 0, 0}));
  EXPECT_EQ(kp4000.BoardZonalPanel, (FieldLimits{0, 7, 0}));
  EXPECT_EQ(kp10.LocalZone, (FieldLimits{1, 16, 1}));
  EXPECT_EQ(kp4000.LocalZone, (FieldLimits{1, 80, 1}));
  EXPECT_EQ(kp6000.LocalZone, (FieldLimits{1, 255, 1}));
  EXPECT_EQ(kp10.EventLoop, (FieldLimits{1, 1, 1}));
  EXPECT_EQ(kp6000.EventLoop, (FieldLimits{1, 8, 1}));
  EXPECT_EQ(kp6000.EventPanel, (FieldLimits{0, 7, 0}));
  EXPECT_EQ(kp4000.EventNetworkZone, (FieldLimits{0, 0, 0}));
  EXPECT_EQ(kp6000.EventNetworkZone, (FieldLimits{1, 8192, 1}));
  EXPECT_EQ(kp6000.EventReference, (FieldLimits{1, 32, 1}));
  for (const HostSystemLimits& limits : {kp10, kp4000, kp6000}) {
    EXPECT_EQ(limits.NetworkZone, (FieldLimits{1, 8192, 1}));
    EXPECT_EQ(limits.EventAddress, (FieldLimits{1, 99, 1}));
    EXPECT_EQ(limits.ControllerAddress, (FieldLimits{0, 31, 0}));
  }
  EXPECT_FALSE(kp4000.VdsAllowed || kp4000.NetworkAllowed || kp4000.NetworkZonePage);
  EXPECT_TRUE(kp6000.VdsAllowed && kp6000.NetworkAllowed && kp6000.NetworkZonePage);
}

TEST(HostSystemLimits, Variants) {
  const HostSystemLimits model4 = HostSystemLimitsOf(kSystemKP6000, {.ModelIndex = kModel4});
  EXPECT_EQ(model4.NetworkZone, (FieldLimits{1, 4096, 1}));
  EXPECT_EQ(model4.EventNetworkZone, (FieldLimits{1, 4096, 1}));
  EXPECT_EQ(model4.LocalZone, (FieldLimits{1, 255, 1}));
  EXPECT_FALSE(model4.NetworkAllowed);
  EXPECT_EQ(HostSystemLimitsOf(kSystemKP10, {.ModelIndex = kModel4}).EventNetworkZone,
            (FieldLimits{0, 0, 0}));

  const HostSystemLimits networked = HostSystemLimitsOf(kSystemKP6000, {.NetworkFitted = true});
  EXPECT_EQ(networked.BoardZonalPanel, (FieldLimits{1, 125, 1}));
  EXPECT_EQ(networked.EventPanel, (FieldLimits{1, 125, 1}));
  EXPECT_EQ(networked.ControllerAddress, (FieldLimits{0, 125, 0}));

  EXPECT_EQ(HostSystemLimitsOf(kSystemKP6000, {}).EventReference, (FieldLimits{1, 99, 1}));
  EXPECT_EQ(HostSystemLimitsOf(kSystemKP4000, {}).EventReference, (FieldLimits{0, 0, 0}));
}

TEST(HostSystemLimits, SystemOutsideTheListIsRefused) {
  EXPECT_THROW(HostSystemLimitsOf(-1, {}), std::out_of_range);
  EXPECT_THROW(HostSystemLimitsOf(3, {}), std::out_of_range);
  EXPECT_THROW(LimitsEntryOf(lfEventLoop, {.SystemIndex = 7}), std::out_of_range);
}

TEST(BoardRule, SpanAndLastZone) {
  EXPECT_EQ(BoardRuleSpan(0, kBoardEventFire), 64);
  EXPECT_EQ(BoardRuleSpan(0, kBoardEventFireAndFaultTestDisable), 32);
  EXPECT_EQ(BoardRuleSpan(kModel4, kBoardEventFire), 16);
  EXPECT_EQ(BoardRuleSpan(kModel4, kBoardEventFireAndFaultTestDisable), 8);
  EXPECT_EQ(BoardRuleLastZone(1, 64, 255), 64);
  EXPECT_EQ(BoardRuleLastZone(1, 32, 255), 32);
  EXPECT_EQ(BoardRuleLastZone(1, 64, 16), 16);
  EXPECT_EQ(BoardRuleLastZone(INT32_MAX, 64, 8192), 8192);
}

TEST(BoardRule, FirstZoneIsCappedSoThatTheWholeBoardFits) {
  const FieldLimits kp6000 = HostSystemLimitsOf(kSystemKP6000, {}).LocalZone;
  EXPECT_EQ(BoardRuleFirstZoneLimits(kp6000, 64), (FieldLimits{1, 192, 1}));
  EXPECT_EQ(BoardRuleFirstZoneLimits(kp6000, 32), (FieldLimits{1, 224, 1}));
  EXPECT_EQ(BoardRuleFirstZoneLimits({1, 80, 1}, 64), (FieldLimits{1, 17, 1}));
  EXPECT_EQ(BoardRuleFirstZoneLimits({1, 16, 1}, 64), (FieldLimits{1, 1, 1}));
  EXPECT_EQ(BoardRuleFirstZoneLimits({1, 4096, 1}, 16), (FieldLimits{1, 4081, 1}));
  EXPECT_EQ(BoardRuleFirstZoneLimits({0, 0, 0}, 64), (FieldLimits{1, 1, 1}));
}

TEST(Limits, EventAddressAndOutputs) {
  EXPECT_EQ(EventAddressMax(false, false), 99);
  EXPECT_EQ(EventAddressMax(false, true), 99);
  EXPECT_EQ(EventAddressMax(true, false), 64);
  EXPECT_EQ(EventAddressMax(true, true), 512);
  EXPECT_EQ(OutputLimitsOf(0), (OutputLimits{8, 2, 32, 8, 1, 8}));
  EXPECT_EQ(OutputLimitsOf(kModel4), (OutputLimits{10, 1, 16, 10, 1, 16}));
}

struct EntryCase {
  LimitsField Field;
  bool NetworkZoneMode;
  std::array<LimitsEntry, kSystemCount> BySystem;  // members, checked; limits left out
};

constexpr std::uint8_t N = kMemberNotAvailable;
constexpr std::uint8_t A = kMemberAvailable;
constexpr std::uint8_t U = kMemberUnchanged;

const EntryCase kEntries[] = {
    {lfControllerAddress, false, {{{{U, A, A}, 1}, {{U, A, A}, 1}, {{U, A, A}, 1}}}},
    {lfBoardZonalInput, false, {{{{U, N, A}, 2}, {{U, N, A}, 2}, {{U, A, A}, 2}}}},
    {lfFirstZone, false, {{{{U, U, U}, 0}, {{U, U, U}, 0}, {{U, U, U}, 0}}}},
    {lfLastZone, true, {{{{U, U, U}, 0}, {{U, U, U}, 0}, {{U, U, U}, 0}}}},
    {lfEventPanel, false, {{{{U, N, A}, 2}, {{U, A, A}, 1}, {{U, A, A}, 1}}}},
    {lfEventLoop, false, {{{{A, A, A}, 1}, {{A, A, A}, 1}, {{A, A, N}, 1}}}},
    {lfEventLocalZone, false, {{{{U, A, A}, 0}, {{U, A, A}, 0}, {{U, A, N}, 0}}}},
    {lfEventLocalZone, true, {{{{U, U, U}, 0}, {{U, U, U}, 0}, {{U, A, A}, 0}}}},
    {lfEventNetworkZone, false, {{{{U, U, U}, 0}, {{U, U, U}, 0}, {{U, A, A}, 1}}}},
    {lfEventAddress, false, {{{{A, A, A}, 1}, {{A, A, A}, 1}, {{A, A, N}, 1}}}},
    {lfEventReference, false, {{{{U, U, U}, 0}, {{U, U, U}, 0}, {{U, A, N}, 1}}}},
};

TEST(LimitsEntry, MembersAndCheckedPositionPerFieldAndSystem) {
  for (const EntryCase& entryCase : kEntries) {
    for (int system = 0; system < kSystemCount; ++system) {
      const LimitsEntry entry = LimitsEntryOf(
          entryCase.Field, {.SystemIndex = system, .NetworkZoneMode = entryCase.NetworkZoneMode});
      const LimitsEntry& expected = entryCase.BySystem[static_cast<std::size_t>(system)];
      EXPECT_EQ(entry.Members, expected.Members) << entryCase.Field << " system " << system;
      EXPECT_EQ(entry.CheckedPosition, expected.CheckedPosition)
          << entryCase.Field << " system " << system;
    }
  }
}

TEST(LimitsEntry, RangesFollowTheSystemZoneModeAndVariant) {
  const auto rangeOf = [](LimitsField field, LimitsContext context) {
    return LimitsEntryOf(field, context).Limits;
  };
  EXPECT_EQ(rangeOf(lfFirstZone, {.SystemIndex = kSystemKP4000}), (FieldLimits{1, 80, 1}));
  EXPECT_EQ(rangeOf(lfLastZone, {.SystemIndex = kSystemKP10}), (FieldLimits{1, 16, 1}));
  EXPECT_EQ(rangeOf(lfLastZone, {.SystemIndex = kSystemKP10, .NetworkZoneMode = true}),
            (FieldLimits{1, 8192, 1}));
  EXPECT_EQ(rangeOf(lfEventLocalZone, {.SystemIndex = kSystemKP6000}), (FieldLimits{1, 255, 1}));
  EXPECT_EQ(rangeOf(lfEventLocalZone, {.SystemIndex = kSystemKP6000,
                                       .NetworkZoneMode = true,
                                       .Variant = {.ModelIndex = kModel4}}),
            (FieldLimits{1, 4096, 1}));
  EXPECT_EQ(rangeOf(lfEventNetworkZone, {.Variant = {.ModelIndex = kModel4}}),
            (FieldLimits{1, 4096, 1}));
  EXPECT_EQ(rangeOf(lfBoardZonalInput, {.Variant = {.NetworkFitted = true}}),
            (FieldLimits{1, 125, 1}));
  EXPECT_EQ(rangeOf(lfEventPanel, {.SystemIndex = kSystemKP10}), (FieldLimits{0, 0, 0}));
  EXPECT_EQ(rangeOf(lfEventLoop, {.SystemIndex = kSystemKP4000}), (FieldLimits{1, 8, 1}));
  EXPECT_EQ(rangeOf(lfEventAddress, {}), (FieldLimits{1, 99, 1}));
  EXPECT_EQ(rangeOf(lfEventReference, {.Variant = {.VdsChecked = true}}), (FieldLimits{1, 32, 1}));
  EXPECT_EQ(rangeOf(lfControllerAddress, {.Variant = {.NetworkFitted = true}}),
            (FieldLimits{0, 125, 0}));
}

}  // namespace
}  // namespace trv
