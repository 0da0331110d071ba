#pragma once
// One anonymous pipe whose ends close themselves. Both ends are close-on-exec: a child process
// gets an end only when it is wired to one of its standard streams on purpose, so no other child
// can keep a pipe open by accident (which would stop its reader from ever seeing the end).
namespace Utils {

class Pipe {
 public:
  // Throws Utils::Exception when the system gives no pipe.
  Pipe();
  ~Pipe();
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int ReadEnd() const { return read_; }    // -1 once closed
  int WriteEnd() const { return write_; }  // -1 once closed
  void CloseRead();
  void CloseWrite();

 private:
  int read_ = -1;
  int write_ = -1;
};

}  // namespace Utils
