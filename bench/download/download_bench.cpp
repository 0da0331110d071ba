// Runs one downloader to completion and says how it ended, for the comparison in run.sh:
//   download_bench curl|mt|win <link> <target>   exit 0 after 1003, 1 otherwise
//   download_bench md5 <file>                     prints the file's MD5
#include <curl/curl.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/win_downloader.h"
#include "utils/md5.h"

namespace {

int Download(int type, const std::string& url, const std::string& target) {
  std::mutex mutex;
  std::condition_variable ended;
  int32_t last = 0;
  double value = 0.0;
  auto callback = [&](int32_t code, double v, const std::string&) {
    if (code != DL_CODE_SUCCESS && code != DL_CODE_FAIL && code != DL_CODE_RETRY) return;
    std::lock_guard lock(mutex);
    last = code;
    value = v;
    ended.notify_all();
  };
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<CDownloader> downloader = CreateDownloader(type, callback, url, target);
  downloader->Start();
  {
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] { return last != 0; });
  }
  downloader.reset();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  fprintf(stdout, "status %d value %.0f seconds %.3f\n", last, value, seconds);
  return last == DL_CODE_SUCCESS ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "md5") == 0) {
    const std::string digest = Utils::FileMd5(argv[2]);
    printf("%s\n", digest.c_str());
    return digest.empty() ? 1 : 0;
  }
  if (argc != 4) {
    fprintf(stderr, "usage: download_bench curl|mt|win <link> <target> | download_bench md5 <file>\n");
    return 2;
  }
  const std::string kind = argv[1];
  const int type = kind == "win" ? 2 : kind == "mt" ? 3 : 1;
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const int result = Download(type, argv[2], argv[3]);
  curl_global_cleanup();
  return result;
}
