#pragma once
// Splits a command line into arguments by the rules Windows programs use (CommandLineToArgvW), so
// the command lines the installer builds for the setup package and the uninstaller, and the
// installer's own switches, mean the same here as they always have:
//
//   - blanks (space, tab) separate arguments;
//   - the first argument is the program: when it begins with a double quote it runs to the next
//     double quote, otherwise to the next blank; backslashes in it are always literal;
//   - in later arguments, 2n backslashes before a double quote give n backslashes and the quote
//     starts or ends a quoted part; 2n+1 backslashes before a double quote give n backslashes and a
//     literal quote; backslashes not followed by a double quote are literal;
//   - inside a quoted part, "" gives a literal double quote; a quoted part left open runs to the end;
//   - "" on its own is an empty argument.
#include <string>
#include <string_view>
#include <vector>

namespace Utils {

std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace Utils
