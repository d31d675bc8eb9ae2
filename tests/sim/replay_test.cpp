// zhv22-sim --replay: a session log read and served.
#include "sim/replay.h"

#include <gtest/gtest.h>

#include "protocol/frame.h"

namespace zhv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Line(int ms, const char* prefix, const Bytes& bytes) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "2024-05-17 13:45:%02d.%03d ", ms / 1000, ms % 1000);
  std::string line = std::string(stamp) + prefix;
  for (std::uint8_t b : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X ", b);
    line += hex;
  }
  return line + "\n";
}

// An answer as the log gave it, as long after the request as then; a request
// left unanswered stays unanswered; past the log's end the last answer to it.
TEST(Replay, AnswersAsTheLogDidThenKeepsItsLastAnswer) {
  const Bytes status = EncodeFrame(0x11, 0x20, Bytes{}), first = EncodeFrame(0x11, 0x20, Bytes{1}),
              last = EncodeFrame(0x11, 0x20, Bytes{2});
  const std::string log = Line(0, ">: ", status) + Line(10, "<: ", first) + Line(200, ">: ", status) +
                          Line(400, ">: ", status) + Line(415, "<: ", last);
  std::string error;
  auto lines = ParseSessionLog(log, error);
  ASSERT_TRUE(lines) << error;
  Replay replay(std::move(*lines));
  const auto ask = [&](std::uint32_t waitMs) {
    replay.Feed(status.data(), status.size());
    replay.Step(waitMs - 1);
    const Bytes early = replay.TakeOutput();
    replay.Step(1);
    EXPECT_TRUE(early.empty()) << "answered before its time";
    return replay.TakeOutput();
  };
  EXPECT_EQ(ask(10), first);
  EXPECT_EQ(ask(300), Bytes{}) << "a silence stays a silence";
  EXPECT_FALSE(replay.Ended());
  EXPECT_EQ(ask(15), last);
  EXPECT_TRUE(replay.Ended());
  EXPECT_EQ(ask(15), last);
  EXPECT_EQ(replay.TakeNotes().back(), "журнал кончился: дальше на каждый запрос идёт последний ответ на него из журнала");
}

TEST(Replay, ALogThatCannotBeReadIsToldByItsLine) {
  const std::string good = "2024-05-17 13:45:09.100 == начало сеанса\n\n2024-05-17 13:45:09.101 >: 0D 00 00 00 0D \n"
                           "2024-05-17 13:45:09.201 <: 0D 11 20 <: TimeOut\n"
                           "2024-05-17 13:45:09.301 <: 0D 11 00 00 00 bad XOR\n";
  const struct {
    std::string text, says;
  } cases[] = {
      {good, ""},
      {good + "2024-05-17 13:45:09 >: 0D 00 00 00 0D\n", "строка 6: нет отметки времени"},
      {good + "2024-05-17 13:45:09.400 ?: 0D\n", "строка 6: не кадр и не событие"},
      {good + "2024-05-17 13:45:09.400 <: 0D 1G \n", "строка 6: не байты кадра"},
      {good + "2024-05-17 13:45:09.400 >: 11 0D \n", "строка 6: не байты кадра"},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto lines = ParseSessionLog(c.text, error);
    EXPECT_EQ(lines.has_value(), c.says.empty()) << c.says;
    EXPECT_TRUE(error.starts_with(c.says)) << error;
  }
}

}  // namespace
}  // namespace zhv::sim
