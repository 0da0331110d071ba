#include "download/downloader.h"

#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/win_downloader.h"

std::unique_ptr<CDownloader> CreateDownloader(int32_t downloadType, DownloadCallback callback, const std::string& url,
                                              const std::string& targetPath) {
  switch (downloadType) {
    case 2:
      return std::make_unique<CWinDownloader>(std::move(callback), url, targetPath);
    case 3:
      return std::make_unique<CMTCurlDownloader>(std::move(callback), url, targetPath);
    default:
      return std::make_unique<CCurlDownloader>(std::move(callback), url, targetPath);
  }
}
