// Port list, locale, clock, message pump and termination signals over Qt.
#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"

class QTimer;

namespace zhv {

// The present serial ports, plus any paths named on the command line.
class QtPortEnumerator : public IPortEnumerator {
 public:
  explicit QtPortEnumerator(std::vector<std::string> extraPaths = {});
  ~QtPortEnumerator() override;
  std::vector<PortInfo> PresentPorts() override;
  void Watch(std::function<void()> check) override;

 private:
  std::vector<std::string> extraPaths_;
  std::unique_ptr<QTimer> watch_;
};

inline constexpr const char* kCommandLinePortDescription = "Порт из командной строки";

class QtLocale : public ILocale {
 public:
  char DecimalSeparator() override;
};

class QtClock : public IClock {
 public:
  LocalDateTime Now() override;
  std::int64_t SteadyMs() override;
};

class QtMessagePump : public IMessagePump {
 public:
  void ProcessMessages() override;
};

// Runs `handler` on the GUI thread when SIGTERM or SIGINT arrives.
void OnTerminationSignal(std::function<void()> handler);

}  // namespace zhv
