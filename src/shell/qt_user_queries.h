#pragma once

#include "model/user_queries.h"

class QWidget;

namespace trv {

// The questions a user sees: Qt's message boxes over the given parent.
class QtUserQueries : public UserQueries {
 public:
  explicit QtUserQueries(QWidget* parent) : FParent(parent) {}

  MessageAnswer Message(const std::string& text, const std::string& caption, MessageButtons buttons,
                        MessageIcon icon) override;

 private:
  QWidget* FParent;
};

}  // namespace trv
