#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "model/event_selection.h"
#include "model/zone_range.h"

namespace trv {
namespace {

TEST(ZoneRange, PacksToExactBits) {
  EXPECT_EQ((ZoneRange{1, 1}.Packed()), 0);
  EXPECT_EQ((ZoneRange{4097, 4100}.Packed()), 0x11003000);
  EXPECT_EQ((ZoneRange{2, 4096}.Packed()), 0x00FFF001);
  EXPECT_EQ((ZoneRange{65536, 65536}.Packed()), -1);
  EXPECT_EQ(ZoneRange::Unpack(-1), (ZoneRange{65536, 65536}));
  EXPECT_EQ(ZoneRange::Unpack(0x11003000), (ZoneRange{4097, 4100}));
}

TEST(ZoneRange, EveryFirstZoneWithZonesAroundThe4096BoundariesComesBack) {
  const int lasts[] = {1, 2, 4095, 4096, 4097, 4098, 8192, 8193, 61440, 61441, 65535, 65536};
  for (int first = 1; first <= ZoneRange::kMaxZone; ++first) {
    for (const int last : lasts) {
      const ZoneRange range{first, last};
      ASSERT_EQ(ZoneRange::Unpack(range.Packed()), range) << first << ".." << last;
      ASSERT_EQ(ZoneRange::Unpack((ZoneRange{last, first}).Packed()), (ZoneRange{last, first}));
    }
  }
}

TEST(ZoneRange, EveryPackedValueUnpacksToZonesInRangeAndPacksBack) {
  for (std::int64_t packed = INT32_MIN; packed <= INT32_MAX; packed += 65521) {
    const ZoneRange range = ZoneRange::Unpack(static_cast<std::int32_t>(packed));
    ASSERT_GE(range.First, 1);
    ASSERT_LE(range.Last, ZoneRange::kMaxZone);
    ASSERT_EQ(range.Packed(), static_cast<std::int32_t>(packed));
  }
}

TEST(EventSelection, AnEventCountsOnlyWhenCheckedAndEnabled) {
  for (int event = 0; event < kEventCount; ++event) {
    for (const bool checked : {false, true}) {
      for (const bool enabled : {false, true}) {
        EventSelection selection;
        selection.Set(event, checked, enabled);
        const std::uint32_t expected =
            (checked ? 1u << (2 * event) : 0u) | (enabled ? 1u << (2 * event + 1) : 0u);
        ASSERT_EQ(static_cast<std::uint32_t>(selection.Value()), expected);
        ASSERT_EQ(selection.IsSelected(event), checked && enabled);
        ASSERT_EQ(EventSelection(selection.Value()), selection);
        for (int other = 0; other < kEventCount; ++other) {
          if (other == event) continue;
          ASSERT_FALSE(selection.IsChecked(other) || selection.IsEnabled(other));
        }
      }
    }
  }
}

TEST(EventSelection, SettingOneEventKeepsTheOthers) {
  EventSelection selection(-1);   // all sixteen checked and enabled
  selection.Set(9, true, false);  // "Day" checked while disabled
  EXPECT_EQ(static_cast<std::uint32_t>(selection.Value()), 0xFFF7FFFFu);
  EXPECT_FALSE(selection.IsSelected(9));
  EXPECT_TRUE(selection.IsChecked(9));
  EXPECT_TRUE(selection.IsSelected(8) && selection.IsSelected(10) && selection.IsSelected(15));
  selection.Set(16, false, false);
  selection.Set(-1, false, false);
  EXPECT_FALSE(selection.IsSelected(16) || selection.IsSelected(-1) || selection.IsEnabled(99));
  EXPECT_EQ(static_cast<std::uint32_t>(selection.Value()), 0xFFF7FFFFu);
}

TEST(EventSelection, CheckBoxesInBitOrder) {
  EXPECT_EQ(kEventCheckBoxes[0].Name, "EventFireCheckBox");
  EXPECT_EQ(kEventCheckBoxes[2].Caption, "Non-Fire/Aux");
  EXPECT_EQ(kEventCheckBoxes[5].Caption, "(Device Test)");
  EXPECT_EQ(kEventCheckBoxes[9].Name, "EventDayCheckBox");
  EXPECT_EQ(kEventCheckBoxes[15].Name, "EventPowerOKCheckBox");
  EXPECT_EQ(kEventCheckBoxes[15].Caption, "Power OK");
  std::set<std::string_view> names;
  for (const EventCheckBox& box : kEventCheckBoxes) {
    EXPECT_TRUE(box.Name.starts_with("Event") && box.Name.ends_with("CheckBox"));
    names.insert(box.Name);
  }
  EXPECT_EQ(names.size(), 16u);
}

}  // namespace
}  // namespace trv
