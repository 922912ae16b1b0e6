#pragma once

#include "views/ui/WebPageView.h"

namespace qb {

// The page of send results, "결과조회".
class CViewResult : public WebPageView {
    Q_OBJECT

public:
    using WebPageView::WebPageView;
};

} // namespace qb
