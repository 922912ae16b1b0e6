#include "common/SendTypes.h"

#include "common/Cp949.h"

namespace qb {

const std::string& immediateReservation() {
    static const std::string text = ko("즉시전송");
    return text;
}

} // namespace qb
