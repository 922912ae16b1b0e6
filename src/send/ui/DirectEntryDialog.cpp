#include "send/ui/DirectEntryDialog.h"

#include "common/QtText.h"
#include "common/ui/DialogButtons.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

namespace qb {

DirectEntryDialog::DirectEntryDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_edit(new QPlainTextEdit(this)) {
    setObjectName("directEntryDialog");
    setWindowTitle(QString::fromUtf8("직접입력"));
    setFixedSize(310, 270);

    auto* hint1 = new QLabel(QString::fromUtf8("- 전화번호는 '-' 없이 숫자만 입력하세요."), this);
    auto* hint2 = new QLabel(QString::fromUtf8("- 한 줄에 전화번호 하나씩 입력하세요."), this);
    hint1->setObjectName("hint1");
    hint2->setObjectName("hint2");
    m_edit->setObjectName("numbers");
    m_edit->setAccessibleName(QString::fromUtf8("전화번호"));
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setTabChangesFocus(true);
    connect(m_edit, &QPlainTextEdit::textChanged, this, &DirectEntryDialog::enforceLimit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(hint1);
    layout->addWidget(hint2);
    layout->addWidget(m_edit, 1);
    // Enter belongs to the edit box: no button may take it as the default.
    addDialogButtons(this, layout, "입력", "ok", false);
    m_edit->setFocus();
}

std::string DirectEntryDialog::text() const {
    return fromEditText(m_edit->toPlainText());
}

void DirectEntryDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DirectEntryDialog::enforceLimit() {
    // characterCount() includes the document's final paragraph separator.
    const int count = m_edit->document()->characterCount() - 1;
    if (count <= kMaxCharacters)
        return;
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(kMaxCharacters);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

} // namespace qb
