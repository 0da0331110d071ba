#pragma once
// MD5 digests through OpenSSL. Md5 is incremental so a download can hash bytes as they arrive.
#include <cstddef>
#include <memory>
#include <string>

namespace Utils {

class Md5 {
 public:
  Md5();
  ~Md5();
  Md5(Md5&&) noexcept;
  Md5& operator=(Md5&&) noexcept;

  void Update(const void* data, size_t length);
  // 32 lower-case hexadecimal digits; the digest is finished and starts over afterwards.
  std::string HexDigest();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The digest of a file's bytes as 32 lower-case hexadecimal digits; empty for an empty path or a
// file that can't be opened or read.
std::string FileMd5(const std::string& path);

}  // namespace Utils
