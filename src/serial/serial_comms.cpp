#include "serial/serial_comms.h"

#include <array>
#include <cstring>
#include <utility>

#include "serial/message_client.h"
#include "serial/port_access.h"
#include "serial/port_discovery.h"
#include "serial/serial_receiver_thread.h"

namespace trv {
namespace {

// The driver gives up on a write of n bytes after n times this.
constexpr std::uint32_t WriteTimeoutMsPerByte = 50;

constexpr std::array<std::int32_t, 8> BitsPerSecond{1200,  2400,  4800,  9600,
                                                    19200, 38400, 57600, 115200};

}  // namespace

std::string CommPortName(TCommPort port) {
  return "COM" + std::to_string(port + 1);
}

std::int32_t BaudRateOf(TCommBaud baud) {
  return baud < BitsPerSecond.size() ? BitsPerSecond[baud] : 9600;
}

TSerialComms::TSerialComms(TUiDispatcher* dispatcher) {
  if (dispatcher == nullptr) {
    throw ESerialError("Unable to hook windowed control");
  }
  FMessageClient = std::make_unique<TMessageClient>(*dispatcher);
}

TSerialComms::~TSerialComms() {
  Close();
}

void TSerialComms::Open() {
  if (IsOpen()) {
    throw ESerialError("Communications port already open");
  }
  FMessageClient->SetHandlers([this] { DataRxd(); }, [this] { DataRxTimeout(); });
  const std::optional<TSerialPortInfo> device = CommPortDevice(FCommPort);
  if (!device) {
    throw ESerialOpenError(TOpenFailure::Absent, "Unable to open communications port");
  }
  if (const auto failure = FPort.Open(device->DevicePath)) {
    throw ESerialOpenError(*failure,
                           OpenFailureMessage(device->DevicePath, *failure, TSystemRoots().Proc));
  }
  try {
    ApplyStoredSettings();
  } catch (...) {
    Close();
    throw;
  }
}

void TSerialComms::ApplyStoredSettings() {
  SetTimeout();
  SetBaud(FBaud);
  SetDataRxd(OnDataRxd());
}

void TSerialComms::Close() {
  if (!IsOpen()) {
    return;
  }
  StopReceiver();
  FMessageClient->ClearHandlers();
  CleanUp();
  FPort.Close();
}

bool TSerialComms::IsOpen() const {
  return FPort.IsOpen();
}

void TSerialComms::SetCommPort(TCommPort port) {
  FCommPort = port;
  if (IsOpen()) {
    Close();
    Open();
  }
}

void TSerialComms::SetBaud(TCommBaud baud) {
  FBaud = baud;
  if (!IsOpen()) {
    return;
  }
  const auto current = FPort.FetchLineSettings();
  if (!current) {
    throw ESerialError("Unable to fetch existing port setup");
  }
  if (!FPort.StoreLineSettings(MakeLineSettings(*current, GetBaudRate()))) {
    throw ESerialError("Unable to set new baud rate");
  }
  FPort.HoldModemLinesOff();
}

std::int32_t TSerialComms::GetBaudRate() const {
  return BaudRateOf(FBaud);
}

void TSerialComms::SetTimeout() {
  if (!IsOpen()) {
    throw ESerialError("Communications port is not open");
  }
  if (!FPort.SetTimeouts(WriteTimeoutMsPerByte)) {
    throw ESerialError("Unable set communications port timeout");
  }
}

void TSerialComms::PurgeComms() {
  FPort.DiscardInput();
}

// A termios driver keeps no error state to clear: line errors arrive as bytes.
void TSerialComms::CleanUp() {
  PurgeComms();
}

std::int32_t TSerialComms::GetAvailableByteCount() {
  return FPort.QueuedCount();
}

std::int32_t TSerialComms::Write(std::uint8_t byte) {
  return Write(&byte, 1);
}

std::int32_t TSerialComms::Write(const char* text) {
  if (text == nullptr) {
    return 0;
  }
  return Write(reinterpret_cast<const std::uint8_t*>(text),
               static_cast<std::int32_t>(std::strlen(text)));
}

std::int32_t TSerialComms::Write(const std::uint8_t* buffer, std::int32_t count) {
  if (!IsOpen() || buffer == nullptr || count <= 0) {
    return 0;
  }
  return FPort.Write(buffer, count);
}

std::int32_t TSerialComms::Read(std::uint8_t& byte, std::uint32_t timeoutMs) {
  return Read(&byte, 1, timeoutMs);
}

// All or nothing: the bytes are taken only once all of them are queued, so a time-out leaves a
// partial answer queued for a later read.
std::int32_t TSerialComms::Read(std::uint8_t* buffer, std::int32_t count, std::uint32_t timeoutMs) {
  if (!IsOpen() || buffer == nullptr || count <= 0) {
    return 0;
  }
  using TClock = TPosixSerialDevice::TClock;
  const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    const std::int32_t queued = GetAvailableByteCount();
    if (queued >= count) {
      return FPort.Take(buffer, count, deadline) ? count : 0;
    }
    if (TClock::now() >= deadline || !FPort.AwaitInput(queued, count, deadline)) {
      return 0;
    }
  }
}

TSerialComms::TDataRxdEvent TSerialComms::OnDataRxd() const {
  const std::lock_guard lock(FReceiveLock);
  return FOnDataRxd;
}

void TSerialComms::SetDataRxd(TDataRxdEvent handler) {
  const bool receiving = static_cast<bool>(handler);
  if (!receiving) {
    StopReceiver();
  }
  {
    const std::lock_guard lock(FReceiveLock);
    FOnDataRxd = std::move(handler);
  }
  if (receiving && IsOpen() && !FReceiverThread) {
    StartReceiver();
  }
}

void TSerialComms::StartReceiver() {
  FReceiverThread = std::make_unique<TSerialReceiverThread>(*this);
}

void TSerialComms::StopReceiver() {
  FReceiverThread.reset();
}

void TSerialComms::AppendReceived(const std::uint8_t* bytes, std::size_t count) {
  {
    const std::lock_guard lock(FReceiveLock);
    FReceiveBuffer.insert(FReceiveBuffer.end(), bytes, bytes + count);
  }
  FMessageClient->PostDataReceived();
}

// The buffer is taken out before delivery, so the receiver thread never waits for a handler and
// a handler may clear OnDataRxd or close the port. Bytes that arrive meanwhile come with the
// next notification.
void TSerialComms::DataRxd() {
  std::vector<std::uint8_t> received;
  {
    const std::lock_guard lock(FReceiveLock);
    if (FReceiveBuffer.empty() || !FOnDataRxd) {
      return;
    }
    received.swap(FReceiveBuffer);
  }
  for (std::uint8_t& key : received) {
    const TDataRxdEvent handler = OnDataRxd();
    if (!handler) {
      return;
    }
    handler(*this, key);
  }
}

void TSerialComms::StartTimeout(TNotifyEvent handler, std::uint32_t periodMs) {
  if (FTimeoutTimerId != 0) {
    ClearTimeout();
  }
  OnRxTimeout = std::move(handler);
  FTimeoutTimerId = FMessageClient->StartTimer(periodMs);
}

void TSerialComms::ClearTimeout() {
  if (FTimeoutTimerId != 0) {
    FMessageClient->StopTimer(std::exchange(FTimeoutTimerId, 0));
  }
}

void TSerialComms::DataRxTimeout() {
  ClearTimeout();
  if (OnRxTimeout) {
    const TNotifyEvent handler = OnRxTimeout;
    handler(*this);
  }
}

}  // namespace trv
