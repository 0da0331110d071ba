#include "support/stderr_capture.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace testsupport {

StderrCapture::StderrCapture() {
  std::fflush(stderr);
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/stderr-XXXXXX";
  file_ = mkstemp(path.data());
  if (file_ >= 0) unlink(path.c_str());
  saved_ = dup(2);
  if (file_ < 0 || saved_ < 0 || dup2(file_, 2) < 0) throw std::runtime_error("cannot capture stderr");
}

std::string StderrCapture::Finish() {
  if (saved_ < 0) return {};
  std::fflush(stderr);
  dup2(saved_, 2);
  close(saved_);
  saved_ = -1;
  std::string text;
  char chunk[4096];
  ssize_t n;
  off_t at = 0;
  while ((n = pread(file_, chunk, sizeof chunk, at)) > 0) {
    text.append(chunk, static_cast<size_t>(n));
    at += n;
  }
  close(file_);
  file_ = -1;
  return text;
}

StderrCapture::~StderrCapture() { Finish(); }

}  // namespace testsupport
