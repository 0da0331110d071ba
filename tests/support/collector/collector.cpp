#include "collector/collector.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <zlib.h>

#include <stdexcept>

namespace testsupport {

namespace {

constexpr auto kStallTime = std::chrono::seconds(6);

std::string FormField(const std::string& body, const std::string& name) {
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    const std::string pair = body.substr(start, end - start);
    const size_t equals = pair.find('=');
    if (equals != std::string::npos && pair.substr(0, equals) == name) return pair.substr(equals + 1);
    start = end + 1;
  }
  return {};
}

struct KeyAndCertificate {
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
  ~KeyAndCertificate() {
    X509_free(certificate);
    EVP_PKEY_free(key);
  }
};

// A fresh self-signed certificate for 127.0.0.1, which no client trusts.
void MakeSelfSigned(KeyAndCertificate& out) {
  out.key = EVP_RSA_gen(2048);
  out.certificate = X509_new();
  if (!out.key || !out.certificate) throw std::runtime_error("can't make a test certificate");
  ASN1_INTEGER_set(X509_get_serialNumber(out.certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(out.certificate), 0);
  X509_gmtime_adj(X509_getm_notAfter(out.certificate), 3600);
  X509_set_pubkey(out.certificate, out.key);
  X509_NAME* name = X509_get_subject_name(out.certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(out.certificate, name);
  X509_sign(out.certificate, out.key, EVP_sha256());
}

}  // namespace

std::string UrlDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() + 0 && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (text[i] == '+') {
      out += ' ';
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Base64Decode(const std::string& text) {
  if (text.size() % 4 != 0) return {};
  std::string out(text.size() / 4 * 3 + 1, '\0');
  const int length =
      EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()), reinterpret_cast<const unsigned char*>(text.data()),
                      static_cast<int>(text.size()));
  if (length < 0) return {};
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') ++padding;
  if (text.size() > 1 && text[text.size() - 2] == '=') ++padding;
  out.resize(static_cast<size_t>(length) - padding);
  return out;
}

std::string Gunzip(const std::string& bytes, bool& ok) {
  ok = false;
  z_stream stream{};
  if (inflateInit2(&stream, 31) != Z_OK) return {};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  std::string out;
  int result = Z_OK;
  while (result == Z_OK) {
    char chunk[16384];
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    result = inflate(&stream, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - stream.avail_out);
    if (result == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  ok = result == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  return out;
}

std::vector<std::string> SplitArrayText(const std::string& arrayText) {
  std::vector<std::string> elements;
  if (arrayText.size() < 2 || arrayText.front() != '[' || arrayText.back() != ']') return elements;
  int depth = 0;
  bool inString = false;
  size_t start = 1;
  for (size_t i = 1; i + 1 < arrayText.size(); ++i) {
    const char c = arrayText[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
    } else if (c == ',' && depth == 0) {
      elements.push_back(arrayText.substr(start, i - start));
      start = i + 1;
    }
  }
  if (arrayText.size() > 2) elements.push_back(arrayText.substr(start, arrayText.size() - 1 - start));
  return elements;
}

Collector::Collector(Transport transport, int port) : https_(transport == Transport::kHttpsSelfSigned) {
  if (https_) {
    KeyAndCertificate credentials;
    MakeSelfSigned(credentials);
    server_ = std::make_unique<httplib::SSLServer>(credentials.certificate, credentials.key);
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  server_->Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
    int status = 200;
    std::string body;
    bool closeMidway = false;
    const size_t mark = request.target.find('?');
    const std::string query = mark == std::string::npos ? "" : request.target.substr(mark + 1);
    Handle(request.path, query, request.get_header_value("User-Agent"), request.get_header_value("Content-Type"),
           request.body, status, body, closeMidway);
    response.status = status;
    if (closeMidway) {
      response.set_content_provider(1000, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; });
    } else {
      response.set_content(body, "text/plain");
    }
  });
  if (port == 0) {
    port_ = server_->bind_to_any_port("127.0.0.1");
  } else {
    port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
  }
  if (port_ <= 0) throw std::runtime_error("collector can't bind");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

Collector::~Collector() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  server_->stop();
  thread_.join();
}

std::string Collector::Url() const {
  return std::string(https_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + "/sa?project=pc";
}

void Collector::SetAnswer(Answer answer, int status) {
  std::lock_guard<std::mutex> lock(mutex_);
  answer_ = answer;
  status_ = status;
}

void Collector::Handle(const std::string& path, const std::string& query, const std::string& userAgent,
                       const std::string& contentType, const std::string& body, int& status, std::string& answerBody,
                       bool& closeMidway) {
  Post post;
  post.path = path;
  post.query = query;
  post.userAgent = userAgent;
  post.contentType = contentType;
  post.body = body;
  post.gzipFlag = FormField(body, "gzip") == "1";
  bool unzipped = false;
  post.batchText = Gunzip(Base64Decode(UrlDecode(FormField(body, "data_list"))), unzipped);
  if (unzipped) {
    post.batch = nlohmann::json::parse(post.batchText, nullptr, false);
    post.decoded = post.batch.is_array();
  }

  std::unique_lock<std::mutex> lock(mutex_);
  const Answer answer = answer_;
  if (answer == Answer::kStall) {
    changed_.wait_for(lock, kStallTime, [this] { return stopping_; });
  }
  posts_.push_back(std::move(post));
  changed_.notify_all();
  switch (answer) {
    case Answer::kAccept:
    case Answer::kStall:
      status = 200;
      answerBody = "ok";
      break;
    case Answer::kStatus:
      status = status_;
      answerBody = "collector refused the batch";
      break;
    case Answer::kCloseConnection:
      status = 200;
      closeMidway = true;
      break;
    case Answer::kGarbage:
      status = 200;
      answerBody = std::string("\x00\xff\xfe<<garbage>>\x1b[2J", 17);
      break;
  }
}

std::vector<Collector::Post> Collector::Posts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return posts_;
}

std::vector<nlohmann::json> Collector::Records() const {
  std::vector<nlohmann::json> records;
  for (const Post& post : Posts())
    if (post.decoded)
      for (const auto& record : post.batch) records.push_back(record);
  return records;
}

std::vector<std::string> Collector::RecordTexts() const {
  std::vector<std::string> texts;
  for (const Post& post : Posts())
    if (post.decoded)
      for (auto& text : SplitArrayText(post.batchText)) texts.push_back(std::move(text));
  return texts;
}

bool Collector::WaitForRecords(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    size_t have = 0;
    for (const Post& post : posts_)
      if (post.decoded) have += post.batch.size();
    return have >= count;
  });
}

}  // namespace testsupport
