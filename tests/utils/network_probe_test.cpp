#include "utils/network_probe.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "support/scratch.h"
#include "support/stderr_capture.h"
#include "utils/private_bus.h"

namespace {

constexpr const char kNetworkManager[] = "org.freedesktop.NetworkManager";

struct Probe {
  uint32_t result;
  std::string log;
};

Probe ProbeCapturingLog() {
  testsupport::StderrCapture capture;
  const uint32_t result = Utils::CheckNetwork();
  return {result, capture.Finish()};
}

// The log line the probe writes: its header, the probe's tag, and `message` with no line end
// after it, so that the next line would follow on the same line of output.
std::regex UnterminatedProbeLine(const std::string& message) {
  return std::regex(R"(<P\d{5,}><T\d{5,}><[-0-9 :.]{23}>\(Utils::CheckNetwork\)<\d{4,}>: )" + message);
}

TEST(CheckNetworkTest, MapsEachNetworkManagerStateToItsResultAndLogLine) {
  testsupport::PrivateBus bus;
  ASSERT_TRUE(bus.Started());
  bus.ExportAsSystemBus();
  ASSERT_TRUE(bus.StartMock("networkmanager", kNetworkManager));

  struct Case {
    uint32_t connectivity;
    uint32_t result;
    const char* logMessage;  // nullptr: nothing may be logged
  };
  const Case cases[] = {
      {4, 0x40, nullptr},                           // full
      {3, 0x20020, "get_IsConnectedToInternet:0"},  // limited
      {2, 0x20020, "get_IsConnectedToInternet:0"},  // behind a portal
      {1, 0x10000, "GetConnectivity 0"},            // none
      {0, 0, nullptr},                              // unknown
      {7, 0, nullptr},                              // a state this build doesn't know
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(bus.Call(kNetworkManager, "/org/freedesktop", "org.freedesktop.DBus.Mock", "SetConnectivity", "u",
                         c.connectivity));
    const Probe probe = ProbeCapturingLog();
    EXPECT_EQ(probe.result, c.result) << "Connectivity " << c.connectivity;
    if (c.logMessage == nullptr) {
      EXPECT_EQ(probe.log, "") << "Connectivity " << c.connectivity;
    } else {
      EXPECT_TRUE(std::regex_match(probe.log, UnterminatedProbeLine(c.logMessage)))
          << "Connectivity " << c.connectivity << ": " << probe.log;
    }
  }
}

TEST(CheckNetworkTest, BusWithoutNetworkManagerIsNoObjection) {
  testsupport::PrivateBus bus;
  ASSERT_TRUE(bus.Started());
  bus.ExportAsSystemBus();

  const Probe probe = ProbeCapturingLog();
  EXPECT_EQ(probe.result, 0u);
  EXPECT_EQ(probe.log, "");
}

TEST(CheckNetworkTest, MissingBusIsNoObjection) {
  // The test's environment points the system bus at a socket that doesn't exist.
  ASSERT_NE(std::getenv("DBUS_SYSTEM_BUS_ADDRESS"), nullptr);

  const Probe probe = ProbeCapturingLog();
  EXPECT_EQ(probe.result, 0u);
  EXPECT_EQ(probe.log, "");
}

// A bus socket that accepts connections into its backlog but never says a word: the probe must
// give up after its own short timeout instead of holding the install checks forever.
TEST(CheckNetworkTest, SilentBusGivesUpWithNoObjection) {
  const std::string path = testsupport::NewFolder("silent") + "/socket";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + path).c_str(), 1);

  const auto start = std::chrono::steady_clock::now();
  const Probe probe = ProbeCapturingLog();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(probe.result, 0u);
  EXPECT_EQ(probe.log, "");
  // Not a speed target: the library's own handshake limit is 90 seconds, and this catches a
  // probe that falls back on it.
  EXPECT_LT(waited, std::chrono::seconds(30));
  close(listener);
}

}  // namespace
