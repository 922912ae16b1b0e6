#pragma once

#include "compose/EditorText.h"
#include "compose/Symbols.h"
#include "compose/ui/CSpecialCharDlg.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qb {

// What the LMS and MMS editor windows share: the title line over the body, the
// counter and the buttons under it, the texts shown from the model's
// `EditorText` with their placeholders and touched colours, symbols inserted at
// the body's caret,
// Enter and Escape doing nothing outside the body, and `closed` when the window
// closes (취소 or the close box), which destroys it.
class EditorWindow : public QDialog, public SymbolTarget {
    Q_OBJECT

public:
    ~EditorWindow() override;

    QLineEdit* titleEdit() const { return m_title; }
    QLabel* counter() const { return m_counter; }
    CSpecialCharDlg* palette() const { return m_palette; }

    void insertSymbol(std::string_view symbol) override;

    virtual void loadSaved() = 0; // "저장된 메시지 불러오기"
    virtual void save() = 0;      // "메시지저장"
    virtual void reset() = 0;     // "초기화"
    void openPalette();           // "특수문자"
    // The body becomes `body` (the SMS turned LMS, "광고 문구 넣기"), its limit applied.
    void takeBody(const std::string& body);
    // The form closes the window (a kind switch it asked about): no question.
    void closeWithoutAsking();

signals:
    void closed();

protected:
    // The body has the window's colour unless `whiteBody`.
    EditorWindow(QWidget* owner, const char* objectName, const char* captionUtf8, bool whiteBody);

    // Lays the window out around `bodyArea`, the body or the view that holds it.
    // `kindUtf8` names the boxes for screen readers ("LMS 제목").
    void build(QWidget* bodyArea, const char* kindUtf8);

    virtual EditorText& text() = 0;
    // "취소" and the close box ask the model before the work goes.
    virtual bool mayDiscard() = 0;
    virtual QPlainTextEdit* body() const = 0;
    // The texts, the counter and the colours from the model, then `showMore`.
    void showState();
    // What a window shows besides the texts (the MMS pictures).
    virtual void showMore() {}
    // After a keystroke in the body that the model took as it was.
    virtual void bodyEdited() {}

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onTitleEdited();
    void onBodyChanged();

    const char* m_bodyBackground;
    QLineEdit* m_title = nullptr;
    QLabel* m_counter = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPointer<CSpecialCharDlg> m_palette;
    bool m_showing = false;
    bool m_askOnClose = true;
};

} // namespace qb
