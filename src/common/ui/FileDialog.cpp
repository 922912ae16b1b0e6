#include "common/ui/FileDialog.h"

#include "common/QtText.h"

#include <QFile>
#include <QFileDialog>

#include <optional>

namespace qb {
namespace {

std::optional<QStringList> s_next;

} // namespace

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromNativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString fileFilter(const char* descriptionUtf8, const char* patterns) {
    QString p = QString::fromLatin1(patterns);
    p.replace(';', ' ');
    return QString::fromUtf8(descriptionUtf8) + " (" + p + ")";
}

QString fileFilters(const std::string& filtersCp949) {
    const QStringList parts = toQString(filtersCp949).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == "*.*")
                p = "*";
        }
        filters << parts[i].trimmed() + " (" + patterns.join(' ') + ")";
    }
    return filters.join(";;");
}

void FileDialog::setNextFileNames(const QStringList& names) {
    s_next = names;
}

bool FileDialog::takeNext(QStringList& names) {
    if (!s_next)
        return false;
    names = *s_next;
    s_next.reset();
    return true;
}

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, QFileDialog::Options options) {
    QStringList next;
    if (takeNext(next))
        return next.value(0);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter, nullptr, options);
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter, QFileDialog::Options options) {
    QStringList next;
    if (takeNext(next))
        return next;
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter, nullptr, options);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) {
    QStringList next;
    if (takeNext(next))
        return next.value(0);
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

} // namespace qb
