#include "sim/replay.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "protocol/catalogue.h"
#include "protocol/frame.h"
#include "protocol/trace_lines.h"

namespace zhv::sim {

namespace {

// "2024-05-17 13:45:09.123 ", as the log stamps each line.
constexpr std::size_t kStampLength = 24;

std::optional<int> Digits(std::string_view s, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    value = value * 10 + (s[i] - '0');
  }
  return value;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::optional<std::int64_t> ParseStamp(std::string_view s) {
  if (s.size() < kStampLength || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':' ||
      s[19] != '.' || s[23] != ' ')
    return std::nullopt;
  const auto y = Digits(s, 0, 4), mo = Digits(s, 5, 2), d = Digits(s, 8, 2), h = Digits(s, 11, 2),
             mi = Digits(s, 14, 2), sec = Digits(s, 17, 2), ms = Digits(s, 20, 3);
  if (!y || !mo || !d || !h || !mi || !sec || !ms || *mo < 1 || *mo > 12 || *d < 1 || *d > 31 || *h > 23 ||
      *mi > 59 || *sec > 60)
    return std::nullopt;
  const std::int64_t days = DaysFromCivil(*y, static_cast<unsigned>(*mo), static_cast<unsigned>(*d));
  return ((days * 24 + *h) * 60 + *mi) * 60000 + *sec * 1000 + *ms;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Bytes as the log writes them: two upper-case digits each, a blank after each.
bool ParseBytes(std::string_view text, std::vector<std::uint8_t>& out) {
  while (!text.empty()) {
    if (text.size() < 2) return false;
    const int hi = HexDigit(text[0]), lo = HexDigit(text[1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    text.remove_prefix(2);
    if (text.empty()) break;  // the last blank may have been trimmed away
    if (text[0] != ' ') return false;
    text.remove_prefix(1);
  }
  return !out.empty() && out.front() == kFrameStart;
}

bool EndsWith(std::string_view& text, std::string_view end) {
  if (!text.ends_with(end)) return false;
  text.remove_suffix(end.size());
  return true;
}

std::string Shown(std::string_view line) {
  constexpr std::size_t kMost = 60;
  return "«" + std::string(line.substr(0, kMost)) + (line.size() > kMost ? "…»" : "»");
}

std::string CommandText(std::uint8_t command) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(command));
  return text;
}

}  // namespace

std::optional<std::vector<LogLine>> ParseSessionLog(const std::string& text, std::string& error) {
  std::vector<LogLine> lines;
  std::size_t number = 0;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    std::string_view line(text.data() + from, end - from);
    from = end + 1;
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;
    const auto fail = [&](const std::string& why) {
      error = "строка " + std::to_string(number) + ": " + why + ": " + Shown(line);
      return std::nullopt;
    };
    const auto ms = ParseStamp(line);
    if (!ms) return fail("нет отметки времени вида 2024-05-17 13:45:09.123");
    std::string_view rest = line.substr(kStampLength);
    LogLine entry{LogLine::Kind::Event, *ms, {}, {}};
    if (rest.starts_with(trace::kEvent)) {
      entry.text = rest.substr(std::string_view(trace::kEvent).size());
      lines.push_back(std::move(entry));
      continue;
    }
    if (rest.starts_with(trace::kSent)) {
      entry.kind = LogLine::Kind::Sent;
      rest.remove_prefix(std::string_view(trace::kSent).size());
    } else if (rest.starts_with(trace::kReceived)) {
      entry.kind = LogLine::Kind::Received;
      rest.remove_prefix(std::string_view(trace::kReceived).size());
      // A frame that stalled or failed its check is served as it came.
      if (!EndsWith(rest, trace::kTimeOut)) EndsWith(rest, trace::kBadCheck);
    } else {
      return fail("не кадр и не событие");
    }
    if (!ParseBytes(rest, entry.bytes)) return fail("не байты кадра");
    lines.push_back(std::move(entry));
  }
  return lines;
}

Replay::Replay(std::vector<LogLine> log) : log_(std::move(log)) {
  for (std::size_t i = 0; i < log_.size(); ++i)
    if (log_[i].kind == LogLine::Kind::Sent) sent_.push_back(i);
  if (sent_.empty()) {
    ended_ = true;
    Note("в журнале нет ни одного запроса: отвечать нечем");
  }
}

void Replay::Feed(const std::uint8_t* bytes, std::size_t count) {
  parser_.Feed(bytes, count);
  while (const auto frame = parser_.Next()) Answer(EncodeFrame(frame->type, frame->command, frame->Data()));
}

void Replay::Answer(const std::vector<std::uint8_t>& request) {
  const auto same = [&](std::size_t k) { return log_[sent_[k]].bytes == request; };
  const std::size_t end = std::min(sent_.size(), cursor_ + kLookAhead);
  for (std::size_t k = cursor_; k < end; ++k) {
    if (!same(k)) continue;
    for (; eventsFrom_ < sent_[k]; ++eventsFrom_)
      if (log_[eventsFrom_].kind == LogLine::Kind::Event) Note("журнал: " + log_[eventsFrom_].text);
    cursor_ = k + 1;
    Repeat(sent_[k]);
    if (cursor_ == sent_.size()) End();
    return;
  }
  // The status poll goes on while the tool runs: with none left ahead, the log is over.
  bool polled = false;
  for (std::size_t k = cursor_; k < sent_.size() && !polled; ++k) {
    const std::vector<std::uint8_t>& b = log_[sent_[k]].bytes;
    polled = b.size() > 2 && b[2] == cat::kReadStatus;
  }
  if (!polled) End();
  // Not met ahead: what the unit last answered to it.
  for (std::size_t k = std::min(cursor_, sent_.size()); k-- > 0;) {
    if (!same(k) || !Repeat(sent_[k])) continue;
    if (!ended_ && told_.insert(request[2]).second)
      Note("запроса с кодом " + CommandText(request[2]) + " в этом месте журнала нет: на него идёт прежний ответ");
    return;
  }
  if (told_.insert(request[2]).second)
    Note("на запрос с кодом " + CommandText(request[2]) + " в журнале ответа нет: он остаётся без ответа");
}

void Replay::End() {
  if (ended_) return;
  ended_ = true;
  Note("журнал кончился: дальше на каждый запрос идёт последний ответ на него из журнала");
}

bool Replay::Repeat(std::size_t at) {
  const LogLine& request = log_[at];
  bool answered = false;
  for (std::size_t i = at + 1; i < log_.size() && log_[i].kind != LogLine::Kind::Sent; ++i) {
    if (log_[i].kind != LogLine::Kind::Received) continue;
    const auto after = static_cast<std::uint64_t>(std::max<std::int64_t>(0, log_[i].ms - request.ms));
    Chunk chunk{nowMs_ + after, log_[i].bytes};
    const auto place = std::upper_bound(output_.begin(), output_.end(), chunk.atMs,
                                        [](std::uint64_t t, const Chunk& c) { return t < c.atMs; });
    output_.insert(place, std::move(chunk));
    answered = true;
  }
  return answered;
}

void Replay::Step(std::uint32_t ms) { nowMs_ += ms; }

std::vector<std::uint8_t> Replay::TakeOutput() {
  std::vector<std::uint8_t> out;
  while (!output_.empty() && output_.front().atMs <= nowMs_) {
    out.insert(out.end(), output_.front().bytes.begin(), output_.front().bytes.end());
    output_.pop_front();
  }
  return out;
}

std::vector<std::string> Replay::TakeNotes() {
  std::vector<std::string> notes;
  notes.swap(notes_);
  return notes;
}

}  // namespace zhv::sim
