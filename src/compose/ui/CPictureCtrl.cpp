#include "compose/ui/CPictureCtrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace qb {

CPictureCtrl::CPictureCtrl(Fit fit, QWidget* parent) : QWidget(parent), m_fit(fit) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (m_fit == Fit::Thumbnail)
        setFixedSize(mmslayout::kSlot.width, mmslayout::kSlot.height);
}

void CPictureCtrl::setImage(const QImage& image) {
    m_image = image;
    m_unavailable = false;
    setToolTip(QString());
    if (m_fit == Fit::Original)
        setFixedSize(m_image.isNull() ? QSize(0, 0) : m_image.size());
    update();
}

void CPictureCtrl::setUnavailable(bool unavailable) {
    setImage(QImage());
    m_unavailable = unavailable;
    if (unavailable)
        setToolTip(unavailableText());
}

QString CPictureCtrl::unavailableText() {
    return QString::fromUtf8("그림을 불러올 수 없습니다.");
}

mmslayout::Size CPictureCtrl::drawnSize() const {
    if (m_image.isNull())
        return {};
    if (m_fit == Fit::Original)
        return {m_image.width(), m_image.height()};
    return mmslayout::fitThumbnail(m_image.width(), m_image.height());
}

QSize CPictureCtrl::sizeHint() const {
    if (m_fit == Fit::Thumbnail)
        return {mmslayout::kSlot.width, mmslayout::kSlot.height};
    return m_image.size();
}

void CPictureCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (m_fit == Fit::Thumbnail) { // the slot's border, under whatever picture it holds
        p.setPen(QColor(200, 210, 224));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
    if (m_image.isNull()) {
        if (m_fit == Fit::Thumbnail)
            paintEmptySlot(p);
        if (m_unavailable)
            paintUnavailable(p);
        return;
    }
    const mmslayout::Size s = drawnSize();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(0, 0, s.width, s.height), m_image);
}

void CPictureCtrl::paintEmptySlot(QPainter& p) const {
    // A framed landscape in the slot's middle: "a picture goes here".
    const QRectF frame(width() / 2.0 - 32, height() / 2.0 - 24, 64, 48);
    const QColor line(176, 192, 214), fill(228, 235, 245);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(line, 2));
    p.setBrush(fill);
    p.drawRoundedRect(frame, 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    p.drawEllipse(QPointF(frame.right() - 16, frame.top() + 14), 6, 6);
    QPainterPath hills;
    hills.moveTo(frame.left() + 6, frame.bottom() - 6);
    hills.lineTo(frame.left() + 24, frame.top() + 20);
    hills.lineTo(frame.left() + 36, frame.bottom() - 18);
    hills.lineTo(frame.left() + 44, frame.bottom() - 26);
    hills.lineTo(frame.right() - 6, frame.bottom() - 6);
    hills.closeSubpath();
    p.drawPath(hills);
}

void CPictureCtrl::paintUnavailable(QPainter& p) const {
    const QRectF frame(width() / 2.0 - 32, height() / 2.0 - 24, 64, 48);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 60, 60), 3));
    p.drawLine(frame.bottomLeft(), frame.topRight());
    p.setPen(QColor(160, 40, 40));
    p.drawText(QRectF(0, frame.bottom() + 6, width(), 24), Qt::AlignHCenter | Qt::AlignTop,
               unavailableText());
}

void CPictureCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Menu:
    case Qt::Key_Space:
        if (focusPolicy() != Qt::NoFocus) {
            emit doubleClicked(mapToGlobal(QPoint(width() / 4, height() / 4)));
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void CPictureCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event->globalPosition().toPoint());
    event->accept();
}

} // namespace qb
