// Runs the real zhv22-sim program and talks to it over its pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/sim/wire.h"

namespace zhv::sim::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);  // a bound for a hung program, not a timing check

// Reads until want bytes have come, the other end closes, or patience runs out.
Bytes ReadUntil(int fd, std::size_t want, bool stopAtNewline = false) {
  Bytes out;
  const auto deadline = Clock::now() + kPatience;
  while (out.size() < want && Clock::now() < deadline) {
    if (stopAtNewline && !out.empty() && out.back() == '\n') break;
    pollfd p{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (poll(&p, 1, static_cast<int>(std::max<long long>(left, 1))) <= 0) continue;
    std::uint8_t b[256];
    const ssize_t n = read(fd, b, stopAtNewline ? 1 : std::min(sizeof b, want - out.size()));
    if (n <= 0) break;
    out.insert(out.end(), b, b + n);
  }
  return out;
}

class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int fds[2], input[2];
    if (pipe(fds) != 0 || pipe(input) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], STDOUT_FILENO);
      dup2(input[0], STDIN_FILENO);
      for (int fd : {fds[0], fds[1], input[0], input[1]}) close(fd);
      std::vector<char*> argv{const_cast<char*>("zhv22-sim")};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(ZHV_SIM_PATH, argv.data());
      _exit(127);
    }
    close(fds[1]);
    close(input[0]);
    out_ = fds[0];
    in_ = input[1];
  }
  ~Program() {
    CloseInput();
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  std::string FirstLine() {
    const Bytes line = ReadUntil(out_, 4096, true);
    std::string s(line.begin(), line.end());
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }
  std::string RestOfOutput() {
    const Bytes rest = ReadUntil(out_, 1 << 20);
    return {rest.begin(), rest.end()};
  }
  void Signal(int sig) { kill(pid_, sig); }
  // Writes to the program's standard input.
  void Say(const std::string& text) { ASSERT_EQ(write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size())); }
  void CloseInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
  }
  // Waits for the end of the output (the program's exit), then reaps it; a
  // program still running then is killed, which its status shows.
  int ExitStatus() {
    ReadUntil(out_, 1 << 20);
    int status = -1;
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int in_ = -1;
};

int OpenRaw(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return fd;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  tcsetattr(fd, TCSANOW, &t);
  return fd;
}

Bytes Exchange(int fd, const Bytes& request, std::size_t answerSize) {
  EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  return ReadUntil(fd, answerSize);
}

TEST(SimProgram, AnswersTheProbeOnItsPseudoTerminal) {
  const std::string link = testing::TempDir() + "zhv22-sim-link-" + std::to_string(getpid());
  Program program({"--link", link});
  const std::string path = program.FirstLine();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << "first line: " << path;

  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(path, target);

  int fd = OpenRaw(link);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Exchange(fd, Request(0x00, {}, 0x00), 5), (Bytes{0x0D, 0x11, 0x00, 0x00, 0x1C}));
  close(fd);

  // The tool closes the port and opens it again: the unit is still there.
  fd = OpenRaw(path);
  ASSERT_GE(fd, 0);
  const auto frames = SplitFrames(Exchange(fd, Request(0x20), 37));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].command, 0x20);
  EXPECT_EQ(frames[0].data.size(), 32u);
  close(fd);

  program.Signal(SIGTERM);
  const int status = program.ExitStatus();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0) << "the link is removed on exit";
}

TEST(SimProgram, OptionsShapeTheUnit) {
  Program program({"--type", "0x10", "--gas", "1"});
  const std::string path = program.FirstLine();
  const int fd = OpenRaw(path);
  ASSERT_GE(fd, 0) << path;
  EXPECT_EQ(Exchange(fd, Request(0x00, {}, 0x00), 5), (Bytes{0x0D, 0x10, 0x00, 0x00, 0x1D}));
  const auto frames = SplitFrames(Exchange(fd, Request(0x10, {0x10}, 0x10), 11));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].data.at(3) >> 2, 1);
  close(fd);
  program.Signal(SIGINT);
  const int status = program.ExitStatus();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SimProgram, ServesItsBufferAndHangsUpWhenTold) {
  Program program({"--records", "5", "--block", "3", "--hangup-after-blocks", "2"});
  const std::string path = program.FirstLine();
  const int fd = OpenRaw(path);
  ASSERT_GE(fd, 0) << path;
  auto frames = SplitFrames(Exchange(fd, Request(0x40), 6 + 55));
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].data, Bytes{3});
  EXPECT_EQ(frames[1].data.size(), 5u + 3 * 15);
  frames = SplitFrames(Exchange(fd, Request(0x48), 5));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].command, 0x48);
  const Bytes last = Request(0x40);
  ASSERT_EQ(write(fd, last.data(), last.size()), static_cast<ssize_t>(last.size()));

  const int status = program.ExitStatus();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the second block ends the program";
  std::uint8_t b[256];
  while (read(fd, b, sizeof b) > 0) {
  }
  EXPECT_NE(errno, EAGAIN) << "the line is gone, not merely quiet";
  close(fd);
}

// A line on standard input takes effect at the program's next turn: ask until it has.
bool AnswersEventually(int fd, const Bytes& request, const Bytes& expected) {
  const auto deadline = Clock::now() + kPatience;
  while (Clock::now() < deadline)
    if (Exchange(fd, request, expected.size()) == expected) return true;
  return false;
}

TEST(SimProgram, FaultsAreSwitchedOnStandardInputWhileItServes) {
  Program program({"--stdin-faults"});
  const std::string path = program.FirstLine();
  const int fd = OpenRaw(path);
  ASSERT_GE(fd, 0) << path;
  const Bytes probe = Request(0x00, {}, 0x00);
  const Bytes good{0x0D, 0x11, 0x00, 0x00, 0x1C};
  const Bytes badCheck{0x0D, 0x11, 0x00, 0x00, 0x1C ^ 0xFF};
  EXPECT_EQ(Exchange(fd, probe, 5), good);
  program.Say("--bad-check\n");
  EXPECT_TRUE(AnswersEventually(fd, probe, badCheck));
  program.Say("\n");
  EXPECT_TRUE(AnswersEventually(fd, probe, good));
  program.Say("--split --bad-check\n");
  program.CloseInput();  // the unit serves on with the last faults
  EXPECT_TRUE(AnswersEventually(fd, probe, badCheck));
  close(fd);
  program.Signal(SIGTERM);
  const int status = program.ExitStatus();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SimProgram, HelpAndBadArguments) {
  Program help({"--help"});
  const std::string text = help.RestOfOutput();
  EXPECT_NE(text.find("--wrong-length"), std::string::npos);
  EXPECT_NE(text.find("--hangup-after-blocks"), std::string::npos);
  int status = help.ExitStatus();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  Program bad({"--type", "0x1FF"});
  EXPECT_EQ(bad.RestOfOutput(), "") << "errors go to stderr, no path is printed";
  status = bad.ExitStatus();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
}  // namespace zhv::sim::test
