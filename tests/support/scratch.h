#pragma once
// Files and folders of the running test. Every test process gets its own scratch root (see
// hermetic_main.cpp) with HOME, the XDG folders, APPDATA, TMPDIR and XDG_RUNTIME_DIR inside it.
#include <string>

namespace testsupport {

// The scratch root of this test process; removed when the process ends.
const std::string& ScratchRoot();

// A fresh, empty folder under the scratch root (name made unique with a counter).
std::string NewFolder(const std::string& hint = "dir");

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);  // empty when missing
bool Exists(const std::string& path);

}  // namespace testsupport
