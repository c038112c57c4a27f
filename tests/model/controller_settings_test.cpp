#include "model/controller_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace trv {
namespace {

constexpr int kSheet = kSettingsSheet;

ControllerSettings RoundTrip(const ControllerSettings& settings) {
  Workbook book;
  book.SetSelectedSheet(kRuleTextSheet);  // the writer and reader name their sheet
  WriteSettingsSheet(book, settings, 0, ThisProgramVersion());
  EXPECT_EQ(book.SelectedSheet(), kRuleTextSheet);
  return ReadSettingsSheet(book, ControllerSettings{});
}

TEST(ControllerSettings, OnlyTheAvailableModelsAreOffered) {
  std::vector<int> available;
  for (int model = -1; model <= 5; ++model) {
    if (IsAvailableModel(model)) available.push_back(model);
  }
  EXPECT_EQ(available, (std::vector<int>{0, 4}));
  EXPECT_EQ(ModelIndexOfName("Slimline Mimic"), 4);
  EXPECT_EQ(ModelIndexOfName("TRV-9"), -1);
}

TEST(ControllerSettings, ZoneModeFromTheControlsAndBack) {
  EXPECT_EQ(ZoneModeOf(true, true), 2);
  EXPECT_EQ(ZoneModeOf(false, true), 4);
  for (bool network : {false, true}) {
    for (bool vds : {false, true}) {
      EXPECT_EQ(IsNetworkZoneMode(ZoneModeOf(network, vds)), network);
      EXPECT_EQ(IsVdsZoneMode(ZoneModeOf(network, vds)), vds);
    }
  }
  EXPECT_FALSE(IsNetworkZoneMode(0));
}

TEST(ControllerSettings, EveryFieldGoesIntoItsCell) {
  ControllerSettings settings;
  settings.ModelIndex = 4;
  settings.SystemIndex = 1;
  settings.SoftAddress = 17;
  settings.AddressMode = 2;
  settings.UnitName = "Site A";
  settings.BuzzerMode = 2;
  settings.ResoundOnNewAlarm = 1;
  settings.AccessLevel = 1;
  settings.BuzzerDisplayedEventsOnly = 1;
  settings.BuzzerDisableInterval = 45;
  settings.MutedTechAlarmInterval = 120;
  settings.BoardsInstalled = 7;
  settings.ZoneMode = 3;
  settings.RelayLinks[0] = 1;
  settings.RelayLinks[63] = 1;
  settings.RcuRelayLinks[0] = 1;
  settings.RcuRelayLinks[159] = 1;
  settings.NetworkFitted = 1;
  Workbook book;
  WriteSettingsSheet(book, settings, 12, ProgramVersion{{3, 5, 9, 11}});
  const std::vector<std::tuple<int, int, double>> numbers{
      {1, 1, 3}, {1, 2, 5},  {1, 3, 9},   {2, 1, 4},  {3, 1, 1},  {4, 1, 17},
      {4, 2, 2}, {5, 1, 0},  {8, 1, 2},   {8, 2, 1},  {8, 3, 1},  {8, 4, 1},
      {8, 5, 1}, {8, 6, 45}, {8, 7, 120}, {10, 1, 3}, {12, 1, 1}, {13, 1, 12}};
  for (const auto& [row, column, value] : numbers) {
    EXPECT_TRUE(std::holds_alternative<double>(book.Cell(kSheet, row, column)))
        << row << "," << column;
    EXPECT_EQ(book.Number(kSheet, row, column), value) << row << "," << column;
  }
  EXPECT_EQ(book.Cell(kSheet, 6, 1), CellValue("Site A"));
  EXPECT_EQ(book.Cell(kSheet, 7, 1), CellValue(""));
  EXPECT_FALSE(std::holds_alternative<double>(book.Cell(kSheet, 1, 4)));
  for (int board = 1; board <= 10; ++board) {
    EXPECT_EQ(book.Cell(kSheet, 9, board), CellValue(board > 7 ? 1.0 : 0.0)) << board;
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(kSheet, 9, 11)));
  for (int column = 1; column <= 224; ++column) {
    const bool set = column == 1 || column == 64 || column == 65 || column == 224;
    EXPECT_EQ(book.Cell(kSheet, 11, column), CellValue(set ? 1.0 : 0.0)) << column;
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(kSheet, 11, 225)));
  EXPECT_EQ(book.LastRow(kSheet), 13);
  EXPECT_EQ(ReadSettingsSheet(book, ControllerSettings{}), settings);
  EXPECT_EQ(ReadSettingsSheetVersion(book), (std::array<std::int32_t, 3>{3, 5, 9}));
  EXPECT_EQ(ReadRuleCount(book), 12);
}

