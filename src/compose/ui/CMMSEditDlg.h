#pragma once

#include "compose/MmsEditor.h"
#include "compose/Symbols.h"
#include "compose/ui/PictureReader.h"

#include <QDialog>
#include <QPointer>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// ":::: MMS 문자 편집창": the modeless MMS editor beside the main window, a title
// line over the composition view (three picture slots above the body). It shows
// MmsEditor's state and forwards every action to it. Closing it (취소 or the
// close box) destroys it; `closed` tells its owner.
namespace qb {

class CMMSBodyEdit;
class CMMSSendView;
class CSpecialCharDlg;

class CMMSEditDlg : public QDialog, public SymbolTarget {
    Q_OBJECT

public:
    // `pictureFolder` is the message box's picture cache.
    CMMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner);
    ~CMMSEditDlg() override;

    MmsEditor& model() { return m_model; }
    const MmsEditor& model() const { return m_model; }
    QLineEdit* titleEdit() const { return m_title; }
    CMMSSendView* view() const { return m_view; }
    CMMSBodyEdit* bodyEdit() const;
    QLabel* counter() const { return m_counter; }
    CSpecialCharDlg* palette() const { return m_palette; }

    // The palette writes into the box that last had the focus (the body before
    // either had it).
    void insertSymbol(std::string_view symbol) override;

    void loadSaved();         // "저장된 메시지 불러오기"
    void save();              // "메시지저장"
    void reset();             // "초기화"
    void openPalette();       // "특수문자"
    void viewOriginal(int k); // "원사이즈보기"

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

    PictureReader m_reader;
    MmsEditor m_model;
    std::string m_pictureFolder;
    QLineEdit* m_title = nullptr;
    CMMSSendView* m_view = nullptr;
    QLabel* m_counter = nullptr;
    QPushButton* m_loadButton = nullptr;
    QPointer<CSpecialCharDlg> m_palette;
    EditorText::Box m_symbolBox = EditorText::Box::Body;
    bool m_showing = false;
};

} // namespace qb
