#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A picture button with three looks held in one strip, side by side: normal,
// pressed, hovered. The strip is drawn here at run time from a glyph; the
// button is the size of one look.
namespace qb {

class CHoverButton : public QAbstractButton {
    Q_OBJECT

public:
    enum class Look { Normal = 0, Pressed = 1, Hovered = 2 };
    static constexpr int kSide = 24;

    explicit CHoverButton(const QString& glyph, QWidget* parent = nullptr);

    const QPixmap& strip() const { return m_strip; }
    QPixmap image(Look look) const;
    // Pressed while down, else hovered while the mouse is over it, else normal.
    Look look() const;
    bool hovered() const { return m_hovered; }

    QSize sizeHint() const override { return QSize(kSide, kSide); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    static QPixmap drawStrip(const QString& glyph);

    QPixmap m_strip;
    bool m_hovered = false;
};

} // namespace qb
