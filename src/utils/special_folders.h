#pragma once
// Where the installer finds and keeps things on this system. Each function reads the environment
// on every call (tests point HOME, XDG_* and APPDATA at scratch folders).
#include <string>

namespace Utils {

std::string ExecutablePath();    // the running program (/proc/self/exe); empty when unreadable
std::string ExecutableFolder();  // its folder, without a trailing '/'

std::string AppDataDir();          // $APPDATA, else the local application data folder
std::string LocalAppDataDir();     // ${XDG_DATA_HOME:-$HOME/.local/share}
std::string ProgramFilesDir();     // /opt for root, else the local application data folder
std::string CommonDocumentsDir();  // /var/lib for root, else the local application data folder
std::string UserTempDir();         // $XDG_RUNTIME_DIR, else ${TMPDIR:-/tmp}; without a trailing '/'

// Joins a folder and a name with exactly one '/'.
std::string JoinPath(const std::string& folder, const std::string& name);
std::string FileNameOf(const std::string& path);    // the part after the last '/'
std::string FolderOf(const std::string& path);      // the part before the last '/' ("" when none)
bool PathExists(const std::string& path);           // anything at all, links included
bool IsDirectory(const std::string& path);

}  // namespace Utils
