#pragma once

#include "compose/EditorContent.h"
#include "web/MessageSaver.h"

#include <cstddef>
#include <string>
#include <string_view>

// The title line and the body box of the LMS and MMS editors without their
// widgets: placeholders, touched flags, the byte limits (title 64, body 2000,
// a line break counting one) and the body's counter. Texts are CP949 with CR LF
// line breaks. A window shows title(), body() and counter() after every call
// that returns true, and colours a box grey while it is untouched.
namespace qb {

class EditorText {
public:
    enum class Box { Title, Body };

    EditorText();

    const std::string& title() const { return m_title; }
    const std::string& body() const { return m_body; }
    const std::string& text(Box box) const { return box == Box::Title ? m_title : m_body; }
    bool titleTouched() const { return m_titleTouched; }
    bool bodyTouched() const { return m_bodyTouched; }
    bool touched(Box box) const { return box == Box::Title ? m_titleTouched : m_bodyTouched; }
    // "%d / 2000 byte"
    const std::string& counter() const { return m_counter; }

    // Opening and "초기화": both placeholders, the counter at 0, nothing touched.
    void reset();
    // The box got the focus: while untouched it is emptied and becomes touched.
    // True when its text changed.
    bool focused(Box box);
    // The box's new text, however it got there. Text other than the placeholder
    // touches the box. Over its limit it is cut back; true when cut (the window
    // must then show text(box)).
    bool edited(Box box, std::string_view text);
    // A message taken from the message box: both boxes touched, limits applied.
    void load(std::string_view title, std::string_view body);
    // A palette symbol over the bytes [from, to) of the box (an untouched box is
    // emptied first); the limit then applies. Returns the caret's byte offset.
    std::size_t insert(Box box, std::size_t from, std::size_t to, std::string_view symbol);

    // What validation reads, and what a save takes.
    EditorContent content() const;
    MessageDraft draft() const;

    static const std::string& titlePlaceholder(); // " 제목... "
    static const std::string& bodyPlaceholder();  // " 내용... "
    static std::string counterText(std::size_t counted);

private:
    std::string& textRef(Box box) { return box == Box::Title ? m_title : m_body; }
    bool& touchedRef(Box box) { return box == Box::Title ? m_titleTouched : m_bodyTouched; }
    bool applyLimit(Box box);

    std::string m_title;
    std::string m_body;
    bool m_titleTouched = false;
    bool m_bodyTouched = false;
    std::string m_counter;
};

} // namespace qb
