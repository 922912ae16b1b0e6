#pragma once

#include "views/ui/CWebPageView.h"

namespace qb {

// The page of send results, "결과조회".
class CViewResult : public CWebPageView {
    Q_OBJECT

public:
    using CWebPageView::CWebPageView;
};

} // namespace qb
