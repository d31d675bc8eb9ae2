// Test doubles of the platform services (header-only, Qt-free).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zhv::fake {

class Ports : public IPortEnumerator {
 public:
  std::vector<PortInfo> list;
  std::function<void()> check;  // what Watch was given
  int lookups = 0;
  std::vector<PortInfo> PresentPorts() override {
    ++lookups;
    return list;
  }
  void Watch(std::function<void()> c) override { check = std::move(c); }
  // One look of the watch, as the platform makes every half second.
  void Poll() {
    if (check) check();
  }
};

class Locale : public ILocale {
 public:
  char separator = '.';
  char DecimalSeparator() override { return separator; }
};

class Clock : public IClock {
 public:
  LocalDateTime now{2024, 5, 17, 13, 45, 9};
  std::int64_t steadyMs = 0;
  LocalDateTime Now() override { return now; }
  std::int64_t SteadyMs() override { return steadyMs; }
};

// Runs a callback per pumped message; the closing wait uses it to tick the timer.
class Pump : public IMessagePump {
 public:
  std::function<void()> onPump;
  int calls = 0;
  void ProcessMessages() override {
    ++calls;
    if (onPump) onPump();
  }
};

// A port with a byte queue the test fills and a record of everything written.
class Port : public ISerialPort {
 public:
  std::set<std::string> busy;          // names that refuse to open
  std::set<std::string> forbidden;     // names this user may not open
  std::set<std::string> missing;       // names with no device behind them
  bool failLineSettings = false;
  bool failWrite = false;
  bool open = false;
  std::string openedName;
  LineSettings settings{};
  int purges = 0;
  std::deque<std::uint8_t> input;
  std::vector<std::vector<std::uint8_t>> writes;
  // Answers given as soon as a request with their command is written, each once.
  std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> whenAsked;
  std::function<void()> lost;

  OpenRefusal refusal = OpenRefusal::Busy;  // of the last failed open

  void Feed(const std::vector<std::uint8_t>& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

  bool Open(const std::string& name) override {
    if (missing.count(name)) return Refuse(OpenRefusal::Missing);
    if (forbidden.count(name)) return Refuse(OpenRefusal::NoAccess);
    if (open || busy.count(name)) return Refuse(OpenRefusal::Busy);
    open = true;
    openedName = name;
    return true;
  }
  OpenRefusal LastRefusal() const override { return refusal; }
  bool SetLineSettings(const LineSettings& s) override {
    settings = s;
    return !failLineSettings;
  }
  bool Purge() override {
    ++purges;
    input.clear();
    return true;
  }
  void DropInput() override { input.clear(); }
  std::size_t QueuedBytes() override { return open ? input.size() : 0; }
  std::size_t Read(std::uint8_t* buffer, std::size_t max) override {
    std::size_t n = 0;
    while (open && n < max && !input.empty()) {
      buffer[n++] = input.front();
      input.pop_front();
    }
    return n;
  }
  bool Write(const std::uint8_t* data, std::size_t count) override {
    if (!open || failWrite) return false;
    writes.emplace_back(data, data + count);
    for (auto it = whenAsked.begin(); it != whenAsked.end(); ++it) {
      if (count < 3 || it->first != data[2]) continue;
      Feed(it->second);
      whenAsked.erase(it);
      break;
    }
    return true;
  }
  void Close() override { open = false; }
  void SetLostHandler(std::function<void()> handler) override { lost = std::move(handler); }

 private:
  bool Refuse(OpenRefusal why) {
    refusal = why;
    return false;
  }
};

// A disk in memory: each file's contents as handed to the operating system
// (flushed), kept apart from what is still buffered.
class ExportFile : public IExportFile {
 public:
  std::map<std::string, std::string> disk;  // name -> flushed text (UTF-8)
  std::set<std::string> unopenable;         // names that refuse to open
  bool failWrite = false;
  bool failFlush = false;
  bool failClose = false;
  bool failCutBack = false;
  // Bytes the disk still takes: a flush beyond them writes what fits and fails.
  std::optional<std::size_t> room;
  bool open = false;
  std::string name;      // the open file
  std::string buffered;  // written, not yet flushed
  int opens = 0;
  bool linesWhole = true;  // false once a flush left a file ending inside a line