TEST(ControllerSettings, BoardFlagsOfOtherModelsTakeEightCells) {
  ControllerSettings settings;
  settings.BoardsInstalled = 3;
  Workbook book;
  WriteSettingsSheet(book, settings, 0, ThisProgramVersion());
  for (int board = 1; board <= 8; ++board) {
    EXPECT_EQ(book.Number(kSheet, 9, board), board > 3 ? 1.0 : 0.0);
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(book.Cell(kSheet, 9, 9)));
}

TEST(ControllerSettings, SetUpWritesOnlyItsCells) {
  ControllerSettings settings;
  settings.UnitName = "Mimic3";
  settings.SoftAddress = 5;
  Workbook book;
  WriteSetUpSettingsCells(book, settings, 4);
  std::vector<std::pair<int, int>> written;
  book.ForEachCell(
      kSheet, [&](int row, int column, const CellValue&) { written.emplace_back(row, column); });
  EXPECT_EQ(written, (std::vector<std::pair<int, int>>{
                         {2, 1}, {3, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 2}, {13, 1}}));
  EXPECT_EQ(book.Text(kSheet, 6, 1), "Mimic3");
  EXPECT_EQ(book.Number(kSheet, 13, 1), 4.0);
}

TEST(ControllerSettings, RoundTripOverTheValueRanges) {
  using Change = std::function<void(ControllerSettings&, int)>;
  struct Range {
    const char* Field;
    int First;
    int Last;
    Change Set;
  };
  const std::vector<Range> ranges{
      {"ModelIndex", 0, 1, [](auto& s, int v) { s.ModelIndex = v == 0 ? 0 : 4; }},
      {"SystemIndex", 0, 2, [](auto& s, int v) { s.SystemIndex = static_cast<std::int8_t>(v); }},
      {"SoftAddress", 0, 31, [](auto& s, int v) { s.SoftAddress = v; }},
      {"NetworkAddress", 0, 125,
       [](auto& s, int v) {
         s.NetworkFitted = 1;
         s.SoftAddress = v;
       }},
      {"AddressMode", 1, 2, [](auto& s, int v) { s.AddressMode = static_cast<std::uint8_t>(v); }},
      {"BuzzerMode", 0, 2, [](auto& s, int v) { s.BuzzerMode = static_cast<std::int8_t>(v); }},
      {"ResoundOnNewAlarm", 0, 1,
       [](auto& s, int v) { s.ResoundOnNewAlarm = static_cast<std::uint8_t>(v); }},
      {"AccessLevel", 0, 1, [](auto& s, int v) { s.AccessLevel = static_cast<std::int8_t>(v); }},
      {"BuzzerDisplayedEventsOnly", 0, 1,
       [](auto& s, int v) { s.BuzzerDisplayedEventsOnly = static_cast<std::uint8_t>(v); }},
      {"BuzzerDisableInterval", 2, 120, [](auto& s, int v) { s.BuzzerDisableInterval = v; }},
      {"MutedTechAlarmInterval", 2, 120, [](auto& s, int v) { s.MutedTechAlarmInterval = v; }},
      {"BoardsInstalled", 1, 8, [](auto& s, int v) { s.BoardsInstalled = v; }},
      {"Model4Boards", 1, 10,
       [](auto& s, int v) {
         s.ModelIndex = 4;
         s.BoardsInstalled = v;
       }},
      {"ZoneMode", 1, 4, [](auto& s, int v) { s.ZoneMode = static_cast<std::int8_t>(v); }},
      {"RelayLinks", 0, 63, [](auto& s, int v) { s.RelayLinks[v] = 1; }},
      {"RcuRelayLinks", 0, 159, [](auto& s, int v) { s.RcuRelayLinks[v] = 1; }},
      {"UnitName", 0, 3, [](auto& s, int v) { s.UnitName = std::string(v + 1, 'x') + "\u00E9"; }},
  };
  for (const Range& range : ranges) {
    for (int value = range.First; value <= range.Last; ++value) {
      ControllerSettings settings;
      settings.UnitName = "Mimic1";
      range.Set(settings, value);
      EXPECT_EQ(RoundTrip(settings), settings) << range.Field << " = " << value;
    }
  }
}

