#pragma once
// An analytics collector for tests: an HTTP (or HTTPS, with a self-signed certificate) server on
// 127.0.0.1 at a port the kernel picks. It decodes each post the way the real collector does
// (form field "data_list": URL-decoding, Base64, gunzip, JSON) and answers as the test asks.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testsupport {

class Collector {
 public:
  enum class Answer {
    kAccept,           // 200 "ok"
    kStatus,           // the status given to SetAnswer, with a short body
    kStall,            // holds the request for longer than a client waits (6 s), then 200
    kCloseConnection,  // starts a 200 answer and closes the connection in the middle of its body
    kGarbage,          // 200 with a body of binary garbage
  };

  struct Post {
    std::string path;
    std::string query;
    std::string userAgent;
    std::string contentType;
    std::string body;       // the raw request body
    bool gzipFlag = false;  // the form held "gzip=1"
    bool decoded = false;   // the data_list field decoded to a JSON array
    std::string batchText;  // the JSON text after gunzip
    nlohmann::json batch;   // the parsed array
  };

  enum class Transport { kHttp, kHttpsSelfSigned };

  // Port 0 lets the kernel choose; a given port lets a test bring a collector back where an
  // earlier one was (for "collector down, then up again").
  explicit Collector(Transport transport = Transport::kHttp, int port = 0);
  ~Collector();
  Collector(const Collector&) = delete;
  Collector& operator=(const Collector&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:<port>/sa?project=pc" (https for the self-signed variant).
  std::string Url() const;

  void SetAnswer(Answer answer, int status = 500);

  std::vector<Post> Posts() const;
  // Every record of every decoded post, in arrival order, parsed and as its exact text.
  std::vector<nlohmann::json> Records() const;
  std::vector<std::string> RecordTexts() const;
  // Waits until at least `count` records have arrived.
  bool WaitForRecords(size_t count, std::chrono::milliseconds timeout) const;

 private:
  void Handle(const std::string& path, const std::string& query, const std::string& userAgent,
              const std::string& contentType, const std::string& body, int& status, std::string& answerBody,
              bool& closeMidway);

  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  bool https_ = false;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  Answer answer_ = Answer::kAccept;
  int status_ = 500;
  std::vector<Post> posts_;
};

// Decoding steps, usable on their own.
std::string UrlDecode(const std::string& text);
std::string Base64Decode(const std::string& text);
// Empty optional-like result: `ok` false when the bytes are not a complete gzip stream.
std::string Gunzip(const std::string& bytes, bool& ok);
// Splits a JSON array text into the exact texts of its elements.
std::vector<std::string> SplitArrayText(const std::string& arrayText);

}  // namespace testsupport
