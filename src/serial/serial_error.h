#pragma once

#include <stdexcept>

namespace trv {

// Raised by the serial port component with one of its fixed English texts.
class ESerialError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace trv
