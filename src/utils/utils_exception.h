#pragma once
// The one exception type of the Utils library. Only pipe and child-process creation throw it;
// every other Utils function reports failure through its result. Callers catch std::exception
// and turn the failure into their own status code, so the message is deliberately empty.
#include <exception>

namespace Utils {

class Exception : public std::exception {
 public:
  const char* what() const noexcept override { return ""; }
};

}  // namespace Utils
