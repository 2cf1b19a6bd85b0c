#pragma once
// Folders that belong to the current user alone: a real directory (not a symbolic link), owned
// by the effective user, with no rights for group or others. The viewer keeps its lock and its
// working files only in such folders and deletes files only inside them.
#include <string>

namespace korvane {

// True when `path`, looked at with lstat, is a real directory owned by the effective user with
// mode 0700 (no group or other bits).
bool IsPrivateFolder(const std::string& path);

// Makes `path` (one level; the parent must exist) with mode 0700 when absent. An existing real
// directory of the user with wider rights is narrowed to 0700. True when `path` is then a private
// folder; a symbolic link, another user's folder or a file is refused and left as it is.
bool MakePrivateFolder(const std::string& path);

// A fresh private folder "<root>/<prefix>XXXXXX" made by mkdtemp; empty when none can be made.
std::string MakeFreshPrivateFolder(const std::string& root, const std::string& prefix);

// True when `path` is absolute (the XDG rule: relative values of the XDG variables are ignored).
bool IsAbsolutePath(const char* path);

} // namespace korvane
