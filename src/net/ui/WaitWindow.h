#pragma once

#include <QDialog>

// "로그인 시도중.....": shown while a login is under way. Modeless; it deletes
// itself when closed.
namespace qb {

class WaitWindow : public QDialog {
    Q_OBJECT

public:
    explicit WaitWindow(QWidget* parent);

    // Centred on `window` (its frame, title bar included).
    void centreOn(const QWidget& window);
};

} // namespace qb
