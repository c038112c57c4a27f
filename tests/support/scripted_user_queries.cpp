#include "scripted_user_queries.h"

namespace trv::test {

MessageAnswer ScriptedUserQueries::Message(const std::string& text, const std::string& caption,
                                           MessageButtons buttons, MessageIcon icon) {
  FMessages.push_back({text, caption, buttons, icon});
  if (FAnswers.empty()) {
    FUnexpected.push_back("unexpected message: " + caption + ": " + text);
    return MessageAnswer::Cancel;
  }
  const MessageAnswer answer = FAnswers.front();
  FAnswers.pop_front();
  return answer;
}

const ShownMessage& ScriptedUserQueries::LastMessage() {
  if (FMessages.empty()) {
    FUnexpected.push_back("no message was shown");
    FMessages.push_back({});
  }
  return FMessages.back();
}

std::vector<std::string> ScriptedUserQueries::Failures() const {
  std::vector<std::string> failures = FUnexpected;
  if (!FAnswers.empty()) {
    failures.push_back(std::to_string(FAnswers.size()) + " scripted answer(s) never asked for");
  }
  return failures;
}

}  // namespace trv::test
