#pragma once
// The installer's private working folder, and creating a folder path.
#include <cstddef>
#include <string>

namespace Utils {

// The working folder's own name, under the user's temporary folder.
constexpr const char kTempWorkDirName[] = "~VemraTemp.92482B06FB471E17";

// Paths longer than this many characters (code points) are refused.
constexpr size_t kMaxPathCharacters = 259;

// UserTempDir() + "/~VemraTemp.92482B06FB471E17/", ending in '/'. Creates the last level with
// mode 0700 when it is missing. Empty when the folder can't be created or isn't safe to run
// programs from: it must be a real folder (not a link), owned by us, closed to group and others.
std::string GetTempWorkDir();

// Creates every missing folder along `path` (mode 0755 before the umask). True when all of them
// exist afterwards; false for an empty path, one over kMaxPathCharacters, or when a part of the
// path is not a folder or can't be created.
bool CreateDirectories(const std::string& path);

}  // namespace Utils
