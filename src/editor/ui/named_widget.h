#pragma once

namespace trv {

// The widget with its binding name, the name tests and language modules find it by.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace trv
