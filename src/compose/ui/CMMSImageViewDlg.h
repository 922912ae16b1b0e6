#pragma once

#include "common/PictureCheck.h"

#include <QDialog>

#include <string>

class QPushButton;
class QScrollArea;
class QStackedLayout;

// ":::: MMS 이미지보기": one slot's picture. A picture larger than the window is
// shown whole, shrunk to the window and keeping its proportions; a smaller one
// at its own size, never enlarged. "100 %" (or Ctrl+0) toggles to the picture
// at its own size from the top-left corner, with scroll bars for the rest. The
// window opens at the picture's size where the screen has room and may be
// resized and maximised.
namespace qb {

class CPictureCtrl;
class FittedPicture;

class CMMSImageViewDlg : public QDialog {
    Q_OBJECT

public:
    // The least size of the picture area, which it opens at for a small picture.
    static constexpr QSize kClientSize{308, 205};

    CMMSImageViewDlg(const std::string& path, QWidget* parent = nullptr);

    // Ok when the picture was read; otherwise the window shows nothing and its
    // opener tells the user why.
    PictureStatus status() const { return m_status; }
    const std::string& path() const { return m_path; }
    // The picture at its own size, in the scrolled area of "100 %".
    CPictureCtrl* picture() const { return m_picture; }
    QScrollArea* scrollArea() const { return m_scroll; }
    QPushButton* actualSizeButton() const { return m_actualSize; }
    bool showsActualSize() const;
    // The size the picture is drawn at now (0 x 0 without one), and the area
    // it is drawn in.
    QSize shownSize() const;
    QSize pictureAreaSize() const;

private:
    void showActualSize(bool actual);

    std::string m_path;
    PictureStatus m_status;
    CPictureCtrl* m_picture;
    QScrollArea* m_scroll;
    FittedPicture* m_fitted;
    QStackedLayout* m_views;
    QPushButton* m_actualSize;
};

} // namespace qb
