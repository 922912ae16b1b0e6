#pragma once

#include "views/ui/WebPageDialog.h"

namespace qb {

// "회원정보수정": the member's own data on the service, for the logged-in user.
class CMemberInfoDlg : public WebPageDialog {
    Q_OBJECT

public:
    explicit CMemberInfoDlg(QWidget* parent)
        : WebPageDialog(QString::fromUtf8("회원정보수정"), QSize(640, 600), parent) {}
};

} // namespace qb
