#pragma once
// The one worker-thread wrapper of the installer. A worker is created held at a start gate, so its
// owner can finish setting up before any work runs, and is let go with Resume:
//
//   auto worker = std::make_unique<Utils::Thread>();
//   worker->Start(this, "ABDEF", [](void* self) { static_cast<Owner*>(self)->Work(); });
//   if (worker->HasHandle()) worker->Resume();
//   ...
//   worker->Join();  // the owner makes the work stop first; Join waits without a time limit
//
// Every worker logs "THREAD BEGIN" and "THREAD END" around its work, with its own thread id, so the
// log shows which lines belong to which run. A thread object is started once and joined by the
// thread that owns it.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace Utils {

// Names a thread of this process for debuggers, ps and top. The kernel keeps at most 15 bytes; the
// name is cut at a character boundary so tools never show half a UTF-8 sequence. Does nothing
// when the thread is gone.
void SetThreadName(uint32_t threadId, std::string_view name);

class Thread {
 public:
  static constexpr uint32_t kNoThread = 0xFFFFFFFF;

  Thread() = default;
  ~Thread();  // Join
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Creates the thread held at its start gate and names it (an empty name becomes "t<thread id>").
  // Returns once the new thread's id is known. If the system refuses a thread, the handle stays
  // empty and nothing else happens. A started object is joined before it is started again.
  Thread& Start(void* argument, std::string name, std::function<void(void*)> callable);

  // Lets the held thread run the callable. True when there is a thread.
  bool Resume();

  // Waits for the thread to end, then clears the handle and sets the id to kNoThread. A thread
  // that was never resumed is told to end without running its callable, so joining it can't hang.
  // Without a thread it returns at once and leaves the id as it is.
  void Join();

  bool HasHandle() const { return handle_.joinable(); }
  uint32_t Id() const { return id_; }
  const std::string& Name() const { return name_; }

 private:
  enum class Gate { kHeld, kRun, kCancel };

  // The thread's entry; its name is the tag of the BEGIN and END log lines.
  static void CallBack(Thread* self);

  uint32_t id_ = kNoThread;
  std::thread handle_;
  std::function<void(void*)> callable_;
  void* argument_ = nullptr;
  std::string name_;

  std::mutex mutex_;
  std::condition_variable changed_;
  Gate gate_ = Gate::kHeld;
  bool idKnown_ = false;
};

}  // namespace Utils
