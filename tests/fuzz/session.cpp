#include "tests/fuzz/session.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "exchange/catalogue.h"
#include "exchange/startup.h"
#include "sim/frames.h"

namespace zhv::fuzz {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kCalmTicks = 6000;         // a minute of the tool's time
constexpr int kStatusesToResume = 2;     // status answers in a row with nothing pending
constexpr std::uint8_t kRunning = cat::kReadRequested | cat::kReadUnderWay;
const char* const kPortName = "COM1";

struct Reply {
  std::uint8_t command, length;
  std::uint8_t records = 0;  // the unasked records frame that follows, if any
};

// What a unit answers to each request the tool sends.
std::optional<Reply> ReplyTo(std::uint8_t request) {
  switch (request) {
    case cat::kProbe: return Reply{cat::kProbe, cat::kProbeAnswerLen};
    case cat::kUnitControl: return Reply{cat::kUnitControl, cat::kUnitControlAnswerLen};
    case cat::kReadParams: return Reply{cat::kReadParams, cat::kParamsAnswerLen};
    case cat::kReadStatus: return Reply{cat::kReadStatus, cat::kStatusAnswerLen};
    case cat::kWriteWord: return Reply{cat::kWriteWord, cat::kWriteWordAnswerLen};
    case cat::kSetSupply: return Reply{cat::kSupplyAnswer, cat::kSupplyAnswerLen};
    case cat::kCalibrate: return Reply{cat::kCalibrate, cat::kCalibrateAnswerLen};
    case cat::kRewriteEeprom: return Reply{cat::kRewriteEeprom, cat::kEepromAnswerLen};
    case cat::kStorageStatus: return Reply{cat::kStorageStatus, cat::kStorageStatusAnswerLen};
    case cat::kSetClock: return Reply{cat::kSetClock, cat::kSetClockAnswerLen};
    case cat::kStorageSetup: return Reply{cat::kStorageSetup, cat::kStorageSetupAnswerLen};
    case cat::kReadAt: return Reply{cat::kReadAt, cat::kReadAtAnswerLen, cat::kRecordsAt};
    case cat::kReadNext: return Reply{cat::kReadNext, cat::kReadNextAnswerLen, cat::kRecordsNext};
    case cat::kAckBlock: return Reply{cat::kAckBlock, cat::kAckAnswerLen};
    case cat::kClockDivider: return Reply{cat::kClockDivider, cat::kClockDividerAnswerLen};
    default: return std::nullopt;
  }
}

// An operator can reach a control when it and everything around it is shown and enabled.
bool Reachable(const Control& c) {
  for (const Control* p = &c; p; p = p->Parent())
    if (!p->Visible() || !p->Enabled()) return false;
  return true;
}

std::vector<Control*> OfKinds(const TForm1& f, std::initializer_list<Kind> kinds) {
  std::vector<Control*> out;
  for (Control* c : f.All())
    for (Kind k : kinds)
      if (c->GetKind() == k) out.push_back(c);
  return out;
}

std::vector<Control*> Reachable(const std::vector<Control*>& controls) {
  std::vector<Control*> out;
  for (Control* c : controls)
    if (Reachable(*c)) out.push_back(c);
  return out;
}

// Characters an operator types: what the entries parse, and what they must refuse.
constexpr std::string_view kTyped[] = {"0", "1", "2", "5", "7", "9", ".", ",", "-", "+", " ", "e",
                                       "x", "A", "F", "f", ":", "/", "Ж", "9999999999"};

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
  FormCreate(t);
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  Connect();
  Chaos();
  if (!closed_) Calm();
}

