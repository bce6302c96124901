// Path texts: the backslash separates folders, and a path may begin with a
// drive (a letter and a colon). The window caption and the breakpoint labels
// show only a path's last component.
#pragma once

#include <cstddef>

// The text after the last backslash or colon of `path` into `out` (at most
// `size` bytes with the terminator): the whole path when it has neither, the
// empty text when the path is empty or ends with a separator.
void PathFileName(const char* path, char* out, size_t size);

// Appends a backslash unless the path already ends with one (the empty path
// becomes a single backslash); `size` is the size of the buffer. Nonzero when
// the path ends with a backslash afterwards.
int PathAddBackslash(char* path, size_t size);
