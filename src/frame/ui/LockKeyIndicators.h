#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

// The status bar's CAP, NUM and SCRL panes. Each shows its name while its lock
// key is on. The states are read from the X server; elsewhere the panes stay blank.
namespace qb {

class LockKeyIndicators : public QObject {
    Q_OBJECT

public:
    explicit LockKeyIndicators(QStatusBar* bar);

    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
};

} // namespace qb
