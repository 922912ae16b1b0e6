#include "frame/ui/BannerLabel.h"

#include <QMouseEvent>

namespace qb {

BannerLabel::BannerLabel(QWidget* parent) : QLabel(parent) {
    setObjectName("banner");
    setPixmap(QPixmap(":/images/banner.png"));
    setFixedSize(173, 55);
    setCursor(Qt::PointingHandCursor);
    // The words drawn on the picture.
    setAccessibleName(QString::fromUtf8("홈페이지 바로가기"));
}

void BannerLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        event->accept();
        emit pressed();
        return;
    }
    QLabel::mousePressEvent(event);
}

} // namespace qb
