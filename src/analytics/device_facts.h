#pragma once
// What the tracker tells the collector about the machine it runs on.
#include <optional>
#include <string>

namespace vemra::tracking {

struct OsDescription {
  std::string name;     // "Linux"
  std::string version;  // the kernel release's major.minor, e.g. "6.1"
};
OsDescription osNameAndVersion();

// "Mozilla/5.0(<os name> <os version>; <machine>;)", e.g. "Mozilla/5.0(Linux 6.1; x86_64;)".
std::string userAgent();

struct Locale {
  std::string language;
  std::string country;
  std::string locale;  // language "_" country
};
// The user's locale from LC_ALL, LC_MESSAGES or LANG ("zh_CN.UTF-8" gives zh, CN, zh_CN); nothing
// for "C", "POSIX" or a locale without a country.
std::optional<Locale> systemLocale();
// Splits at the first "_"; nothing when there is none.
std::optional<Locale> splitLocale(const std::string& text);
// The three locale properties: from the text set with setLocale when it splits and names a
// language, otherwise from the system.
Locale localeProperties(const std::string& locale);

// A new device id: a random GUID as 36 upper-case characters ("8-4-4-4-12", no braces).
std::string newDistinctId();

struct ScreenSize {
  int width = 0;
  int height = 0;
};
// The resolution of the first connected display as the kernel's display drivers report it;
// 0 x 0 when there is none (a server, a container).
ScreenSize primaryScreenSize();

}  // namespace vemra::tracking
