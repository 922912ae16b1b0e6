#include "web/ui/LmsMessageBoxDialog.h"

#include "common/QtText.h"
#include "common/ui/AccessibleNames.h"

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

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

LmsMessageBoxDialog::LmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_box(SavedKind::Lms, web, std::move(pictureFolder)), m_target(target), m_firstPage(new QTimer(this)) {
    setObjectName("lmsMessageBox");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    for (int k = 1; k <= kSlots; ++k) {
        auto* title = new QLineEdit(this);
        title->setObjectName(QString("title%1").arg(k));
        auto* body = new QPlainTextEdit(this);
        body->setObjectName(QString("body%1").arg(k));
        body->setFixedSize(190, 300);
        title->setFixedWidth(190);
        title->setCursor(Qt::PointingHandCursor);
        title->installEventFilter(this);
        body->viewport()->setCursor(Qt::PointingHandCursor);
        body->viewport()->installEventFilter(this);
        for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(body)})
            w->setStyleSheet("background: white;");
        m_titles[static_cast<std::size_t>(k - 1)] = title;
        m_bodies[static_cast<std::size_t>(k - 1)] = body;

        QPushButton* choose = button(QString::fromUtf8("선택"), QString("select%1").arg(k), this);
        QPushButton* removeButton = button(QString::fromUtf8("삭제"), QString("remove%1").arg(k), this);
        const QString slotName = QString::fromUtf8("메세지 %1").arg(k);
        title->setAccessibleName(slotName + QString::fromUtf8(" 제목"));
        body->setAccessibleName(slotName + QString::fromUtf8(" 내용"));
        nameSlotButtons(slotName, choose, removeButton);
        connect(choose, &QPushButton::clicked, this, [this, k] { select(k); });
        connect(removeButton, &QPushButton::clicked, this, [this, k] { remove(k); });
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(4);
        buttons->addWidget(choose);
        buttons->addWidget(removeButton);

        grid->addWidget(title, 0, k - 1);
        grid->addWidget(body, 1, k - 1);
        grid->addLayout(buttons, 2, k - 1);
    }

    QPushButton* previousButton = button(QString::fromUtf8("이전"), "previous", this);
    QPushButton* nextButton = button(QString::fromUtf8("다음"), "next", this);
    QPushButton* closeButton = button(QString::fromUtf8("닫기"), "close", this);
    connect(previousButton, &QPushButton::clicked, this, &LmsMessageBoxDialog::previous);
    connect(nextButton, &QPushButton::clicked, this, &LmsMessageBoxDialog::next);
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

    setWindowTitle(QString::fromUtf8("[LMS] 메세지 저장함"));
    if (m_box.open()) {
        retitle();
        // The page follows a moment after the window, as in the SMS box.
        m_firstPage->setSingleShot(true);
        m_firstPage->setInterval(500);
        connect(m_firstPage, &QTimer::timeout, this, &LmsMessageBoxDialog::showPage);
        m_firstPage->start();
    }
}

LmsMessageBoxDialog::~LmsMessageBoxDialog() = default;

void LmsMessageBoxDialog::showPage() {
    m_firstPage->stop();
    for (int k = 1; k <= kSlots; ++k) {
        const SavedSlot s = m_box.slot(k);
        titleEdit(k)->setText(s.filled ? toEditText(s.title) : QString());
        titleEdit(k)->setCursorPosition(0);
        bodyEdit(k)->setPlainText(s.filled ? toEditText(s.body) : QString());
    }
    m_pageShown = true;
}

void LmsMessageBoxDialog::retitle() {
    setWindowTitle(toQString(m_box.windowTitle()));
}

void LmsMessageBoxDialog::select(int k) {
    if (m_box.select(k, fromEditText(titleEdit(k)->text()), fromEditText(bodyEdit(k)->toPlainText()),
                     m_target))
        accept();
}

void LmsMessageBoxDialog::remove(int k) {
    m_box.remove(k);
    showPage();
    retitle();
}

void LmsMessageBoxDialog::previous() {
    m_box.previous();
    showPage();
    retitle();
}

void LmsMessageBoxDialog::next() {
    m_box.next();
    showPage();
    retitle();
}

bool LmsMessageBoxDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int k = 1; k <= kSlots; ++k)
            if (watched == titleEdit(k) || watched == bodyEdit(k)->viewport()) {
                select(k);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void LmsMessageBoxDialog::done(int result) {
    m_firstPage->stop();
    m_box.close();
    QDialog::done(result);
}

} // namespace qb