// Most scripts start on a unit already polled under USB control, so that every
// command and read-out is a click away; the others identify it in the chaos.
void Session::Connect() {
  const std::uint8_t how = in_.Byte();
  if (how & 0x80) return;
  const std::uint8_t types[] = {cat::kTypeStorage, cat::kTypeStorage, cat::kTypeBase, cat::kTypeVoice};
  const std::uint8_t kinds[] = {cat::kGasCombined, cat::kGasCH4,  cat::kGasC3H8,    cat::kGasCO2Optical,
                                cat::kGasCO,       cat::kGasCO2, cat::kGasCombined, cat::kGasCombined};
  const std::uint8_t type = types[how & 3], kind = kinds[how >> 2 & 7];
  auto respond = [&](std::uint8_t command, const Bytes& data) {
    Feed(sim::EncodeFrame(type, command, data), true);
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
}

// ---------------------------------------------------------------- the chaos

void Session::Chaos() {
  while (!in_.Done() && !closed_) {
    const std::uint8_t op = in_.Byte();
    trail_[steps_++ % trail_.size()] = op;
    if (op < 64) {
      Tick(1 + op % 4);
    } else if (op < 120) {
      Answer(false);
      Tick(1 + op % 3);
    } else if (op < 132) {
      Tick(20 + op % 8);  // past the response timeout
    } else if (op < 146) {
      AnyFrame();
    } else if (op < 154) {
      Noise();
    } else if (op < 164) {
      Answer(true);
    } else if (op < 200) {
      Click();
    } else if (op < 214) {
      Type();
    } else if (op < 217) {
      PassPhrase();
    } else if (op < 222) {
      Sequence();
    } else if (op < 226) {
      DoubleClickPort();
    } else if (op < 230) {
      Unplug();
    } else if (op < 234) {
      s.port.failWrite = !s.port.failWrite;  // the port refuses writes, or takes them again
      ++SessionTotals().refusedWrites;
    } else if (op < 238) {
      bool* faults[] = {&s.file.failWrite, &s.file.failFlush, &s.file.failClose};
      bool& fault = *faults[in_.Below(3)];
      fault = !fault;
      ++SessionTotals().diskFaults;
    } else if (op == 238 && in_.Byte() < 16) {
      Close();
    } else {
      Tick(1);
    }
    Check();
  }
}

void Session::Feed(const Bytes& frame, bool good) {
  s.port.Feed(frame);
  ++SessionTotals().frames;
  SessionTotals().goodFrames += good;
}

// The expected answer to the last request, with arbitrary data; broken: a bad
// check byte or cut short, so the receiver must time the rest out.
void Session::Answer(bool broken) {
  if (lastRequest_.size() < 5) return;
  const std::optional<Reply> reply = ReplyTo(lastRequest_[2]);
  if (!reply) return;
  const std::uint8_t types[] = {cat::kTypeStorage, cat::kTypeStorage, cat::kTypeBase, cat::kTypeVoice, in_.Byte()};
  const std::uint8_t type = types[in_.Below(5)];
  std::uint8_t command = reply->command, length = reply->length;
  if (command == cat::kStorageSetup && (in_.Byte() & 1)) {
    command = cat::kStorageSetupAltAnswer;
    length = cat::kStorageSetupAltAnswerLen;
  }
  Bytes frame = sim::EncodeFrame(type, command, in_.Bytes(length));
  if (broken) {
    if (in_.Byte() & 1) frame.back() ^= static_cast<std::uint8_t>(1 + in_.Below(255));
    else frame.resize(static_cast<std::size_t>(in_.Below(static_cast<int>(frame.size()))));
  }
  Feed(frame, !broken);
  if (!reply->records || broken) return;
  // The records the unit sends unasked: a count that may or may not match
  // what the frame carries, and a length that may cut a record in two.
  const int carried = in_.Below(18);
  Bytes data = in_.Bytes(5 + 15 * static_cast<std::size_t>(carried) + (in_.Byte() & 1 ? in_.Below(15) : 0));
  if (data.size() > 255) data.resize(255);
  data[0] = in_.Byte() < 192 ? static_cast<std::uint8_t>(carried) : data[0];
  Feed(sim::EncodeFrame(type, reply->records, data), true);
}

void Session::AnyFrame() {
  const std::uint8_t type = in_.Byte(), command = in_.Byte();
  Feed(sim::EncodeFrame(type, command, in_.Bytes(in_.Byte())), true);
}

void Session::Noise() { s.port.Feed(in_.Bytes(1 + static_cast<std::size_t>(in_.Below(48)))); }

void Session::Click() {
  const auto controls = Reachable(pressable_);
  if (controls.empty()) return;
  Control& c = *controls[static_cast<std::size_t>(in_.Below(static_cast<int>(controls.size())))];
  if (&c == &t.f.Button10310) {  // the save dialog opens: a file, a cancel, or one that will not open
    const char* answers[] = {"a.csv", "b.txt", "locked.csv", ""};
    const int pick = in_.Below(5);
    s.saveDialog.answer = pick < 4 ? std::optional<std::string>(answers[pick]) : std::nullopt;
  }
  c.Click();
  ++SessionTotals().clicks;
}

void Session::Type() {
  std::vector<Control*> writable;
  for (Control* e : Reachable(edits_))
    if (!e->ReadOnly()) writable.push_back(e);
  if (writable.empty()) return;
  Control& e = *writable[static_cast<std::size_t>(in_.Below(static_cast<int>(writable.size())))];
  // The window stops typing at the edit's maximum length (in characters).
  const int limit = e.MaxLength() > 0 ? e.MaxLength() : 16;
  std::string text;
  for (int n = in_.Below(limit + 1), i = 0; i < n; ++i)
    text += kTyped[static_cast<std::size_t>(in_.Below(static_cast<int>(std::size(kTyped))))];
  std::size_t chars = 0, cut = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars++ == static_cast<std::size_t>(limit)) {
      cut = i;
      break;
    }
  }
  text.resize(cut);
  e.TypeText(text);
  ++SessionTotals().entries;
}

