// A unit (or line noise) that sends faster than the tool takes frames, over a
// pseudo-terminal and the real Qt serial port: nothing received before a
// request is taken for its answer, so a unit that falls silent after a burst is
// named silent five seconds after its last byte, whatever queue held the rest.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/tool.h"
#include "platform/fakes.h"
#include "platform/qt_serial.h"
#include "protocol/frame.h"
#include "serial/qt_app.h"
#include "sim/unit.h"

namespace zhv {
namespace {

// The device type of the unit that floods the line.
struct Flood : ::testing::TestWithParam<std::uint8_t> {
  int master = -1;
  int slave = -1;  // held, so the line stays up whatever the tool does
  std::string path;
  sim::Unit unit{[] {
    sim::Options o;
    o.deviceType = GetParam();
    o.gasKind = cat::kGasCH4;
    o.warmUpMs = 0;
    return o;
  }()};
  bool serving = true;  // the unit answers; once false, what the tool sends goes unheard
  QtSerialPort port;
  fake::Services s;
  std::unique_ptr<Tool> tool;

  void SetUp() override {
    test::App();
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    path = name;
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    s.ports.list = {{"Псевдотерминал", "Псевдотерминал (" + path + ")"}};
    tool = std::make_unique<Tool>(s.platform(port));
    tool->FormCreate();
    tool->f.ListView1.SetSelected(0);
    tool->f.ListView1.DblClick();
    ASSERT_TRUE(tool->link.IsOpen()) << tool->f.Panel1.Text();
  }
  void TearDown() override {
    tool.reset();
    close(master);
    close(slave);
  }
  // Writes as much as the line takes now.
  std::size_t Send(const std::uint8_t* bytes, std::size_t count) {
    const ssize_t n = write(master, bytes, count);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  // One tick of Timer1, with the unit's end of the line served first.
  void Tick() {
    std::uint8_t in[512];
    for (ssize_t n; (n = read(master, in, sizeof in)) > 0;)
      if (serving) unit.Feed(in, static_cast<std::size_t>(n));
    unit.Step(static_cast<std::uint32_t>(tool->f.Timer1.Interval()));
    const std::vector<std::uint8_t> out = unit.TakeOutput();
    if (serving) Send(out.data(), out.size());
    usleep(100);  // the pseudo-terminal hands the bytes on
    QCoreApplication::processEvents();
    if (tool->f.Timer1.Enabled()) tool->f.Timer1.OnTimer();
  }
  bool SilenceShown() const { return tool->f.Panel101.Text().starts_with("Нет ответа от ТКЭ"); }
};

TEST_P(Flood, BurstOfStaleAnswersIsDroppedAndTheSilenceAfterItNoticed) {
  for (int i = 0; i < 3000 && !tool->exchange.poll.firstPass; ++i) Tick();
  ASSERT_TRUE(tool->exchange.poll.firstPass) << tool->f.Panel2.Text();

  // 100 kB of good status answers, then nothing more from the unit.
  std::vector<std::uint8_t> status(cat::kStatusAnswerLen);
  status[0] = 0x02;  // warmed up, working
  const std::vector<std::uint8_t> frame = EncodeFrame(GetParam(), cat::kReadStatus, status);
  std::vector<std::uint8_t> burst;
  while (burst.size() < 100'000) burst.insert(burst.end(), frame.begin(), frame.end());
  serving = false;
  std::size_t sent = 0;
  for (int i = 0; i < 20'000 && sent < burst.size(); ++i) {
    sent += Send(burst.data() + sent, burst.size() - sent);
    Tick();
  }
  ASSERT_EQ(sent, burst.size()) << "the line never took the whole burst";

  // The last byte is written. At most the answer the tool waits for now is
  // taken from what is queued; five seconds after it, the silence is named
  // for what it is: nothing arrives.
  const int counter = tool->exchange.poll.packetCounter;
  int ticks = 0;
  while (!SilenceShown() && ticks < 10'000) Tick(), ++ticks;
  const int stale = tool->exchange.poll.packetCounter - counter;
  EXPECT_TRUE(SilenceShown()) << stale << " stale answers taken in " << ticks << " ticks: " << tool->f.Panel101.Text();
  EXPECT_LE(stale, 1);
  EXPECT_LE(ticks, 500 + 2);
}
INSTANTIATE_TEST_SUITE_P(DeviceTypes, Flood, ::testing::Values(cat::kTypeVoice, cat::kTypeStorage),
                         [](const auto& info) { return info.param == cat::kTypeVoice ? "Type12" : "Type11"; });

}  // namespace
}  // namespace zhv
