#pragma once

#include "views/ui/CWebPageView.h"

namespace qb {

// The page of charging the balance, "사이버머니충전".
class CChargeMoney : public CWebPageView {
    Q_OBJECT

public:
    using CWebPageView::CWebPageView;
};

} // namespace qb
