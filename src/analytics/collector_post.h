#pragma once
// How a batch of records travels to the collector: gzip, Base64, URL encoding, and one form POST.
#include <optional>
#include <string>
#include <string_view>

namespace qz_analytics {

// The gzip stream (deflate at level 9 with the gzip wrapper) of the bytes; nullopt when zlib fails
// (with a diagnostic on standard error).
std::optional<std::string> GzipCompress(std::string_view bytes);
// Standard Base64 with "=" padding.
std::string Base64Encode(std::string_view bytes);
// Letters, digits and "-._~" stay; every other byte becomes %XX with upper-case digits.
std::string FormUrlEncode(std::string_view bytes);

// The form body "data_list=<encoded batch>&gzip=1" for a batch text ("[record,record,...]").
std::optional<std::string> EncodeBatchBody(std::string_view batch);

// Posts the batch; true only when the collector answered 200. Each post is limited to three
// seconds in total. Certificates are checked as libcurl does by default: a collector whose
// certificate can't be verified is refused, and the batch stays queued for a later flush.
bool post(const std::string& collectorUrl, std::string_view batch);

}  // namespace qz_analytics
