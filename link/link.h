// The serial link: the port the unit is on, link frames written to it, and the
// receiver that drains it and hands up whole frames, one per tick at most. It
// decides nothing: a failed write or a vanished device is reported, and the
// exchange above ends the connection once the tick's work is done.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "protocol/frame.h"

namespace zhv {

inline constexpr int kInterByteTimeoutTicks = 5;

// What goes over the link, as it happens: the trace window and the session log
// watch it. A received frame is told byte by byte, so a watcher can show a frame
// that never ends.
class LinkObserver {
 public:
  virtual ~LinkObserver() = default;
  virtual void Sent(std::span<const std::uint8_t> frame) = 0;
  // One read of the port: its count, and the receiver state it found.
  virtual void Read(std::size_t count, int receiverState) = 0;
  virtual void FrameStarted() = 0;                // the start byte of a frame
  virtual void ByteTaken(std::uint8_t byte) = 0;  // every later byte of it, the check byte too
  virtual void FrameChecked(bool good) = 0;       // ... which ends it
  virtual void TimedOut() = 0;                    // the frame under way stalled and was given up
  virtual void FrameDropped() = 0;                // ... or was stale: a request went out meanwhile
  virtual void PortClosed(const std::string& name) = 0;
};

enum class OpenResult { Opened, Refused, NotConfigured };

// Everything the link keeps.
struct LinkState {
  std::string portName;
  bool open = false;
  bool lost = false;         // the device has gone; what it sent before is still taken
  bool writeFailed = false;  // a frame could not be written
  std::uint8_t sendType = 0;  // the device type every frame carries
  bool traceOff = false;      // the trace window takes no lines (the session log still does)
  // Receiving: what one read of the port returned, and how far it is taken.
  std::array<std::uint8_t, 256> rx{};
  std::uint32_t bytesRead = 0;
  std::uint32_t readPos = 0;
  FrameParser parser;
  bool frameReady = false;  // a good frame waits to be taken; nothing more is read meanwhile
  std::int32_t interByteTimeout = 0;
  std::int32_t timeoutReload = 0;
};

class Link {
 public:
  explicit Link(ISerialPort& port);
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  void Observe(LinkObserver& observer) { observers_.push_back(&observer); }

  // Opens the port exclusively, sets the line up and empties its queues; the
  // receiver starts afresh.
  OpenResult Open(const std::string& name);
  OpenRefusal Refusal() const { return port_.LastRefusal(); }
  void Close();
  bool IsOpen() const { return s_.open; }
  const std::string& PortName() const { return s_.portName; }

  void SetSendType(std::uint8_t type) { s_.sendType = type; }
  std::uint8_t SendType() const { return s_.sendType; }
  // Frames and writes a request (at most 251 data bytes are taken); false when
  // the port refused it, which WriteFailed then tells until the port is closed.
  // Everything received before it and not yet taken is dropped first.
  bool Send(std::uint8_t command, std::span<const std::uint8_t> data);
  bool WriteFailed() const { return s_.writeFailed; }

  // One tick's turn: the inter-byte timeout, one read of what is queued, and
  // bytes taken until a frame ends.
  void Receive();
  bool FrameReady() const { return s_.frameReady; }
  // The frame as received so far: whole while FrameReady. Its type is that of
  // the last frame begun, whatever became of it.
  const Frame& Received() const { return s_.parser.frame(); }
  void TakeFrame() { s_.frameReady = false; }
  // True while received bytes wait to be made into frames: the rest of the last
  // read, or what the port has queued.
  bool BytesWaiting();
  // Drops what has been received and not yet made into a frame: the rest of the
  // last read, a frame begun, and whatever the port has queued now.
  void DropReceived();

  // The device behind the port has gone (the port said so).
  bool Lost() const { return s_.lost; }

  void SetTraceOff(bool off) { s_.traceOff = off; }
  bool TraceOff() const { return s_.traceOff; }

  const LinkState& state() const { return s_; }

 private:
  ISerialPort& port_;
  std::vector<LinkObserver*> observers_;
  LinkState s_;
};

}  // namespace zhv
