#include "link_service/link_service.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "utils/md5.h"

namespace testsupport {

namespace {

constexpr size_t kChunkBytes = 64 * 1024;
constexpr auto kThrottleTick = std::chrono::milliseconds(50);

int64_t SizeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// N of "bytes=N-..." (0 without a range).
int64_t RangeStart(const std::string& header) {
  if (header.rfind("bytes=", 0) != 0) return 0;
  return std::atoll(header.c_str() + 6);
}

// "bytes=N-" or "bytes=N-M" -> [first, last] within a file of `total` bytes.
bool ParseRange(const std::string& header, int64_t total, int64_t& first, int64_t& last) {
  if (header.rfind("bytes=", 0) != 0) return false;
  const std::string spec = header.substr(6);
  const size_t dash = spec.find('-');
  if (dash == std::string::npos || dash == 0) return false;
  first = std::stoll(spec.substr(0, dash));
  last = dash + 1 < spec.size() ? std::stoll(spec.substr(dash + 1)) : total - 1;
  last = std::min(last, total - 1);
  return first <= last;
}

}  // namespace

LinkService::LinkService() : server_(std::make_unique<httplib::Server>()) {
  server_->Get("/software/226",
               [this](const httplib::Request& request, httplib::Response& response) { HandleLink(request, response); });
  server_->Get(R"(/.+)", [this](const httplib::Request& request, httplib::Response& response) {
    HandlePackage(request, response);
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("link service can't bind");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LinkService::~LinkService() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  server_->stop();
  thread_.join();
}

void LinkService::ServeFile(const std::string& path, const std::string& name) {
  const std::string md5 = Utils::FileMd5(path);
  std::lock_guard lock(mutex_);
  filePath_ = path;
  name_ = name;
  md5_ = md5;
}

void LinkService::SetFaults(const Faults& faults) {
  std::lock_guard lock(mutex_);
  faults_ = faults;
  packageGets_ = 0;
}

void LinkService::ReleaseStalls() {
  {
    std::lock_guard lock(mutex_);
    stallsReleased_ = true;
  }
  changed_.notify_all();
}

void LinkService::DropActiveTransfers() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

std::string LinkService::Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }
std::string LinkService::Url() const { return Origin() + "/software/226"; }
std::string LinkService::PackageUrl() const { return Origin() + PackagePath(); }

std::string LinkService::FileMd5() const {
  std::lock_guard lock(mutex_);
  return md5_;
}

std::string LinkService::PackagePath() const {
  std::lock_guard lock(mutex_);
  switch (faults_.md5) {
    case Md5Segment::kCorrect:
      return "/" + md5_ + "/" + name_;
    case Md5Segment::kUpperCase: {
      std::string upper = md5_;
      std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
      return "/" + upper + "/" + name_;
    }
    case Md5Segment::kWrong:
      return std::string("/") +
             (md5_ == "0123456789abcdef0123456789abcdef" ? "fedcba9876543210fedcba9876543210"
                                                         : "0123456789abcdef0123456789abcdef") +
             "/" + name_;
    case Md5Segment::kMissing:
      break;
  }
  return "/packages/" + name_;
}

std::vector<LinkService::Request> LinkService::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

int LinkService::CountRequests(const std::string& method) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(requests_.begin(), requests_.end(),
                                        [&](const Request& request) { return request.method == method; }));
}

bool LinkService::WaitForBytesSent(int64_t bytes, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return bytesSent_ >= bytes; });
}

bool LinkService::WaitForStall(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return stalled_ > 0; });
}

void LinkService::HandleLink(const httplib::Request& request, httplib::Response& response) {
  {
    std::lock_guard lock(mutex_);
    requests_.push_back({request.method, request.target, request.get_header_value("Range")});
  }
  response.set_redirect(PackagePath(), 302);
}

