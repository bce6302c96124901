// Files for the tests of the file layers: each test program gets a fresh
// folder under the system's temporary folder, removed when the program ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A path in the program's folder (the file need not exist).
std::string TempPath(const std::string& name);
// Writes the bytes as the whole file; returns the path.
std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
