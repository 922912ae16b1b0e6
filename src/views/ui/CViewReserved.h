#pragma once

#include "views/ui/CWebPageView.h"

namespace qb {

// The page of reservations, "예약조회".
class CViewReserved : public CWebPageView {
    Q_OBJECT

public:
    using CWebPageView::CWebPageView;
};

} // namespace qb
