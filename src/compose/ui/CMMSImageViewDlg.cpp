#include "compose/ui/CMMSImageViewDlg.h"

#include "compose/MmsLayout.h"
#include "compose/ui/CPictureCtrl.h"
#include "compose/ui/PictureReader.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace qb {

// The picture shrunk to the widget, drawn from its top-left corner on white.
class FittedPicture : public QWidget {
public:
    explicit FittedPicture(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

    void setImage(const QImage& image) {
        m_image = image;
        m_scaled = QImage();
        update();
    }
    QSize shownSize() const {
        if (m_image.isNull())
            return {};
        const mmslayout::Size s =
            mmslayout::fitInside({m_image.width(), m_image.height()}, {width(), height()});
        return {s.width, s.height};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (m_image.isNull())
            return;
        const QSize size = shownSize();
        // Shrunk once per size, not on every paint.
        if (m_scaled.size() != size)
            m_scaled = size == m_image.size()
                           ? m_image
                           : m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        p.drawImage(0, 0, m_scaled);
    }

private:
    QImage m_image;
    QImage m_scaled;
};

CMMSImageViewDlg::CMMSImageViewDlg(const std::string& path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_path(path), m_status(PictureStatus::Missing),
      m_picture(new CPictureCtrl(CPictureCtrl::Fit::Original)), m_scroll(new QScrollArea),
      m_fitted(new FittedPicture(this)), m_views(new QStackedLayout),
      m_actualSize(new QPushButton(QStringLiteral("100 %"), this)) {
    setObjectName("mmsImageView");
    setWindowTitle(QString::fromUtf8(":::: MMS 이미지보기"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Base);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setWidget(m_picture);
    m_views->addWidget(m_fitted);
    m_views->addWidget(m_scroll);

    m_actualSize->setObjectName("actualSize");
    m_actualSize->setCheckable(true);
    m_actualSize->setAutoDefault(false);
    auto* toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), this);
    connect(toggle, &QShortcut::activated, m_actualSize, &QPushButton::toggle);
    connect(m_actualSize, &QPushButton::toggled, this, &CMMSImageViewDlg::showActualSize);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 20, 4); // clear of the size grip
    buttons->addStretch();
    buttons->addWidget(m_actualSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(m_views, 1);
    layout->addLayout(buttons);
    setSizeGripEnabled(true);

    const PictureReader::Read read = PictureReader::read(path);
    m_status = read.status;
    std::optional<mmslayout::Size> pictureSize;
    if (read.status == PictureStatus::Ok) {
        m_picture->setImage(read.image);
        m_fitted->setImage(read.image);
        pictureSize = mmslayout::Size{read.image.width(), read.image.height()};
    }
    m_actualSize->setEnabled(pictureSize.has_value());

    // The picture area opens at the picture's size within nine tenths of the
    // screen's free area, the buttons below it.
    const int below = buttons->sizeHint().height();
    const QScreen* screen = parent ? parent->screen() : this->screen();
    const QSize free = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const mmslayout::Size room{free.width() * 9 / 10, free.height() * 9 / 10 - below};
    const mmslayout::ViewerSizes sizes =
        mmslayout::viewerSizes({kClientSize.width(), kClientSize.height()}, pictureSize, room);
    setMinimumSize(sizes.minimum.width, sizes.minimum.height + below);
    resize(sizes.window.width, sizes.window.height + below);
}

bool CMMSImageViewDlg::showsActualSize() const {
    return m_views->currentWidget() == m_scroll;
}

QSize CMMSImageViewDlg::shownSize() const {
    if (showsActualSize())
        return m_picture->hasImage() ? m_picture->image().size() : QSize();
    return m_fitted->shownSize();
}

QSize CMMSImageViewDlg::pictureAreaSize() const {
    return m_views->currentWidget()->size();
}

void CMMSImageViewDlg::showActualSize(bool actual) {
    m_views->setCurrentWidget(actual ? static_cast<QWidget*>(m_scroll) : m_fitted);
}

} // namespace qb
