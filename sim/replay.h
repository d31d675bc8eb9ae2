// A field session played back at the desk: the frames a --trace-file log
// recorded, served to the tool. Each request is answered with what the unit
// answered to the same request at that point of the log, as long after it as
// then; a request the unit left unanswered stays unanswered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/frames.h"
#include "sim/responder.h"

namespace zhv::sim {

// One line of a session log: a frame sent by the tool, a frame (or the part of
// one that came) received from the unit, or a line that is no frame.
struct LogLine {
  enum class Kind : std::uint8_t { Sent, Received, Event };
  Kind kind;
  std::int64_t ms;  // the time stamp, in milliseconds
  std::vector<std::uint8_t> bytes;
  std::string text;  // an event's
};

// The lines of a log, or nothing with what is wrong, naming the line, in `error`.
std::optional<std::vector<LogLine>> ParseSessionLog(const std::string& text, std::string& error);

class Replay : public Responder {
 public:
  // How many of the log's requests ahead of the last one answered a request is looked for.
  static constexpr std::size_t kLookAhead = 64;

  explicit Replay(std::vector<LogLine> log);

  void Feed(const std::uint8_t* bytes, std::size_t count) override;
  void Step(std::uint32_t ms) override;
  std::vector<std::uint8_t> TakeOutput() override;
  std::uint64_t NowMs() const override { return nowMs_; }
  std::vector<std::string> TakeNotes() override;

  bool Ended() const { return ended_; }

 private:
  struct Chunk {
    std::uint64_t atMs;
    std::vector<std::uint8_t> bytes;
  };

  void Answer(const std::vector<std::uint8_t>& request);
  // Says once that the log is over.
  void End();
  // Sends what followed the sent line `at` in the log, as long after the request as then.
  bool Repeat(std::size_t at);
  void Note(const std::string& text) { notes_.push_back(text); }

  std::vector<LogLine> log_;
  std::vector<std::size_t> sent_;  // the lines of the tool's requests
  std::size_t cursor_ = 0;         // in sent_: the next request of the log to be met
  std::size_t eventsFrom_ = 0;     // in log_: events not told yet
  bool ended_ = false;
  FrameParser parser_;
  std::uint64_t nowMs_ = 0;
  std::deque<Chunk> output_;  // by time
  std::vector<std::string> notes_;
  std::set<std::uint8_t> told_;  // commands the notes have told of, each once
};

}  // namespace zhv::sim
