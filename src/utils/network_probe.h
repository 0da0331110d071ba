#pragma once
// Is there a usable internet connection? Asked of NetworkManager on the system bus.
#include <cstdint>

namespace Utils {

// Result layout: bits 0..15 hold connectivity flags in the classic network-list layout
// (kConnectivityIpv4LocalNetwork, kConnectivityIpv4Internet), bits 16..31 a verdict
// (kVerdictNoConnectivity, kVerdictNotOnInternet, or 0 for no objection). Callers treat a result
// below 0x10000 as a usable network.
constexpr uint32_t kConnectivityIpv4LocalNetwork = 0x20;
constexpr uint32_t kConnectivityIpv4Internet = 0x40;
constexpr uint32_t kVerdictNoConnectivity = 0x10000;
constexpr uint32_t kVerdictNotOnInternet = 0x20000;

// Reads NetworkManager's "Connectivity" on the system bus ($DBUS_SYSTEM_BUS_ADDRESS when set),
// waiting a few seconds at most. Never fails: a bus or NetworkManager that can't be asked gives 0.
uint32_t CheckNetwork();

}  // namespace Utils
