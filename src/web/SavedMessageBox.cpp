#include "web/SavedMessageBox.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "common/PictureCheck.h"
#include "web/HttpRequests.h"
#include "web/WebClient.h"
#include "web/WebMessages.h"
#include "web/WebText.h"

#include <array>
#include <filesystem>

namespace qb {
namespace {

struct KindInfo {
    const char* titleUtf8;
    int pageSize;
    std::string_view listEndpoint;
    std::string_view deleteEndpoint;
};

const KindInfo& info(SavedKind kind) {
    static const KindInfo sms{"메세지 저장함", 6, "getsmsmsg.jsp?cid=", "delsmsmsg.jsp?cid="};
    static const KindInfo lms{"[LMS] 메세지 저장함", 3, "getlmsmsg.jsp?cid=", "dellmsmsg.jsp?cid="};
    static const KindInfo mms{"[MMS] 메세지 저장함", 3, "getmmsmsg.jsp?cid=", "delmmsmsg.jsp?cid="};
    switch (kind) {
    case SavedKind::Sms:
        return sms;
    case SavedKind::Lms:
        return lms;
    case SavedKind::Mms:
        break;
    }
    return mms;
}

std::string fit(std::string_view s, std::size_t width) {
    return cp949::cutBytes(s, width - 1);
}

std::unique_ptr<SavedMessage> makeRecord(SavedKind kind, const webjson::Row& r) {
    switch (kind) {
    case SavedKind::Sms: {
        auto m = std::make_unique<SavedSms>();
        m->idx = fit(r[0], SavedSms::kIdxWidth);
        m->msg = fit(r[1], SavedSms::kMsgWidth);
        return m;
    }
    case SavedKind::Lms: {
        auto m = std::make_unique<SavedLms>();
        m->idx = fit(r[0], SavedLms::kIdxWidth);
        m->title = fit(r[1], SavedLms::kTitleWidth);
        m->msg = fit(r[2], SavedLms::kMsgWidth);
        return m;
    }
    case SavedKind::Mms:
        break;
    }
    auto m = std::make_unique<SavedMms>();
    m->idx = fit(r[0], SavedMms::kIdxWidth);
    m->title = fit(r[1], SavedMms::kTitleWidth);
    m->msg = fit(r[2], SavedMms::kMsgWidth);
    for (std::size_t i = 0; i < 3; ++i) {
        // A name too long for its field is refused rather than cut: a cut name
        // would fetch some other picture.
        if (r[3 + i].size() < SavedMms::kImageWidth)
            m->img[i] = r[3 + i];
    }
    return m;
}

std::span<const std::string_view> fieldsOf(SavedKind kind) {
    static constexpr std::array<std::string_view, 2> sms{"idx", "msg"};
    static constexpr std::array<std::string_view, 3> lms{"idx", "title", "msg"};
    static constexpr std::array<std::string_view, 6> mms{"idx", "title", "msg", "img1", "img2", "img3"};
    switch (kind) {
    case SavedKind::Sms:
        return sms;
    case SavedKind::Lms:
        return lms;
    case SavedKind::Mms:
        break;
    }
    return mms;
}

} // namespace

SavedMessageBox::SavedMessageBox(SavedKind kind, WebClient& web, std::string pictureFolder)
    : m_kind(kind), m_web(web), m_pictureFolder(std::move(pictureFolder)) {}

int SavedMessageBox::pageSize() const {
    return info(m_kind).pageSize;
}

int SavedMessageBox::pageCount() const {
    const auto n = static_cast<int>(m_records.size());
    return n / pageSize() + (n % pageSize() ? 1 : 0);
}

void SavedMessageBox::open() {
    close();
    if (!m_web.loginGate())
        return;
    std::vector<webjson::Row> rows;
    if (!m_web.getList(info(m_kind).listEndpoint, fieldsOf(m_kind), rows))
        return;
    for (const webjson::Row& r : rows)
        m_records.push_back(makeRecord(m_kind, r));
    if (m_kind == SavedKind::Mms)
        fetchPictures();
}

void SavedMessageBox::fetchPictures() {
    std::error_code ec;
    std::filesystem::create_directories(m_pictureFolder, ec);
    for (auto& record : m_records) {
        auto& mms = static_cast<SavedMms&>(*record);
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string& name = mms.img[i];
            if (name.empty())
                continue;
            // A name that could leave the cache folder is never fetched.
            if (!webtext::isSafePictureName(name)) {
                mms.unavailable[i] = true;
                continue;
            }
            const std::string local = m_pictureFolder + "/" + name;
            const long long got = m_web.download("fileSave/" + percentEncode(name), local,
                                                 static_cast<long long>(kMaxPictureFileBytes));
            // Judged as a picture the user chooses is judged: what the editor would
            // refuse is not offered.
            if (got > 0 && checkPicture(local).status == PictureStatus::Ok) {
                mms.cached[i] = local;
                continue;
            }
            mms.unavailable[i] = true;
            if (got > 0)
                std::filesystem::remove(local, ec);
        }
    }
}

