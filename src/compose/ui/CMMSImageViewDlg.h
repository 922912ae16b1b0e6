#pragma once

#include "common/PictureCheck.h"

#include <QDialog>

#include <string>

class QScrollArea;

// ":::: MMS 이미지보기": one slot's picture at its own size, from the top-left
// corner. The window opens at its usual size, or twice that for a picture more
// than twice as large both ways, and may grow to the picture; scroll bars show
// whatever of the picture the window (or the screen) cannot.
namespace qb {

class CPictureCtrl;

class CMMSImageViewDlg : public QDialog {
    Q_OBJECT

public:
    // The client size the window opens at for a picture of ordinary size.
    static constexpr QSize kClientSize{308, 205};

    CMMSImageViewDlg(const std::string& path, QWidget* parent = nullptr);

    // Ok when the picture was read; otherwise the window shows nothing and its
    // opener tells the user why.
    PictureStatus status() const { return m_status; }
    const std::string& path() const { return m_path; }
    CPictureCtrl* picture() const { return m_picture; }
    QScrollArea* scrollArea() const { return m_scroll; }

private:
    std::string m_path;
    PictureStatus m_status;
    CPictureCtrl* m_picture;
    QScrollArea* m_scroll;
};

} // namespace qb
