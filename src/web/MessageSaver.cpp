#include "web/MessageSaver.h"

#include "common/Clock.h"
#include "common/Cp949.h"
#include "common/Notifier.h"
#include "web/WebClient.h"
#include "web/WebText.h"

namespace qb {

bool MessageSaver::saveSms(std::string_view text) {
    if (!m_web.loginGate())
        return false;
    if (text.empty()) {
        static const std::string nothing = ko("저장할 내용이 없습니다.");
        m_web.notifier().error(nothing);
        return false;
    }
    if (!m_web.post("/setsmsmsg.jsp", {{"m_id", m_web.userId()}, {"data", webtext::escapeForSave(text)}}))
        return false;
    static const std::string saved = ko("메세지 저장완료!");
    m_web.notifier().info(saved);
    return true;
}

bool MessageSaver::saveLms(const MessageDraft& draft) {
    if (!m_web.loginGate())
        return false;
    if (draft.body.empty() || !draft.bodyEntered) {
        static const std::string nothing = ko("[LMS] 저장할 내용이 없습니다.");
        m_web.notifier().error(nothing);
        return false;
    }
    const std::string title = draft.titleEntered ? draft.title : std::string();
    if (!m_web.post("/setlmsmsg.jsp", {{"m_id", m_web.userId()},
                                       {"title", webtext::escapeForSave(title)},
                                       {"data", webtext::escapeForSave(draft.body)}}))
        return false;
    static const std::string saved = ko("[LMS] 메세지 저장완료!");
    m_web.notifier().info(saved);
    return true;
}

bool MessageSaver::saveMms(const MessageDraft& draft) {
    if (!m_web.loginGate())
        return false;
    if (draft.body.empty() || !draft.bodyEntered) {
        static const std::string nothing = ko("[MMS] 저장할 내용이 없습니다.");
        m_web.notifier().error(nothing);
        return false;
    }
    std::vector<FormFile> files;
    const std::string stamp = formatLocalNow("%Y%m%d%H%M%S");
    for (const PictureSlot& slot : draft.pictures) {
        if (slot.empty())
            continue;
        const std::string k = std::to_string(files.size() + 1);
        files.push_back(
            {"img" + k, webtext::fill("%s_%s_" + k + ".jpg", {m_web.userId(), stamp}), slot.path});
    }
    if (files.empty()) {
        static const std::string noPicture = ko("[MMS] 저장할 그림이 없습니다.");
        m_web.notifier().error(noPicture);
        return false;
    }
    const std::string title = draft.titleEntered ? draft.title : std::string();
    if (!m_web.post("/setmmsmsg.jsp",
                    {{"m_id", m_web.userId()},
                     {"title", webtext::escapeForSave(title)},
                     {"data", webtext::escapeForSave(draft.body)}},
                    files))
        return false;
    static const std::string saved = ko("[MMS] 메세지 저장완료!");
    m_web.notifier().info(saved);
    return true;
}

} // namespace qb
