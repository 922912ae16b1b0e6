#include "send/ui/FormWidgetDialogs.h"

#include "common/ui/FileDialog.h"
#include "common/ui/SheetChoiceDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qb {
namespace {

QString startPath(const QString& folder, const std::string& initialName) {
    QString name = QFile::decodeName(QByteArray::fromStdString(initialName));
    if (folder.isEmpty())
        return name;
    return name.isEmpty() ? folder : QDir(folder).filePath(name);
}

} // namespace

std::optional<std::vector<std::string>> FormWidgetDialogs::chooseTextFiles(const std::string& initialName) {
    const QStringList paths = FileDialog::getOpenFileNames(
        m_owner, QString(), startPath(m_lastFolder, initialName), fileFilter("텍스트화일 (*.txt)", "*.txt"),
        QFileDialog::HideNameFilterDetails);
    if (paths.isEmpty())
        return std::nullopt;
    std::vector<std::string> out;
    for (const QString& p : paths)
        out.push_back(nativePath(p));
    m_lastFolder = QFileInfo(paths.back()).absolutePath();
    return out;
}

std::optional<std::string> FormWidgetDialogs::chooseWorkbook(const std::string& initialName) {
    const QString path = FileDialog::getOpenFileName(m_owner, QString(), startPath(m_lastFolder, initialName),
                                                     fileFilter("엑셀화일 (*.xls, *.xlsx)", "*.xls;*.xlsx"),
                                                     QFileDialog::HideNameFilterDetails);
    if (path.isEmpty())
        return std::nullopt;
    m_lastFolder = QFileInfo(path).absolutePath();
    return nativePath(path);
}

std::optional<std::string> FormWidgetDialogs::chooseCsvToSave(const std::string& initialName) {
    const QString path = FileDialog::getSaveFileName(m_owner, QString(), startPath(m_lastFolder, initialName),
                                                     fileFilter("CSV 화일 (*.csv)", "*.csv"));
    if (path.isEmpty())
        return std::nullopt;
    m_lastFolder = QFileInfo(path).absolutePath();
    return nativePath(path);
}

std::optional<int> FormWidgetDialogs::chooseSheet(const std::vector<std::string>& sheetNames) {
    SheetChoiceDialog dialog(sheetNames, m_owner);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenSheet() < 1)
        return std::nullopt;
    return dialog.chosenSheet();
}

} // namespace qb
