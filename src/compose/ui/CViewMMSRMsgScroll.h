#pragma once

#include <QImage>
#include <QScrollArea>

#include <array>

class QPlainTextEdit;

// One column of the MMS message box: three pictures stacked above the body, in
// a scrolling view sized to the body. A double-click on a picture or on the
// body chooses the column, as its "선택" button does.
namespace qb {

class CPictureCtrl;

class MmsPreviewView : public QScrollArea {
    Q_OBJECT

public:
    int column() const { return m_column; }
    CPictureCtrl* picture(int k) const { return m_pictures[static_cast<std::size_t>(k - 1)]; }
    QPlainTextEdit* body() const { return m_body; }

    // Texts with CR LF line breaks. Pictures: null for none; `unavailable` marks the
    // places of pictures the message names but that could not be had.
    void showMessage(const QString& body, const std::array<QImage, 3>& pictures,
                     const std::array<bool, 3>& unavailable = {});
    void clear();

signals:
    void chosen(int column);

protected:
    MmsPreviewView(int column, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitBody();

    int m_column;
    std::array<CPictureCtrl*, 3> m_pictures{};
    QPlainTextEdit* m_body;
};

class CViewMMSRMsgScroll : public MmsPreviewView {
    Q_OBJECT
public:
    explicit CViewMMSRMsgScroll(QWidget* parent = nullptr) : MmsPreviewView(1, parent) {}
};

class CViewMMSRMsgScroll2 : public MmsPreviewView {
    Q_OBJECT
public:
    explicit CViewMMSRMsgScroll2(QWidget* parent = nullptr) : MmsPreviewView(2, parent) {}
};

class CViewMMSRMsgScroll3 : public MmsPreviewView {
    Q_OBJECT
public:
    explicit CViewMMSRMsgScroll3(QWidget* parent = nullptr) : MmsPreviewView(3, parent) {}
};

} // namespace qb
