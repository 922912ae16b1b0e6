#pragma once

#include <string>

namespace qb {

// The whole file as bytes; false when it cannot be opened or read, or is no regular
// file (a folder, a FIFO, a device: see readRegularFile).
bool readFileBytes(const std::string& path, std::string& out);

} // namespace qb
