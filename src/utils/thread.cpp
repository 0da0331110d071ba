#include "utils/thread.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "utils/log.h"
#include "utils/utf8.h"

namespace Utils {

namespace {

// The kernel keeps 15 bytes of a thread name (16 with the terminator).
constexpr size_t kThreadNameBytes = 15;

std::string CutToThreadName(std::string_view name) {
  size_t end = 0;
  while (end < name.size()) {
    const size_t next = end + std::max<size_t>(1, utf8::SequenceLength(name, end));
    if (next > kThreadNameBytes) break;
    end = next;
  }
  return std::string(name.substr(0, end));
}

}  // namespace

void SetThreadName(uint32_t threadId, std::string_view name) {
  const std::string cut = CutToThreadName(name);
  if (threadId == static_cast<uint32_t>(gettid())) {
    prctl(PR_SET_NAME, cut.c_str(), 0, 0, 0);
    return;
  }
  // Another thread of ours: the kernel takes its name through its comm file (which is what
  // pthread_setname_np does too, but we know the thread by its kernel id, not its pthread_t).
  const std::string path = "/proc/self/task/" + std::to_string(threadId) + "/comm";
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written = write(fd, cut.data(), cut.size());
  close(fd);
}

Thread::~Thread() { Join(); }

Thread& Thread::Start(void* argument, std::string name, std::function<void(void*)> callable) {
  Join();
  callable_ = std::move(callable);
  argument_ = argument;
  name_ = std::move(name);
  {
    std::lock_guard lock(mutex_);
    gate_ = Gate::kHeld;
    idKnown_ = false;
  }

  try {
    handle_ = std::thread(&Thread::CallBack, this);
  } catch (const std::system_error&) {
    return *this;  // no thread: the owner sees an empty handle and treats the worker as never started
  }

  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return idKnown_; });
  }
  SetThreadName(id_, name_.empty() ? std::string("t").append(std::to_string(id_)) : name_);
  return *this;
}

bool Thread::Resume() {
  if (!HasHandle()) return false;
  {
    std::lock_guard lock(mutex_);
    if (gate_ == Gate::kHeld) gate_ = Gate::kRun;
  }
  changed_.notify_all();
  return true;
}

void Thread::Join() {
  if (!HasHandle()) return;
  {
    std::lock_guard lock(mutex_);
    if (gate_ == Gate::kHeld) gate_ = Gate::kCancel;
  }
  changed_.notify_all();
  handle_.join();
  id_ = kNoThread;
}

void Thread::CallBack(Thread* self) {
  {
    std::unique_lock lock(self->mutex_);
    self->id_ = static_cast<uint32_t>(gettid());
    self->idKnown_ = true;
    self->changed_.notify_all();
    self->changed_.wait(lock, [self] { return self->gate_ != Gate::kHeld; });
    if (self->gate_ == Gate::kCancel) return;
  }
  Utils::LogText("THREAD BEGIN");
  self->callable_(self->argument_);
  Utils::LogText("THREAD END");
}

}  // namespace Utils
