#pragma once
// Keeps a second installer of the same user from running at the same time. The lock is an
// exclusive flock on "<user temp folder>/D1A547DB89C0BC61_<name>.lock"; the kernel drops it when
// the holder ends in any way, a crash included, so a dead installer never blocks the next one.
//
//   Utils::SingleInstanceMutex instance("Installer_lumetravox");
//   instance.Acquire();
//   if (!instance.IsHeld()) return -1;  // another installer runs (or the lock can't be had)
#include <string>
#include <utility>

namespace Utils {

class SingleInstanceMutex {
 public:
  explicit SingleInstanceMutex(std::string name) : name_(std::move(name)) {}
  ~SingleInstanceMutex() { Release(); }
  SingleInstanceMutex(const SingleInstanceMutex&) = delete;
  SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;

  // Takes the lock without waiting. Does nothing when it is already held. When another process
  // holds it, or the lock file can't be opened, the handle stays empty.
  void Acquire();
  bool IsHeld() const { return handle_ >= 0; }
  int Handle() const { return handle_; }  // -1 when not held
  // Gives the lock up. The file stays: removing it could let two processes lock different files.
  void Release();

  // The lock file's path for this name.
  std::string LockPath() const;

 private:
  std::string name_;
  int handle_ = -1;
};

}  // namespace Utils
