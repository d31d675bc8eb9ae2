// The unit unplugged at each moment of a connection, through the real serial
// port: the tool notices, lets go of the port, stays quiet, shows the no-device
// state, and an export file keeps every record that arrived.
#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/serial/sim_program.h"

namespace zhv::test {
namespace {

struct Unplug : SimProgram {
  // A file descriptor of this process still refers to the unit's device.
  bool HoldsTheDevice() const {
    const QDir fds("/proc/self/fd");
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
      if (QFile::symLinkTarget(fds.filePath(fd)).toStdString() == path) return true;
    return false;
  }
  // How often the event loop wakes up over a while: an error the port repeats
  // without end keeps it awake, an idle tool lets it sleep.
  static int Wakeups(int ms) {
    int wakeups = 0;
    const auto connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                             &QAbstractEventDispatcher::awake, [&] { ++wakeups; });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return wakeups;
  }
  void Kill() {
    sim.kill();
    sim.waitForFinished(3000);
  }
  // The connection has ended, the panels say the device went and is waited for,
  // and nothing is left running.
  void ExpectUnplugged() {
    Tool& t = *tool;
    ASSERT_TRUE(WaitFor([&] { return !t.link.IsOpen(); }, 10000)) << "the tool noticed";
    EXPECT_FALSE(t.f.Timer1.Enabled());
    EXPECT_EQ(t.f.Panel1.Text(), "Прибор отключён: проверьте кабель USB");
    EXPECT_EQ(t.f.Panel1.Colour(), clr::Red);
    EXPECT_EQ(t.f.Panel2.Text(), "   Ожидание подключения к " + path + " (10 мин) ...");
    EXPECT_EQ(t.f.PageControl1.ActivePage(), 0);
    for (const Control* tab : {&t.f.TabSheet2, &t.f.TabSheet3, &t.f.TabSheet4, &t.f.TabSheet5, &t.f.TabSheet6})
      EXPECT_FALSE(tab->Visible()) << tab->Name();
    EXPECT_EQ(t.exchange.poll.pending, Pending::None);
    EXPECT_FALSE(t.f.Button102.Enabled());
    EXPECT_FALSE(HoldsTheDevice()) << "the port is released";
    const std::size_t lines = t.f.ListBox1.Items().size();
    EXPECT_LT(Wakeups(500), 50) << "nothing keeps the tool busy";
    EXPECT_EQ(t.f.ListBox1.Items().size(), lines);
  }
};

// A moment of the connection: the simulated unit's options, and how the tool
// is brought there.
struct Moment {
  const char* name;
  QStringList options;
  void (*reach)(Unplug&);
};
void PrintTo(const Moment& m, std::ostream* os) { *os << m.name; }

const Moment kMoments[] = {
    {"WhileIdentifying", {"--silent", "0"},  // the probe goes unanswered
     [](Unplug& u) {
       WaitFor([] { return false; }, 300);
       ASSERT_FALSE(u.tool->identification.exchanging);
       ASSERT_FALSE(u.tool->identification.identified);
     }},
    {"WhilePolling", {}, [](Unplug& u) { u.WaitUntilPolled(); }},
    {"MidCommand", {"--refuse-usb-on"},  // "Вкл." is asked again and again
     [](Unplug& u) {
       ASSERT_NO_FATAL_FAILURE(u.WaitUntilPolled());
       u.tool->f.Button102.Click();
       ASSERT_TRUE(WaitFor([&] { return u.tool->exchange.poll.state == State::AwaitUsbOn; }, 5000));
       WaitFor([] { return false; }, 100);
       ASSERT_EQ(u.tool->exchange.poll.pending, Pending::UnitControl);
     }},
};

struct UnplugAt : Unplug, ::testing::WithParamInterface<Moment> {};

TEST_P(UnplugAt, EndsTheConnectionCleanly) {
  ASSERT_NO_FATAL_FAILURE(Start(GetParam().options));
  Ticker ticker(*tool);
  ASSERT_NO_FATAL_FAILURE(GetParam().reach(*this));
  Kill();
  ExpectUnplugged();
}
INSTANTIATE_TEST_SUITE_P(Moments, UnplugAt, ::testing::ValuesIn(kMoments),
                         [](const auto& info) { return std::string(info.param.name); });

// The unit hangs up after its third block of eight records, its acknowledgement
// unanswered: the file holds those 24 records, each on a whole line, and is
// closed; the panel warns that the last of them may come again.
TEST_F(Unplug, MidReadOut) {
  ASSERT_NO_FATAL_FAILURE(Start({"--records", "100", "--block", "8", "--hangup-after-blocks", "3"}));
  Tool& t = *tool;
  Ticker ticker(t);
  ASSERT_NO_FATAL_FAILURE(WaitUntilPolled());
  t.f.Button102.Click();  // "Вкл.": editing unlocks under USB control
  ASSERT_TRUE(WaitFor([&] { return t.f.Button1030.Enabled(); }, 5000));
  QTemporaryDir dir;
  const std::string name = dir.filePath("readout.csv").toStdString();
  s.saveDialog.answer = name;
  t.f.RadioButton103112.SetChecked(true);  // "перезапись": the file is created
  t.f.Button10310.Click();
  t.f.RadioButton10321.SetChecked(true);   // the whole buffer
  t.f.Button1030.Click();
  ASSERT_EQ(t.exchange.poll.pending, Pending::Storage) << t.f.Panel1030.Text();

  ExpectUnplugged();
  ASSERT_TRUE(WaitFor([&] { return sim.state() == QProcess::NotRunning; }, 3000));
  EXPECT_NE(sim.readAllStandardError().indexOf("после 3 блоков"), -1) << "the unit served three blocks";
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(t.f.Panel1030.Text(), "Прервано, записано 24; последние могут прийти снова");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  EXPECT_TRUE(t.f.Button10310.Enabled());

  QFile written(QString::fromStdString(name));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = written.readAll().split('\n');
  ASSERT_EQ(lines.size(), 2 + 24 + 1) << "an empty line, the header, the records and nothing after the last line end";
  EXPECT_TRUE(lines.back().isEmpty());
  EXPECT_TRUE(lines[1].startsWith("FlCRC;"));
  for (int i = 2; i < 2 + 24; ++i) {
    EXPECT_TRUE(lines[i].endsWith(";\r")) << i;
    EXPECT_EQ(lines[i].count(';'), 17) << i;
  }
}

}  // namespace
}  // namespace zhv::test
