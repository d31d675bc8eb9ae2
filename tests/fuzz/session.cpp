// A fuzzed session from start to end: connecting, the calm after the chaos, and
// what must hold after every step.
#include "tests/fuzz/session.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "protocol/catalogue.h"
#include "protocol/frame.h"
#include "sim/frames.h"
#include "storage/workbook.h"

namespace zhv::fuzz {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kCalmTicks = 6000;         // a minute of the tool's time
constexpr int kStatusesToResume = 2;     // status answers in a row with nothing pending
const char* const kPortName = "COM1";

std::vector<Control*> OfKinds(const TForm1& f, std::initializer_list<Kind> kinds) {
  std::vector<Control*> out;
  for (Control* c : f.All())
    for (Kind k : kinds)
      if (c->GetKind() == k) out.push_back(c);
  return out;
}

// Records the export files hold, in either layout; a spreadsheet line must be whole.
std::size_t CountRecords(const std::map<std::string, std::string>& disk, bool& whole) {
  std::size_t records = 0;
  for (const auto& [name, text] : disk) {
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2) {
      const std::string_view line(text.data() + from, end - from);
      if (line.starts_with("CRC:")) {
        ++records;
      } else if (line.find(';') != std::string_view::npos && !line.starts_with("FlCRC;")) {
        ++records;
        std::size_t fields = 0;
        for (char c : line) fields += c == ';';
        whole &= fields == 17;
      }
    }
  }
  return records;
}

// Records the workbooks hold: the rows of their data sheets under the mark.
std::size_t CountRecords(const std::map<std::string, Workbook>& workbooks) {
  std::size_t records = 0;
  for (const auto& [name, book] : workbooks)
    for (const WorkbookSheet& sheet : book.sheets)
      if (sheet.name == kRecordsDataSheet && !sheet.rows.empty()) records += sheet.rows.size() - 1;
  return records;
}

}  // namespace

Totals& SessionTotals() {
  static Totals totals;
  return totals;
}

Session::Session(Script script)
    : in_(script),
      pressable_(OfKinds(t.f, {Kind::Button, Kind::CheckBox, Kind::RadioButton})),
      edits_(OfKinds(t.f, {Kind::Edit})) {
  s.ports.list = {{"USB Serial Port", std::string("USB Serial Port (") + kPortName + ")"}};
  s.file.disk["a.csv"] = "";  // there to append to
  s.file.unopenable = {"locked.csv"};
  s.pump.onPump = [this] { Tick(1); };
}

void Session::Run() {
  ++SessionTotals().sessions;
  t.FormCreate();
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  Connect();
  Chaos();
  if (!closed_) Calm();
}

// Most scripts start on a unit already polled under USB control, so that every
// command and read-out is a click away, some with a read-out under way; the
// others identify the unit in the chaos.
void Session::Connect() {
  const std::uint8_t how = in_.Byte();
  if (how & 0x80) return;
  const std::uint8_t types[] = {cat::kTypeStorage, cat::kTypeStorage, cat::kTypeBase, cat::kTypeVoice};
  const std::uint8_t kinds[] = {cat::kGasCombined, cat::kGasCH4,  cat::kGasC3H8,    cat::kGasCO2Optical,
                                cat::kGasCO,       cat::kGasCO2, cat::kGasCombined, cat::kGasCombined};
  const std::uint8_t type = types[how & 3], kind = kinds[how >> 2 & 7];
  auto respond = [&](std::uint8_t command, const Bytes& data) {
    Feed(EncodeFrame(type, command, data), true);
    Tick(1);
  };
  respond(cat::kProbe, {});
  Tick(1);
  respond(cat::kUnitControl, {0x03, 0x21, 130, static_cast<std::uint8_t>(kind << 2), 0x34, 0x12});
  Tick(1);
  respond(cat::kReadParams, Bytes(cat::kParamsAnswerLen, 0));
  Tick(1);
  Bytes status(cat::kStatusAnswerLen, 0);
  status[0] = 0x03;  // USB control on: editing unlocks
  status[8] = kind == cat::kGasCombined ? cat::kGasCH4 : kind;
  status[18] = cat::kGasCO;
  respond(cat::kReadStatus, status);
  if (type != cat::kTypeStorage) return;
  Tick(50);
  Bytes storage(cat::kStorageStatusAnswerLen, 0);
  storage[10] = 2024 & 0xFF;  // the reference year
  storage[11] = 2024 >> 8;
  respond(cat::kStorageStatus, storage);
  if (how & 0x40) StartReadOut(in_.Byte());
}

// ---------------------------------------------------------------- the calm

void Session::Calm() {
  s.port.failWrite = false;
  s.file.failWrite = s.file.failFlush = s.file.failClose = false;
  s.file.room.reset();
  sim::Options o;
  o.warmUpMs = 0;
  o.storage.records = 40;
  unit_.emplace(o);
  sim::FrameParser frames;
  int statuses = 0;
  for (int i = 0; i < kCalmTicks; ++i) {
    // The operator starts afresh when the tool is not talking to a unit: the
    // connection has ended, or leftover bytes named another product.
    if (!t.f.Timer1.Enabled() || (!t.identification.exchanging && t.identification.identified)) {
      t.f.Button1.Click();
      t.f.ListView1.SetSelected(0);
      t.f.ListView1.DblClick();
      Require(t.f.Timer1.Enabled(), "the port opens again");
      TakeWrites();
    }
    const State before = t.exchange.poll.state;
    Tick(1);
    unit_->Step(static_cast<std::uint32_t>(t.f.Timer1.Interval()));
    const Bytes out = unit_->TakeOutput();
    s.port.Feed(out);
    frames.Feed(out.data(), out.size());
    while (frames.Next()) ++SessionTotals().frames, ++SessionTotals().goodFrames;
    Check();
    const bool quiet = t.exchange.poll.pending == Pending::None && !t.exchange.ReadOutRunning();
    if (!quiet) statuses = 0;
    else if (before == State::AwaitStatus && t.exchange.poll.state == State::Idle) ++statuses;
    if (statuses == kStatusesToResume) {
      ++SessionTotals().resumed;
      return;
    }
  }
  Fail("the poll cycle resumes once a well-behaved unit answers");
}