std::string SavedMessageBox::windowTitle() const {
    static const std::string templ = "%s - %d / %d";
    return webtext::fill(templ,
                         {ko(info(m_kind).titleUtf8), std::to_string(m_page), std::to_string(pageCount())});
}

long SavedMessageBox::indexOf(int k) const {
    const long n = pageSize();
    if (k < 1 || k > n)
        return -1;
    const long index = static_cast<long>(m_records.size()) - m_page * n + (n - k);
    return index >= 0 && index < static_cast<long>(m_records.size()) ? index : -1;
}

SavedSlot SavedMessageBox::slot(int k) const {
    SavedSlot s;
    const long index = indexOf(k);
    if (index < 0)
        return s;
    const SavedMessage& r = *m_records[static_cast<std::size_t>(index)];
    s.filled = true;
    s.body = webtext::toCrLf(r.msg);
    if (const auto* lms = dynamic_cast<const SavedLms*>(&r))
        s.title = webtext::toCrLf(lms->title);
    if (const auto* mms = dynamic_cast<const SavedMms*>(&r)) {
        s.title = webtext::toCrLf(mms->title);
        s.pictures = mms->cached;
        s.unavailable = mms->unavailable;
    }
    return s;
}

void SavedMessageBox::previous() {
    if (m_page > 1)
        --m_page;
}

void SavedMessageBox::next() {
    if (static_cast<std::size_t>(m_page) * static_cast<std::size_t>(pageSize()) < m_records.size())
        ++m_page;
}

bool SavedMessageBox::remove(int k) {
    if (!m_web.loginGate())
        return false;
    const long index = indexOf(k);
    if (index < 0)
        return false;
    std::string reply;
    if (!m_web.get(m_web.path(info(m_kind).deleteEndpoint,
                              {{"idx", m_records[static_cast<std::size_t>(index)]->idx}}),
                   reply))
        return false;
    m_records.erase(m_records.begin() + index);
    const long n = pageSize();
    if (static_cast<long>(m_records.size()) < m_page * n - (n - 1))
        previous();
    return true;
}

bool SavedMessageBox::select(int k, std::string_view shownTitle, std::string_view shownBody,
                             SavedMessageTarget& target) {
    if (shownBody.empty()) {
        static const std::string empty = ko("메시지 내용이 없습니다.!");
        m_web.notifier().error(empty);
        return false;
    }
    SelectedMessage m;
    m.body = shownBody;
    if (m_kind != SavedKind::Sms)
        m.title = shownTitle;
    if (m_kind == SavedKind::Mms)
        m.pictures = slot(k).pictures;
    target.takeSavedMessage(m);
    close();
    return true;
}

void SavedMessageBox::close() {
    m_records.clear();
    m_page = 1;
}

} // namespace qb
