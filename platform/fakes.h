// Test doubles of the platform services (header-only, Qt-free).
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zhv::fake {

class Ports : public IPortEnumerator {
 public:
  std::vector<PortInfo> list;
  std::vector<PortInfo> PresentPorts() override { return list; }
};

class Locale : public ILocale {
 public:
  char separator = '.';
  char DecimalSeparator() override { return separator; }
};

class Clock : public IClock {
 public:
  LocalDateTime now{2024, 5, 17, 13, 45, 9};
  LocalDateTime Now() override { return now; }
};

// Runs a callback per pumped message; the closing wait uses it to tick the timer.
class Pump : public IMessagePump {
 public:
  std::function<void()> onPump;
  int calls = 0;
  void ProcessMessages() override {
    ++calls;
    if (onPump) onPump();
  }
};

// A port with a byte queue the test fills and a record of everything written.
class Port : public ISerialPort {
 public:
  std::set<std::string> busy;          // names that refuse to open
  bool failLineSettings = false;
  bool failWrite = false;
  bool open = false;
  std::string openedName;
  LineSettings settings{};
  int purges = 0;
  std::deque<std::uint8_t> input;
  std::vector<std::vector<std::uint8_t>> writes;
  std::function<void()> lost;

  void Feed(const std::vector<std::uint8_t>& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

  bool Open(const std::string& name) override {
    if (open || busy.count(name)) return false;
    open = true;
    openedName = name;
    return true;
  }
  bool SetLineSettings(const LineSettings& s) override {
    settings = s;
    return !failLineSettings;
  }
  bool Purge() override {
    ++purges;
    input.clear();
    return true;
  }
  std::size_t QueuedBytes() override { return open ? input.size() : 0; }
  std::size_t Read(std::uint8_t* buffer, std::size_t max) override {
    std::size_t n = 0;
    while (open && n < max && !input.empty()) {
      buffer[n++] = input.front();
      input.pop_front();
    }
    return n;
  }
  bool Write(const std::uint8_t* data, std::size_t count) override {
    if (!open || failWrite) return false;
    writes.emplace_back(data, data + count);
    return true;
  }
  void Close() override { open = false; }
  void SetLostHandler(std::function<void()> handler) override { lost = std::move(handler); }
};

// Everything a Tool needs, owned together.
struct Services {
  Port port;
  Ports ports;
  Locale locale;
  Clock clock;
  Pump pump;
  Platform platform() { return platform(port); }
  // The same services around another port (the simulated unit's, a real one).
  Platform platform(ISerialPort& serial) { return Platform{serial, ports, locale, clock, pump}; }
};

}  // namespace zhv::fake
