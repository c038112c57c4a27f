#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "model/user_queries.h"

namespace trv::test {

// A message the system showed.
struct ShownMessage {
  std::string Text;
  std::string Caption;
  MessageButtons Buttons;
  MessageIcon Icon;
  bool operator==(const ShownMessage&) const = default;
};

// User queries for tests: records every message and answers from a script. A message the script
// did not expect is answered Cancel and recorded as unexpected; Failures() names it, and every
// scripted answer left over, for the test's end.
class ScriptedUserQueries : public UserQueries {
 public:
  void ExpectMessage(MessageAnswer answer) { FAnswers.push_back(answer); }

  MessageAnswer Message(const std::string& text, const std::string& caption, MessageButtons buttons,
                        MessageIcon icon) override;

  const std::vector<ShownMessage>& Messages() const { return FMessages; }
  // The last message shown; a failure recorded and an empty message when there was none.
  const ShownMessage& LastMessage();
  // What went wrong, one line each; empty when every message was expected and every scripted
  // answer was used.
  std::vector<std::string> Failures() const;

 private:
  std::deque<MessageAnswer> FAnswers;
  std::vector<ShownMessage> FMessages;
  std::vector<std::string> FUnexpected;
};

}  // namespace trv::test
