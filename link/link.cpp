#include "link/link.h"

#include <algorithm>

namespace zhv {

namespace {

const LineSettings kLinkSettings{250000, 8, Parity::None, StopBits::Two};

}  // namespace

Link::Link(ISerialPort& port) : port_(port) {
  // The device behind the port vanished: the poll tick takes what it sent
  // before, then the connection ends as for a failed write.
  port_.SetLostHandler([this] {
    if (s_.open) s_.lost = true;
  });
}

OpenResult Link::Open(const std::string& name) {
  s_.portName = name;
  if (!port_.Open(name)) return OpenResult::Refused;
  // Line settings first, then drop whatever queued up before we owned the port.
  if (!port_.SetLineSettings(kLinkSettings) || !port_.Purge()) {
    port_.Close();
    return OpenResult::NotConfigured;
  }
  s_.open = true;
  s_.lost = false;
  s_.writeFailed = false;
  // Bytes left over from an earlier connection belong to nobody now.
  s_.readPos = s_.bytesRead = 0;
  s_.parser.Restart();
  s_.frameReady = false;
  s_.interByteTimeout = 0;
  s_.timeoutReload = kInterByteTimeoutTicks;
  return OpenResult::Opened;
}

void Link::Close() {
  if (!s_.open) return;
  s_.open = false;
  s_.writeFailed = false;
  port_.Close();
  for (LinkObserver* o : observers_) o->PortClosed(s_.portName);
}

bool Link::Send(std::uint8_t command, std::span<const std::uint8_t> data) {
  const std::size_t n = std::min(data.size(), kMaxSendData);  // no caller builds more
  std::array<std::uint8_t, 256> frame{};
  frame[0] = kFrameStart;
  frame[1] = s_.sendType;
  frame[2] = command;
  frame[3] = static_cast<std::uint8_t>(n);
  std::copy_n(data.begin(), n, frame.begin() + 4);
  std::uint8_t check = 0;
  for (std::size_t i = 0; i < 4 + n; ++i) check ^= frame[i];
  frame[4 + n] = check;
  const std::span<const std::uint8_t> bytes(frame.data(), 5 + n);
  // The unit speaks only when asked: whatever it sent before this request and
  // is not taken yet answers an earlier one, and would be taken for this one's
  // answer. A burst would otherwise be served one stale frame per request.
  // What a lost device sent last stays: it may finish a read-out.
  if (s_.open && !s_.lost) {
    if (s_.parser.state() != FrameParser::State::Start)
      for (LinkObserver* o : observers_) o->FrameDropped();
    s_.frameReady = false;
    s_.readPos = s_.bytesRead;
    s_.parser.Restart();
    s_.interByteTimeout = 0;
    port_.DropInput();
  }
  for (LinkObserver* o : observers_) o->Sent(bytes);
  const bool written = s_.open && port_.Write(bytes.data(), bytes.size());
  if (!written) s_.writeFailed = true;
  return written;
}

void Link::Receive() {
  if (s_.interByteTimeout != 0 && --s_.interByteTimeout == 0) {
    s_.parser.Restart();
    for (LinkObserver* o : observers_) o->TimedOut();
  }

  if (s_.readPos >= s_.bytesRead) {
    std::size_t queued = s_.open ? port_.QueuedBytes() : 0;
    if (queued != 0) {
      queued = std::min(queued, s_.rx.size());
      const std::size_t got = std::min(port_.Read(s_.rx.data(), queued), queued);
      s_.bytesRead = static_cast<std::uint32_t>(got);
      s_.readPos = 0;
      for (LinkObserver* o : observers_) o->Read(got, static_cast<int>(s_.parser.state()));
    }
  }

  while (s_.readPos < s_.bytesRead) {
    const std::uint8_t b = s_.rx[s_.readPos++];
    if (s_.parser.state() != FrameParser::State::Start)
      for (LinkObserver* o : observers_) o->ByteTaken(b);
    const FrameParser::Took took = s_.parser.Take(b);
    switch (took) {
      case FrameParser::Took::Skipped:
        break;
      case FrameParser::Took::Started:
        for (LinkObserver* o : observers_) o->FrameStarted();
        s_.interByteTimeout = s_.timeoutReload;
        break;
      case FrameParser::Took::Byte:
        s_.interByteTimeout = s_.timeoutReload;
        break;
      case FrameParser::Took::Good:
      case FrameParser::Took::Bad: {
        const bool good = took == FrameParser::Took::Good;
        s_.frameReady = good;
        for (LinkObserver* o : observers_) o->FrameChecked(good);
        s_.interByteTimeout = 0;
        return;  // at most one frame a tick: what follows waits in the buffer
      }
    }
  }
}

bool Link::BytesWaiting() { return s_.readPos < s_.bytesRead || (s_.open && port_.QueuedBytes() > 0); }

void Link::DropReceived() {
  s_.readPos = s_.bytesRead;
  s_.parser.Restart();
  s_.interByteTimeout = 0;
  if (!s_.open) return;
  // Only what is queued now: bytes still arriving may be the next answer.
  for (std::size_t queued = port_.QueuedBytes(); queued > 0;) {
    const std::size_t got = port_.Read(s_.rx.data(), std::min(queued, s_.rx.size()));
    if (got == 0) break;
    queued -= std::min(got, queued);
  }
  s_.readPos = s_.bytesRead = 0;
}

}  // namespace zhv
