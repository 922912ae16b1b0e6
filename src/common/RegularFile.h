#pragma once

#include <string>

namespace qb {

// The whole of a regular file as bytes. False for anything else, at once: a missing
// file, a folder, a FIFO (which would wait for a writer), a device such as /dev/zero
// (which never ends), or a file that cannot be read.
bool readRegularFile(const std::string& path, std::string& out);

} // namespace qb
