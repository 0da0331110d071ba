#include "download/narrow_forms.h"

#include "utils/text.h"

std::string NarrowPath(const std::string& path) { return Utils::ToNarrow(path, Utils::kCodePageAnsi); }

std::string NarrowUrl(const std::string& url) {
  const bool localFile = url.rfind("file:///", 0) == 0;
  return Utils::ToNarrow(url, localFile ? Utils::kCodePageAnsi : Utils::kCodePageUtf8);
}
