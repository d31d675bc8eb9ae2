// The exchange with an identified gas alarm unit: one state per poll tick,
// every request repeated until its answer comes, and the operator's commands
// taken up at the idle states. Its state lives here in one struct per part.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "exchange/reports.h"
#include "exchange/states.h"
#include "link/link.h"
#include "protocol/parameters.h"

namespace zhv {

inline constexpr int kResponseTimeoutTicks = 20;
inline constexpr int kSilenceNoticeMs = 5000;

// What identification told of the unit.
struct UnitInfo {
  std::uint8_t gasKind = 0;        // 6 bits; 27 is the combined unit with a second channel
  std::uint8_t displayedKind = 0;  // the first channel's kind: 1 for the combined unit
  std::int32_t version = 0;        // 10 bits, 130 is shown as 1.30
  std::uint8_t id4 = 0, id5 = 0;   // the software ID, shown high byte first
};

// A parameter write on its way: what was sent, so that the re-read after it can
// tell whether the unit took it.
struct WriteCheck {
  const param::Field* field = nullptr;  // null: no write waits for its verdict
  std::uint16_t sent = 0;               // the whole word as sent
  bool answered = false;                // the unit has answered the write; the re-read tells
};

// The poll and the operator's commands.
struct PollState {
  State state = State::Identify;
  Pending pending = Pending::None;
  std::uint8_t commandArg = 0;  // restart/on/off, or the calibration operation
  std::int32_t timeoutCounter = 0;
  bool firstPass = false;  // the channels are set up since identification or restart
  bool closing = false;    // the window closes: park instead of sending
  std::uint8_t status0 = 0, status1 = 0;
  std::int32_t packetCounter = 0;
  UnitInfo unit;
  param::Block param{};  // words 0x00..0x0E, then the supply setpoint
  std::uint8_t paramOffset = 0;  // 2N of the word a write sends
  const param::Field* writing = nullptr;  // the field the posted write changes, when an editor posted it
  WriteCheck written;
  // The setpoint the unit confirmed last; until it has, the kind's nominal one is what is known.
  std::optional<std::uint16_t> confirmedSetpoint;
};

// The storage module's jobs (a unit of type 0x11): the chain of clock, set-up
// and read-out that one pending command runs, and the divider.
struct ReadOutJob {
  bool requested = false;
  bool underWay = false;
  bool addressed = false;  // blocks at an address (0x50), else in sequence (0x40)
  bool whole = false;      // the whole buffer, until the unit has no more
  std::int32_t recordsRequested = 0;
  std::int32_t startAddress = 0;
  std::int32_t recordsRemaining = 0;
  std::int32_t nextAddress = 0;
  std::int32_t blockRecordCount = 0;
  bool stopRequested = false;  // «Остановить чтение»: the read-out ends after the block in hand
  // A sequential block is on disk, its acknowledgement sent but not answered:
  // the unit may not have freed it, and sends it again when asked for the next.
  bool unconfirmed = false;
  Frame unconfirmedBlock;
  std::int32_t unconfirmedRecords = 0;  // of it on disk
  // A command pressed during the read-out was not posted: the storage tab says so.
  bool commandRefused = false;
};

struct StorageJobs {
  bool clockRequested = false;
  std::array<std::uint8_t, 7> clockPayload{};
  bool setupRequested = false;
  ReadOutJob readOut;
  bool dividerRead = false;
  bool dividerWrite = false;
  std::int32_t divider = 0;  // 0 reads it
  // Records date themselves from the storage status's reference year.
  std::uint16_t referenceYear = 0;
  bool referenceYearKnown = false;
  std::int32_t bufferRecords = 0;  // the record count of the last storage status
  bool spareTrace = false;  // a read-out leaves the trace window alone (CheckBox1)
};

// A unit that answers without obeying is heard at least once per request, and
// requests go out at least once a second while the exchange waits.
inline constexpr int kHeardLatelyMs = 2000;

// The silence watch: how long the exchange has waited on the unit.
struct SilenceWatch {
  std::int32_t quietMs = 0;
  bool answerAccepted = false;  // by the step of this tick
  bool heard = false;           // a good frame came this tick, not accepted
  // Since the last good frame after the last accepted answer; stale frames
  // left from a burst stop counting once they are this old.
  std::int32_t unheardMs = kHeardLatelyMs;
};

class Exchange {
 public:
  Exchange(Link& link, UnitDisplay& display, CommandEvents& commands, StorageEvents& storage);
  Exchange(const Exchange&) = delete;
  Exchange& operator=(const Exchange&) = delete;

  // Who follows each command's answer; nobody until this is called.
  void Watch(CommandWatch& watch) { watch_ = &watch; }
  CommandWatch* Watcher() const { return watch_; }

  // One state of the machine.
  void Tick();
  // A new start: state 0, nothing pending, no job, editing locked.
  void Reset();

  // A frame with a good check byte has arrived, whatever it is.
  void NoteFrame() { silence.heard = true; }
  // Once per tick, after the step: counts the tick while the exchange waits on
  // the unit, and shows or takes away the silence word.
  void WatchSilence(bool exchanging, int tickMs);

  // The connection has ended: a read-out under way closes its file with what it
  // wrote, and no job is left for the next unit.
  void DropStorageJobs();
  bool ReadOutRunning() const { return jobs.readOut.requested || jobs.readOut.underWay; }

  PollState poll;
  StorageJobs jobs;
  SilenceWatch silence;

  // --- for the steps of the machine (exchange/*.cpp)
  Link& link;
  UnitDisplay& display;
  CommandEvents& commands;
  StorageEvents& storage;

  // While closing, parks instead of sending (true).
  bool Parked();
  // The control buttons back, the editing lock decided, nothing pending.
  void CommandFinish();
  // After every base unit command the parameter block is read again.
  void ReReadFinish();
  // The answer did not do what was asked (USB control refused, say).
  void NoteRefusal();
  // Shows the parameter block once it holds what the tool keeps of it.
  void ShowParameters();
  // The end of a read-out, however it came.
  void FinishReadOut(ReadOutEnd how);
  // The operator gives up on the pending command; false when there is none.
  bool CancelCommand();
  // Records the word a write sends, for the verdict after it.
  void NoteWordSent(std::uint16_t word);
  // A re-read or a setpoint answer: says whether the write before it was taken.
  void JudgeWrite(std::uint16_t held);
  // An idle state's first look: jumps to the pending command's first state.
  bool TakePending();

 private:
  CommandWatch* watch_ = nullptr;
};

}  // namespace zhv
