#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace trv {

// Steps of a flash job; the values are the option bits.
enum TFlashOption : std::uint8_t {
  ofSynched = 0,
  ofErase = 1,
  ofProgram = 2,
  ofRead = 3,
  ofVerify = 4,
  ofLoadAfterIDCheck = 5,
};

// A set of TFlashOption.
class TFlashOptions {
 public:
  constexpr TFlashOptions() = default;
  constexpr TFlashOptions(std::initializer_list<TFlashOption> options) {
    for (TFlashOption option : options) FBits |= Bit(option);
  }

  constexpr bool Contains(TFlashOption option) const { return (FBits & Bit(option)) != 0; }
  constexpr bool ContainsAny(TFlashOptions options) const { return (FBits & options.FBits) != 0; }
  constexpr bool Empty() const { return FBits == 0; }

  constexpr TFlashOptions operator+(TFlashOptions other) const {
    return FromBits(FBits | other.FBits);
  }
  constexpr TFlashOptions operator-(TFlashOptions other) const {
    return FromBits(FBits & ~other.FBits);
  }
  constexpr bool operator==(const TFlashOptions&) const = default;

  constexpr std::uint8_t Bits() const { return FBits; }

 private:
  static constexpr std::uint8_t Bit(TFlashOption option) {
    return static_cast<std::uint8_t>(1u << option);
  }
  static constexpr TFlashOptions FromBits(unsigned bits) {
    TFlashOptions options;
    options.FBits = static_cast<std::uint8_t>(bits);
    return options;
  }

  std::uint8_t FBits = 0;
};

// The option set a job starts with.
inline constexpr TFlashOptions kDefaultFlashOptions{ofErase, ofProgram, ofVerify};

// The set that results from setting `requested` while `current` is in force: a set that asks for
// reading and writing at once keeps only the direction newly added.
constexpr TFlashOptions ApplyFlashOptionRule(TFlashOptions current, TFlashOptions requested) {
  constexpr TFlashOptions writing{ofProgram, ofErase, ofLoadAfterIDCheck};
  if (!requested.Contains(ofRead) || !requested.ContainsAny(writing)) return requested;
  if (current.Contains(ofRead)) return requested - TFlashOptions{ofRead};
  return requested - writing;
}

// Stages of a job, reported in this order.
enum TFlashProgress : std::uint8_t {
  fpReadingFile = 0,
  fpEstablishingComms = 1,
  fpCheckingVersion = 2,
  fpVerifyingSoftwareID = 3,
  fpErasing = 4,
  fpTransferring = 5,
  fpVerifying = 6,
  fpComplete = 7,
};

// Why a job failed; the job's exception (EFlashError) carries the code.
enum TFlashErrors : std::uint8_t {
  feDataOutsideFlashRange = 0,
  feCommsPortFailed = 1,
  feSyncFailed = 2,
  feSetBaudFailed = 3,
  feVersionReadFailed = 4,
  feSoftwareIDNotMatched = 5,
  feEraseFailed = 6,
  feProgramFailed = 7,
  feVerifyFailed = 8,
  feReadFailed = 9,
};

// The error event's code for a failure whose message is a text rather than a code: an image
// file's error, a port error or a malformed Software ID.
inline constexpr auto feTextFailure = static_cast<TFlashErrors>(255);

// A failed job. Code() is what the worker reports; the message (the code in decimal) is only
// for whoever catches it as any other exception.
class EFlashError : public std::runtime_error {
 public:
  explicit EFlashError(TFlashErrors code)
      : std::runtime_error(std::to_string(static_cast<int>(code))), FCode(code) {}
  TFlashErrors Code() const { return FCode; }

 private:
  TFlashErrors FCode;
};

// An aborted job: the message is empty.
class EFlashAbort : public std::runtime_error {
 public:
  EFlashAbort() : std::runtime_error("") {}
};

}  // namespace trv
