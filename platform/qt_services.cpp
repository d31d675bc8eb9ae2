#include "platform/qt_services.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QSerialPortInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>

namespace zhv {

namespace {

// Half a second between looks: a plugged adapter shows within a second. A look
// reads the system's device list and opens nothing.
constexpr int kPortWatchMs = 500;

}  // namespace

QtPortEnumerator::QtPortEnumerator(std::vector<std::string> extraPaths)
    : extraPaths_(std::move(extraPaths)) {}

QtPortEnumerator::~QtPortEnumerator() = default;

void QtPortEnumerator::Watch(std::function<void()> check) {
  watch_ = std::make_unique<QTimer>();
  QObject::connect(watch_.get(), &QTimer::timeout, std::move(check));
  watch_->start(kPortWatchMs);
}

std::vector<PortInfo> QtPortEnumerator::PresentPorts() {
  std::vector<PortInfo> out;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    QString description = info.description();
    if (description.isEmpty()) description = "Последовательный порт";
    // The friendly name the port-list rule expects: "<description> (<port name>)".
    out.push_back({description.toStdString(),
                   (description + " (" + info.portName() + ")").toStdString(),
                   info.serialNumber().toStdString()});
  }
  for (const std::string& path : extraPaths_)
    out.push_back({kCommandLinePortDescription,
                   std::string(kCommandLinePortDescription) + " (" + path + ")"});
  return out;
}

char QtLocale::DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point.at(0).unicode() < 0x80) return static_cast<char>(point.at(0).unicode());
  return '.';
}

LocalDateTime QtClock::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

std::int64_t QtClock::SteadyMs() {
  static const QElapsedTimer since = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return since.elapsed();
}

void QtMessagePump::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

namespace {
int signalPipe[2] = {-1, -1};

void WriteSignal(int) {
  const char c = 1;
  [[maybe_unused]] ssize_t n = ::write(signalPipe[0], &c, 1);
}
}  // namespace

void OnTerminationSignal(std::function<void()> handler) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
    char c;
    [[maybe_unused]] ssize_t n = ::read(signalPipe[1], &c, 1);
    handler();
  });
  struct sigaction sa {};
  sa.sa_handler = WriteSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

}  // namespace zhv