TEST(ControllerSettings, ReadingTruncatesAndTakesAnyNonZeroLinkAsFitted) {
  Workbook book;
  book.SetNumber(kSheet, 4, 1, 9.99);
  book.SetNumber(kSheet, 8, 6, 30.5);
  book.SetNumber(kSheet, 11, 1, 0.25);
  book.SetNumber(kSheet, 11, 2, -7);
  book.SetText(kSheet, 11, 3, "1");
  book.SetNumber(kSheet, 11, 65, 2);
  book.SetNumber(kSheet, 12, 1, 0.5);
  const ControllerSettings settings = ReadSettingsSheet(book, ControllerSettings{});
  EXPECT_EQ(settings.SoftAddress, 9);
  EXPECT_EQ(settings.BuzzerDisableInterval, 30);
  EXPECT_EQ(settings.RelayLinks[0], 1);
  EXPECT_EQ(settings.RelayLinks[1], 1);
  EXPECT_EQ(settings.RelayLinks[2], 0);
  EXPECT_EQ(settings.RcuRelayLinks[0], 1);
  EXPECT_EQ(settings.NetworkFitted, 1);
}

TEST(ControllerSettings, ValuesAFieldCannotHoldKeepThePreviousValue) {
  ControllerSettings previous;
  previous.UnitName = "Mimic2";
  previous.BoardsInstalled = 5;
  Workbook book;
  const std::vector<std::tuple<int, int, double>> cells{
      {2, 1, 1}, {3, 1, 3}, {4, 1, 32},  {4, 2, 7}, {8, 1, -1},   {8, 2, 0},
      {8, 3, 2}, {8, 4, 2}, {8, 5, 255}, {8, 6, 1}, {8, 7, 1e12}, {10, 1, 0}};
  for (const auto& [row, column, value] : cells) book.SetNumber(kSheet, row, column, value);
  book.SetText(kSheet, 6, 1, "");
  for (int board = 1; board <= 8; ++board) book.SetNumber(kSheet, 9, board, 1);
  ControllerSettings expected = previous;
  expected.AddressMode = 2;  // anything but 1 is the soft address
  EXPECT_EQ(ReadSettingsSheet(book, previous), expected);
  book.SetNumber(kSheet, 9, 6, 0);
  EXPECT_EQ(ReadSettingsSheet(book, previous).BoardsInstalled, 6);
}

TEST(ControllerSettings, RuleCountStaysWithinTheRows) {
  Workbook book;
  EXPECT_EQ(ReadRuleCount(book), 0);
  for (const auto& [stored, count] : std::vector<std::pair<double, int>>{
           {12.7, 12}, {-5, 0}, {1e9, kMaxRows - 1}, {65535, 65535}}) {
    book.SetNumber(kSheet, 13, 1, stored);
    EXPECT_EQ(ReadRuleCount(book), count) << stored;
  }
}

}  // namespace
}  // namespace trv
