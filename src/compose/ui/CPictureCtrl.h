#pragma once

#include "compose/MmsLayout.h"

#include <QImage>
#include <QWidget>

// A picture on white: fitted into a slot (the composition's slots, the message
// box's previews) or at its own size (the picture viewer). Without a picture it
// shows the empty-slot picture. A double-click is reported with its position.
namespace qb {

class CPictureCtrl : public QWidget {
    Q_OBJECT

public:
    enum class Fit { Thumbnail, Original };

    explicit CPictureCtrl(Fit fit, QWidget* parent = nullptr);

    // A null image empties the control.
    void setImage(const QImage& image);
    void clear() { setImage(QImage()); }
    bool hasImage() const { return !m_image.isNull(); }
    const QImage& image() const { return m_image; }
    // The size the picture is drawn at (0 x 0 when empty).
    mmslayout::Size drawnSize() const;

    QSize sizeHint() const override;

signals:
    void doubleClicked(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // A slot that takes the focus opens its menu with Enter or the menu key,
    // below the slot's top-left corner, as a double-click would.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void paintEmptySlot(QPainter& p) const;

    Fit m_fit;
    QImage m_image;
};

} // namespace qb
