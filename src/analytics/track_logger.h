#pragma once
// The tracker's track log: a file opened for reading and appending at start-up. Event logging is
// off in this program, so nothing is ever written to it; it is kept open so that the tracker
// holds the same files it always has.
#include <cstdio>
#include <string>

namespace vemra::tracking {

class TrackLogger {
 public:
  virtual ~TrackLogger() = default;
  virtual bool Open(const std::string& path) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

class NativeTrackLogger : public TrackLogger {
 public:
  ~NativeTrackLogger() override { Close(); }
  // Creates the file empty when it is missing; false when it can't be opened.
  bool Open(const std::string& path) override;
  void Close() override;
  bool IsOpen() const override { return file_ != nullptr; }

 private:
  FILE* file_ = nullptr;
};

}  // namespace vemra::tracking
