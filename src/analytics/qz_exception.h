#pragma once
// The one error type of the tracker. Every failed check raises it with a fixed message and the
// name of the operation that raised it; the wrapper catches it, so callers never see it.
#include <exception>
#include <string>

namespace vemra::tracking {

class QzException : public std::exception {
 public:
  QzException(std::string message, std::string function, std::string file, int line)
      : message_(std::move(message)), function_(std::move(function)), file_(std::move(file)), line_(line) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& function() const { return function_; }
  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  std::string message_;
  std::string function_;
  std::string file_;
  int line_;
};

}  // namespace vemra::tracking

#define QZ_RAISE(function, message) throw ::vemra::tracking::QzException((message), (function), __FILE__, __LINE__)
