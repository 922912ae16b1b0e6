#include "compose/ui/CLMSEditDlg.h"

#include "web/ui/LmsMessageBoxDialog.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace qb {

CLMSEditDlg::CLMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner)
    : EditorWindow(owner, "lmsEditor", ":::: LMS 문자 편집창", false), m_model(web),
      m_pictureFolder(std::move(pictureFolder)) {
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName("body");
    m_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_body->setTabChangesFocus(true);
    QFont font(QStringLiteral("굴림"));
    font.setPointSize(12);
    m_body->setFont(font);
    m_body->setFixedSize(250, 340);
    build(m_body, "LMS");
    titleEdit()->setFixedWidth(250);
    showState();
}

CLMSEditDlg::~CLMSEditDlg() = default;

void CLMSEditDlg::showMore() {
    m_body->ensureCursorVisible();
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

bool CLMSEditDlg::mayDiscard() {
    return m_model.mayDiscard();
}

void CLMSEditDlg::reset() {
    if (!m_model.mayDiscard())
        return;
    m_model.text().reset();
    showState();
}

} // namespace qb
