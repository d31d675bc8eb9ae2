// Why the real Qt serial port would not open a pseudo-terminal: held by
// another opener, not there at all, or not this user's to open.
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/qt_serial.h"
#include "serial/qt_app.h"

namespace zhv {
namespace {

struct OpenRefusalTest : ::testing::Test {
  int master = -1;
  int slave = -1;
  std::string path;

  void SetUp() override {
    test::App();
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    path = name;
  }
  void TearDown() override {
    close(master);
    close(slave);
  }
};

TEST_F(OpenRefusalTest, HeldPortIsBusyAndAbsentOneMissing) {
  QtSerialPort first;
  ASSERT_TRUE(first.Open(path));
  QtSerialPort second;
  EXPECT_FALSE(second.Open(path));
  EXPECT_EQ(second.LastRefusal(), OpenRefusal::Busy);
  first.Close();
  EXPECT_TRUE(second.Open(path)) << "a refusal is not remembered past its cause";
  second.Close();

  EXPECT_FALSE(second.Open(path + "9999"));
  EXPECT_EQ(second.LastRefusal(), OpenRefusal::Missing);
  EXPECT_FALSE(second.Open("ttyNoSuchAdapter0"));
  EXPECT_EQ(second.LastRefusal(), OpenRefusal::Missing) << "a short name lives under /dev";
}

// The check runs as a user without rights to the device: nobody, when the
// tests run as root (who may open anything).
bool RefusedAsForbidden(const std::string& path) {
  QtSerialPort port;
  return !port.Open(path) && port.LastRefusal() == OpenRefusal::NoAccess;
}

TEST_F(OpenRefusalTest, PortThisUserMayNotOpenIsForbiddenNotBusy) {
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_TRUE(RefusedAsForbidden(path));
    return;
  }
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
    _exit(RefusedAsForbidden(path) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not become nobody";
}

}  // namespace
}  // namespace zhv
