#include "analytics/collector_post.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdio>
#include <memory>

namespace qz_analytics {

namespace {

constexpr size_t kDeflateChunk = 32768;
constexpr char kUserAgent[] = "QzAnalytics CPP SDK 0.9";
constexpr long kPostTimeoutSeconds = 3;

void WriteDiagnostic(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stderr); }

struct CurlHandleDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

}  // namespace

std::optional<std::string> GzipCompress(std::string_view bytes) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    WriteDiagnostic("deflateInit2 failed while compressing.\n");
    return std::nullopt;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  std::string compressed;
  int result;
  do {
    char chunk[kDeflateChunk];
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    result = deflate(&stream, Z_FINISH);
    if (result == Z_STREAM_ERROR || result == Z_BUF_ERROR) {
      WriteDiagnostic("Exception during zlib compression: (" + std::to_string(result) + ") " +
                      (stream.msg ? stream.msg : "") + "\n");
      deflateEnd(&stream);
      return std::nullopt;
    }
    compressed.append(chunk, sizeof chunk - stream.avail_out);
  } while (result != Z_STREAM_END);
  deflateEnd(&stream);
  return compressed;
}

std::string Base64Encode(std::string_view bytes) {
  std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  encoded.resize(length);
  return encoded;
}

std::string FormUrlEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                       byte == '-' || byte == '.' || byte == '_' || byte == '~';
    if (plain) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::optional<std::string> EncodeBatchBody(std::string_view batch) {
  const auto compressed = GzipCompress(batch);
  if (!compressed) return std::nullopt;
  return "data_list=" + FormUrlEncode(Base64Encode(*compressed)) + "&gzip=1";
}

bool post(const std::string& collectorUrl, std::string_view batch) {
  const auto body = EncodeBatchBody(batch);
  if (!body) return false;

  std::string failure;
  std::string response;
  long status = 0;
  const std::unique_ptr<CURL, CurlHandleDeleter> curl(curl_easy_init());
  if (!curl) {
    failure = "Couldn't initialize curl handle";
  } else {
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, collectorUrl.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kPostTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body->c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
    const CURLcode code = curl_easy_perform(handle);
    if (code != CURLE_OK) {
      failure = curl_easy_strerror(code);
    } else {
      curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    }
  }
  if (failure.empty() && status == 200) return true;
  WriteDiagnostic("QzAnalytics SDK send failed: " + (failure.empty() ? response : failure) + "\n");
  return false;
}

}  // namespace qz_analytics
