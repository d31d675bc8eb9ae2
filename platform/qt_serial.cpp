#include "platform/qt_serial.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QMetaObject>
#include <algorithm>
#include <cerrno>

namespace zhv {

namespace {

// The input queue holds no more than the unit's own: a unit (or noise) that
// sends faster than the tool takes frames must not leave a backlog of stale
// answers behind, in Qt's buffer or in the kernel's.
constexpr qint64 kInputQueueBytes = 256;

std::string DevicePath(const std::string& name) { return name.starts_with('/') ? name : "/dev/" + name; }

bool DevicePresent(const std::string& name) { return ::access(DevicePath(name).c_str(), F_OK) == 0; }

// The line was hung up under an open descriptor: an adapter pulled out, or the
// far end of a pseudo-terminal gone. Its device file may linger a while.
bool HungUp(int fd) {
  pollfd p{fd, POLLOUT, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

// Qt reports a refused open as a permission error whether the device is
// locked, held exclusively or forbidden to this user; the system can tell.
OpenRefusal WhyRefused(const std::string& name) {
  const std::string path = DevicePath(name);
  if (!DevicePresent(name)) return OpenRefusal::Missing;
  if (::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES) return OpenRefusal::NoAccess;
  return OpenRefusal::Busy;
}

}  // namespace

QtSerialPort::QtSerialPort() {
  connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
}

bool QtSerialPort::Open(const std::string& name) {
  lostReported_ = false;
  lostDelivered_ = false;
  writesRefused_ = false;
  name_ = name;
  left_.clear();
  port_.setPortName(QString::fromStdString(name));
  port_.setReadBufferSize(kInputQueueBytes);
  if (port_.open(QIODevice::ReadWrite)) return true;  // Qt locks the device: no sharing
  refusal_ = WhyRefused(name);
  return false;
}

bool QtSerialPort::SetLineSettings(const LineSettings& s) {
  const auto parity = s.parity == Parity::None  ? QSerialPort::NoParity
                      : s.parity == Parity::Odd ? QSerialPort::OddParity
                                                : QSerialPort::EvenParity;
  return port_.setBaudRate(s.baudRate) &&
         port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
         port_.setParity(parity) &&
         port_.setStopBits(s.stopBits == StopBits::Two ? QSerialPort::TwoStop
                                                        : QSerialPort::OneStop);
}

bool QtSerialPort::Purge() { return port_.clear(QSerialPort::AllDirections); }

// Qt's buffer and the kernel's queue both: the kernel holds far more than the
// 256 bytes Qt is allowed. What a lost device sent last is kept, as on a loss.
void QtSerialPort::DropInput() {
  if (lostReported_) DeliverLost();
  if (port_.isOpen()) port_.clear(QSerialPort::Input);
}

std::size_t QtSerialPort::QueuedBytes() {
  if (!port_.isOpen()) return static_cast<std::size_t>(left_.size());
  DropOverflow();
  const qint64 n = port_.bytesAvailable();
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

// Qt stops reading once its buffer is full and the rest waits in the kernel.
// What would not fit the queue is dropped there, as a full queue drops it.
void QtSerialPort::DropOverflow() {
  int kernel = 0;
  if (::ioctl(port_.handle(), FIONREAD, &kernel) != 0 || kernel <= 0) return;
  if (port_.bytesAvailable() + kernel > kInputQueueBytes) ::tcflush(port_.handle(), TCIFLUSH);
}

std::size_t QtSerialPort::Read(std::uint8_t* buffer, std::size_t max) {
  if (!port_.isOpen()) {
    const auto n = std::min(max, static_cast<std::size_t>(left_.size()));
    std::copy_n(left_.constData(), n, reinterpret_cast<char*>(buffer));
    left_.remove(0, static_cast<qsizetype>(n));
    return n;
  }
  const qint64 n = port_.read(reinterpret_cast<char*>(buffer), static_cast<qint64>(max));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool QtSerialPort::Write(const std::uint8_t* data, std::size_t count) {
  // A loss not yet told is told now: the write failed because the device went.
  if (lostReported_) DeliverLost();
  if (!port_.isOpen() || lostReported_ || writesRefused_) return false;
  // Qt queues the bytes and flushes them from the event loop; errors come as errorOccurred.
  return port_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(count)) ==
         static_cast<qint64>(count);
}

void QtSerialPort::Close() {
  left_.clear();
  if (port_.isOpen()) port_.close();
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
  // Qt 6.4 keeps the port "open" after an unplug and repeats ReadError without end,
  // while writes still report success: the first such error means the link is gone.
  const bool linkGone = error == QSerialPort::ResourceError ||
                        error == QSerialPort::ReadError || error == QSerialPort::WriteError;
  if (!linkGone || !port_.isOpen() || lostReported_) return;
  // A device still there that will not take a frame has not gone: the write
  // fails, and the connection ends as for any failed write.
  if (error == QSerialPort::WriteError && DevicePresent(name_) && !HungUp(port_.handle())) {
    writesRefused_ = true;
    return;
  }
  lostReported_ = true;
  // Not from inside the port's own notification: close once it has returned.
  // What arrived before is kept for the tool to read: it may end a read-out.
  QMetaObject::invokeMethod(this, [this] { DeliverLost(); }, Qt::QueuedConnection);
}

void QtSerialPort::DeliverLost() {
  // Once per loss; a port opened again meanwhile is not this loss's.
  if (!lostReported_ || lostDelivered_) return;
  lostDelivered_ = true;
  left_ = port_.readAll();
  port_.close();
  if (lost_) lost_();
}

}  // namespace zhv
