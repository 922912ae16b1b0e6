#pragma once

#include <string>

namespace qb {

// The whole file as bytes; false when it cannot be opened or read (a folder, no rights).
bool readFileBytes(const std::string& path, std::string& out);

} // namespace qb
