#pragma once

#include <QLabel>

// The picture at the toolbar's end; a left or right press on it asks for the
// service's home page.
namespace qb {

class BannerLabel : public QLabel {
    Q_OBJECT

public:
    explicit BannerLabel(QWidget* parent);

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace qb
