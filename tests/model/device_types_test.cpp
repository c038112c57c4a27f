#include "model/device_types.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace trv {
namespace {

constexpr DeviceFamily kFamilies[] = {DeviceFamily::KP10, DeviceFamily::KPxK};

std::vector<std::string> Strings(std::span<const std::string_view> texts) {
  return {texts.begin(), texts.end()};
}

bool Contains(std::span<const std::string_view> texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Every (model, system, sensor/module, virtual) state of the event page.
std::vector<DeviceListChoice> AllChoices() {
  std::vector<DeviceListChoice> choices;
  for (int model = 0; model <= 4; ++model) {
    for (int system = 0; system <= 2; ++system) {
      for (const bool module : {false, true}) {
        for (const bool virtualLoop : {false, true}) {
          choices.push_back({model, system, module, virtualLoop});
        }
      }
    }
  }
  return choices;
}

std::string Describe(const DeviceListChoice& choice) {
  return "model " + std::to_string(choice.ModelIndex) + ", system " +
         std::to_string(choice.SystemIndex) + (choice.Module ? ", module" : ", sensor") +
         (choice.VirtualLoop ? ", virtual" : "");
}

TEST(DeviceTypes, ListsHoldTheirCodesAndNamesInOrder) {
  const DeviceTypeList& kp10Modules = FamilyDeviceTypeList(DeviceFamily::KP10, true);
  EXPECT_EQ(kp10Modules.Codes.size(), 20u);
  EXPECT_EQ(kp10Modules.Codes[8], "TxD");
  EXPECT_EQ(kp10Modules.Names[0], "Any Module");
  EXPECT_EQ(kp10Modules.Names[11], "E.S. Monitor (monitored for open, short and system)");
  EXPECT_EQ(kp10Modules.Names[19], "Loop Booster Module");
  const DeviceTypeList& kp10Sensors = FamilyDeviceTypeList(DeviceFamily::KP10, false);
  EXPECT_EQ(Strings(kp10Sensors.Codes),
            (std::vector<std::string>{"ANY", "TMP", "ION", "OPT", "MLT", "TPX", "AVS", "AVR", "LSR",
                                      "QD4"}));
  EXPECT_EQ(kp10Sensors.Names[7], "PEAK Ref.");
  const DeviceTypeList& kpxkSensors = FamilyDeviceTypeList(DeviceFamily::KPxK, false);
  EXPECT_EQ(Strings(kpxkSensors.Codes),
            (std::vector<std::string>{"ANY", "TMP", "ION", "OPT", "MLT", "AVS", "GAS", "QDR4"}));
  const DeviceTypeList& kpxkModules = FamilyDeviceTypeList(DeviceFamily::KPxK, true);
  EXPECT_EQ(Strings(kpxkModules.Names),
            (std::vector<std::string>{"Any module", "Sprinkler", "Bell", "Control (Monitored)",
                                      "Monitor", "Auxiliary", "Aspirator", "MCP", "CDI", "ZMX",
                                      "Loop Booster Module"}));
  EXPECT_EQ(Strings(VirtualLoopList(false).Names), (std::vector<std::string>{"Any input"}));
  EXPECT_EQ(Strings(VirtualLoopList(true).Codes), (std::vector<std::string>{"ANY", "SDR", "CTL"}));
  EXPECT_EQ(Strings(VirtualLoopList(true).Names),
            (std::vector<std::string>{"Any output", "Bell", "Control (Monitored)"}));
  EXPECT_EQ(FullDeviceTypeList(DeviceFamily::KP10).size(), 29u);
  EXPECT_EQ(FullDeviceTypeList(DeviceFamily::KPxK).size(), 20u);
  EXPECT_EQ(FullDeviceTypeList(DeviceFamily::KPxK)[4], " - ");
}

TEST(DeviceTypes, EveryListNamesEachCodeOnceAndTheFullListsCoverTheShortOnes) {
  for (const DeviceFamily family : kFamilies) {
    const auto full = FullDeviceTypeList(family);
    for (const bool module : {false, true}) {
      const DeviceTypeList& list = FamilyDeviceTypeList(family, module);
      EXPECT_EQ(list.Codes.size(), list.Names.size());
      for (const std::string_view code : list.Codes) {
        EXPECT_EQ(std::count(list.Codes.begin(), list.Codes.end(), code), 1) << code;
        EXPECT_TRUE(Contains(full, code)) << code;
      }
    }
    for (const std::string_view code : full) {
      if (code == " - ") continue;
      EXPECT_TRUE(Contains(FamilyDeviceTypeList(family, false).Codes, code) ||
                  Contains(FamilyDeviceTypeList(family, true).Codes, code))
          << code;
    }
  }
}

TEST(DeviceTypes, Model4KP10CopiesMatchTheKP10ListsWithOneEmptyModuleNameMore) {
  for (const bool module : {false, true}) {
    const DeviceTypeList& copy = Model4KP10List(module);
    const DeviceTypeList& kp10 = FamilyDeviceTypeList(DeviceFamily::KP10, module);
    EXPECT_EQ(Strings(copy.Codes), Strings(kp10.Codes));
    std::vector<std::string> names = Strings(kp10.Names);
    if (module) names.emplace_back();
    EXPECT_EQ(Strings(copy.Names), names);
  }
}

TEST(DeviceTypes, ShowsTheListOfTheVirtualLoopModelAndFamily) {
  EXPECT_EQ(FamilyOfSystem(0), DeviceFamily::KP10);
  EXPECT_EQ(FamilyOfSystem(1), DeviceFamily::KPxK);
  EXPECT_EQ(FamilyOfSystem(2), DeviceFamily::KPxK);
  for (const DeviceListChoice& choice : AllChoices()) {
    const DeviceTypeList* expected =
        &FamilyDeviceTypeList(FamilyOfSystem(choice.SystemIndex), choice.Module);
    if (choice.VirtualLoop) {
      expected = &VirtualLoopList(choice.Module);
    } else if (choice.ModelIndex == 4 && choice.SystemIndex == 0) {
      expected = &Model4KP10List(choice.Module);
    }
    EXPECT_EQ(&ShownDeviceTypeList(choice), expected) << Describe(choice);
  }
}

TEST(DeviceTypes, ListPositionsOfFamilyListsAreTheTypeIndices) {
  for (const DeviceListChoice& choice : AllChoices()) {
    if (choice.VirtualLoop || (choice.ModelIndex == 4 && choice.SystemIndex == 0)) continue;
    const int offset = choice.Module ? 256 : 0;
    const int size = static_cast<int>(ShownDeviceTypeList(choice).Names.size());
    for (int position = 0; position < size; ++position) {
      EXPECT_EQ(DeviceTypeFromListPosition(choice, position), position + offset);
    }
    EXPECT_EQ(DeviceTypeFromListPosition(choice, size), offset - 1) << Describe(choice);
    EXPECT_EQ(DeviceTypeFromListPosition(choice, -1), offset - 1) << Describe(choice);
  }
}

TEST(DeviceTypes, VirtualAndModel4ListsAreLookedUpInTheFamilyList) {
  const DeviceListChoice kpxkOutputs{0, 2, true, true};
  EXPECT_EQ(DeviceTypeFromListPosition(kpxkOutputs, 0), 256);      // ANY
  EXPECT_EQ(DeviceTypeFromListPosition(kpxkOutputs, 1), 256 + 2);  // SDR
  EXPECT_EQ(DeviceTypeFromListPosition(kpxkOutputs, 2), 256 + 3);  // CTL
  EXPECT_EQ(DeviceTypeFromListPosition({0, 1, false, true}, 0), 0);
  const DeviceListChoice kp10Outputs{0, 0, true, true};
  EXPECT_EQ(DeviceTypeFromListPosition(kp10Outputs, 1), 256 + 7);  // SDR in the KP10 modules
  EXPECT_EQ(DeviceTypeFromListPosition(kp10Outputs, 2), 256 + 9);  // CTL
  const DeviceListChoice model4Modules{4, 0, true, false};
  EXPECT_EQ(DeviceTypeFromListPosition(model4Modules, 8), 256 + 8);
  EXPECT_EQ(DeviceTypeFromListPosition(model4Modules, 20), 255);  // the empty entry
  EXPECT_EQ(DeviceTypeFromListPosition({4, 0, false, false}, 9), 9);
  EXPECT_EQ(DeviceTypeFromListPosition({4, 2, true, false}, 10), 256 + 10);
}

TEST(DeviceTypes, EveryListPositionComesBackFromItsDeviceType) {
  for (const DeviceListChoice& choice : AllChoices()) {
    const int size = static_cast<int>(ShownDeviceTypeList(choice).Names.size());
    for (int position = 0; position < size; ++position) {
      const int deviceType = DeviceTypeFromListPosition(choice, position);
      const int index = deviceType - (choice.Module ? 256 : 0);
      if (index < 0) continue;  // the model-4 empty entry stands for no type
      EXPECT_EQ(ListPositionOfDeviceType(choice, deviceType), position)
          << Describe(choice) << ", position " << position;
    }
  }
}

TEST(DeviceTypes, ATypeTheShownListLacksSelectsTheFirstEntry) {
  EXPECT_EQ(ListPositionOfDeviceType({0, 2, false, true}, 3), 0);       // OPT on a virtual loop
  EXPECT_EQ(ListPositionOfDeviceType({0, 2, true, true}, 256 + 4), 0);  // MON
  EXPECT_EQ(ListPositionOfDeviceType({0, 2, true, true}, 256 + 3), 2);  // CTL
  EXPECT_EQ(ListPositionOfDeviceType({4, 0, true, false}, 255), 0);
  for (const int deviceType : {-4, -3, -1, 8, 100, 255}) {
    EXPECT_EQ(ListPositionOfDeviceType({0, 2, false, false}, deviceType), 0) << deviceType;
  }
  for (const int deviceType : {256 + 11, 600, 100000}) {
    EXPECT_EQ(ListPositionOfDeviceType({0, 2, true, false}, deviceType), 0) << deviceType;
  }
}

TEST(DeviceTypes, LongNamesComeFromTheFamilyOfTheSystem) {
  EXPECT_EQ(DeviceTypeLongName(0, 256 + 5), "Auxiliary Input");
  EXPECT_EQ(DeviceTypeLongName(1, 256 + 5), "Auxiliary");
  EXPECT_EQ(DeviceTypeLongName(2, 6), "GAS");
  EXPECT_EQ(DeviceTypeLongName(0, 6), "PEAK");
  EXPECT_EQ(DeviceTypeLongName(2, 512), "Any module");
  EXPECT_EQ(DeviceTypeLongName(2, -1), "");
  EXPECT_EQ(DeviceTypeLongName(2, 255), "");
  EXPECT_EQ(DeviceTypeLongName(0, 256 + 20), "");
}

TEST(DeviceTypes, PanelTypeNumbersArePositionsInTheFullList) {
  EXPECT_EQ(PanelTypeNumber(0, 2), 3);          // ION
  EXPECT_EQ(PanelTypeNumber(0, 3), 2);          // OPT
  EXPECT_EQ(PanelTypeNumber(0, 9), 28);         // QD4
  EXPECT_EQ(PanelTypeNumber(0, 256 + 8), 23);   // TxD
  EXPECT_EQ(PanelTypeNumber(2, 6), 17);         // GAS
  EXPECT_EQ(PanelTypeNumber(1, 7), 19);         // QDR4
  EXPECT_EQ(PanelTypeNumber(2, 256 + 1), 8);    // SPK
  EXPECT_EQ(PanelTypeNumber(2, 256 + 10), 18);  // LBM
  EXPECT_EQ(PanelTypeNumber(2, 256), 0);        // module ANY
  for (const int deviceType : {-4, -3, -1, 8, 255, 256 + 11, 1024, 100000}) {
    EXPECT_EQ(PanelTypeNumber(2, deviceType), 0) << deviceType;
  }
  EXPECT_EQ(DeviceTypeOfPanelTypeNumber(2, 4), 0);  // " - "
  EXPECT_EQ(DeviceTypeOfPanelTypeNumber(2, 16), 0);
  for (const int number : {-1, 20, 29, 1000}) {
    EXPECT_EQ(DeviceTypeOfPanelTypeNumber(2, number), 0) << number;
  }
  EXPECT_EQ(DeviceTypeOfPanelTypeNumber(0, 28), 9);
  EXPECT_EQ(DeviceTypeOfPanelTypeNumber(0, 29), 0);
}

TEST(DeviceTypes, TypesAndPanelNumbersRoundTripThroughTheFullLists) {
  for (const int system : {0, 1, 2}) {
    const DeviceFamily family = FamilyOfSystem(system);
    for (const bool module : {false, true}) {
      const int size = static_cast<int>(FamilyDeviceTypeList(family, module).Codes.size());
      // The module ANY shares its code with the sensor ANY, which the reverse finds first.
      for (int index = module ? 1 : 0; index < size; ++index) {
        const int deviceType = index + (module ? 256 : 0);
        EXPECT_EQ(DeviceTypeOfPanelTypeNumber(system, PanelTypeNumber(system, deviceType)),
                  deviceType);
      }
    }
    const auto full = FullDeviceTypeList(family);
    for (int number = 0; number < static_cast<int>(full.size()); ++number) {
      if (full[static_cast<std::size_t>(number)] == " - ") continue;
      EXPECT_EQ(PanelTypeNumber(system, DeviceTypeOfPanelTypeNumber(system, number)), number);
    }
  }
}

}  // namespace
}  // namespace trv
