#pragma once
// Captures what this process writes to standard error (file descriptor 2) while the object lives.
#include <string>

namespace testsupport {

class StderrCapture {
 public:
  StderrCapture();
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Everything written so far; ends the capture.
  std::string Finish();

 private:
  int saved_ = -1;
  int file_ = -1;
};

}  // namespace testsupport
