#include "utils/number_parsing.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <optional>
#include <utility>

namespace {

TEST(NumberParsingTest, LongestValidLeadingPart) {
  const std::pair<const char*, std::optional<double>> doubles[] = {
      {"0.5x", 0.5}, {"  -1.25e1z", -12.5}, {".5", 0.5}, {"5.", 5.0}, {"1e", 1.0},   {"1e+", 1.0},
      {"+2", 2.0},   {"abc", std::nullopt}, {"", std::nullopt}, {".", std::nullopt}, {"inf", std::nullopt},
      {"nan", std::nullopt}, {"0x10", 0.0}, {"1e-999", 0.0}, {"1e999", DBL_MAX}, {"-1e999", -DBL_MAX},
  };
  for (const auto& [text, value] : doubles) EXPECT_EQ(Utils::ParseLeadingDouble(text), value) << text;

  const std::pair<const char*, std::optional<int32_t>> ints[] = {
      {"3", 3}, {" -7x", -7}, {"+4", 4}, {"1e999", 1}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
      {"x", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt}, {"2147483647", INT32_MAX},
  };
  for (const auto& [text, value] : ints) EXPECT_EQ(Utils::ParseLeadingInt(text), value) << text;
}

}  // namespace
