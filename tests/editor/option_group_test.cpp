#include "editor/option_group.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace trv {
namespace {

constexpr int kAny = 1;
constexpr int kSpecific = 2;
constexpr int kNonLoop = 0;
constexpr int kVirtual = 3;

OptionGroup AnySpecificGroup() {
  return OptionGroup({kAny, kSpecific}, kAny);
}

OptionGroup LoopGroup() {
  return OptionGroup({kNonLoop, kAny, kSpecific, kVirtual}, kAny);
}

LimitsEntry EntryOf(LimitsField field, int system) {
  return LimitsEntryOf(field, {.SystemIndex = system});
}

TEST(OptionGroupTest, ClickOnAMemberChecksOnlyThatMember) {
  OptionGroup group = LoopGroup();
  EXPECT_TRUE(group.Click(kVirtual, true));
  EXPECT_EQ(group.CheckedPosition(), kVirtual);
  for (int position : {kNonLoop, kAny, kSpecific}) EXPECT_FALSE(group.Checked(position));

  EXPECT_TRUE(group.Click(kNonLoop, true));
  EXPECT_FALSE(group.Checked(kVirtual));
  EXPECT_EQ(group.CheckedPosition(), kNonLoop);
}

TEST(OptionGroupTest, UncheckingTheCheckedMemberChecksItAgain) {
  OptionGroup group = AnySpecificGroup();
  EXPECT_TRUE(group.Click(kAny, false));
  EXPECT_EQ(group.CheckedPosition(), kAny);

  // A member unchecked while another is still checked stays unchecked.
  group = AnySpecificGroup();
  EXPECT_FALSE(group.Click(kSpecific, false));
  EXPECT_EQ(group.CheckedPosition(), kAny);
}

TEST(OptionGroupTest, PositionsWithoutAMemberAreRefused) {
  OptionGroup group = AnySpecificGroup();
  EXPECT_THROW(group.Member(0), std::out_of_range);
  EXPECT_THROW(group.Check(0), std::out_of_range);
  EXPECT_THROW(group.Click(OptionGroup::kMaxMembers, true), std::out_of_range);
  EXPECT_THROW(group.SetEnabled(-1, false), std::out_of_range);
  EXPECT_THROW(OptionGroup({4}, std::nullopt), std::out_of_range);
  EXPECT_EQ(group.CheckedPosition(), kAny);
}

TEST(OptionGroupTest, LimitsSetAvailabilityAndTheCheckedMember) {
  // KP10's board/zonal input: "Network Zone" not available, "Local Zone" checked.
  OptionGroup input({1, 2}, 1);
  EXPECT_EQ(input.ApplyLimits(EntryOf(lfBoardZonalInput, kSystemKP10)), 2);
  EXPECT_FALSE(input.Member(1).Enabled);
  EXPECT_FALSE(input.Checked(1));
  EXPECT_TRUE(input.Member(2).Enabled);
  EXPECT_TRUE(input.Checked(2));

  // KP6000's event loop: "Specific Loop" not available, "Any Loop" checked.
  OptionGroup loop = LoopGroup();
  loop.Check(kSpecific);
  EXPECT_EQ(loop.ApplyLimits(EntryOf(lfEventLoop, kSystemKP6000)), kAny);
  EXPECT_TRUE(loop.Member(kNonLoop).Enabled);
  EXPECT_FALSE(loop.Member(kSpecific).Enabled);
  EXPECT_EQ(loop.CheckedPosition(), kAny);
  EXPECT_TRUE(loop.Member(kVirtual).Enabled);  // no limits entry reaches it
}

TEST(OptionGroupTest, UnchangedMembersKeepTheirStateAndAnEmptyPositionChecksNone) {
  // KP10 has no network reference: the group stays as the user left it, no handler runs.
  OptionGroup reference = AnySpecificGroup();
  reference.Check(kSpecific);
  reference.SetEnabled(kAny, false);
  const OptionGroup before = reference;
  EXPECT_EQ(reference.ApplyLimits(EntryOf(lfEventReference, kSystemKP10)), std::nullopt);
  EXPECT_EQ(reference, before);

  // The local zone entries check position 0, which has no member: both boxes end unchecked.
  OptionGroup zone = AnySpecificGroup();
  EXPECT_EQ(zone.ApplyLimits(EntryOf(lfEventLocalZone, kSystemKP6000)), std::nullopt);
  EXPECT_EQ(zone.CheckedPosition(), std::nullopt);
  EXPECT_TRUE(zone.Member(kAny).Enabled);
  EXPECT_FALSE(zone.Member(kSpecific).Enabled);
  // A click then restores a checked member.
  EXPECT_TRUE(zone.Click(kAny, false));
}

}  // namespace
}  // namespace trv
