#pragma once

#include "send/FormHooks.h"

#include <QString>

class QWidget;

namespace qb {

// The send form's dialogs as windows: the file dialogs of "텍스트화일" and
// "엑셀화일", and the sheet selection.
class FormWidgetDialogs : public FormDialogs {
public:
    explicit FormWidgetDialogs(QWidget* owner) : m_owner(owner) {}

    std::optional<std::vector<std::string>> chooseTextFiles(const std::string& initialName) override;
    std::optional<std::string> chooseWorkbook(const std::string& initialName) override;
    std::optional<int> chooseSheet(const std::vector<std::string>& sheetNames) override;

private:
    QWidget* m_owner;
    QString m_lastFolder;
};

// Paths are the file system's bytes in the core, not CP949 text.
std::string nativePath(const QString& path);
QString fromNativePath(const std::string& path);

// A file-dialog filter that shows `description` exactly as written and offers
// the files matching `patterns` (separated by ';'), e.g.
// ("엑셀화일 (*.xls, *.xlsx)", "*.xls;*.xlsx"). The dialogs hide the pattern
// part Qt needs, so the user reads only the description.
QString fileFilter(const char* descriptionUtf8, const char* patterns);

} // namespace qb
