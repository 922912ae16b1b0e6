#pragma once

#include "views/ui/WebPageView.h"

namespace qb {

// The page of reservations, "예약조회".
class CViewReserved : public WebPageView {
    Q_OBJECT

public:
    using WebPageView::WebPageView;
};

} // namespace qb
