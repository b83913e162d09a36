#include "timesvc/TimedateBus.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace mirvo {
namespace {

// Polkit's question waits for the user; the call must outlast it.
constexpr std::uint64_t kCallTimeoutMicroseconds = 120ull * 1000 * 1000;

struct BusRef {
  sd_bus* bus = nullptr;
  ~BusRef() { sd_bus_flush_close_unref(bus); }
};
struct ErrorRef {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  ~ErrorRef() { sd_bus_error_free(&error); }
};
struct MessageRef {
  sd_bus_message* message = nullptr;
  ~MessageRef() { sd_bus_message_unref(message); }
};

}  // namespace

TimedateReply SdBusTimedate::SetTime(std::int64_t utcMicroseconds) {
  TimedateReply reply;
  BusRef bus;
  if (const int r = sd_bus_open_system(&bus.bus); r < 0) {
    reply.message = std::string("cannot reach the system bus: ") + std::strerror(-r);
    return reply;
  }
  sd_bus_set_allow_interactive_authorization(bus.bus, 1);
  MessageRef call;
  int r = sd_bus_message_new_method_call(bus.bus, &call.message, "org.freedesktop.timedate1",
                                         "/org/freedesktop/timedate1", "org.freedesktop.timedate1", "SetTime");
  if (r >= 0) r = sd_bus_message_append(call.message, "xbb", static_cast<int64_t>(utcMicroseconds), 0, 1);
  if (r < 0) {
    reply.message = std::string("cannot build the SetTime call: ") + std::strerror(-r);
    return reply;
  }
  reply.reached = true;
  ErrorRef error;
  MessageRef answer;
  r = sd_bus_call(bus.bus, call.message, kCallTimeoutMicroseconds, &error.error, &answer.message);
  if (r >= 0) {
    reply.set = true;
    return reply;
  }
  if (sd_bus_error_is_set(&error.error)) {
    reply.errorName = error.error.name;
    reply.message = error.error.message != nullptr ? error.error.message : "";
  } else {
    reply.message = std::strerror(-r);
  }
  return reply;
}

}  // namespace mirvo
