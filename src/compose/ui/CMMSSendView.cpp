#include "compose/ui/CMMSSendView.h"

#include "common/QtText.h"
#include "common/ui/FileDialog.h"
#include "compose/MmsLayout.h"
#include "compose/ui/CMMSBodyEdit.h"
#include "compose/ui/CPictureCtrl.h"
#include "compose/ui/EditLines.h"
#include "compose/ui/PictureReader.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

namespace qb {

CMMSSendView::CMMSSendView(MmsPictures& pictures, PictureReader& reader, QWidget* parent)
    : QScrollArea(parent), m_pictures(pictures), m_reader(reader), m_body(new CMMSBodyEdit) {
    setObjectName("composition");
    // Tall enough for the three slots and the body's first lines.
    setFixedSize(194, mmslayout::kBodyTop + 96);
    setFocusPolicy(Qt::NoFocus); // Tab goes from the title straight to the body
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWidgetResizable(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    auto* area = new QWidget;
    area->setObjectName("compositionArea");
    for (int k = 1; k <= MmsPictures::kSlots; ++k) {
        auto* slot = new CPictureCtrl(CPictureCtrl::Fit::Thumbnail, area);
        slot->setObjectName(QString("slot%1").arg(k));
        // A keyboard way in: Tab reaches the slot, Enter or the menu key opens its menu.
        slot->setFocusPolicy(Qt::StrongFocus);
        slot->setAccessibleName(QString::fromUtf8("그림 %1").arg(k));
        slot->move(1, (k - 1) * mmslayout::kSlot.height);
        connect(slot, &CPictureCtrl::doubleClicked, this, [this, k](QPoint at) { openSlotMenu(k, at); });
        m_slots[static_cast<std::size_t>(k - 1)] = slot;
    }
    m_body->setParent(area);
    m_body->setGeometry(1, mmslayout::kBodyTop, mmslayout::kBodyWidth, mmslayout::kBodyStartHeight);
    area->resize(mmslayout::kBodyWidth + 1, mmslayout::composeExtent(0, 16));
    setWidget(area);
    connect(m_body, &QPlainTextEdit::cursorPositionChanged, this, &CMMSSendView::fitBody);
}

std::optional<int> CMMSSendView::slotAt(QPoint viewportPos) const {
    const QPoint p = widget()->mapFrom(viewport(), viewportPos);
    for (int k = 1; k <= MmsPictures::kSlots; ++k)
        if (slotControl(k)->geometry().contains(p))
            return k;
    return std::nullopt;
}

QMenu* CMMSSendView::buildSlotMenu(int k, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const MmsPictures::MenuEntry& e : m_pictures.menu(k)) {
        QAction* a = menu->addAction(toQString(e.text));
        const MmsPictures::Action action = e.action;
        connect(a, &QAction::triggered, this, [this, k, action] { runSlotAction(k, action); });
    }
    return menu;
}

void CMMSSendView::openSlotMenu(int k, QPoint globalPos) {
    QMenu* menu = buildSlotMenu(k, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CMMSSendView::runSlotAction(int k, MmsPictures::Action action) {
    switch (action) {
    case MmsPictures::Action::Open:
        chooseFile(k);
        break;
    case MmsPictures::Action::ViewOriginal:
        emit viewOriginal(k);
        break;
    case MmsPictures::Action::Delete:
        m_pictures.remove(k);
        showSlots();
        break;
    }
}

void CMMSSendView::chooseFile(int k) {
    const QString path =
        FileDialog::getOpenFileName(this, QString(), QString(), fileFilters(MmsPictures::fileFilter()),
                                    QFileDialog::HideNameFilterDetails);
    if (path.isEmpty())
        return; // cancelled
    if (m_pictures.chooseFile(k, QFile::encodeName(path).toStdString()))
        showSlots();
}

void CMMSSendView::dropFiles(QPoint viewportPos, const std::vector<std::string>& files) {
    if (m_pictures.drop(slotAt(viewportPos), files))
        showSlots();
}

void CMMSSendView::showSlots() {
    for (int k = 1; k <= MmsPictures::kSlots; ++k) {
        const PictureSlot& s = m_pictures.slot(k);
        slotControl(k)->setImage(s.empty() ? QImage() : m_reader.image(s.path));
    }
    m_reader.keepOnly(m_pictures.all());
}

void CMMSSendView::fitBody() {
    const int lh = lineHeight(m_body);
    const int lines = visualLineCount(m_body);
    const int height = mmslayout::bodyHeight(lines, lh);
    if (m_body->height() != height) {
        m_body->resize(mmslayout::kBodyWidth, height);
        widget()->resize(widget()->width(), mmslayout::kBodyTop + height);
    }
    m_body->verticalScrollBar()->setValue(0); // the view scrolls, not the box
    // The caret is followed while the user writes; otherwise the slots stay in sight.
    if (!m_body->hasFocus())
        return;
    const QRect caret = m_body->caretRect().translated(m_body->pos());
    ensureVisible(caret.center().x(), caret.center().y(), 0, 2 * lh);
}

void CMMSSendView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMMSSendView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMMSSendView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls())
        return;
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls())
        files.push_back(QFile::encodeName(url.toLocalFile()).toStdString()); // not a local file: empty
    event->acceptProposedAction();
    // Drops reach the scroll area through its viewport, in the viewport's coordinates.
    dropFiles(event->position().toPoint(), files);
}

} // namespace qb
