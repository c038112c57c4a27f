#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "model/configuration.h"
#include "model/relay_links.h"
#include "model/zone_range.h"
#include "transfer/load_decoded_configuration.h"

namespace trv {
namespace {

// Words from the start of the stream, low byte first.
ConfigurationImage ImageOf(std::initializer_list<std::uint16_t> words) {
  ConfigurationImage image;
  image.SetByte(ConfigurationImage::kSystemIndexOffset, 2);
  image.SetByte(ConfigurationImage::kZoneModeOffset, 1);
  image.SetByte(ConfigurationImage::kUnitNameOffset, 0);  // no name
  std::size_t offset = ConfigurationImage::kRuleWordStreamOffset;
  for (const std::uint16_t word : words) {
    image.SetByte(offset++, static_cast<std::uint8_t>(word & 0xFF));
    image.SetByte(offset++, static_cast<std::uint8_t>(word >> 8));
  }
  return image;
}

class DecodeLoaderTest : public ::testing::Test {
 protected:
  Configuration FConfiguration{"/nonexistent/trv-program", "/nonexistent/trv-data"};
  const Workbook& Book() const { return FConfiguration.MimicBook; }
};

TEST_F(DecodeLoaderTest, GetLeavesSettingsRulesAndTheThreeSheets) {
  FConfiguration.StoreRule(5, RuleRecord{rkZonal, 1, 0, 0, 0, 0, 0, 0, 0x8000});
  FConfiguration.RuleCount = 5;
  DecodeImageInto(FConfiguration, ImageOf({0xA802, 0xAE03, 0x8A45, 0x9080, 0x0002, 0x2009, 0x7000,
                                           0xAE01, 0x8001, 0x9001}));
  EXPECT_EQ(FConfiguration.RuleCount, 2);
  EXPECT_TRUE(FConfiguration.SettingsLocked);
  EXPECT_TRUE(FConfiguration.Modified);
  EXPECT_EQ(FConfiguration.ControllerSettings.UnitName, FConfiguration.DefaultBaseName);
  EXPECT_EQ(FConfiguration.StoredRule(1),
            (RuleRecord{rkZonal, 2, 0, ZoneRange{10, 10}.Packed(), 0, 0, 3, 0, 0x8A45}));
  EXPECT_EQ(FConfiguration.StoredRule(2).Kind, rkEventLocal);
  EXPECT_EQ(Book().Cell(kRuleDataSheet, 5, 1), CellValue{});  // the old rules are gone
  EXPECT_EQ(Book().Cell(kRuleTextSheet, 5, 1), CellValue{});

  // Settings sheet: the rule count, boards 1..2 fitted, the link of board 2, bank 1, 1..8.
  EXPECT_EQ(Book().Number(kSettingsSheet, 13, 1), 2);
  EXPECT_EQ(Book().Number(kSettingsSheet, 9, 2), 0);
  EXPECT_EQ(Book().Number(kSettingsSheet, 9, 3), 1);
  EXPECT_EQ(Book().Number(kSettingsSheet, 11, 1 + static_cast<int>(RelayLinkIndex(1, 0, 0))), 1);
  EXPECT_EQ(Book().Text(kSettingsSheet, 6, 1), FConfiguration.DefaultBaseName);

  // Rule text sheet: headed, one row a rule and the empty row after them.
  EXPECT_EQ(Book().SelectedSheet(), kRuleTextSheet);
  EXPECT_EQ(Book().ColumnHeading(1), "Rule");
  EXPECT_EQ(Book().ColumnHeading(9), "Channel");
  EXPECT_EQ(Book().ColumnWidth(9), 3150);
  EXPECT_EQ(Book().MaxRow(), 3);
  EXPECT_EQ(Book().MaxColumn(), 9);
  EXPECT_EQ(Book().Text(kRuleTextSheet, 1, 1), "Zonal");
  EXPECT_EQ(Book().Text(kRuleTextSheet, 1, 4), "  10");
  EXPECT_EQ(Book().Text(kRuleTextSheet, 1, 9), "Relay  70");
  EXPECT_EQ(Book().Text(kRuleTextSheet, 2, 3), "Non loop");
}

TEST_F(DecodeLoaderTest, SettingsSheetReadsBackAsTheDecodedSettings) {
  ConfigurationImage image = ImageOf({0xAC00, 0xA805});
  image.SetByte(ConfigurationImage::kSoftAddressOffset, 0);
  image.SetByte(ConfigurationImage::kSoftAddressOffset + 1, 77);
  const std::string name = "North wing";
  for (std::size_t i = 0; i < name.size(); ++i) {
    image.SetByte(ConfigurationImage::kUnitNameOffset + i, static_cast<std::uint8_t>(name[i]));
  }
  image.SetByte(ConfigurationImage::kUnitNameOffset + name.size(), 0);
  DecodeImageInto(FConfiguration, image);
  EXPECT_EQ(FConfiguration.ControllerSettings.SoftAddress, 77);
  EXPECT_EQ(ReadSettingsSheet(Book(), ControllerSettings{}), FConfiguration.ControllerSettings);
}

}  // namespace
}  // namespace trv
