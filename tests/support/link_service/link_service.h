#pragma once
// A download-link service and package server for tests: HTTP on 127.0.0.1 at a port the kernel
// picks. "/software/226" redirects (302) to the package's final address "/<md5>/<name>", and the
// package is served there with HEAD, GET, resume ("Range: bytes=N-") and byte ranges ("N-M").
// Switches inject the faults a downloader must survive: a wrong, upper-case or missing MD5
// segment, HEAD without a length or with an error status, GET errors, a server that ignores
// ranges, connections dropped after some bytes, stalls and a slow line.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
class DataSink;
}  // namespace httplib

namespace testsupport {

class LinkService {
 public:
  enum class Md5Segment {
    kCorrect,    // lower-case MD5 of the served file
    kUpperCase,  // the same digits in upper case
    kWrong,      // 32 hexadecimal digits of another file
    kMissing,    // no MD5 segment: "/packages/<name>"
  };

  struct Faults {
    Md5Segment md5 = Md5Segment::kCorrect;
    bool headStatesLength = true;  // false: HEAD answers chunked, without Content-Length
    int headStatus = 200;          // e.g. 404: HEAD of the package fails (GET still works)
    int getStatus = 200;           // e.g. 500: the package GETs fail
    bool honourRanges = true;      // false: every GET answers 200 with the whole file
    int64_t dropAfterBytes = -1;   // close the connection after this many body bytes of a GET
    int64_t stallAfterBytes = -1;  // send this many body bytes of a GET, then hold it until released
    int64_t bytesPerSecond = 0;    // 0: as fast as possible
    // The GET faults above (status, drop, stall) hit only the first this many package GETs;
    // -1: all of them.
    int faultyGets = -1;
    // ...and only GETs whose range begins at this offset or later (0: every GET).
    int64_t faultyFromOffset = 0;
  };

  struct Request {
    std::string method;  // "GET" or "HEAD"
    std::string target;  // as sent, before any decoding
    std::string range;   // the Range header, empty when none
  };

  LinkService();
  ~LinkService();
  LinkService(const LinkService&) = delete;
  LinkService& operator=(const LinkService&) = delete;

  // Serves the file at `path` (read at every request) as the package `name`.
  void ServeFile(const std::string& path, const std::string& name);
  void SetFaults(const Faults& faults);
  // Lets every stalled response go on.
  void ReleaseStalls();
  // Closes the connections of every package GET in progress (later GETs are not affected).
  void DropActiveTransfers();

  int Port() const { return port_; }
  std::string Origin() const;      // "http://127.0.0.1:<port>"
  std::string Url() const;         // the link: Origin() + "/software/226"
  std::string PackageUrl() const;  // the final address the link redirects to
  std::string FileMd5() const;     // lower-case MD5 of the served file

  std::vector<Request> Requests() const;
  int CountRequests(const std::string& method) const;
  // Waits until a package GET has sent at least this many body bytes in total.
  bool WaitForBytesSent(int64_t bytes, std::chrono::milliseconds timeout) const;
  bool WaitForStall(std::chrono::milliseconds timeout) const;

 private:
  void HandleLink(const httplib::Request& request, httplib::Response& response);
  void HandlePackage(const httplib::Request& request, httplib::Response& response);
  // What one package GET sends, fixed when it begins.
  struct Transfer {
    std::string path;
    int64_t first = 0;  // the file offset of the answer's first byte
    int64_t dropAfter = -1;
    int64_t stallAfter = -1;
    int64_t rate = 0;
    int generation = 0;
  };
  // Sends the next block of an answer, `sent` bytes into it; false ends the answer by closing the
  // connection.
  bool SendNext(const Transfer& transfer, int64_t sent, size_t length, httplib::DataSink& sink);
  std::string PackagePath() const;

  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  bool stallsReleased_ = false;
  int stalled_ = 0;
  std::string filePath_;
  std::string name_;
  std::string md5_;
  Faults faults_;
  int packageGets_ = 0;
  int64_t bytesSent_ = 0;
  int generation_ = 0;
  std::vector<Request> requests_;
};

}  // namespace testsupport
