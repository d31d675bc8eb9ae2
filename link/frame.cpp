// Link frames: 0x0D, device type, command, length N, N data bytes, XOR of all before.
#include <algorithm>
#include <cstdio>

#include "app/tool.h"
#include "link/Vcom_io.h"

namespace zhv {

namespace {

constexpr std::uint8_t kStart = 0x0D;
constexpr std::uint8_t kMaxSendData = 251;  // N + 5 must fit the 256-byte frame buffer

bool TraceOn(const ExchangeRecord& r) { return (r.traceOff & 1) == 0; }

void AppendHex(std::string& line, std::uint8_t b) {
  char s[4];
  std::snprintf(s, sizeof s, "%02X ", b);
  line += s;
}

// A received frame is written up twice: in the trace line while the trace is
// on, and in the log line while there is a session log, whatever the trace shows.
void StartLines(Tool& t, const char* text) {
  if (TraceOn(t.r)) t.r.traceLine = text;
  if (t.p.log.Enabled()) t.r.logLine = text;
}

void AppendToLines(Tool& t, const char* text) {
  if (TraceOn(t.r)) t.r.traceLine += text;
  if (t.p.log.Enabled()) t.r.logLine += text;
}

void AppendHexToLines(Tool& t, std::uint8_t b) {
  if (TraceOn(t.r)) AppendHex(t.r.traceLine, b);
  if (t.p.log.Enabled()) AppendHex(t.r.logLine, b);
}

void EndLines(Tool& t) {
  if (TraceOn(t.r)) AddTraceLine(t);
  if (t.p.log.Enabled()) {
    t.p.log.Write(t.r.logLine);
    t.r.logLine.clear();
  }
}

void ArmTimeout(ExchangeRecord& r) { r.interByteTimeout = r.timeoutReload; }

}  // namespace

bool SendFrame(Tool& t) {
  ExchangeRecord& r = t.r;
  std::uint8_t n = r.request[3];
  if (n > kMaxSendData) n = kMaxSendData;  // no caller builds more; never overrun the frame
  r.frame[0] = kStart;
  r.frame[1] = r.sendDeviceType;
  r.frame[2] = r.request[2];
  r.frame[3] = n;
  for (std::size_t i = 0; i < n; ++i) r.frame[4 + i] = r.request[4 + i];
  std::uint8_t check = 0;
  for (std::size_t i = 0; i < 4u + n; ++i) check ^= r.frame[i];
  r.frame[4 + n] = check;
  const std::size_t size = 5u + n;

  if (TraceOn(r) || t.p.log.Enabled()) {
    std::string line = ">: ";
    for (std::size_t i = 0; i < size; ++i) AppendHex(line, r.frame[i]);
    // A frame being received meanwhile keeps its own log line.
    if (t.p.log.Enabled()) t.p.log.Write(line);
    if (TraceOn(r)) {
      r.traceLine = std::move(line);
      AddTraceLine(t);
    }
  }
  return r.portOpen && t.p.port.Write(r.frame.data(), size);
}

void ReceiveFrame(Tool& t) {
  ExchangeRecord& r = t.r;
  if (r.interByteTimeout != 0 && --r.interByteTimeout == 0) {
    r.rxState = 0;
    AppendToLines(t, "<: TimeOut");
    EndLines(t);
  }

  if (r.readPos >= r.bytesRead) {
    std::size_t queued = r.portOpen ? t.p.port.QueuedBytes() : 0;
    if (queued != 0) {
      if (queued > r.rxBuffer.size()) queued = r.rxBuffer.size();
      std::size_t got = t.p.port.Read(r.rxBuffer.data(), queued);
      if (got > queued) got = queued;
      r.bytesRead = static_cast<std::uint32_t>(got);
      t.f.Edit1.SetText(std::to_string(r.bytesRead));
      t.f.Edit2.SetText(std::to_string(r.rxState));
      r.readPos = 0;
    }
  }

  while (r.readPos < r.bytesRead) {
    const std::uint8_t b = r.rxBuffer[r.readPos];
    if (r.rxState != 0) AppendHexToLines(t, b);
    bool checked = false;
    switch (r.rxState) {
      case 0:
        if (b == kStart) {
          r.rxCheck = kStart;
          StartLines(t, "<: 0D ");
          ArmTimeout(r);
          r.rxState = 1;
        }
        break;
      case 1:
        r.rxDeviceType = b;
        r.rxCheck ^= b;
        ArmTimeout(r);
        r.rxState = 2;
        break;
      case 2:
        r.rxCommand = b;
        r.rxCheck ^= b;
        ArmTimeout(r);
        r.rxState = 3;
        break;
      case 3:
        r.rxLength = b;
        r.rxCheck ^= b;
        r.dataIndex = 0;
        ArmTimeout(r);
        r.rxState = b == 0 ? 4 : 5;
        break;
      case 5:
        // The length byte is at most 255 and the buffer holds 256, so the index stays inside.
        r.rxData[r.dataIndex] = b;
        r.rxCheck ^= b;
        ++r.dataIndex;
        ArmTimeout(r);
        if (r.dataIndex == r.rxLength) r.rxState = 6;
        break;
      default:  // 4 and 6: the check byte
        if (b == r.rxCheck) {
          r.frameReady = 1;
        } else {
          AppendToLines(t, "bad XOR");
        }
        EndLines(t);
        r.interByteTimeout = 0;
        r.rxState = 0;
        checked = true;
        break;
    }
    ++r.readPos;
    if (checked) break;
  }
}

bool BytesWaiting(Tool& t) {
  return t.r.readPos < t.r.bytesRead || (t.r.portOpen && t.p.port.QueuedBytes() > 0);
}

void DropReceived(Tool& t) {
  ExchangeRecord& r = t.r;
  r.readPos = r.bytesRead;
  r.rxState = 0;
  r.interByteTimeout = 0;
  if (!r.portOpen) return;
  // Only what is queued now: bytes still arriving may be the next answer.
  for (std::size_t queued = t.p.port.QueuedBytes(); queued > 0;) {
    const std::size_t got = t.p.port.Read(r.rxBuffer.data(), std::min(queued, r.rxBuffer.size()));
    if (got == 0) break;
    queued -= std::min(got, queued);
  }
  r.readPos = r.bytesRead = 0;
}

void ClosePort(Tool& t) {
  if (t.r.portOpen == 1) {
    t.r.portOpen = 0;
    t.p.port.Close();
    LogEvent(t, "Закрыт порт " + t.r.portName);
  }
}

void ShowPortError(Tool& t) {
  t.f.Panel1.SetColour(clr::Red);
  t.f.Panel1.SetText("Ошибка доступа к порт " + t.r.portName);
  LogEvent(t, t.f.Panel1.Text());
}

void LogEvent(Tool& t, const std::string& text) {
  if (t.p.log.Enabled()) t.p.log.Write("== " + text);
}

}  // namespace zhv
