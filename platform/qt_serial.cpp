#include "platform/qt_serial.h"

#include <QMetaObject>
#include <algorithm>

namespace zhv {

QtSerialPort::QtSerialPort() {
  connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
}

bool QtSerialPort::Open(const std::string& name) {
  lostReported_ = false;
  left_.clear();
  port_.setPortName(QString::fromStdString(name));
  return port_.open(QIODevice::ReadWrite);  // Qt locks the device: no sharing
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

std::size_t QtSerialPort::QueuedBytes() {
  const qint64 n = port_.isOpen() ? port_.bytesAvailable() : left_.size();
  return n > 0 ? static_cast<std::size_t>(n) : 0;
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
  if (!port_.isOpen() || lostReported_) return false;
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
  lostReported_ = true;
  // Not from inside the port's own notification: close once it has returned.
  // What arrived before is kept for the tool to read: it may end a read-out.
  QMetaObject::invokeMethod(
      this,
      [this] {
        left_ = port_.readAll();
        port_.close();
        if (lost_) lost_();
      },
      Qt::QueuedConnection);
}

}  // namespace zhv
