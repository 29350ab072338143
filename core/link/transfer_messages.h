#pragma once
// What the map file box says while a transfer holds the link, instead of the
// map file's name.

namespace orv {

inline constexpr const char* kUploading = "Uploading - Please Wait!!";
inline constexpr const char* kDownloading = "Downloading - Please Wait!!";

}  // namespace orv
