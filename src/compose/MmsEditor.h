#pragma once

#include "compose/EditorText.h"
#include "compose/MmsPictures.h"
#include "web/SavedMessageBox.h"

// The MMS editor without its window: the title and body (EditorText), the three
// picture slots (MmsPictures), and the actions that reach the service. Messages
// go to the web client's notifier.
namespace qb {

class WebClient;

class MmsEditor : public SavedMessageTarget {
public:
    MmsEditor(WebClient& web, PictureTarget* keeper = nullptr);

    EditorText& text() { return m_text; }
    const EditorText& text() const { return m_text; }
    MmsPictures& pictures() { return m_pictures; }
    const MmsPictures& pictures() const { return m_pictures; }
    WebClient& web() { return m_web; }

    // What validation reads: title, body, their flags and the three slots.
    EditorContent content() const;
    // "메시지저장": the title only when touched, a touched body that is not
    // empty, and at least one picture; the filled slots go out in slot order.
    bool save();
    // "저장된 메시지 불러오기" may open the MMS message box: false (after the
    // login message) when nobody is logged in.
    bool mayLoad();
    // "초기화": placeholders, nothing touched, every slot empty.
    void reset();
    // "초기화" and "취소" throw title, body and pictures away: asked first when
    // any holds something; false when the user kept them.
    bool mayDiscard();
    // "선택" in the MMS message box: title and body, both touched; the pictures
    // replace all three slots.
    void takeSavedMessage(const SelectedMessage& message) override;

private:
    WebClient& m_web;
    EditorText m_text;
    MmsPictures m_pictures;
};

} // namespace qb