// ---------------------------------------------------------------- time

void Session::Tick(int n) {
  Totals& totals = SessionTotals();
  for (int i = 0; i < n && t.f.Timer1.Enabled(); ++i) {
    t.f.Timer1.OnTimer();
    ++totals.ticks;
    const auto state = static_cast<std::size_t>(t.exchange.poll.state);
    if (state < totals.stateTicks.size()) ++totals.stateTicks[state];
    TakeWrites();
  }
}

// Keeps the last request for the chaos to answer; the calm's unit hears them all.
void Session::TakeWrites() {
  auto& writes = s.port.writes;
  if (writes.empty()) return;
  SessionTotals().requests += writes.size();
  if (unit_)
    for (const Bytes& w : writes) unit_->Feed(w);
  lastRequest_ = std::move(writes.back());
  writes.clear();
}

// ---------------------------------------------------------------- checks

void Session::Check() {
  const LinkState& link = t.link.state();
  const PollState& poll = t.exchange.poll;
  Require(link.readPos <= link.bytesRead && link.bytesRead <= link.rx.size(),
          "the receive position stays in its buffer");
  Require(static_cast<int>(poll.state) < kStateCount, "the exchange state is one of its states");
  Require(t.trace.LineCount() <= kTraceMaxLines &&
              t.f.ListBox1.Items().size() <= static_cast<std::size_t>(kTraceMaxLines),
          "the trace window keeps 32 lines");
  Require(poll.paramOffset <= 30, "the parameter offset names a word of the block");
  Require(t.readOut.exportFile.RecordsWritten() >= 0, "the count of records written is not negative");
  Require(t.f.Timer1.Enabled() == t.link.IsOpen() || closed_, "the timer runs while the port is open");
  // A device gone is let go of at the tick after, once what it sent is taken.
  Require(t.link.IsOpen() ? s.port.open || t.link.Lost() : !s.port.open,
          "the port is open exactly while the tool holds it");
  if (!t.link.IsOpen() && !closed_) {  // the no-device state (a closed window keeps what it showed)
    Require(t.f.PageControl1.ActivePage() == 0, "no device: the first tab is shown");
    for (const Control* tab : {&t.f.TabSheet2, &t.f.TabSheet3, &t.f.TabSheet4, &t.f.TabSheet5, &t.f.TabSheet6})
      Require(!tab->Visible(), "no device: the device tabs are hidden");
    Require(poll.pending == Pending::None, "no device: no command is left pending");
  }
  CheckExport();
}

// The export file is open exactly while a read-out into text runs (a workbook is
// written at the end), ends on a whole line, and when a read-out ends the files
// and workbooks hold every record it counted, no more, no fewer.
void Session::CheckExport() {
  const bool running = t.exchange.ReadOutRunning();
  const bool text = t.readOut.exportFile.CurrentLayout() != Layout::Workbook;
  Require(s.file.IsOpen() == (running && text), "the export file is open exactly while a read-out into text runs");
  // A failed write is cut back at once to the last whole record.
  for (const auto& [name, text] : s.file.disk)
    Require(text.empty() || text.ends_with("\r\n"), "the export file never ends inside a line");
  if (running == readOutRunning_) return;
  bool whole = true;
  const std::size_t records = CountRecords(s.file.disk, whole) + CountRecords(s.workbooks.written);
  Require(whole, "every spreadsheet line has its seventeen columns");
  const std::int32_t written = t.readOut.exportFile.RecordsWritten();
  if (running) {
    recordsBefore_ = records;
    ++SessionTotals().readOuts;
  } else {
    Require(records == recordsBefore_ + static_cast<std::size_t>(written),
            "the file holds every record the read-out counted");
    SessionTotals().records += static_cast<std::uint64_t>(written);
  }
  readOutRunning_ = running;
}

void Session::Fail(const char* what) const {
  const PollState& poll = t.exchange.poll;
  const ReadOutJob& readOut = t.exchange.jobs.readOut;
  std::fprintf(stderr,
               "\nexchange fuzz: FAILED: %s\n  state %d, pending %d, exchanging %d, port open %d, "
               "read-out requested %d under way %d, records written %d, step %zu\n  last steps:",
               what, static_cast<int>(poll.state), static_cast<int>(poll.pending), t.identification.exchanging,
               t.link.IsOpen(), readOut.requested, readOut.underWay, t.readOut.exportFile.RecordsWritten(), steps_);
  for (std::size_t i = steps_ > trail_.size() ? steps_ - trail_.size() : 0; i < steps_; ++i)
    std::fprintf(stderr, " %u", trail_[i % trail_.size()]);
  std::fprintf(stderr, "\n  Panel1 \"%s\", Panel1030 \"%s\"\n", t.f.Panel1.Text().c_str(), t.f.Panel1030.Text().c_str());
  std::abort();
}

}  // namespace zhv::fuzz
