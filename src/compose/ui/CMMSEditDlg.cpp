#include "compose/ui/CMMSEditDlg.h"

#include "common/Notifier.h"
#include "compose/ui/CMMSBodyEdit.h"
#include "compose/ui/CMMSImageViewDlg.h"
#include "compose/ui/CMMSSendView.h"
#include "compose/ui/CPictureCtrl.h"
#include "compose/ui/MmsMessageBoxDialog.h"
#include "web/WebClient.h"

#include <QLineEdit>

namespace qb {

CMMSEditDlg::CMMSEditDlg(WebClient& web, std::string pictureFolder, QWidget* owner)
    : EditorWindow(owner, "mmsEditor", ":::: MMS 문자 편집창", true), m_model(web, &m_reader),
      m_pictureFolder(std::move(pictureFolder)) {
    m_view = new CMMSSendView(m_model.pictures(), m_reader, this);
    connect(m_view, &CMMSSendView::viewOriginal, this, &CMMSEditDlg::viewOriginal);
    build(m_view, "MMS");
    // Title, body, then the picture slots: typing goes on from the title.
    setTabOrder(titleEdit(), m_view->body());
    QWidget* previous = m_view->body();
    for (int k = 1; k <= MmsPictures::kSlots; ++k) {
        setTabOrder(previous, m_view->slotControl(k));
        previous = m_view->slotControl(k);
    }
    showState();
}

CMMSEditDlg::~CMMSEditDlg() = default;

CMMSBodyEdit* CMMSEditDlg::bodyEdit() const {
    return m_view->body();
}

QPlainTextEdit* CMMSEditDlg::body() const {
    return m_view->body();
}

void CMMSEditDlg::showMore() {
    m_view->showSlots();
    m_view->fitBody();
}

void CMMSEditDlg::bodyEdited() {
    m_view->fitBody();
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

bool CMMSEditDlg::mayDiscard() {
    return m_model.mayDiscard();
}

void CMMSEditDlg::reset() {
    if (!m_model.mayDiscard())
        return;
    m_model.reset();
    showState();
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

} // namespace qb
