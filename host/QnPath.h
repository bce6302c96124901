// QnPath: path text handling shared by the source reader, the built-ins and
// the POSIX side of HostSystem. Paths may use either separator; folded paths
// use '/', which both systems accept.
#pragma once

#include <string>

bool QnPathIsSeparator(char c);
// Starts at a root: "/", "\", or a drive letter and colon.
bool QnPathIsAbsolute(const std::string& path);
// Folds "." and ".." steps and turns every separator into '/'. ".." steps
// above a root are dropped; above the start of a relative path they stay.
std::string QnPathFold(const std::string& path);
// The folder part of a path, up to and including its last separator; empty
// when there is none.
std::string QnPathFolder(const std::string& path);
// The last component.
std::string QnPathLeaf(const std::string& path);
// Whether `path` is `folder` or lies inside it (both folded and absolute).
bool QnPathInside(const std::string& path, const std::string& folder, bool ignoreCase);
