#include "compose/ui/CMMSEditDlg.h"

#include "common/Notifier.h"
#include "common/QtText.h"
#include "compose/ui/CMMSBodyEdit.h"
#include "compose/ui/CMMSImageViewDlg.h"
#include "compose/ui/CMMSSendView.h"
#include "compose/ui/CSpecialCharDlg.h"
#include "compose/ui/EditSelection.h"
#include "compose/ui/MmsMessageBoxDialog.h"
#include "web/WebClient.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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

CMMSEditDlg::CMMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_model(web, m_reader),
      m_pictureFolder(std::move(pictureFolder)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("mmsEditor");
    setWindowTitle(QString::fromUtf8(":::: MMS 문자 편집창"));
    build();
    showState();
}

CMMSEditDlg::~CMMSEditDlg() = default;

CMMSBodyEdit* CMMSEditDlg::bodyEdit() const {
    return m_view->body();
}

void CMMSEditDlg::build() {
    setStyleSheet(
        QString("QDialog { background: %1; } QLabel { background: %1; color: black; }").arg(kBackground));
    QFont font(QStringLiteral("굴림"));
    font.setPointSize(12);

    m_title = new QLineEdit(this);
    m_title->setObjectName("title");
    m_title->setAccessibleName(QString::fromUtf8("MMS 제목"));
    m_title->setFont(font);
    m_title->installEventFilter(this);
    m_view = new CMMSSendView(m_model.pictures(), m_reader, this);
    m_view->body()->setAccessibleName(QString::fromUtf8("MMS 내용"));
    bodyEdit()->installEventFilter(this);

    m_counter = new QLabel(this);
    m_counter->setObjectName("counter");
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_loadButton = button("저장된 메시지 불러오기", "loadMessage", this);
    QPushButton* symbols = button("특수문자", "specialChars", this);
    QPushButton* saveButton = button("메시지저장", "saveMessage", this);
    QPushButton* resetButton = button("초기화", "reset", this);
    QPushButton* cancelButton = button("취소", "cancel", this);

    connect(m_title, &QLineEdit::textEdited, this, &CMMSEditDlg::onTitleEdited);
    connect(bodyEdit(), &QPlainTextEdit::textChanged, this, &CMMSEditDlg::onBodyChanged);
    connect(m_view, &CMMSSendView::viewOriginal, this, &CMMSEditDlg::viewOriginal);
    connect(m_loadButton, &QPushButton::clicked, this, &CMMSEditDlg::loadSaved);
    connect(symbols, &QPushButton::clicked, this, &CMMSEditDlg::openPalette);
    connect(saveButton, &QPushButton::clicked, this, &CMMSEditDlg::save);
    connect(resetButton, &QPushButton::clicked, this, &CMMSEditDlg::reset);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);

    auto* viewRow = new QHBoxLayout;
    viewRow->addStretch();
    viewRow->addWidget(m_view);
    viewRow->addStretch();
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
    layout->addLayout(viewRow);
    layout->addWidget(m_counter);
    layout->addLayout(loadRow);
    layout->addLayout(actionRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Neither box takes the focus on opening: the first focus clears a placeholder.
    m_loadButton->setFocus();
}

void CMMSEditDlg::showState() {
    const EditorText& t = m_model.text();
    CMMSBodyEdit* body = bodyEdit();
    m_showing = true;
    {
        const QSignalBlocker block(m_title);
        const QString title = toQString(t.title());
        if (m_title->text() != title)
            m_title->setText(title);
    }
    {
        const QSignalBlocker block(body);
        const QString text = toEditText(t.body());
        if (body->toPlainText() != text) {
            body->setPlainText(text);
            body->moveCursor(QTextCursor::End);
        }
    }
    m_counter->setText(toQString(t.counter()));
    m_title->setStyleSheet(boxStyle("QLineEdit", kBackground, t.titleTouched()));
    body->setStyleSheet(boxStyle("QPlainTextEdit", "white", t.bodyTouched()));
    m_view->showSlots();
    m_view->fitBody();
    m_showing = false;
}

void CMMSEditDlg::onTitleEdited() {
    // Shown again when cut, or when a character without a CP949 form became '?'.
    const bool cut = m_model.text().edited(Box::Title, fromQString(m_title->text()));
    if (cut || toQString(m_model.text().title()) != m_title->text())
        showState();
}

void CMMSEditDlg::onBodyChanged() {
    if (m_showing)
        return;
    const bool cut = m_model.text().edited(Box::Body, fromEditText(bodyEdit()->toPlainText()));
    if (cut || toEditText(m_model.text().body()) != bodyEdit()->toPlainText()) {
        showState();
        bodyEdit()->setFocus();
    } else {
        m_counter->setText(toQString(m_model.text().counter()));
        m_view->fitBody();
    }
}

bool CMMSEditDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_title || watched == bodyEdit())) {
        m_symbolBox = watched == m_title ? Box::Title : Box::Body;
        if (m_model.text().focused(m_symbolBox))
            showState();
        else
            m_counter->setText(toQString(m_model.text().counter()));
    }
    return QDialog::eventFilter(watched, event);
}

void CMMSEditDlg::insertSymbol(std::string_view symbol) {
    EditorText& t = m_model.text();
    if (m_symbolBox == Box::Title) {
        const ByteRange sel = selectedBytes(m_title);
        const std::size_t caret = t.insert(Box::Title, sel.from, sel.to, symbol);
        showState();
        placeCaret(m_title, t.title(), caret);
    } else {
        const ByteRange sel = selectedBytes(bodyEdit());
        const std::size_t caret = t.insert(Box::Body, sel.from, sel.to, symbol);
        showState();
        placeCaret(bodyEdit(), t.body(), caret);
    }
}

void CMMSEditDlg::loadSaved() {
    if (!m_model.mayLoad())
        return;
    MmsMessageBoxDialog box(m_model.web(), m_pictureFolder, m_model, this);
    if (box.exec() != QDialog::Accepted)
        return;
    showState();
    bodyEdit()->setFocus();
}

void CMMSEditDlg::save() {
    m_model.save();
}

void CMMSEditDlg::reset() {
    m_model.reset();
    showState();
}

void CMMSEditDlg::openPalette() {
    CSpecialCharDlg::open(m_palette, *this, this, frameGeometry(), CSpecialCharDlg::Placement::MovedDown);
}

void CMMSEditDlg::viewOriginal(int k) {
    CMMSImageViewDlg viewer(m_model.pictures().slot(k).path, this);
    if (viewer.status() != PictureStatus::Ok) {
        // The file changed or went away since it took the slot.
        m_model.web().notifier().error(pictureMessage(viewer.status()));
        return;
    }
    viewer.exec();
}

void CMMSEditDlg::keyPressEvent(QKeyEvent* event) {
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

void CMMSEditDlg::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

} // namespace qb
