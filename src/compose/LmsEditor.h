#pragma once

#include "compose/EditorText.h"
#include "web/SavedMessageBox.h"

// The LMS editor without its window: the title and body (EditorText), and its
// three actions that reach the service. Messages go to the web client's notifier.
namespace qb {

class WebClient;

class LmsEditor : public SavedMessageTarget {
public:
    explicit LmsEditor(WebClient& web) : m_web(web) {}

    EditorText& text() { return m_text; }
    const EditorText& text() const { return m_text; }
    WebClient& web() { return m_web; }

    // "메시지저장": the title only when touched, the body only when touched and
    // not empty; true when the service took it.
    bool save();
    // "저장된 메시지 불러오기" may open the LMS message box: false (after the
    // login message) when nobody is logged in.
    bool mayLoad();
    // "초기화" and "취소" throw the title and body away: asked first when they
    // hold text; false when the user kept them.
    bool mayDiscard();
    // "선택" in the LMS message box: title and body, both touched.
    void takeSavedMessage(const SelectedMessage& message) override;

private:
    WebClient& m_web;
    EditorText m_text;
};

} // namespace qb
