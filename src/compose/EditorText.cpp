#include "compose/EditorText.h"

#include "common/Cp949.h"
#include "compose/MessageBuild.h"
#include "compose/Symbols.h"

#include <algorithm>

namespace qb {

EditorText::EditorText() {
    reset();
}

const std::string& EditorText::titlePlaceholder() {
    static const std::string text = ko(" 제목... ");
    return text;
}

const std::string& EditorText::bodyPlaceholder() {
    static const std::string text = ko(" 내용... ");
    return text;
}

std::string EditorText::counterText(std::size_t counted) {
    return std::to_string(counted) + " / 2000 byte";
}

void EditorText::reset() {
    m_title = titlePlaceholder();
    m_body = bodyPlaceholder();
    m_titleTouched = false;
    m_bodyTouched = false;
    m_counter = counterText(0);
}

bool EditorText::focused(Box box) {
    const bool changed = !touched(box);
    if (changed) {
        textRef(box).clear();
        touchedRef(box) = true;
    }
    if (box == Box::Body)
        m_counter = counterText(countedLength(m_body));
    return changed;
}

bool EditorText::applyLimit(Box box) {
    std::string& text = textRef(box);
    const CountedCut cut = cutToCounted(text, box == Box::Title ? kTitleLimit : kLongBodyLimit);
    const bool wasCut = cut.bytes < text.size();
    text.resize(cut.bytes);
    if (box == Box::Body)
        m_counter = counterText(cut.counted);
    return wasCut;
}

bool EditorText::edited(Box box, std::string_view text) {
    // Text can arrive without the focus (paste by mouse, an input method, a
    // screen reader's command): anything but the placeholder is the user's.
    if (!touched(box) && text != (box == Box::Title ? titlePlaceholder() : bodyPlaceholder()))
        touchedRef(box) = true;
    textRef(box) = text;
    return applyLimit(box);
}

void EditorText::load(std::string_view title, std::string_view body) {
    m_title = title;
    m_body = body;
    m_titleTouched = true;
    m_bodyTouched = true;
    applyLimit(Box::Title);
    applyLimit(Box::Body);
}

std::size_t EditorText::insert(Box box, std::size_t from, std::size_t to, std::string_view symbol) {
    if (!touched(box)) {
        textRef(box).clear();
        touchedRef(box) = true;
        from = to = 0;
    }
    Replaced r = replaceRange(text(box), from, to, symbol);
    textRef(box) = std::move(r.text);
    applyLimit(box);
    return std::min(r.caret, text(box).size());
}

EditorContent EditorText::content() const {
    EditorContent c;
    c.title = m_title;
    c.titleTouched = m_titleTouched;
    c.body = m_body;
    c.bodyTouched = m_bodyTouched;
    return c;
}

MessageDraft EditorText::draft() const {
    MessageDraft d;
    d.title = m_title;
    d.titleEntered = m_titleTouched;
    d.body = m_body;
    d.bodyEntered = m_bodyTouched;
    return d;
}

} // namespace qb
