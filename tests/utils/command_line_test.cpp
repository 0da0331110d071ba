#include "utils/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> arguments;
};

TEST(SplitCommandLineTest, FollowsTheWindowsRules) {
  const SplitCase cases[] = {
      // Blanks.
      {"", {}},
      {" \t ", {}},
      {"prog a b", {"prog", "a", "b"}},
      {"  prog\t a  \t b  ", {"prog", "a", "b"}},
      // The program: quoted up to the next quote, backslashes and quotes literal in it.
      {R"("/opt/My Apps/setup.exe" /S)", {"/opt/My Apps/setup.exe", "/S"}},
      {R"("C:\dir\" next)", {R"(C:\dir\)", "next"}},
      {R"(C:\a\"b c)", {R"(C:\a\"b)", "c"}},
      {R"("prog"tail x)", {"prog", "tail", "x"}},
      {R"("open program path)", {"open program path"}},
      // Later arguments: backslashes and quotes.
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", R"(ab"c)", R"(\)", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p \")", {"p", R"(")"}},
      {R"(p \\")", {"p", R"(\)"}},
      {R"(p a\b\\c\)", {"p", R"(a\b\\c\)"}},
      // Doubled quotes inside a quoted part, empty and unbalanced quoted parts.
      {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
      {R"(p """")", {"p", R"(")"}},
      {R"(p a""b)", {"p", "ab"}},
      {R"(p "" x "")", {"p", "", "x", ""}},
      {R"(p "open to the end)", {"p", "open to the end"}},
      // Text beyond ASCII passes through untouched.
      {"p 澜音 \"工 坊\"", {"p", "澜音", "工 坊"}},
      // The setup package's own command line.
      {R"("/opt/Apps/Product/__Package_lumetravox.exe" /S -console=show -version=1.0.0 -adminact=true )"
       R"(-instdir="/opt/Apps/My Product" /D=/opt/Apps/My Product)",
       {"/opt/Apps/Product/__Package_lumetravox.exe", "/S", "-console=show", "-version=1.0.0", "-adminact=true",
        "-instdir=/opt/Apps/My Product", "/D=/opt/Apps/My", "Product"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Utils::SplitCommandLine(c.line), c.arguments) << c.line;
}

}  // namespace
