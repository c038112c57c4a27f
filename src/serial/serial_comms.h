#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/posix_serial_device.h"
#include "serial/serial_error.h"
#include "serial/ui_dispatcher.h"

namespace trv {

enum TCommPort : std::uint8_t {
  spCOM1 = 0,
  spCOM2,
  spCOM3,
  spCOM4,
  spCOM5,
  spCOM6,
  spCOM7,
  spCOM8,
};

enum TCommBaud : std::uint8_t {
  cb1200 = 0,
  cb2400,
  cb4800,
  cb9600,
  cb19200,
  cb38400,
  cb57600,
  cb115200,
};

// "COM1".."COM8": "COM" and the ordinal + 1.
std::string CommPortName(TCommPort port);

// Bits per second of a rate; 9600 for a value outside cb1200..cb115200.
std::int32_t BaudRateOf(TCommBaud baud);

class TMessageClient;
class TSerialReceiverThread;

// Byte-level access to one serial port at 8 data bits, no parity, one stop bit, with no flow
// control. Read and Write report failure as 0; every other failure raises ESerialError.
//
// One thread at a time may use an instance. DataRxd, DataRxTimeout, StartTimeout, ClearTimeout
// and the OnDataRxd and OnRxTimeout calls belong to the dispatcher's (user-interface) thread.
//
// Open raises ESerialOpenError when the device would not open, saying why.
class TSerialComms {
 public:
  using TDataRxdEvent = std::function<void(TSerialComms& sender, std::uint8_t& key)>;
  using TNotifyEvent = std::function<void(TSerialComms& sender)>;

  // The dispatcher stands in for the windowed control the component hooks; it must outlive the
  // component. Without one: "Unable to hook windowed control".
  explicit TSerialComms(TUiDispatcher* dispatcher);
  ~TSerialComms();
  TSerialComms(const TSerialComms&) = delete;
  TSerialComms& operator=(const TSerialComms&) = delete;

  void Open();
  void Close();
  bool IsOpen() const;

  TCommPort CommPort() const { return FCommPort; }
  void SetCommPort(TCommPort port);
  TCommBaud Baud() const { return FBaud; }
  void SetBaud(TCommBaud baud);
  std::int32_t GetBaudRate() const;
  void SetTimeout();

  void PurgeComms();
  void CleanUp();
  std::int32_t GetAvailableByteCount();

  // The bytes sent, within 50 ms a byte; 0 when closed or on failure. The text form sends the
  // text without its terminator.
  std::int32_t Write(std::uint8_t byte);
  std::int32_t Write(const char* text);
  std::int32_t Write(const std::uint8_t* buffer, std::int32_t count);
  // count once that many bytes are queued within timeoutMs, all taken at once; otherwise 0 and
  // nothing taken. A time-out of 0 looks once.
  std::int32_t Read(std::uint8_t& byte, std::uint32_t timeoutMs);
  std::int32_t Read(std::uint8_t* buffer, std::int32_t count, std::uint32_t timeoutMs);

  TDataRxdEvent OnDataRxd() const;
  void SetDataRxd(TDataRxdEvent handler);
  TNotifyEvent OnRxTimeout;

  // (Re)starts the one-shot time-out, reported once through OnRxTimeout if the port is open
  // when it expires.
  void StartTimeout(TNotifyEvent handler, std::uint32_t periodMs);
  void ClearTimeout();

  // The message window's handlers, run on the user-interface thread.
  void DataRxd();
  void DataRxTimeout();

 private:
  friend class TSerialReceiverThread;

  void ApplyStoredSettings();
  void StartReceiver();
  void StopReceiver();
  void AppendReceived(const std::uint8_t* bytes, std::size_t count);

  TPosixSerialDevice FPort;
  std::unique_ptr<TSerialReceiverThread> FReceiverThread;
  std::uint32_t FTimeoutTimerId = 0;
  std::unique_ptr<TMessageClient> FMessageClient;
  TCommPort FCommPort = spCOM1;
  TCommBaud FBaud = cb9600;
  std::vector<std::uint8_t> FReceiveBuffer;
  mutable std::recursive_mutex FReceiveLock;  // guards FReceiveBuffer and FOnDataRxd
  TDataRxdEvent FOnDataRxd;
};

}  // namespace trv
