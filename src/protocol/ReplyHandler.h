// Where the transaction engine hands an accepted reply, and whom it asks which spectrum chunk to
// read next: the polling policy above it decides what follows each reply.
#pragma once

#include <cstdint>
#include <span>

namespace mirvo {

// Request kinds, as the engine tags the request in flight.
enum class RequestKind : int { kSpectrumChunk = 0, kRegisterWrite = 1, kTraceBlock = 4, kRegisterRead = 7 };

// An accepted reply: the kind and address of the request it answers and, for reads, its data.
struct AcceptedReply {
  RequestKind kind = RequestKind::kSpectrumChunk;
  std::uint32_t address = 0;                 // address field of the request
  std::span<const std::uint8_t> data;        // read data (n bytes); empty for a write
  std::span<const std::uint8_t> request;     // the request as sent, byte for byte
  bool imageUpdate = false;                  // a register read asked for by a status read
};

// One spectrum-memory read: `counts` 32-bit counts from count index `start`.
struct SpectrumChunk {
  unsigned start = 0;
  unsigned counts = 0;
};

class IReplyHandler {
 public:
  virtual ~IReplyHandler() = default;
  // Runs while the engine is still busy, so every request it makes is only marked pending.
  virtual void OnReply(const AcceptedReply& reply) = 0;
  // The chunk the next spectrum read asks for (the handler advances its schedule).
  virtual SpectrumChunk NextSpectrumChunk() = 0;
  // Whether a pending trace read may still go out when its slot is taken.
  virtual bool TraceReadAllowed() const = 0;
};

}  // namespace mirvo
