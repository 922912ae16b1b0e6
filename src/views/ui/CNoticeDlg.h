#pragma once

#include "views/ui/WebPageDialog.h"

namespace qb {

// "공지사항": the service's notices. Opened by its command and after every login.
class CNoticeDlg : public WebPageDialog {
    Q_OBJECT

public:
    explicit CNoticeDlg(QWidget* parent)
        : WebPageDialog(QString::fromUtf8("공지사항"), QSize(620, 540), parent) {}
};

} // namespace qb
