#include "common/Notifier.h"

#include "common/Cp949.h"

namespace qb {

const std::string& defaultCaption() {
    static const std::string caption = ko("알림");
    return caption;
}

} // namespace qb
