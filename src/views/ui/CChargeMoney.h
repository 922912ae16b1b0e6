#pragma once

#include "views/ui/WebPageView.h"

namespace qb {

// The page of charging the balance, "사이버머니충전".
class CChargeMoney : public WebPageView {
    Q_OBJECT

public:
    using WebPageView::WebPageView;
};

} // namespace qb
