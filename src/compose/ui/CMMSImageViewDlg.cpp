#include "compose/ui/CMMSImageViewDlg.h"

#include "compose/MmsLayout.h"
#include "compose/ui/CPictureCtrl.h"
#include "compose/ui/PictureReader.h"

#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace qb {

CMMSImageViewDlg::CMMSImageViewDlg(const std::string& path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_path(path), m_status(PictureStatus::Missing),
      m_picture(new CPictureCtrl(CPictureCtrl::Fit::Original)), m_scroll(new QScrollArea(this)) {
    setObjectName("mmsImageView");
    setWindowTitle(QString::fromUtf8(":::: MMS 이미지보기"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Base);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setWidget(m_picture);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    setSizeGripEnabled(true);

    const PictureReader::Read read = PictureReader::read(path);
    m_status = read.status;
    std::optional<mmslayout::Size> pictureSize;
    if (read.status == PictureStatus::Ok) {
        m_picture->setImage(read.image);
        pictureSize = mmslayout::Size{read.image.width(), read.image.height()};
    }
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const mmslayout::ViewerSizes sizes =
        mmslayout::viewerSizes({kClientSize.width(), kClientSize.height()}, pictureSize, {bar, bar});
    setMinimumSize(sizes.minimum.width, sizes.minimum.height);
    setMaximumSize(sizes.maximum.width, sizes.maximum.height);
    QSize window(sizes.window.width, sizes.window.height);
    if (const QScreen* screen = parent ? parent->screen() : this->screen())
        window = window.boundedTo(screen->availableGeometry().size());
    resize(window);
}

} // namespace qb
