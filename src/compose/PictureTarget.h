#pragma once

#include "common/PictureCheck.h"

#include <string>

namespace qb {

// Whoever shows the pictures: handed the decoded pixels of each picture that takes
// a slot, so what is shown is what was checked, decoded once.
class PictureTarget {
public:
    virtual ~PictureTarget() = default;
    virtual void keep(const std::string& path, PicturePixels pixels) = 0;
};

} // namespace qb
