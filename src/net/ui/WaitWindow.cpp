#include "net/ui/WaitWindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace qb {

WaitWindow::WaitWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("waitWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QString::fromUtf8("로그인 시도중....."));
    auto* text = new QLabel(QString::fromUtf8("로그인 중입니다..........."), this);
    text->setObjectName("waitText");
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 22, 30, 22);
    layout->addWidget(text);
    setMinimumWidth(260);
    ensurePolished();
    adjustSize();
    setFixedSize(size());
}

void WaitWindow::centreOn(const QWidget& window) {
    QRect r = frameGeometry();
    r.moveCenter(window.frameGeometry().center());
    move(r.topLeft());
}

} // namespace qb
