#include "web/ui/SavedMessageDialog.h"

#include "common/QtText.h"
#include "common/ui/AccessibleNames.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
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

} // namespace

SavedMessageDialog::SavedMessageDialog(SavedKind kind, WebClient& web, std::string pictureFolder,
                                       SavedMessageTarget& target, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_box(kind, web, std::move(pictureFolder)), m_target(target), m_firstPage(new QTimer(this)) {}

SavedMessageDialog::~SavedMessageDialog() = default;

QGridLayout* SavedMessageDialog::slotGrid() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    return grid;
}

QString SavedMessageDialog::slotName(int k) {
    return QString::fromUtf8("메세지 %1").arg(k);
}

void SavedMessageDialog::addSlotButtons(int k, const QString& slotName, QGridLayout* grid, int row,
                                        int column) {
    QPushButton* choose = button("선택", QString("select%1").arg(k), this);
    QPushButton* removeButton = button("삭제", QString("remove%1").arg(k), this);
    nameSlotButtons(slotName, choose, removeButton);
    connect(choose, &QPushButton::clicked, this, [this, k] { select(k); });
    connect(removeButton, &QPushButton::clicked, this, [this, k] { remove(k); });
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(choose);
    buttons->addWidget(removeButton);
    grid->addLayout(buttons, row, column);
}

void SavedMessageDialog::chooseOnDoubleClick(QObject* part, int k) {
    part->installEventFilter(this);
    m_choosers.emplace_back(part, k);
}

void SavedMessageDialog::finish(QGridLayout* grid, const char* captionUtf8) {
    QPushButton* previousButton = button("이전", "previous", this);
    QPushButton* nextButton = button("다음", "next", this);
    QPushButton* closeButton = button("닫기", "close", this);
    connect(previousButton, &QPushButton::clicked, this, &SavedMessageDialog::previous);
    connect(nextButton, &QPushButton::clicked, this, &SavedMessageDialog::next);
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

    setWindowTitle(QString::fromUtf8(captionUtf8));
    // An MMS box fetches its pictures here.
    m_box.open();
    setWindowTitle(toQString(m_box.windowTitle()));
    // The page follows a moment after the window, as the service's pages do.
    m_firstPage->setSingleShot(true);
    m_firstPage->setInterval(500);
    connect(m_firstPage, &QTimer::timeout, this, &SavedMessageDialog::showPage);
    m_firstPage->start();
}

void SavedMessageDialog::showPage() {
    m_firstPage->stop();
    for (int k = 1; k <= m_box.pageSize(); ++k)
        showSlot(k, m_box.slot(k));
    m_pageShown = true;
}

void SavedMessageDialog::select(int k) {
    const auto [title, body] = slotTexts(k);
    if (m_box.select(k, title, body, m_target))
        accept();
}

void SavedMessageDialog::remove(int k) {
    if (m_box.remove(k))
        showPage();
    setWindowTitle(toQString(m_box.windowTitle()));
}

void SavedMessageDialog::previous() {
    m_box.previous();
    showPage();
    setWindowTitle(toQString(m_box.windowTitle()));
}

void SavedMessageDialog::next() {
    m_box.next();
    showPage();
    setWindowTitle(toQString(m_box.windowTitle()));
}

bool SavedMessageDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick)
        for (const auto& [part, k] : m_choosers)
            if (watched == part) {
                select(k);
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void SavedMessageDialog::done(int result) {
    m_firstPage->stop();
    m_box.close();
    QDialog::done(result);
}

QLineEdit* TitledMessageDialog::addTitle(int k, const QString& slotName, QGridLayout* grid) {
    auto* title = new QLineEdit(this);
    title->setObjectName(QString("title%1").arg(k));
    title->setFixedWidth(190);
    title->setStyleSheet("background: white;");
    title->setCursor(Qt::PointingHandCursor);
    title->setAccessibleName(slotName + QString::fromUtf8(" 제목"));
    chooseOnDoubleClick(title, k);
    grid->addWidget(title, 0, k - 1);
    m_titles[static_cast<std::size_t>(k - 1)] = title;
    return title;
}

void TitledMessageDialog::showTitle(int k, const SavedSlot& slot) {
    titleEdit(k)->setText(slot.filled ? toEditText(slot.title) : QString());
    titleEdit(k)->setCursorPosition(0);
}

} // namespace qb
