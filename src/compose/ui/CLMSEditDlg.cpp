#include "compose/ui/CLMSEditDlg.h"

#include "common/QtText.h"
#include "compose/ui/CSpecialCharDlg.h"
#include "compose/ui/EditSelection.h"
#include "web/ui/LmsMessageBoxDialog.h"

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

// Window, edits and labels share the background; untouched text is grey.
constexpr const char* kBackground = "rgb(195, 217, 245)";

QString boxStyle(const char* type, bool touched) {
    return QString("%1 { background: %2; color: %3; border: 1px solid rgb(120, 150, 190); }")
        .arg(type, kBackground, touched ? "black" : "rgb(120, 120, 120)");
}

QPushButton* button(const char* textUtf8, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(textUtf8), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

CLMSEditDlg::CLMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_model(web),
      m_pictureFolder(std::move(pictureFolder)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("lmsEditor");
    setWindowTitle(QString::fromUtf8(":::: LMS 문자 편집창"));
    build();
    showState();
}

CLMSEditDlg::~CLMSEditDlg() = default;

void CLMSEditDlg::build() {
    setStyleSheet(
        QString("QDialog { background: %1; } QLabel { background: %1; color: black; }").arg(kBackground));
    QFont font(QStringLiteral("굴림"));
    font.setPointSize(12);

    m_title = new QLineEdit(this);
    m_title->setObjectName("title");
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName("body");
    m_title->setAccessibleName(QString::fromUtf8("LMS 제목"));
    m_body->setAccessibleName(QString::fromUtf8("LMS 내용"));
    m_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_body->setTabChangesFocus(true);
    for (QWidget* w : {static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_body)}) {
        w->setFont(font);
        w->installEventFilter(this);
    }
    m_body->setFixedSize(250, 340);
    m_title->setFixedWidth(250);

    m_counter = new QLabel(this);
    m_counter->setObjectName("counter");
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_loadButton = button("저장된 메시지 불러오기", "loadMessage", this);
    QPushButton* symbols = button("특수문자", "specialChars", this);
    QPushButton* saveButton = button("메시지저장", "saveMessage", this);
    QPushButton* resetButton = button("초기화", "reset", this);
    QPushButton* cancelButton = button("취소", "cancel", this);

    connect(m_title, &QLineEdit::textEdited, this, &CLMSEditDlg::onTitleEdited);
    connect(m_body, &QPlainTextEdit::textChanged, this, &CLMSEditDlg::onBodyChanged);
    connect(m_loadButton, &QPushButton::clicked, this, &CLMSEditDlg::loadSaved);
    connect(symbols, &QPushButton::clicked, this, &CLMSEditDlg::openPalette);
    connect(saveButton, &QPushButton::clicked, this, &CLMSEditDlg::save);
    connect(resetButton, &QPushButton::clicked, this, &CLMSEditDlg::reset);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);

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
    layout->addWidget(m_body);
    layout->addWidget(m_counter);
    layout->addLayout(loadRow);
    layout->addLayout(actionRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Neither box takes the focus on opening: the first focus clears a placeholder.
    m_loadButton->setFocus();
}

void CLMSEditDlg::showState() {
    const EditorText& t = m_model.text();
    m_showing = true;
    {
        const QSignalBlocker block(m_title);
        const QString title = toQString(t.title());
        if (m_title->text() != title)
            m_title->setText(title);
    }
    {
        const QSignalBlocker block(m_body);
        const QString body = toEditText(t.body());
        if (m_body->toPlainText() != body) {
            m_body->setPlainText(body);
            m_body->moveCursor(QTextCursor::End);
            m_body->ensureCursorVisible();
        }
    }
    m_counter->setText(toQString(t.counter()));
    m_title->setStyleSheet(boxStyle("QLineEdit", t.titleTouched()));
    m_body->setStyleSheet(boxStyle("QPlainTextEdit", t.bodyTouched()));
    m_showing = false;
}

void CLMSEditDlg::onTitleEdited() {
    // Shown again when cut, or when a character without a CP949 form became '?'.
    const bool cut = m_model.text().edited(Box::Title, fromQString(m_title->text()));
    if (cut || toQString(m_model.text().title()) != m_title->text())
        showState();
}

void CLMSEditDlg::onBodyChanged() {
    if (m_showing)
        return;
    const bool cut = m_model.text().edited(Box::Body, fromEditText(m_body->toPlainText()));
    if (cut || toEditText(m_model.text().body()) != m_body->toPlainText()) {
        showState();
        m_body->setFocus();
    } else {
        m_counter->setText(toQString(m_model.text().counter()));
    }
}

bool CLMSEditDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_title || watched == m_body)) {
        m_symbolBox = watched == m_title ? Box::Title : Box::Body;
        if (m_model.text().focused(m_symbolBox))
            showState();
        else
            m_counter->setText(toQString(m_model.text().counter()));
    }
    return QDialog::eventFilter(watched, event);
}

void CLMSEditDlg::insertSymbol(std::string_view symbol) {
    EditorText& t = m_model.text();
    if (m_symbolBox == Box::Title) {
        const ByteRange sel = selectedBytes(m_title);
        const std::size_t caret = t.insert(Box::Title, sel.from, sel.to, symbol);
        showState();
        placeCaret(m_title, t.title(), caret);
    } else {
        const ByteRange sel = selectedBytes(m_body);
        const std::size_t caret = t.insert(Box::Body, sel.from, sel.to, symbol);
        showState();
        placeCaret(m_body, t.body(), caret);
    }
}

void CLMSEditDlg::loadSaved() {
    if (!m_model.mayLoad())
        return;
    LmsMessageBoxDialog box(m_model.web(), m_pictureFolder, m_model, this);
    if (box.exec() != QDialog::Accepted)
        return;
    showState();
    m_body->setFocus();
}

void CLMSEditDlg::save() {
    m_model.save();
}

void CLMSEditDlg::reset() {
    m_model.text().reset();
    showState();
}

void CLMSEditDlg::openPalette() {
    CSpecialCharDlg::open(m_palette, *this, this, frameGeometry(), CSpecialCharDlg::Placement::MovedDown);
}

void CLMSEditDlg::keyPressEvent(QKeyEvent* event) {
    // Enter reaches the body itself (a line break); anywhere else it and Escape
    // do nothing.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CLMSEditDlg::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

} // namespace qb
