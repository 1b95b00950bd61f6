// Windows paths on drive C:, whose files the backend keeps.
#pragma once

#include <optional>
#include <string>

namespace win32 {

// True for a path on drive C: ("C:/..." or "C:\...", either case of the letter).
bool isDrivePath(const char *path);
// The name of the file a drive path names in the drive's root; nothing for a path that isn't
// on the drive or names a folder or a file below one, none of which exist here.
std::optional<std::string> driveFileName(const char *path);

} // namespace win32
