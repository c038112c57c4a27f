#include "model/language_entries.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(LanguageEntries, OneEntryALocaleThatHasALanguageCode) {
  const TLocaleNames german{"DEU", "Deutsch", "Deutschland"};
  EXPECT_EQ(LanguageEntry(german), "DEU:Deutsch-Deutschland");
  EXPECT_EQ(CurrentLocaleText(german), "DEU:Deutsch:Deutschland");
  EXPECT_EQ(LanguageEntries({german, {"", "Nowhere", "Land"}, {"FRA", "français", "France"}}),
            (std::vector<std::string>{"DEU:Deutsch-Deutschland", "FRA:français-France"}));
}

TEST(LanguageEntries, OnlyThreeLettersAreACodeToStore) {
  EXPECT_EQ(LanguageCodeOfEntry("DEU:Deutsch-Deutschland"), "DEU");
  EXPECT_EQ(LanguageCodeOfEntry("ENG"), "ENG");
  EXPECT_EQ(LanguageCodeOfEntry("DE"), std::nullopt);
  EXPECT_EQ(LanguageCodeOfEntry(""), std::nullopt);
  EXPECT_EQ(LanguageCodeOfEntry("D/U:x"), std::nullopt);
  EXPECT_EQ(LanguageCodeOfEntry("\xc3\xa4"
                                "BC"),
            std::nullopt);  // not even three characters
}

}  // namespace
}  // namespace trv
