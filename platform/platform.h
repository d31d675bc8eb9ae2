// The services the core needs from the operating system, as small interfaces.
// Qt implements them for the running tool (platform/qt_*.cpp); tests use fakes.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/records_window.h"
#include "platform/workbook.h"

namespace zhv {

// One present serial port as the device-setup interface describes it.
struct PortInfo {
  std::string description;   // "USB Serial Port"
  std::string friendlyName;  // "USB Serial Port (COM7)"
  std::string serialNumber{};  // the USB adapter's own; empty when it has none
  friend bool operator==(const PortInfo&, const PortInfo&) = default;
};

class IPortEnumerator {
 public:
  virtual ~IPortEnumerator() = default;
  virtual std::vector<PortInfo> PresentPorts() = 0;
  // Runs `check` on the GUI thread at least once a second for as long as the
  // program runs, so the caller can look for adapters plugged in or pulled out.
  // Looking opens no port: opening resets some adapters.
  virtual void Watch(std::function<void()> check) = 0;
};

enum class Parity { None, Odd, Even };
enum class StopBits { One, Two };

struct LineSettings {
  std::int32_t baudRate;
  int dataBits;
  Parity parity;
  StopBits stopBits;
};

// Why a port would not open, as far as the system can tell.
enum class OpenRefusal {
  Busy,      // another program holds it (or the system gives no reason)
  NoAccess,  // this user may not open it
  Missing,   // there is no such device
};

class ISerialPort {
 public:
  virtual ~ISerialPort() = default;
  // Opens the port by name, read and write, shared with nobody.
  virtual bool Open(const std::string& name) = 0;
  // The reason the last Open failed. A port that cannot tell says busy.
  virtual OpenRefusal LastRefusal() const { return OpenRefusal::Busy; }
  // Line settings; everything else (flow control) stays as the port had it.
  virtual bool SetLineSettings(const LineSettings& settings) = 0;
  // Drops whatever sits in both queues.
  virtual bool Purge() = 0;
  // Bytes waiting in the input queue.
  virtual std::size_t QueuedBytes() = 0;
  // Drops what has arrived and not been read, here and in the system's queue.
  virtual void DropInput() = 0;
  // Reads up to max bytes without waiting; returns the count read.
  virtual std::size_t Read(std::uint8_t* buffer, std::size_t max) = 0;
  // Writes the whole frame; false when the port refused it.
  virtual bool Write(const std::uint8_t* data, std::size_t count) = 0;
  virtual void Close() = 0;
  // Called once when the port reports that the device behind it is gone; what
  // arrived before stays readable until Close.
  virtual void SetLostHandler(std::function<void()> handler) = 0;
};

class ILocale {
 public:
  virtual ~ILocale() = default;
  // The user's decimal separator; '.' when the locale gives none.
  virtual char DecimalSeparator() = 0;
};

struct LocalDateTime {
  int year, month, day, hour, minute, second;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalDateTime Now() = 0;
  // Milliseconds on a clock that only runs forward, whatever the wall clock does.
  virtual std::int64_t SteadyMs() = 0;
};

// Lets a handler keep the window alive while it waits (the closing wait).
class IMessagePump {
 public:
  virtual ~IMessagePump() = default;
  virtual void ProcessMessages() = 0;
};

// The export file of a storage read-out: text in, Windows-1251 with the
// caller's CR LF line ends on disk.
class IExportFile {
 public:
  virtual ~IExportFile() = default;
  // Creates or empties the file, or opens it at its end (creating it when it is
  // not there yet); any file still open is closed first. False when that cannot be done.
  virtual bool Open(const std::string& name, bool append) = 0;
  virtual bool IsOpen() const = 0;
  // Text (UTF-8) to append; false when it could not all be taken (part of it
  // may have reached the disk all the same).
  virtual bool Write(const std::string& text) = 0;
  // Hands everything written to the operating system; false when it refused.
  virtual bool Flush() = 0;
  // Bytes of the open file on disk, everything flushed counted; -1 when it cannot be told.
  virtual std::int64_t Size() = 0;
  // Cuts the open file back to `size` bytes and drops whatever is still
  // unwritten, so a write that failed part-way leaves no fragment; false when it could not.
  virtual bool CutBack(std::int64_t size) = 0;
  // Flushes and closes; false when either failed. Closed afterwards in any case.
  virtual bool Close() = 0;
};

// The session log of --trace-file: a line per frame sent or received, and per
// port opened, closed or lost; the log stamps each with the time.
class ISessionLog {
 public:
  virtual ~ISessionLog() = default;
  // False when no log was asked for; nothing need be built for it then.
  virtual bool Enabled() const = 0;
  // Appends the line with the time it is written, to the millisecond.
  virtual void Write(const std::string& line) = 0;
};

// The save dialog the export file is chosen in.
class ISaveDialog {
 public:
  virtual ~ISaveDialog() = default;
  // Shows the dialog starting at `fileName`; true with the full path of the
  // chosen file in `fileName` when the operator confirms, false (untouched) otherwise.
  virtual bool Execute(std::string& fileName) = 0;
};

// An item of a question that the operator may tick or leave.
struct TickItem {
  std::string text;
  bool ticked = false;
};

// The questions the tool asks the operator, and the files it asks for.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // A question answered «Да» (true) or «Нет»; `yesByDefault` says which one Enter gives.
  virtual bool Ask(const std::string& question, bool yesByDefault) = 0;
  // The same with items to tick below the question; they hold the operator's ticks afterwards.
  virtual bool AskWithTicks(const std::string& question, std::vector<TickItem>& ticks, bool yesByDefault) = 0;
  // A file to read, starting at `fileName`; true with the chosen file's full path
  // in `fileName`. `filter` as "Файлы записей (*.csv *.xlsx)".
  virtual bool ChooseFileToOpen(std::string& fileName, const std::string& filter) = 0;
  // A file to write; the dialog asks before it replaces one.
  virtual bool ChooseFileToSave(std::string& fileName, const std::string& filter) = 0;
};

