// The serial port over QSerialPort.
#pragma once

#include <QObject>
#include <QSerialPort>

#include "platform/platform.h"

namespace zhv {

class QtSerialPort : public QObject, public ISerialPort {
  Q_OBJECT
 public:
  QtSerialPort();
  bool Open(const std::string& name) override;
  OpenRefusal LastRefusal() const override { return refusal_; }
  bool SetLineSettings(const LineSettings& settings) override;
  bool Purge() override;
  void DropInput() override;
  std::size_t QueuedBytes() override;
  std::size_t Read(std::uint8_t* buffer, std::size_t max) override;
  bool Write(const std::uint8_t* data, std::size_t count) override;
  void Close() override;
  void SetLostHandler(std::function<void()> handler) override { lost_ = std::move(handler); }

 private:
  void OnError(QSerialPort::SerialPortError error);
  void DropOverflow();

  QSerialPort port_;
  std::function<void()> lost_;
  // Told to the tool from the event loop, or at once when it writes first.
  void DeliverLost();

  bool lostReported_ = false;
  bool lostDelivered_ = false;
  bool writesRefused_ = false;  // the device is there but refused a write
  std::string name_;
  OpenRefusal refusal_ = OpenRefusal::Busy;
  QByteArray left_;  // what arrived before the device went, not yet read
};

}  // namespace zhv
