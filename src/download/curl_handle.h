#pragma once
// Owning wrappers of libcurl's easy handles and header lists.
#include <curl/curl.h>

#include <memory>
#include <string>

struct CurlEasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// A write function for requests whose body is not wanted: every byte is accepted and dropped.
inline size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

inline constexpr long kConnectTimeoutSeconds = 60;

// The options of a HEAD request that follows redirects: the address, no body (and whatever body
// comes is dropped), a 60-second connect time-out. The OR of the option results, 0 when all took.
inline int SetHeadOptions(CURL* handle, const std::string& url) {
  int options = 0;
  options |= curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  options |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &DiscardBody);
  options |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  return options;
}
