#pragma once

#include "compose/LmsEditor.h"
#include "compose/ui/EditorWindow.h"

#include <string>

// ":::: LMS 문자 편집창": the modeless LMS editor beside the main window. It shows
// LmsEditor's title, body and counter and forwards every action to it.
namespace qb {

class CLMSEditDlg : public EditorWindow {
    Q_OBJECT

public:
    // `pictureFolder` is the message box's picture cache.
    CLMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner);
    ~CLMSEditDlg() override;

    LmsEditor& model() { return m_model; }
    const LmsEditor& model() const { return m_model; }
    QPlainTextEdit* bodyEdit() const { return m_body; }

    void loadSaved() override;
    void save() override;
    void reset() override;

protected:
    EditorText& text() override { return m_model.text(); }
    QPlainTextEdit* body() const override { return m_body; }
    bool mayDiscard() override;
    void showMore() override;

private:
    LmsEditor m_model;
    std::string m_pictureFolder;
    QPlainTextEdit* m_body = nullptr;
};

} // namespace qb
