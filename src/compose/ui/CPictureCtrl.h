#pragma once

#include "compose/MmsLayout.h"

#include <QImage>
#include <QWidget>

// A picture on white: fitted into a slot (the composition's slots, the message
// box's previews) or at its own size (the picture viewer). Without a picture it
// shows the empty-slot picture, or, for a picture that should be there and could
// not be had, that picture struck through with a caption. A double-click is
// reported with its position.
namespace qb {

class CPictureCtrl : public QWidget {
    Q_OBJECT

public:
    enum class Fit { Thumbnail, Original };

    explicit CPictureCtrl(Fit fit, QWidget* parent = nullptr);

    // A null image empties the control.
    void setImage(const QImage& image);
    void clear() { setImage(QImage()); }
    // Empty, and marked as a picture that could not be had.
    void setUnavailable(bool unavailable);
    bool unavailable() const { return m_unavailable; }
    // "그림을 불러올 수 없습니다.": the caption of such a slot, and its tool tip.
    static QString unavailableText();
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
    void paintUnavailable(QPainter& p) const;

    Fit m_fit;
    QImage m_image;
    bool m_unavailable = false;
};

} // namespace qb
