#include "analytics/track_logger.h"

namespace vemra::tracking {

bool NativeTrackLogger::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "a+e");
  return file_ != nullptr;
}

void NativeTrackLogger::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace vemra::tracking