void LinkService::HandlePackage(const httplib::Request& request, httplib::Response& response) {
  const bool head = request.method == "HEAD";
  Faults faults;
  std::string path;
  bool faulty = false;
  int generation = 0;
  {
    std::lock_guard lock(mutex_);
    generation = generation_;
    requests_.push_back({request.method, request.target, request.get_header_value("Range")});
    faults = faults_;
    path = filePath_;
    if (!head && RangeStart(request.get_header_value("Range")) >= faults.faultyFromOffset) {
      faulty = faults.faultyGets < 0 || ++packageGets_ <= faults.faultyGets;
    }
  }
  // The answer is built here alone: httplib must not cut ranges out of it on its own.
  const_cast<httplib::Request&>(request).ranges.clear();

  const int64_t total = SizeOf(path);
  if (total < 0) {
    response.status = 404;
    return;
  }
  if (head) {
    if (faults.headStatus != 200) {
      response.status = faults.headStatus;
    } else if (!faults.headStatesLength) {
      response.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
        sink.done();
        return true;
      });
    } else {
      response.set_content_provider(static_cast<size_t>(total), "application/octet-stream",
                                    [](size_t, size_t, httplib::DataSink&) { return true; });
    }
    return;
  }
  if (faulty && faults.getStatus != 200) {
    response.status = faults.getStatus;
    response.set_content("failed on purpose", "text/plain");
    return;
  }

  int64_t first = 0;
  int64_t last = total - 1;
  const std::string range = request.get_header_value("Range");
  if (faults.honourRanges && !range.empty()) {
    if (!ParseRange(range, total, first, last)) {
      response.status = 416;
      response.set_header("Content-Range", "bytes */" + std::to_string(total));
      return;
    }
    response.status = 206;
    response.set_header("Content-Range",
                        "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(total));
  } else {
    response.status = 200;
  }
  Transfer transfer;
  transfer.path = path;
  transfer.first = first;
  transfer.dropAfter = faulty ? faults.dropAfterBytes : -1;
  transfer.stallAfter = faulty ? faults.stallAfterBytes : -1;
  transfer.rate = faults.bytesPerSecond;
  transfer.generation = generation;
  response.set_content_provider(static_cast<size_t>(last - first + 1), "application/octet-stream",
                                [this, transfer](size_t offset, size_t length, httplib::DataSink& sink) {
                                  return SendNext(transfer, static_cast<int64_t>(offset), length, sink);
                                });
}

bool LinkService::SendNext(const Transfer& transfer, int64_t sent, size_t length, httplib::DataSink& sink) {
  const auto dropped = [&] { return stopping_ || generation_ != transfer.generation; };
  {
    std::lock_guard lock(mutex_);
    if (dropped()) return false;
  }
  if (transfer.dropAfter >= 0 && sent >= transfer.dropAfter) return false;
  if (transfer.stallAfter >= 0 && sent >= transfer.stallAfter) {
    std::unique_lock lock(mutex_);
    ++stalled_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return dropped() || stallsReleased_; });
    --stalled_;
    if (dropped()) return false;
  }
  // A slow line sends one tick's worth of bytes per tick.
  int64_t chunk = std::min<int64_t>(
      static_cast<int64_t>(length),
      transfer.rate > 0 ? std::max<int64_t>(1, transfer.rate * kThrottleTick.count() / 1000) : kChunkBytes);
  if (transfer.dropAfter >= 0) chunk = std::min(chunk, transfer.dropAfter - sent);
  if (transfer.stallAfter >= 0 && sent < transfer.stallAfter) chunk = std::min(chunk, transfer.stallAfter - sent);
  if (transfer.rate > 0) {
    std::unique_lock lock(mutex_);
    if (changed_.wait_for(lock, kThrottleTick, dropped)) return false;
  }
  std::vector<char> buffer(static_cast<size_t>(chunk));
  const int fd = open(transfer.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const ssize_t got = pread(fd, buffer.data(), buffer.size(), transfer.first + sent);
  close(fd);
  if (got <= 0 || !sink.write(buffer.data(), static_cast<size_t>(got))) return false;
  {
    std::lock_guard lock(mutex_);
    bytesSent_ += got;
  }
  changed_.notify_all();
  return true;
}

}  // namespace testsupport