// The operator's choices kept from one run to the next, per user, as text under
// keys such as "readout/file". What a value means is the caller's to check: the
// store may have been edited, damaged or written by another version.
class ISettings {
 public:
  virtual ~ISettings() = default;
  // The value under `key`; nullopt when there is none or it cannot be read.
  virtual std::optional<std::string> Value(const std::string& key) = 0;
  virtual void SetValue(const std::string& key, const std::string& value) = 0;
  // Writes what was set to the store; false when that failed.
  virtual bool Save() = 0;
};

// Whole text files the operator names (a unit's settings): UTF-8 as it stands.
class ITextFiles {
 public:
  virtual ~ITextFiles() = default;
  // The file's whole content; false with the system's reason in `error`.
  virtual bool Load(const std::string& name, std::string& text, std::string& error) = 0;
  // Replaces the file with `text`, which is all there or not at all; false with the reason.
  virtual bool Save(const std::string& name, const std::string& text, std::string& error) = 0;
  // A file written in Windows-1251 (an export file), as UTF-8; false with the reason.
  virtual bool LoadWindows1251(const std::string& name, std::string& text, std::string& error) = 0;
};

// A window beside the main one that lists a unit's settings against a file's,
// field by field, and follows a restore of them.
struct SettingsRow {
  enum class Mark : std::uint8_t { Same, Differs, Written, Writing, Failed, Skipped };
  std::string name;     // the field, as the window names it
  std::string unit;     // its value in the unit, in the window's format and unit
  std::string file;     // ... and in the file
  Mark mark = Mark::Same;
  std::string outcome;  // what a restore did with it; empty when it had nothing to do
};

struct SettingsView {
  std::string caption;
  std::string heading;  // where the two sides come from
  std::vector<SettingsRow> rows;
  std::string status;   // the last word: how many differ, how a restore ended
  bool statusIsError = false;
  int done = 0, total = 0;  // a restore's progress; no progress bar while total is 0
  bool stoppable = false;   // «Стоп» stops a restore after the field under way
};

class ISettingsWindow {
 public:
  virtual ~ISettingsWindow() = default;
  // Shows the window with this content, or brings it up to date; returns at once.
  virtual void Show(const SettingsView& view) = 0;
  // What «Стоп» runs.
  virtual void SetStopHandler(std::function<void()> stop) = 0;
};

struct Platform {
  ISerialPort& port;
  IPortEnumerator& ports;
  ILocale& locale;
  IClock& clock;
  IMessagePump& pump;
  IExportFile& file;
  ISaveDialog& saveDialog;
  ISessionLog& log;
  IDialogs& dialogs;
  ITextFiles& textFiles;
  ISettingsWindow& settingsWindow;
  IWorkbookFiles& workbooks;
  IRecordsWindow& recordsWindow;
};

}  // namespace zhv
