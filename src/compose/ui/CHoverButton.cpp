#include "compose/ui/CHoverButton.h"

#include <QEnterEvent>
#include <QPainter>

namespace qb {
namespace {

struct LookColours {
    QColor face, edge, glyph;
    int shift; // the pressed glyph sinks by a pixel
};

const LookColours kLooks[3] = {
    {QColor(250, 251, 253), QColor(160, 172, 190), QColor(30, 30, 30), 0},  // normal
    {QColor(150, 176, 220), QColor(60, 90, 150), QColor(255, 255, 255), 1}, // pressed
    {QColor(222, 234, 252), QColor(70, 120, 200), QColor(20, 60, 160), 0},  // hovered
};

} // namespace

CHoverButton::CHoverButton(const QString& glyph, QWidget* parent)
    : QAbstractButton(parent), m_strip(drawStrip(glyph)) {
    setText(glyph);
    setFixedSize(m_strip.width() / 3, m_strip.height());
    setFocusPolicy(Qt::NoFocus); // the palette keeps its focus; the target box its caret
    setAttribute(Qt::WA_Hover);
}

QPixmap CHoverButton::drawStrip(const QString& glyph) {
    QPixmap strip(kSide * 3, kSide);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("굴림"));
    font.setPixelSize(15);
    p.setFont(font);
    for (int i = 0; i < 3; ++i) {
        const LookColours& c = kLooks[i];
        const QRectF cell(i * kSide + 0.5, 0.5, kSide - 1, kSide - 1);
        p.setPen(c.edge);
        p.setBrush(c.face);
        p.drawRoundedRect(cell, 3, 3);
        p.setPen(c.glyph);
        p.drawText(cell.translated(c.shift, c.shift), Qt::AlignCenter, glyph);
    }
    return strip;
}

QPixmap CHoverButton::image(Look look) const {
    const int w = m_strip.width() / 3;
    return m_strip.copy(static_cast<int>(look) * w, 0, w, m_strip.height());
}

CHoverButton::Look CHoverButton::look() const {
    if (isDown())
        return Look::Pressed;
    return m_hovered ? Look::Hovered : Look::Normal;
}

void CHoverButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = m_strip.width() / 3;
    p.drawPixmap(0, 0, m_strip, static_cast<int>(look()) * w, 0, w, m_strip.height());
}

void CHoverButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace qb
