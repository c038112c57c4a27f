#include "scripted_user_queries.h"

#include <gtest/gtest.h>

namespace trv::test {
namespace {

TEST(ScriptedUserQueriesTest, AnswersFromTheScriptAndRecordsEveryMessage) {
  ScriptedUserQueries queries;
  queries.ExpectMessage(MessageAnswer::No);
  EXPECT_EQ(queries.Message("Sure?", "Question", MessageButtons::YesNo, MessageIcon::Question),
            MessageAnswer::No);
  EXPECT_EQ(queries.LastMessage(),
            (ShownMessage{"Sure?", "Question", MessageButtons::YesNo, MessageIcon::Question}));
  EXPECT_TRUE(queries.Failures().empty());
}

TEST(ScriptedUserQueriesTest, AnUnexpectedMessageIsCancelledAndFails) {
  ScriptedUserQueries queries;
  EXPECT_EQ(queries.Message("Gone", "Error", MessageButtons::Ok, MessageIcon::Error),
            MessageAnswer::Cancel);
  EXPECT_EQ(queries.Failures(), std::vector<std::string>{"unexpected message: Error: Gone"});
}

TEST(ScriptedUserQueriesTest, AnAnswerLeftOverOrAMissingMessageFails) {
  ScriptedUserQueries queries;
  queries.ExpectMessage(MessageAnswer::Ok);
  EXPECT_EQ(queries.Failures(), std::vector<std::string>{"1 scripted answer(s) never asked for"});
  ScriptedUserQueries silent;
  EXPECT_EQ(silent.LastMessage(), ShownMessage{});
  EXPECT_EQ(silent.Failures(), std::vector<std::string>{"no message was shown"});
}

}  // namespace
}  // namespace trv::test
