#include "utils/network_probe.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <memory>
#include <optional>

#include "utils/log.h"

namespace Utils {

namespace {

constexpr const char kNetworkManagerName[] = "org.freedesktop.NetworkManager";
constexpr const char kNetworkManagerPath[] = "/org/freedesktop/NetworkManager";
constexpr const char kNetworkManagerInterface[] = "org.freedesktop.NetworkManager";

// Long enough for a busy NetworkManager, short enough that a wedged bus can't stall an install.
constexpr std::chrono::seconds kAnswerTimeout{3};

// NetworkManager's NMConnectivityState values.
constexpr uint32_t kConnectivityUnknown = 0;
constexpr uint32_t kConnectivityNone = 1;
constexpr uint32_t kConnectivityPortal = 2;
constexpr uint32_t kConnectivityLimited = 3;
constexpr uint32_t kConnectivityFull = 4;

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct MessageReleaser {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotReleaser {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusPtr = std::unique_ptr<sd_bus, BusCloser>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageReleaser>;
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotReleaser>;

struct PendingAnswer {
  bool answered = false;
  std::optional<uint32_t> state;
};

int OnConnectivityReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  auto& pending = *static_cast<PendingAnswer*>(userdata);
  pending.answered = true;
  uint32_t state = 0;
  if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_enter_container(reply, 'v', "u") >= 0 &&
      sd_bus_message_read(reply, "u", &state) >= 0)
    pending.state = state;
  return 0;
}

// NetworkManager's connectivity state, or nothing when the bus, the service or the property
// can't be read in time. The whole exchange (connecting, authenticating, the call) runs against
// one deadline: sd-bus would otherwise wait up to 90 seconds for a bus that accepts the
// connection but never answers. The call does not ask the bus to start NetworkManager: a network
// manager that isn't running has nothing to say about the network.
std::optional<uint32_t> ReadConnectivityState() {
  const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
  sd_bus* rawBus = nullptr;
  if (sd_bus_open_system(&rawBus) < 0) return std::nullopt;
  const BusPtr bus(rawBus);

  sd_bus_message* rawCall = nullptr;
  if (sd_bus_message_new_method_call(bus.get(), &rawCall, kNetworkManagerName, kNetworkManagerPath,
                                     "org.freedesktop.DBus.Properties", "Get") < 0)
    return std::nullopt;
  const MessagePtr call(rawCall);
  if (sd_bus_message_append(call.get(), "ss", kNetworkManagerInterface, "Connectivity") < 0) return std::nullopt;
  if (sd_bus_message_set_auto_start(call.get(), 0) < 0) return std::nullopt;

  PendingAnswer pending;
  const uint64_t timeoutMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(kAnswerTimeout).count();
  sd_bus_slot* rawSlot = nullptr;
  if (sd_bus_call_async(bus.get(), &rawSlot, call.get(), OnConnectivityReply, &pending, timeoutMicroseconds) < 0)
    return std::nullopt;
  const SlotPtr slot(rawSlot);

  while (!pending.answered) {
    const int processed = sd_bus_process(bus.get(), nullptr);
    if (processed < 0) return std::nullopt;
    if (processed > 0) continue;
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return std::nullopt;
    const uint64_t wait = std::chrono::duration_cast<std::chrono::microseconds>(left).count() + 1;
    if (sd_bus_wait(bus.get(), wait) < 0) return std::nullopt;
  }
  return pending.state;
}

}  // namespace

uint32_t CheckNetwork() {
  const std::optional<uint32_t> state = ReadConnectivityState();
  if (!state) return 0;  // Nobody to ask is no objection: the download itself will tell.

  switch (*state) {
    case kConnectivityFull:
      // Reachable internet: report the internet flag and no verdict.
      return kConnectivityIpv4Internet;
    case kConnectivityPortal:
    case kConnectivityLimited:
      // A captive portal or a network without a route out: connected locally, but not to the
      // internet, the same answer a local-only network gives.
      LogFormat("get_IsConnectedToInternet:%d", 0);
      return kVerdictNotOnInternet | kConnectivityIpv4LocalNetwork;
    case kConnectivityNone:
      // No network at all: no flags to report.
      LogFormat("GetConnectivity %d", 0);
      return kVerdictNoConnectivity;
    case kConnectivityUnknown:
    default:
      // NetworkManager hasn't checked (or its check is disabled), or speaks a state we don't
      // know: no grounds to hold the install back.
      return 0;
  }
}

}  // namespace Utils
