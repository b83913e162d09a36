// Result codes, port-event bits and line settings of the serial port class family.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mirvo {

// Status results. Callers in this program only tell zero from non-zero.
namespace serial_error {
constexpr long kSuccess = 0;
constexpr long kInvalidFunction = 1;       // a time-out or overlapped block on a port opened without overlapped I/O
constexpr long kFileNotFound = 2;          // no such device
constexpr long kAccessDenied = 5;          // permission denied, or the port is held by another program
constexpr long kNotOpen = 6;               // the port handle is null
constexpr long kIoPending = 997;           // operation started on a caller's overlapped block
constexpr long kAlreadyOpen = 1247;
constexpr long kTimeout = 1460;
constexpr long kInvalidArgument = 0x80070057L;
// Any other failure carries the errno value in the low bits, marked so it never collides with the codes above.
constexpr long kErrnoFlag = 0x20000000L;
}  // namespace serial_error

// Maps an errno value to the status result above.
long SerialErrorFromErrno(int errnoValue);
// A short English text for a status result ("not open", "time-out", "No such file or directory" ...).
std::string DescribeSerialError(long error);
// Why a port did not open, for the line under "Unable to open COM-port": "<device>: <reason>".
std::string DescribeOpenFailure(const std::string& device, int errnoValue);

// Port-event bits.
namespace serial_event {
constexpr std::uint32_t kRxChar = 0x0001;
constexpr std::uint32_t kRxFlag = 0x0002;
constexpr std::uint32_t kTxEmpty = 0x0004;
constexpr std::uint32_t kBreak = 0x0040;
constexpr std::uint32_t kLineError = 0x0080;
constexpr std::uint32_t kRing = 0x0100;
constexpr std::uint32_t kDefaultMask = kRxChar | kBreak | kLineError;  // 0x00C1
// The line hung up or failed (the instrument unplugged, the simulator gone): reported once, whatever
// the mask, so that the link closes at once instead of timing out request after request.
constexpr std::uint32_t kHangUp = 0x8000;
}  // namespace serial_event

// Line-error bits reported with the events (high word of the posted word parameter).
namespace line_error {
constexpr std::uint32_t kRxOver = 0x0001;
constexpr std::uint32_t kOverrun = 0x0002;
constexpr std::uint32_t kParity = 0x0004;
constexpr std::uint32_t kFrame = 0x0008;
constexpr std::uint32_t kBreak = 0x0010;
}  // namespace line_error

enum class DataBits { k5 = 5, k6 = 6, k7 = 7, k8 = 8 };
enum class Parity { kNone = 0, kOdd = 1, kEven = 2, kMark = 3, kSpace = 4 };
enum class StopBits { kOne = 0, kOneAndHalf = 1, kTwo = 2 };

enum HandshakeMode : int { kHandshakeOff = 0, kHandshakeHardware = 1, kHandshakeSoftware = 2, kHandshakeRtsCts = 3 };
enum ReadMode : int { kReadNonblocking = 0, kReadBlocking = 1 };

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// A caller's overlapped block: the operation is started (what can be done at once is done) and
// its outcome is left here; the call returns without waiting.
struct SerialOverlapped {
  long result = serial_error::kSuccess;
  std::size_t bytes = 0;
  std::uint32_t events = 0;
};

}  // namespace mirvo
