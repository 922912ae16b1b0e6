#include "compose/MmsEditor.h"

#include "compose/WorkGuard.h"
#include "web/MessageSaver.h"
#include "web/WebClient.h"

namespace qb {

MmsEditor::MmsEditor(WebClient& web, PictureTarget* keeper)
    : m_web(web), m_pictures(web.notifier(), keeper) {}

EditorContent MmsEditor::content() const {
    EditorContent c = m_text.content();
    c.pictures = m_pictures.all();
    return c;
}

bool MmsEditor::save() {
    MessageDraft draft = m_text.draft();
    draft.pictures = m_pictures.all();
    return MessageSaver(m_web).saveMms(draft);
}

bool MmsEditor::mayDiscard() {
    return qb::mayDiscard(holdsWork(content()), m_web.notifier());
}

bool MmsEditor::mayLoad() {
    return m_web.loginGate();
}

void MmsEditor::reset() {
    m_text.reset();
    m_pictures.clear();
}

void MmsEditor::takeSavedMessage(const SelectedMessage& message) {
    m_text.load(message.title, message.body);
    m_pictures.replaceAll(message.pictures);
}

} // namespace qb
