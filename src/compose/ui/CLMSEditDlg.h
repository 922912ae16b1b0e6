#pragma once

#include "compose/LmsEditor.h"
#include "compose/Symbols.h"
#include "compose/ui/CSpecialCharDlg.h"

#include <QDialog>
#include <QPointer>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// ":::: LMS 문자 편집창": the modeless LMS editor beside the main window. It shows
// LmsEditor's title, body and counter and forwards every action to it. Closing
// it (취소 or the close box) destroys it; `closed` tells its owner.
namespace qb {

class CLMSEditDlg : public QDialog, public SymbolTarget {
    Q_OBJECT

public:
    // `pictureFolder` is the message box's picture cache.
    CLMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner);
    ~CLMSEditDlg() override;

    LmsEditor& model() { return m_model; }
    const LmsEditor& model() const { return m_model; }
    QLineEdit* titleEdit() const { return m_title; }
    QPlainTextEdit* bodyEdit() const { return m_body; }
    QLabel* counter() const { return m_counter; }
    CSpecialCharDlg* palette() const { return m_palette; }

    // The palette writes into the box that last had the focus (the body before
    // either had it).
    void insertSymbol(std::string_view symbol) override;

    void loadSaved();   // "저장된 메시지 불러오기"
    void save();        // "메시지저장"
    void reset();       // "초기화"
    void openPalette(); // "특수문자"

signals:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void showState();
    void onTitleEdited();
    void onBodyChanged();

    LmsEditor m_model;
    std::string m_pictureFolder;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_body = nullptr;
    QLabel* m_counter = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPointer<CSpecialCharDlg> m_palette;
    EditorText::Box m_symbolBox = EditorText::Box::Body;
    bool m_showing = false;
};

} // namespace qb