// Keys into a shown INIT pass phrase edit, the right phrase or not, ended by Enter or not.
void Session::PassPhrase() {
  Control* edit = Reachable(t.f.Edit125) ? &t.f.Edit125 : Reachable(t.f.Edit225) ? &t.f.Edit225 : nullptr;
  if (!edit) return;
  const char* phrases[] = {"DROP IT\r", "drop it\r", "DROP I\r", "DROP IT", "x\r"};
  for (char key : std::string_view(phrases[in_.Below(5)])) {
    if (!Reachable(*edit)) break;
    edit->KeyPress(key);
    ++SessionTotals().keys;
    if (key != '\r' && Reachable(*edit)) edit->TypeText(edit->Text() + key);
  }
}

// Presses the controls in turn, as far as each can be reached.
void Session::Press(std::initializer_list<Control*> controls) {
  for (Control* c : controls) {
    if (!Reachable(*c)) return;
    c->Click();
    ++SessionTotals().clicks;
  }
}

// What an operator does in several steps, each of which random clicks would
// seldom line up: a read-out, the clock, the storage set-up, the divider, INIT.
void Session::Sequence() {
  TForm1& f = t.f;
  const int how = in_.Byte();
  switch (how % 6) {
    case 0:
    case 1:  // a read-out: open mode, layout, the file, read mode, start
      s.saveDialog.answer = how & 8 ? "b.txt" : "a.csv";
      Press({how & 16 ? &f.RadioButton103112 : &f.RadioButton103111,
             how & 32 ? &f.RadioButton103122 : &f.RadioButton103121, &f.Button10310,
             std::array{&f.RadioButton10321, &f.RadioButton10322, &f.RadioButton10323}[how / 64 % 3],
             &f.Button1030});
      break;
    case 2:  // the clock from the unit's or the PC's time
      Press({how & 8 ? &f.Button10222 : &f.Button10223, &f.Button10221});
      break;
    case 3:  // the storage set-up
      if (how & 8) Press({&f.CheckBox10236});
      if (how & 16) Press({&f.CheckBox10235});
      Press({&f.Button10230});
      break;
    case 4:  // the divider, read or set
      Press({how & 8 ? &f.Button10242 : &f.Button10241});
      break;
    default:  // INIT on either sensor tab, then the pass phrase
      Press({how & 8 ? &f.Button125 : &f.Button225});
      PassPhrase();
  }
}

void Session::DoubleClickPort() {
  const int rows = static_cast<int>(t.f.ListView1.Rows().size());
  t.f.ListView1.SetSelected(in_.Below(rows + 1) - 1);
  t.f.ListView1.DblClick();
  ++SessionTotals().doubleClicks;
}

// The device vanishes, as the port reports it.
void Session::Unplug() {
  if (!s.port.open) return;
  s.port.open = false;
  if (s.port.lost) s.port.lost();
  ++SessionTotals().unplugs;
}

void Session::Close() {
  FormClose(t);
  closed_ = true;
  ++SessionTotals().closes;
  Require(!s.port.open && !t.f.Timer1.Enabled(), "the port is closed and the timer stopped after closing");
  // Identification with status is the one request sent while closing.
  Require(t.r.state == st::kParked || t.r.state <= st::kAwaitIdentify || t.r.pollPhase == 0,
          "closing parks the exchange");
}

// ---------------------------------------------------------------- the calm

