#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

// What a screen reader hears, checked through Qt's accessibility interface (the
// tree the AT-SPI bridge hands to Orca). A control is nameless when its name is
// empty or only borrowed from the group box around it (Qt falls back to the
// group's title, so every field of a group would sound the same), and two
// controls of one window may not share a name.
namespace qb::test {

// The problems of one window, one line each ("QLineEdit rangeTo: named after its
// group \"전송설정\""); empty when every control has a name of its own.
QStringList namelessControls(QWidget* window);

// One per line, for readable failures.
std::string lines(const QStringList& list);

// Every control of the window, one line each: role, object name, name. For
// failure messages and for looking at a new window.
QStringList describeControls(QWidget* window);

// Checks every top-level window that becomes visible while it lives, as it is
// shown and again when problems() is asked (for controls made later). Put one in
// a test or fixture and assert `problems()` is empty at the end:
//
//     test::AccessibleNamesAudit audit;
//     ... open windows, run the scenario ...
//     EXPECT_EQ(test::lines(audit.problems()), "");
//
// Windows that are already open when it starts are included too.
class AccessibleNamesAudit : public QObject {
public:
    AccessibleNamesAudit();
    ~AccessibleNamesAudit() override;

    QStringList problems();
    // The windows checked so far, by title; proves the scenario reached them.
    QStringList windowsSeen() const { return m_titles; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check(QWidget* window);

    std::vector<QPointer<QWidget>> m_windows;
    QStringList m_titles;
    QStringList m_problems;
};

} // namespace qb::test
