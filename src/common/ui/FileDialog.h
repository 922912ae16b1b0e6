#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

// File dialogs for every window of the client. Tests set the names the next
// dialog returns: it is then not shown, and the names are used once.
namespace qb {

class FileDialog {
public:
    // Empty when cancelled.
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QFileDialog::Options options = {});
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter, QFileDialog::Options options = {});
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter);

    // An empty list stands for a cancelled dialog.
    static void setNextFileNames(const QStringList& names);
    static void setNextFileName(const QString& name) {
        setNextFileNames(name.isEmpty() ? QStringList{} : QStringList{name});
    }

private:
    static bool takeNext(QStringList& names);
};

} // namespace qb
