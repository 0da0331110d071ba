#pragma once
// Turns the compiler's pretty function name into the tag of a log line, at compile time:
//   "static void Utils::Thread::CallBack(Utils::Thread*)"            -> "Utils::Thread::CallBack"
//   "CDownloadInstaller::Start(int)::<lambda(int, double)>"          -> "CDownloadInstaller::Start::<lambda>"
//   "std::array<int, 2> Ns::F(T) const [with T = int]"               -> "Ns::F"
// Return type, parameter lists, cv/ref qualifiers and template bindings are dropped; code inside a
// lambda keeps the qualified name of the function around it as its prefix.
#include <array>
#include <cstddef>
#include <string_view>

namespace Utils::detail {

template <std::size_t N>
struct LogTag {
  std::array<char, N> text{};
  constexpr const char* c_str() const { return text.data(); }
};

constexpr bool IsTrailingQualifier(std::string_view word) {
  return word == "const" || word == "volatile" || word == "&" || word == "&&" || word == "noexcept";
}

template <std::size_t N>
constexpr LogTag<N> MakeLogTag(std::string_view pretty) {
  // Drop " [with T = ...]", which GCC appends to names of template instances.
  if (const auto with = pretty.find(" [with "); with != std::string_view::npos) pretty = pretty.substr(0, with);

  // Drop every parenthesised group, nested ones included ("<lambda(int)>" becomes "<lambda>").
  std::array<char, N> bare{};
  std::size_t length = 0;
  int parens = 0;
  for (const char c : pretty) {
    if (c == '(') ++parens;
    if (parens == 0 && length + 1 < N) bare[length++] = c;
    if (c == ')' && parens > 0) --parens;
  }

  // Split at blanks outside angle brackets; the name is the last word that isn't a qualifier.
  std::string_view words(bare.data(), length);
  std::string_view name = words;
  std::size_t start = 0;
  int angles = 0;
  for (std::size_t i = 0; i <= words.size(); ++i) {
    const char c = i < words.size() ? words[i] : ' ';
    if (c == '<') ++angles;
    if (c == '>' && angles > 0) --angles;
    if (c == ' ' && angles == 0) {
      const std::string_view word = words.substr(start, i - start);
      if (!word.empty() && !IsTrailingQualifier(word)) name = word;
      start = i + 1;
    }
  }

  LogTag<N> tag{};
  for (std::size_t i = 0; i < name.size() && i + 1 < N; ++i) tag.text[i] = name[i];
  return tag;
}

}  // namespace Utils::detail

// The tag of the function this macro appears in, as a string with static storage.
#define UTILS_LOG_TAG                                                                            \
  (__extension__({                                                                               \
    static constexpr auto utils_log_tag_ =                                                       \
        ::Utils::detail::MakeLogTag<sizeof(__PRETTY_FUNCTION__)>(__PRETTY_FUNCTION__);           \
    utils_log_tag_.c_str();                                                                      \
  }))