  bool Open(const std::string& fileName, bool append) override {
    if (open) Close();
    if (fileName.empty() || unopenable.count(fileName)) return false;
    if (!append) disk[fileName].clear();
    disk[fileName];  // appending to a file that is not there creates it
    name = fileName;
    open = true;
    ++opens;
    return true;
  }
  bool IsOpen() const override { return open; }
  bool Write(const std::string& text) override {
    if (!open || failWrite) return false;
    buffered += text;
    return true;
  }
  bool Flush() override {
    if (!open || failFlush) return false;
    std::string& text = disk[name];
    const std::size_t taken = room ? std::min(*room, buffered.size()) : buffered.size();
    text += buffered.substr(0, taken);
    if (room) *room -= taken;
    const bool whole = taken == buffered.size();
    buffered.clear();
    if (!text.empty() && !text.ends_with("\r\n")) linesWhole = false;
    return whole;
  }
  std::int64_t Size() override { return open ? static_cast<std::int64_t>(disk[name].size()) : -1; }
  bool CutBack(std::int64_t size) override {
    if (!open || failCutBack || size < 0) return false;
    std::string& text = disk[name];
    if (static_cast<std::size_t>(size) < text.size()) {
      if (room) *room += text.size() - static_cast<std::size_t>(size);
      text.resize(static_cast<std::size_t>(size));
    }
    buffered.clear();
    return true;
  }
  bool Close() override {
    if (!open) return true;
    const bool flushed = Flush();
    open = false;
    buffered.clear();
    return flushed && !failClose;
  }
};

// Answers as the operator was told to: a file name, or cancel (nullopt).
class SaveDialog : public ISaveDialog {
 public:
  std::optional<std::string> answer;
  std::string shownWith;  // the name the dialog started at
  int calls = 0;
  bool Execute(std::string& fileName) override {
    ++calls;
    shownWith = fileName;
    if (!answer) return false;
    fileName = *answer;
    return true;
  }
};

// The session log as the lines it was given, in order.
class SessionLog : public ISessionLog {
 public:
  bool enabled = true;
  std::vector<std::string> lines;
  std::function<std::string()> stamp;  // what each line begins with; nothing when unset
  bool Enabled() const override { return enabled; }
  void Write(const std::string& line) override { lines.push_back(stamp ? stamp() + line : line); }
};

// Answers questions as the operator was told to, and keeps what was asked.
class Dialogs : public IDialogs {
 public:
  std::deque<bool> answers;  // Ask's answers in turn; the default one when none is left
  std::vector<std::string> asked;
  std::optional<std::string> fileToOpen, fileToSave;  // nullopt: the operator cancels
  bool Ask(const std::string& question, bool yesByDefault) override {
    asked.push_back(question);
    if (answers.empty()) return yesByDefault;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // AskWithTicks: the items offered, and which of them the operator ticks (by index).
  std::vector<std::vector<TickItem>> offered;
  std::set<std::size_t> tickThese;
  bool AskWithTicks(const std::string& question, std::vector<TickItem>& ticks, bool yesByDefault) override {
    offered.push_back(ticks);
    for (std::size_t i = 0; i < ticks.size(); ++i) ticks[i].ticked = tickThese.count(i) > 0;
    return Ask(question, yesByDefault);
  }
  bool ChooseFileToOpen(std::string& fileName, const std::string&) override { return Choose(fileToOpen, fileName); }
  bool ChooseFileToSave(std::string& fileName, const std::string&) override { return Choose(fileToSave, fileName); }

 private:
  static bool Choose(const std::optional<std::string>& answer, std::string& fileName) {
    if (!answer) return false;
    fileName = *answer;
    return true;
  }
};

// A settings store in memory; what was saved is what the next run reads.
class Settings : public ISettings {
 public:
  std::map<std::string, std::string> values;  // as they stand in the store
  std::map<std::string, std::string> unsaved;
  bool failSave = false;
  int saves = 0;
  std::optional<std::string> Value(const std::string& key) override {
    const auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void SetValue(const std::string& key, const std::string& value) override { unsaved[key] = value; }
  bool Save() override {
    ++saves;
    if (failSave) return false;
    for (auto& [key, value] : unsaved) values[key] = value;
    unsaved.clear();
    return true;
  }
};

// Text files in memory, by name.
class TextFiles : public ITextFiles {
 public:
  std::map<std::string, std::string> disk;
  std::set<std::string> refusing;  // names that can be neither read nor written
  bool Load(const std::string& name, std::string& text, std::string& error) override {
    const auto it = disk.find(name);
    if (refusing.count(name) || it == disk.end()) return Refuse(error);
    text = it->second;
    return true;
  }
  bool Save(const std::string& name, const std::string& text, std::string& error) override {
    if (refusing.count(name)) return Refuse(error);
    disk[name] = text;
    return true;
  }
  // What is on the fake disk is text already: the decoding is the real one's.
  bool LoadWindows1251(const std::string& name, std::string& text, std::string& error) override {
    return Load(name, text, error);
  }

