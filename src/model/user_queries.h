#pragma once

#include <string>

namespace trv {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Every message box and question of the system goes through here: the core's commands ask the
// user without knowing how, the window shows a message box, tests answer from a script. Texts
// are UTF-8.
class UserQueries {
 public:
  virtual ~UserQueries() = default;
  virtual MessageAnswer Message(const std::string& text, const std::string& caption,
                                MessageButtons buttons, MessageIcon icon) = 0;
};

}  // namespace trv