void Session::Calm() {
  s.port.failWrite = false;
  s.file.failWrite = s.file.failFlush = s.file.failClose = false;
  sim::Options o;
  o.warmUpMs = 0;
  o.storage.records = 40;
  unit_.emplace(o);
  sim::FrameParser frames;
  int statuses = 0;
  for (int i = 0; i < kCalmTicks; ++i) {
    // The operator starts afresh when the tool is not talking to a unit: the
    // connection has ended, or leftover bytes named another product.
    if (!t.f.Timer1.Enabled() || (t.r.pollPhase == 0 && t.r.identified == 1)) {
      t.f.Button1.Click();
      t.f.ListView1.SetSelected(0);
      t.f.ListView1.DblClick();
      Require(t.f.Timer1.Enabled(), "the port opens again");
      TakeWrites();
    }
    const std::int32_t before = t.r.state;
    Tick(1);
    unit_->Step(static_cast<std::uint32_t>(t.f.Timer1.Interval()));
    const Bytes out = unit_->TakeOutput();
    s.port.Feed(out);
    frames.Feed(out.data(), out.size());
    while (frames.Next()) ++SessionTotals().frames, ++SessionTotals().goodFrames;
    Check();
    const bool quiet = t.r.pending == cat::kPendNone && !(t.r.readOutFlags & kRunning);
    if (!quiet) statuses = 0;
    else if (before == st::kAwaitStatus && t.r.state == st::kIdle) ++statuses;
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
    if (t.r.state >= 0 && t.r.state <= st::kLastState) ++totals.stateTicks[static_cast<std::size_t>(t.r.state)];
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
  const ExchangeRecord& r = t.r;
  Require(r.readPos <= r.bytesRead && r.bytesRead <= r.rxBuffer.size(), "the receive position stays in its buffer");
  Require(r.state >= 0 && r.state <= st::kLastState, "the exchange state is one of its states");
  Require(r.traceLineCount <= 32 && t.f.ListBox1.Items().size() <= 32, "the trace window keeps 32 lines");
  Require(r.paramOffset <= 30, "the parameter offset names a word of the block");
  Require(r.recordsWritten >= 0, "the count of records written is not negative");
  Require(t.f.Timer1.Enabled() == (r.portOpen == 1) || closed_, "the timer runs while the port is open");
  // A device gone is let go of at the tick after, once what it sent is taken.
  Require(r.portOpen == 1 ? s.port.open || r.linkLost == 1 : !s.port.open,
          "the port is open exactly while the tool holds it");
  if (r.portOpen == 0 && !closed_) {  // the no-device state (a closed window keeps what it showed)
    Require(t.f.PageControl1.ActivePage() == 0, "no device: the first tab is shown");
    for (const Control* tab : {&t.f.TabSheet2, &t.f.TabSheet3, &t.f.TabSheet4, &t.f.TabSheet5, &t.f.TabSheet6})
      Require(!tab->Visible(), "no device: the device tabs are hidden");
    Require(r.pending == cat::kPendNone, "no device: no command is left pending");
  }
  CheckExport();
}

// The export file is open exactly while a read-out runs, ends on a whole line,
// and when a read-out ends holds every record it counted, no more, no fewer.
void Session::CheckExport() {
  const bool running = t.r.readOutFlags & kRunning;
  Require(s.file.IsOpen() == running, "the export file is open exactly while a read-out runs");
  Require(s.file.linesWhole, "the export file never ends inside a line");
  if (running == readOutRunning_) return;
  bool whole = true;
  const std::size_t records = CountRecords(s.file.disk, whole);
  Require(whole, "every spreadsheet line has its seventeen columns");
  if (running) {
    recordsBefore_ = records;
    ++SessionTotals().readOuts;
  } else {
    Require(records == recordsBefore_ + static_cast<std::size_t>(t.r.recordsWritten),
            "the file holds every record the read-out counted");
    SessionTotals().records += static_cast<std::uint64_t>(t.r.recordsWritten);
  }
  readOutRunning_ = running;
}

void Session::Fail(const char* what) const {
  const ExchangeRecord& r = t.r;
  std::fprintf(stderr, "\nexchange fuzz: FAILED: %s\n  state %d, pending %d, poll phase %d, port open %d, "
               "read-out flags 0x%02X, records written %d, step %zu\n  last steps:",
               what, r.state, r.pending, r.pollPhase, r.portOpen, r.readOutFlags, r.recordsWritten, steps_);
  for (std::size_t i = steps_ > trail_.size() ? steps_ - trail_.size() : 0; i < steps_; ++i)
    std::fprintf(stderr, " %u", trail_[i % trail_.size()]);
  std::fprintf(stderr, "\n  Panel1 \"%s\", Panel1030 \"%s\"\n", t.f.Panel1.Text().c_str(), t.f.Panel1030.Text().c_str());
  std::abort();
}

}  // namespace zhv::fuzz
