#pragma once

#include "common/SendTypes.h"

#include <string>

namespace qb {

// What an open LMS editor or MMS window holds, as validation and the work guard read it.
struct EditorContent {
    std::string title;
    bool titleTouched = false;
    std::string body; // CR LF line breaks
    bool bodyTouched = false;
    PictureSlots pictures; // MMS only
};

} // namespace qb
