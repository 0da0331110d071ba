#pragma once
// How every downloader tells its owner what happens: one callback, one set of status codes.
#include <cstdint>
#include <functional>
#include <string>

// (code, value, text). Called on the downloader's worker threads; the text lives only for the call.
using DownloadCallback = std::function<void(int32_t code, double value, const std::string& text)>;

// One run sends DL_CODE_START first, any number of DL_CODE_PROGRESS, at most one DL_CODE_VERIFY,
// and ends with exactly one of DL_CODE_SUCCESS, DL_CODE_FAIL or DL_CODE_RETRY.
enum DownloadCode : int32_t {
  DL_CODE_START = 1001,     // value 1.0
  DL_CODE_PROGRESS = 1002,  // value: fraction done, above 0 and at most 1
  DL_CODE_SUCCESS = 1003,   // the file is complete at the target path
  DL_CODE_FAIL = 1004,      // failed for good; value: the failure's code
  DL_CODE_RETRY = 1005,     // failed once; the owner starts the same downloader again
  DL_CODE_VERIFY = 1006,    // notice: MD5 mismatch, or no expected MD5 in the address
};

// Status texts the owner and the reports rely on.
inline constexpr char kLibCurlText[] = "LibCurl";
inline constexpr char kSystemDownloadText[] = "URLDownloadToFile";
