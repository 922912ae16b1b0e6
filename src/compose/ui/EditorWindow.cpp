#include "compose/ui/EditorWindow.h"

#include "common/QtText.h"
#include "compose/ui/EditSelection.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qb {
namespace {

using Box = EditorText::Box;

// Window, title line and labels share the background; untouched text is grey.
constexpr const char* kBackground = "rgb(195, 217, 245)";

QString boxStyle(const char* type, const char* background, bool touched) {
    return QString("%1 { background: %2; color: %3; border: 1px solid rgb(120, 150, 190); }")
        .arg(type, background, touched ? "black" : "rgb(120, 120, 120)");
}

QPushButton* button(const char* textUtf8, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(textUtf8), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

EditorWindow::EditorWindow(QWidget* owner, const char* objectName, const char* captionUtf8, bool whiteBody)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_bodyBackground(whiteBody ? "white" : kBackground) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(objectName);
    setWindowTitle(QString::fromUtf8(captionUtf8));
    // Made before the window's body: Tab goes from the title to the body.
    m_title = new QLineEdit(this);
    m_title->setObjectName("title");
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::build(QWidget* bodyArea, const char* kindUtf8) {
    setStyleSheet(
        QString("QDialog { background: %1; } QLabel { background: %1; color: black; }").arg(kBackground));
    QFont font(QStringLiteral("굴림"));
    font.setPointSize(12);

    const QString kind = QString::fromUtf8(kindUtf8);
    m_title->setAccessibleName(kind + QString::fromUtf8(" 제목"));
    m_title->setFont(font);
    m_title->installEventFilter(this);
    QPlainTextEdit* text = body();
    text->setAccessibleName(kind + QString::fromUtf8(" 내용"));
    text->installEventFilter(this);

    m_counter = new QLabel(this);
    m_counter->setObjectName("counter");
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_loadButton = button("저장된 메시지 불러오기", "loadMessage", this);
    QPushButton* symbols = button("특수문자", "specialChars", this);
    QPushButton* saveButton = button("메시지저장", "saveMessage", this);
    QPushButton* resetButton = button("초기화", "reset", this);
    QPushButton* cancelButton = button("취소", "cancel", this);

    // textChanged, not textEdited: text set through the accessibility interface
    // or an input method is the user's too.
    connect(m_title, &QLineEdit::textChanged, this, &EditorWindow::onTitleEdited);
    connect(text, &QPlainTextEdit::textChanged, this, &EditorWindow::onBodyChanged);
    connect(m_loadButton, &QPushButton::clicked, this, &EditorWindow::loadSaved);
    connect(symbols, &QPushButton::clicked, this, &EditorWindow::openPalette);
    connect(saveButton, &QPushButton::clicked, this, &EditorWindow::save);
    connect(resetButton, &QPushButton::clicked, this, &EditorWindow::reset);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);

    auto* bodyRow = new QHBoxLayout;
    bodyRow->addStretch();
    bodyRow->addWidget(bodyArea);
    bodyRow->addStretch();
    auto* loadRow = new QHBoxLayout;
    loadRow->addWidget(m_loadButton, 1);
    loadRow->addWidget(symbols);
    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(saveButton);
    actionRow->addWidget(resetButton);
    actionRow->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    layout->addWidget(m_title);
    layout->addLayout(bodyRow);
    layout->addWidget(m_counter);
    layout->addLayout(loadRow);
    layout->addLayout(actionRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Neither box takes the focus on opening: the first focus clears a placeholder.
    m_loadButton->setFocus();
}

void EditorWindow::takeBody(const std::string& body) {
    text().edited(Box::Body, body);
    showState();
    bodyEdited();
}

void EditorWindow::showState() {
    const EditorText& t = text();
    QPlainTextEdit* b = body();
    m_showing = true;
    {
        const QSignalBlocker block(m_title);
        const QString title = toQString(t.title());
        if (m_title->text() != title)
            m_title->setText(title);
    }
    {
        const QSignalBlocker block(b);
        const QString shown = toEditText(t.body());
        if (b->toPlainText() != shown) {
            b->setPlainText(shown);
            b->moveCursor(QTextCursor::End);
        }
    }
    m_counter->setText(toQString(t.counter()));
    m_title->setStyleSheet(boxStyle("QLineEdit", kBackground, t.titleTouched()));
    b->setStyleSheet(boxStyle("QPlainTextEdit", m_bodyBackground, t.bodyTouched()));
    showMore();
    m_showing = false;
}

void EditorWindow::onTitleEdited() {
    if (m_showing)
        return;
    // Shown again when cut, or when a character without a CP949 form became '?'.
    const bool cut = text().edited(Box::Title, fromQString(m_title->text()));
    if (cut || toQString(text().title()) != m_title->text())
        showState();
}

void EditorWindow::onBodyChanged() {
    if (m_showing)
        return;
    const bool cut = text().edited(Box::Body, fromEditText(body()->toPlainText()));
    if (cut || toEditText(text().body()) != body()->toPlainText()) {
        showState();
        body()->setFocus();
    } else {
        m_counter->setText(toQString(text().counter()));
        bodyEdited();
    }
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_title || watched == body())) {
        if (text().focused(watched == m_title ? Box::Title : Box::Body))
            showState();
        else
            m_counter->setText(toQString(text().counter()));
    }
    return QDialog::eventFilter(watched, event);
}

void EditorWindow::insertSymbol(std::string_view symbol) {
    // Into the body only, whichever box had the focus last.
    EditorText& t = text();
    const ByteRange sel = selectedBytes(body());
    const std::size_t caret = t.insert(Box::Body, sel.from, sel.to, symbol);
    showState();
    placeCaret(body(), t.body(), caret);
}

void EditorWindow::openPalette() {
    CSpecialCharDlg::open(m_palette, *this, this, frameGeometry(), CSpecialCharDlg::Placement::BesideEditor);
}

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    // Enter reaches the body itself (a line break); anywhere else it and Escape
    // do nothing.
    if (!ignoreEnterAndEscape(event))
        QDialog::keyPressEvent(event);
}

void EditorWindow::closeWithoutAsking() {
    m_askOnClose = false;
    close();
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (m_askOnClose && !mayDiscard()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

} // namespace qb
