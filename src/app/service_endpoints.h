#pragma once
// Addresses of the maker's services that are built into the installer. A settings file or the
// -downloadurl switch replaces the download address (see README).

// The download-link service entry for this product's setup package. Plain HTTP on purpose: the
// package's integrity comes from the MD5 segment of the address the service redirects to.
constexpr char kDefaultDownloadUrl[] = "http://dl.vemrasoft.com/software/226";
