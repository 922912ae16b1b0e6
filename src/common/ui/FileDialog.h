#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <string>

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

// Paths are the file system's bytes in the core, not CP949 text.
std::string nativePath(const QString& path);
QString fromNativePath(const std::string& path);

// A file-dialog filter that shows `description` exactly as written and offers
// the files matching `patterns` (separated by ';'), e.g.
// ("엑셀화일 (*.xls, *.xlsx)", "*.xls;*.xlsx"). The dialogs hide the pattern
// part Qt needs, so the user reads only the description.
QString fileFilter(const char* descriptionUtf8, const char* patterns);

// Filters written "description|patterns|description|patterns||" in CP949, the
// patterns separated by ';' ("*.*" is every file), as Qt's dialogs take them.
// Qt matches the patterns case by case on this file system, so a filter lists
// every spelling it offers.
QString fileFilters(const std::string& filtersCp949);

} // namespace qb
