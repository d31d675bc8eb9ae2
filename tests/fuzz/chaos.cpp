// The chaos of a fuzzed session: what a script step does to the tool.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/catalogue.h"
#include "protocol/frame.h"
#include "tests/fuzz/session.h"

namespace zhv::fuzz {

namespace {

using Bytes = std::vector<std::uint8_t>;

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

std::vector<Control*> Reachable(const std::vector<Control*>& controls) {
  std::vector<Control*> out;
  for (Control* c : controls)
    if (Reachable(*c)) out.push_back(c);
  return out;
}

// Characters an operator types: what the entries parse, and what they must refuse.
constexpr std::string_view kTyped[] = {"0", "1", "2", "5", "7", "9", ".", ",", "-", "+", " ", "e",
                                       "x", "A", "F", "f", ":", "/", "Ж", "9999999999"};

}  // namespace

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
      bool* faults[] = {&s.file.failWrite, &s.file.failFlush, &s.file.failClose, nullptr};
      if (bool* fault = faults[in_.Below(4)]) {
        *fault = !*fault;
      } else if (s.file.room) {
        s.file.room.reset();
      } else {
        s.file.room = static_cast<std::size_t>(in_.Below(400));  // the disk fills a few lines on
      }
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
  Bytes frame = EncodeFrame(type, command, in_.Bytes(length));
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
  Feed(EncodeFrame(type, reply->records, data), true);
}

void Session::AnyFrame() {
  const std::uint8_t type = in_.Byte(), command = in_.Byte();
  Feed(EncodeFrame(type, command, in_.Bytes(in_.Byte())), true);
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
  s.dialogs.answers = {(in_.Byte() & 1) != 0};  // a question it asks is answered either way
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

// A read-out as the operator starts it: open mode, layout, the file, a count
// of forty or not, read mode (half of them addressed), start.
void Session::StartReadOut(std::uint8_t how) {
  TForm1& f = t.f;
  s.saveDialog.answer = how & 8 ? "b.txt" : "a.csv";
  if (how & 4 && Reachable(f.Edit10320) && !f.Edit10320.ReadOnly()) f.Edit10320.TypeText("40");
  Press({how & 16 ? &f.RadioButton103112 : &f.RadioButton103111,
         how & 32 ? &f.RadioButton103122 : &f.RadioButton103121, &f.Button10310,
         std::array{&f.RadioButton10321, &f.RadioButton10322, &f.RadioButton10323, &f.RadioButton10323}[how / 64],
         &f.Button1030});
}

// What an operator does in several steps, each of which random clicks would
// seldom line up: a read-out, the clock, the storage set-up, the divider, INIT.
void Session::Sequence() {
  TForm1& f = t.f;
  const int how = in_.Byte();
  switch (how % 6) {
    case 0:
    case 1:
      StartReadOut(static_cast<std::uint8_t>(how));
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
  // Asked whether to stop a read-out under way: «Да» or «Нет»; not asked once the unit is gone.
  const bool reading = t.exchange.ReadOutRunning() && t.link.IsOpen() && !t.link.Lost();
  const bool stop = in_.Below(2) == 1;
  s.dialogs.answers = {stop};
  const bool closes = t.FormClose();
  s.dialogs.answers.clear();
  if (!closes) {
    Require(reading && !stop, "the window stays open only for a read-out kept on");
    Require(s.port.open && t.exchange.ReadOutRunning(), "kept on, the read-out goes on");
    return;
  }
  closed_ = true;
  ++SessionTotals().closes;
  Require(!s.port.open && !t.f.Timer1.Enabled(), "the port is closed and the timer stopped after closing");
  // Identification with status is the one request sent while closing.
  const State state = t.exchange.poll.state;
  Require(state == State::Parked || state == State::Identify || state == State::AwaitIdentify ||
              !t.identification.exchanging,
          "closing parks the exchange");
}

}  // namespace zhv::fuzz
