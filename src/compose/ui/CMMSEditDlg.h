#pragma once

#include "compose/MmsEditor.h"
#include "compose/ui/EditorWindow.h"
#include "compose/ui/PictureReader.h"

#include <string>

// ":::: MMS 문자 편집창": the modeless MMS editor beside the main window, a title
// line over the composition view (three picture slots above the body). It shows
// MmsEditor's state and forwards every action to it.
namespace qb {

class CMMSBodyEdit;
class CMMSSendView;

class CMMSEditDlg : public EditorWindow {
    Q_OBJECT

public:
    // `pictureFolder` is the message box's picture cache.
    CMMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner);
    ~CMMSEditDlg() override;

    MmsEditor& model() { return m_model; }
    const MmsEditor& model() const { return m_model; }
    CMMSSendView* view() const { return m_view; }
    CMMSBodyEdit* bodyEdit() const;

    void loadSaved() override;
    void save() override;
    void reset() override;
    void viewOriginal(int k); // "원사이즈보기"

protected:
    EditorText& text() override { return m_model.text(); }
    QPlainTextEdit* body() const override;
    bool mayDiscard() override;
    void showMore() override;
    void bodyEdited() override;

private:
    PictureReader m_reader;
    MmsEditor m_model;
    std::string m_pictureFolder;
    CMMSSendView* m_view = nullptr;
};

} // namespace qb
