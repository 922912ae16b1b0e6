#include "import/FileBytes.h"

#include "common/RegularFile.h"

namespace qb {

bool readFileBytes(const std::string& path, std::string& out) {
    return readRegularFile(path, out);
}

} // namespace qb
