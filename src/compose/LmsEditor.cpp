#include "compose/LmsEditor.h"

#include "compose/WorkGuard.h"
#include "web/MessageSaver.h"
#include "web/WebClient.h"

namespace qb {

bool LmsEditor::save() {
    return MessageSaver(m_web).saveLms(m_text.draft());
}

bool LmsEditor::mayDiscard() {
    return qb::mayDiscard(holdsWork(m_text.content()), m_web.notifier());
}

bool LmsEditor::mayLoad() {
    return m_web.loginGate();
}

void LmsEditor::takeSavedMessage(const SelectedMessage& message) {
    m_text.load(message.title, message.body);
}

} // namespace qb
