#include "compose/ui/MmsMessageBoxDialog.h"

#include "common/QtText.h"
#include "common/ui/AccessibleNames.h"
#include "compose/ui/CViewMMSRMsgScroll.h"
#include "compose/ui/PictureReader.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {
namespace {

QPushButton* button(const char* textUtf8, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(textUtf8), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

MmsPreviewView* makePreview(int k, QWidget* parent) {
    if (k == 1)
        return new CViewMMSRMsgScroll(parent);
    if (k == 2)
        return new CViewMMSRMsgScroll2(parent);
    return new CViewMMSRMsgScroll3(parent);
}

} // namespace

MmsMessageBoxDialog::MmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_box(SavedKind::Mms, web, std::move(pictureFolder)), m_target(target), m_firstPage(new QTimer(this)) {
    setObjectName("mmsMessageBox");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    for (int k = 1; k <= kSlots; ++k) {
        auto* title = new QLineEdit(this);
        title->setObjectName(QString("title%1").arg(k));
        title->setFixedWidth(190);
        title->setStyleSheet("background: white;");
        title->setCursor(Qt::PointingHandCursor);
        title->installEventFilter(this);
        MmsPreviewView* preview = makePreview(k, this);
        connect(preview, &MmsPreviewView::chosen, this, &MmsMessageBoxDialog::select);
        m_titles[static_cast<std::size_t>(k - 1)] = title;
        m_previews[static_cast<std::size_t>(k - 1)] = preview;

        QPushButton* choose = button("선택", QString("select%1").arg(k), this);
        QPushButton* removeButton = button("삭제", QString("remove%1").arg(k), this);
        const QString slotName = QString::fromUtf8("메세지 %1").arg(k);
        title->setAccessibleName(slotName + QString::fromUtf8(" 제목"));
        preview->body()->setAccessibleName(slotName + QString::fromUtf8(" 내용"));
        nameSlotButtons(slotName, choose, removeButton);
        connect(choose, &QPushButton::clicked, this, [this, k] { select(k); });
        connect(removeButton, &QPushButton::clicked, this, [this, k] { remove(k); });
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(4);
        buttons->addWidget(choose);
        buttons->addWidget(removeButton);

        grid->addWidget(title, 0, k - 1);
        grid->addWidget(preview, 1, k - 1);
        grid->addLayout(buttons, 2, k - 1);
    }

    QPushButton* previousButton = button("이전", "previous", this);
    QPushButton* nextButton = button("다음", "next", this);
    QPushButton* closeButton = button("닫기", "close", this);
    connect(previousButton, &QPushButton::clicked, this, &MmsMessageBoxDialog::previous);
    connect(nextButton, &QPushButton::clicked, this, &MmsMessageBoxDialog::next);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(previousButton);
    bottom->addWidget(nextButton);
    bottom->addSpacing(16);
    bottom->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setWindowTitle(QString::fromUtf8("[MMS] 메세지 저장함"));
    // Fetches the pictures; a failed fetch leaves the box without a page or page title.
    if (m_box.open()) {
        retitle();
        m_firstPage->setSingleShot(true);
        m_firstPage->setInterval(500);
        connect(m_firstPage, &QTimer::timeout, this, &MmsMessageBoxDialog::showPage);
        m_firstPage->start();
    }
}

MmsMessageBoxDialog::~MmsMessageBoxDialog() = default;

void MmsMessageBoxDialog::showPage() {
    m_firstPage->stop();
    for (int k = 1; k <= kSlots; ++k) {
        const SavedSlot s = m_box.slot(k);
        titleEdit(k)->setText(s.filled ? toEditText(s.title) : QString());
        titleEdit(k)->setCursorPosition(0);
        std::array<QImage, 3> pictures;
        for (std::size_t i = 0; i < pictures.size(); ++i)
            if (!s.pictures[i].empty())
                pictures[i] = PictureReader::read(s.pictures[i]).image;
        preview(k)->showMessage(s.filled ? toEditText(s.body) : QString(), pictures);
    }
    m_pageShown = true;
}

void MmsMessageBoxDialog::retitle() {
    setWindowTitle(toQString(m_box.windowTitle()));
}

void MmsMessageBoxDialog::select(int k) {
    // Until a page is shown the previews hold their placeholder, which is no message.
    const std::string body = m_pageShown ? fromEditText(preview(k)->body()->toPlainText()) : std::string();
    if (m_box.select(k, fromEditText(titleEdit(k)->text()), body, m_target))
        accept();
}

void MmsMessageBoxDialog::remove(int k) {
    m_box.remove(k);
    showPage();
    retitle();
}

void MmsMessageBoxDialog::previous() {
    m_box.previous();
    showPage();
    retitle();
}

void MmsMessageBoxDialog::next() {
    m_box.next();
    showPage();
    retitle();
}

bool MmsMessageBoxDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int k = 1; k <= kSlots; ++k)
            if (watched == titleEdit(k)) {
                select(k);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void MmsMessageBoxDialog::done(int result) {
    m_firstPage->stop();
    m_box.close();
    QDialog::done(result);
}

} // namespace qb