 private:
  static bool Refuse(std::string& error) {
    error = "Отказано в доступе";
    return false;
  }
};

// The settings window as what it was last shown with.
class SettingsWindow : public ISettingsWindow {
 public:
  int shows = 0;
  SettingsView view;
  std::function<void()> stop;
  void Show(const SettingsView& v) override {
    ++shows;
    view = v;
  }
  void SetStopHandler(std::function<void()> s) override { stop = std::move(s); }
};

// Workbooks kept in memory by name; writes under a name in `refusing` fail with its reason.
class WorkbookFiles : public IWorkbookFiles {
 public:
  std::map<std::string, Workbook> written;
  std::map<std::string, std::string> refusing;
  bool Exists(const std::string& name) override { return written.count(name) != 0; }
  bool Write(const Workbook& book, const std::string& name, std::string& error) override {
    if (const auto it = refusing.find(name); it != refusing.end()) {
      error = it->second;
      return false;
    }
    written[name] = book;
    return true;
  }
  bool ReadNumbers(const std::string& name, const std::string& sheet, std::vector<std::vector<double>>& rows,
                   std::string& error) override {
    const auto book = written.find(name);
    if (book == written.end()) return Refuse(error);
    for (const WorkbookSheet& s : book->second.sheets) {
      if (s.name != sheet) continue;
      rows.clear();
      if (!s.header.empty()) rows.emplace_back(s.header.size(), NAN);
      for (const auto& cells : s.rows) {
        std::vector<double>& numbers = rows.emplace_back();
        for (const WorkbookCell& c : cells) numbers.push_back(c.kind == WorkbookCell::Kind::Number ? c.number : NAN);
      }
      return true;
    }
    return Refuse(error);
  }

 private:
  static bool Refuse(std::string& error) {
    error = "в книге нет листа";
    return false;
  }
};

// The records viewer as what it was last shown with.
class RecordsWindow : public IRecordsWindow {
 public:
  int shows = 0;
  RecordsView view;
  void Show(const RecordsView& v) override {
    ++shows;
    view = v;
  }
};

// Everything a Tool needs, owned together.
struct Services {
  Port port;
  Ports ports;
  Locale locale;
  Clock clock;
  Pump pump;
  ExportFile file;
  SaveDialog saveDialog;
  SessionLog log;
  Dialogs dialogs;
  TextFiles textFiles;
  SettingsWindow settingsWindow;
  WorkbookFiles workbooks;
  RecordsWindow recordsWindow;
  Platform platform() { return platform(port); }
  // The same services around another port (the simulated unit's, a real one).
  Platform platform(ISerialPort& serial) { return platform(serial, file, saveDialog); }
  // And around a real export file and save dialog too.
  Platform platform(ISerialPort& serial, IExportFile& exportFile, ISaveDialog& dialog) {
    return Platform{serial, ports, locale, clock, pump, exportFile, dialog, log, dialogs, textFiles, settingsWindow, workbooks, recordsWindow};
  }
};

}  // namespace zhv::fake
