#include "web/ui/SmsMessageBoxDialog.h"

#include "common/QtText.h"
#include "common/ui/AccessibleNames.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

SmsMessageBoxDialog::SmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_box(SavedKind::Sms, web, std::move(pictureFolder)), m_target(target), m_firstPage(new QTimer(this)) {
    setObjectName("smsMessageBox");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    for (int k = 1; k <= kSlots; ++k) {
        auto* edit = new QPlainTextEdit(this);
        edit->setObjectName(QString("slot%1").arg(k));
        edit->setFixedSize(150, 110);
        edit->setStyleSheet("QPlainTextEdit { background: white; }");
        edit->viewport()->setCursor(Qt::PointingHandCursor);
        edit->viewport()->installEventFilter(this);
        m_slots[static_cast<std::size_t>(k - 1)] = edit;

        auto* choose = new QPushButton(QString::fromUtf8("선택"), this);
        auto* remove = new QPushButton(QString::fromUtf8("삭제"), this);
        choose->setObjectName(QString("select%1").arg(k));
        remove->setObjectName(QString("remove%1").arg(k));
        // Six boxes with the same two buttons: each is named after its box.
        const QString slotName = QString::fromUtf8("메세지 %1").arg(k);
        edit->setAccessibleName(slotName);
        nameSlotButtons(slotName, choose, remove);
        for (QPushButton* b : {choose, remove})
            b->setAutoDefault(false);
        connect(choose, &QPushButton::clicked, this, [this, k] { select(k); });
        connect(remove, &QPushButton::clicked, this, [this, k] { this->remove(k); });
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(4);
        buttons->addWidget(choose);
        buttons->addWidget(remove);

        const int row = (k - 1) / 3 * 2, column = (k - 1) % 3;
        grid->addWidget(edit, row, column);
        grid->addLayout(buttons, row + 1, column);
    }

    auto* previousButton = new QPushButton(QString::fromUtf8("이전"), this);
    auto* nextButton = new QPushButton(QString::fromUtf8("다음"), this);
    auto* closeButton = new QPushButton(QString::fromUtf8("닫기"), this);
    previousButton->setObjectName("previous");
    nextButton->setObjectName("next");
    closeButton->setObjectName("close");
    for (QPushButton* b : {previousButton, nextButton, closeButton})
        b->setAutoDefault(false);
    connect(previousButton, &QPushButton::clicked, this, &SmsMessageBoxDialog::previous);
    connect(nextButton, &QPushButton::clicked, this, &SmsMessageBoxDialog::next);
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

    setWindowTitle(QString::fromUtf8("메세지 저장함"));
    m_opened = m_box.open();
    if (m_opened) {
        retitle();
        // The page follows a moment after the window, as the service's pages do.
        m_firstPage->setSingleShot(true);
        m_firstPage->setInterval(500);
        connect(m_firstPage, &QTimer::timeout, this, &SmsMessageBoxDialog::showPage);
        m_firstPage->start();
    }
}

SmsMessageBoxDialog::~SmsMessageBoxDialog() = default;

void SmsMessageBoxDialog::showPage() {
    m_firstPage->stop();
    for (int k = 1; k <= kSlots; ++k) {
        const SavedSlot s = m_box.slot(k);
        slotEdit(k)->setPlainText(s.filled ? toEditText(s.body) : QString());
    }
    m_pageShown = true;
}

void SmsMessageBoxDialog::retitle() {
    setWindowTitle(toQString(m_box.windowTitle()));
}

void SmsMessageBoxDialog::select(int k) {
    if (m_box.select(k, {}, fromEditText(slotEdit(k)->toPlainText()), m_target))
        accept();
}

void SmsMessageBoxDialog::remove(int k) {
    m_box.remove(k);
    showPage();
    retitle();
}

void SmsMessageBoxDialog::previous() {
    m_box.previous();
    showPage();
    retitle();
}

void SmsMessageBoxDialog::next() {
    m_box.next();
    showPage();
    retitle();
}

bool SmsMessageBoxDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int k = 1; k <= kSlots; ++k)
            if (watched == slotEdit(k)->viewport()) {
                select(k);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void SmsMessageBoxDialog::done(int result) {
    m_firstPage->stop();
    m_box.close();
    QDialog::done(result);
}

} // namespace qb
