#include "flash/line_trace.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace trv {
namespace {

constexpr std::int64_t kMicrosecondsPerMillisecond = 1000;

void AppendMilliseconds(std::string& text, std::int64_t microseconds) {
  char number[32];
  std::snprintf(number, sizeof number, "%" PRId64 ".%03" PRId64,
                microseconds / kMicrosecondsPerMillisecond,
                std::abs(microseconds % kMicrosecondsPerMillisecond));
  text += number;
}

void AppendHex(std::string& text, std::span<const std::uint8_t> bytes) {
  for (const std::uint8_t byte : bytes) {
    text += ' ';
    text += "0123456789ABCDEF"[byte >> 4];
    text += "0123456789ABCDEF"[byte & 0x0F];
  }
}

}  // namespace

void TLineTrace::Clear() {
  FEvents.clear();
  FOldest = 0;
}

void TLineTrace::Add(TKind kind, TFlashClock::Duration at, std::span<const std::uint8_t> bytes,
                     std::int64_t value) {
  if (FEvents.empty()) FStartMicroseconds = at.count();
  // A long read goes in as several events of the same time.
  do {
    const std::size_t count = std::min(bytes.size(), kEventBytes);
    TEvent event{at.count(), value, kind, static_cast<std::uint8_t>(count), {}};
    std::copy_n(bytes.begin(), count, event.Bytes.begin());
    Push(event);
    bytes = bytes.subspan(count);
  } while (!bytes.empty());
}

void TLineTrace::Push(const TEvent& event) {
  if (FEvents.size() < kCapacityEvents) {
    FEvents.push_back(event);
    return;
  }
  FEvents[FOldest] = event;
  FOldest = (FOldest + 1) % FEvents.size();
}

std::string TLineTrace::Text() const {
  std::string text;
  for (std::size_t i = 0; i < FEvents.size(); ++i) {
    const TEvent& event = FEvents[(FOldest + i) % FEvents.size()];
    AppendMilliseconds(text, event.AtMicroseconds - FStartMicroseconds);
    text += EventText(event);
    text += '\n';
  }
  return text;
}

std::string TLineTrace::EventText(const TEvent& event) {
  std::string text;
  switch (event.Kind) {
    case TKind::Open:
      return " open";
    case TKind::Close:
      return " close";
    case TKind::Purge:
      return " purge";
    case TKind::Baud:
      return " baud " + std::to_string(event.Value);
    case TKind::Write:
      text = " >";
      break;
    case TKind::Read:
      text = " <";
      break;
    case TKind::ReadTimeout:
      return " < timed out waiting for " + std::to_string(event.Value) + " byte(s)";
    case TKind::Pause:
      text = " pause ";
      AppendMilliseconds(text, event.Value);
      return text + " ms";
  }
  AppendHex(text, std::span(event.Bytes).first(event.Count));
  return text;
}

TTracingLine::TTracingLine(TBootloaderLine& line, TFlashClock& clock, TLineTrace& trace)
    : FLine(line), FClock(clock), FTrace(trace) {}

void TTracingLine::SetBaud(TCommBaud baud) {
  FLine.SetBaud(baud);
  Note(TLineTrace::TKind::Baud, {}, BaudRateOf(baud));
}

void TTracingLine::Open() {
  FLine.Open();
  Note(TLineTrace::TKind::Open);
}

void TTracingLine::Close() {
  Note(TLineTrace::TKind::Close);
  FLine.Close();
}

void TTracingLine::Write(std::uint8_t byte) {
  Note(TLineTrace::TKind::Write, std::span(&byte, 1));
  FLine.Write(byte);
}

bool TTracingLine::Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) {
  if (FLine.Read(buffer, timeout)) {
    Note(TLineTrace::TKind::Read, buffer);
    return true;
  }
  Note(TLineTrace::TKind::ReadTimeout, {}, static_cast<std::int64_t>(buffer.size()));
  return false;
}

void TTracingLine::PurgeComms() {
  Note(TLineTrace::TKind::Purge);
  FLine.PurgeComms();
}

void TTracingLine::Sleep(Duration pause) {
  Note(TLineTrace::TKind::Pause, {}, pause.count());
  FClock.Sleep(pause);
}

void TTracingLine::Note(TLineTrace::TKind kind, std::span<const std::uint8_t> bytes,
                        std::int64_t value) {
  FTrace.Add(kind, FClock.Now(), bytes, value);
}

}  // namespace trv
