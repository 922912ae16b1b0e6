#pragma once

#include "send/FormDialogHost.h"

#include <QString>

class QWidget;

namespace qb {

// The send form's dialogs as windows: the file dialogs of "텍스트화일" and
// "엑셀화일", and the sheet selection.
class FormWidgetDialogs : public FormDialogHost {
public:
    explicit FormWidgetDialogs(QWidget* owner) : m_owner(owner) {}

    std::optional<std::vector<std::string>> chooseTextFiles(const std::string& initialName) override;
    std::optional<std::string> chooseWorkbook(const std::string& initialName) override;
    std::optional<int> chooseSheet(const std::vector<std::string>& sheetNames) override;
    std::optional<std::string> chooseCsvToSave(const std::string& initialName) override;

private:
    QWidget* m_owner;
    QString m_lastFolder;
};

} // namespace qb
