#pragma once

#include <stdexcept>
#include <string>

namespace trv {

// Raised by the serial port component with one of its fixed English texts.
class ESerialError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Why a device would not open.
enum class TOpenFailure { Absent, NoPermission, InUse, Unusable };

// Raised by Open when the device would not open; the text says why and, where it can, what to do.
class ESerialOpenError : public ESerialError {
 public:
  ESerialOpenError(TOpenFailure failure, const std::string& text)
      : ESerialError(text), FFailure(failure) {}

  TOpenFailure Failure() const { return FFailure; }

 private:
  TOpenFailure FFailure;
};

}  // namespace trv
