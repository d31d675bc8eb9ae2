// Serial link: link frames both ways, the trace window, port listing and opening.
#pragma once

#include <string>

namespace zhv {

struct Tool;

inline constexpr int kTraceMaxLines = 32;
inline constexpr int kInterByteTimeoutTicks = 5;

// Frames and writes the request buffer; false when the write failed (the caller
// decides what a lost link means).
bool SendFrame(Tool& t);
void ReceiveFrame(Tool& t);
// True while received bytes wait to be made into frames: the rest of the last
// read, or what the port has queued.
bool BytesWaiting(Tool& t);
// Drops what has been received and not yet made into a frame: the rest of the
// last read, a frame begun, and whatever the port has queued.
void DropReceived(Tool& t);
void ClosePort(Tool& t);
void ShowPortError(Tool& t);
void AddTraceLine(Tool& t);
// A line of the session log that is not a frame: a port opened, closed or lost.
void LogEvent(Tool& t, const std::string& text);
void SetTraceOff(Tool& t, int off);
void Button2Click(Tool& t);
void BindTrace(Tool& t);  // "Очистить окно отладки"

// The COM name inside a friendly name such as "USB Serial Port (COM7)", or "Unknown".
std::string ComNameFromFriendlyName(const std::string& friendlyName);
void ListPorts(Tool& t);
// Has the port list follow adapters plugged in and pulled out.
void BindPorts(Tool& t);
// While no port is open, rebuilds the list when the set of present ports has
// changed since it was built, keeping the selected port selected.
void WatchPorts(Tool& t);
// Opens and configures the selected port; true when it is open. The caller starts
// the conversation on it.
bool OpenPort(Tool& t);

}  // namespace zhv
