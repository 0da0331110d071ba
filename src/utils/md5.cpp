#include "utils/md5.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace Utils {

struct Md5::State {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  ~State() { EVP_MD_CTX_free(context); }
};

Md5::Md5() : state_(std::make_unique<State>()) { EVP_DigestInit_ex(state_->context, EVP_md5(), nullptr); }
Md5::~Md5() = default;
Md5::Md5(Md5&&) noexcept = default;
Md5& Md5::operator=(Md5&&) noexcept = default;

void Md5::Update(const void* data, size_t length) { EVP_DigestUpdate(state_->context, data, length); }

std::string Md5::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(state_->context, digest, &length);
  EVP_DigestInit_ex(state_->context, EVP_md5(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 0x0F];
  }
  return text;
}

std::string FileMd5(const std::string& path) {
  if (path.empty()) return {};
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  try {
    // Large reads keep the system-call count low; the digest itself is the cost that remains.
    std::vector<unsigned char> buffer(256 * 1024);
    Md5 md5;
    for (;;) {
      const ssize_t n = read(fd, buffer.data(), buffer.size());
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        close(fd);
        return {};
      }
      md5.Update(buffer.data(), static_cast<size_t>(n));
    }
    close(fd);
    return md5.HexDigest();
  } catch (...) {
    close(fd);
    return {};
  }
}

}  // namespace Utils
