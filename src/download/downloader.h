#pragma once
// The one interface of the three downloaders, so the orchestrator drives them alike.
#include <cstdint>
#include <memory>
#include <string>

#include "download/download_status.h"

class CDownloader {
 public:
  virtual ~CDownloader() = default;
  // Begins a download run on a worker; a later call begins another run with the same object.
  virtual void Start() = 0;
};

// The downloader a download type selects: 2 the system-style downloader, 3 the multi-part one,
// anything else the single-stream one.
std::unique_ptr<CDownloader> CreateDownloader(int32_t downloadType, DownloadCallback callback, const std::string& url,
                                              const std::string& targetPath);
