#pragma once

#include <QString>

#include "model/string_table.h"

namespace trv {

// A text of the active string table, for the window.
inline QString UiText(int id) {
  return QString::fromStdString(ActiveText(id));
}

}  // namespace trv
