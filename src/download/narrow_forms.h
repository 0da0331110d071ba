#pragma once
// The byte forms in which paths and addresses are handed to the C runtime and to libcurl.
#include <string>

// Paths go over in the ANSI code page.
std::string NarrowPath(const std::string& path);
// Addresses go over in UTF-8, except a local "file:///" address, which names a file and so
// takes the ANSI code page like any other path.
std::string NarrowUrl(const std::string& url);
