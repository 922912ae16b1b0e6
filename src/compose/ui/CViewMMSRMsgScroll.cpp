#include "compose/ui/CViewMMSRMsgScroll.h"

#include "compose/MmsLayout.h"
#include "compose/ui/CPictureCtrl.h"
#include "compose/ui/EditLines.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace qb {

MmsPreviewView::MmsPreviewView(int column, QWidget* parent)
    : QScrollArea(parent), m_column(column), m_body(new QPlainTextEdit) {
    setObjectName(QString("preview%1").arg(column));
    setFixedSize(190, 410);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWidgetResizable(false);

    auto* area = new QWidget;
    area->setAutoFillBackground(true);
    for (int k = 1; k <= 3; ++k) {
        auto* picture = new CPictureCtrl(CPictureCtrl::Fit::Thumbnail, area);
        picture->setObjectName(QString("picture%1").arg(k));
        picture->move(0, (k - 1) * mmslayout::kSlot.height);
        connect(picture, &CPictureCtrl::doubleClicked, this, [this] { emit chosen(m_column); });
        m_pictures[static_cast<std::size_t>(k - 1)] = picture;
    }
    m_body->setParent(area);
    m_body->setObjectName("body");
    m_body->setReadOnly(true);
    m_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->setFont(QFont(QString::fromUtf8("굴림"), 12));
    m_body->viewport()->setCursor(Qt::PointingHandCursor);
    m_body->viewport()->installEventFilter(this);
    m_body->setGeometry(0, mmslayout::kBodyTop, mmslayout::kBodyWidth, mmslayout::kPreviewBodyHeight);
    m_body->setPlainText(QString::fromUtf8(" 내용... "));
    area->resize(mmslayout::kBodyWidth, mmslayout::kPreviewExtent);
    setWidget(area);
}

void MmsPreviewView::showMessage(const QString& body, const std::array<QImage, 3>& pictures,
                                 const std::array<bool, 3>& unavailable) {
    for (int k = 1; k <= 3; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (unavailable[i])
            picture(k)->setUnavailable(true);
        else
            picture(k)->setImage(pictures[i]);
    }
    m_body->setPlainText(body);
    fitBody();
}

void MmsPreviewView::clear() {
    showMessage(QString(), {});
}

void MmsPreviewView::fitBody() {
    const int lines = m_body->toPlainText().isEmpty() ? 0 : visualLineCount(m_body);
    const mmslayout::PreviewSizes sizes = mmslayout::previewSizes(lines, lineHeight(m_body));
    m_body->resize(mmslayout::kBodyWidth, sizes.bodyHeight);
    widget()->resize(mmslayout::kBodyWidth, sizes.extent);
    verticalScrollBar()->setValue(0);
}

bool MmsPreviewView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_body->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        emit chosen(m_column);
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace qb
