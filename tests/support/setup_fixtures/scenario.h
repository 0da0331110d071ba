#pragma once
// The little script language of the fixture setup package and uninstaller. A scenario is text, one
// command per line (blank lines and lines starting with '#' are skipped):
//
//   write <text>     one write(2) of the text to standard output. Escapes: \r \n \t \\ and \xHH
//                    (any byte, so text can be in any code page); ${DIR} is the program's folder
//                    argument. One command is one write, so a test decides where reads may split.
//   pause <ms>       sleep
//   flood <bytes>    that many bytes of filler lines to standard output
//   close            close standard output and error (the program goes on running)
//   crash            end by SIGKILL, as a crash would
//   exit <code>      end with that exit code
//   <other>          handed to the program's own handler (install, remove)
//
// The end of the script ends the program with exit code 0.
#include <functional>
#include <string>
#include <string_view>

namespace fixture {

// The scenario named by the environment variable, or `fallback` when it is not set. A scenario
// file that can't be read ends the program with exit code 97.
std::string LoadScenario(const char* variable, std::string_view fallback);

// Runs the script. `own` gets the commands the language doesn't know, with their argument; it
// returns false for a command it doesn't know either, which ends the program with exit code 98.
void RunScenario(std::string_view script, const std::string& dir,
                 const std::function<bool(std::string_view command, std::string_view argument)>& own);

// Writes the arguments, an empty entry, then the environment, each entry followed by a NUL byte,
// into the file named by the environment variable, when it is set.
void RecordInvocation(const char* variable, int argc, char** argv);

// One write(2) of all the bytes to standard output (retried when cut short).
void WriteOut(std::string_view bytes);

}  // namespace fixture
