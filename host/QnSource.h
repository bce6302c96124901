// QnSource: where the compiler finds source files. A script comes from disk
// (qnrun) or from a set of in-memory files (the tests and the fuzzer); either
// way an #include names a file relative to the folder of the including file.
#pragma once

#include <map>
#include <string>

struct QnSourceReader {
  // In-memory files by path; null reads from disk.
  const std::map<std::string, std::string>* memory = nullptr;
};

// The path of `name` included from the file at `includer` (empty for the main
// script): `name` itself when it is absolute, else joined to the includer's
// folder. Either separator is accepted; "." and ".." steps are folded.
std::string QnSourceResolve(const std::string& includer, const std::string& name);
// The whole text of a file; false when it cannot be read.
bool QnSourceRead(const QnSourceReader& reader, const std::string& path, std::string* text);
// The name under which the debugger will look for the file: the full path for
// a file on disk, the path itself for an in-memory file.
std::string QnSourceFullPath(const QnSourceReader& reader, const std::string& path);
