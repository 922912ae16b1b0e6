// The documents of the web application, one handler each.
#include "WebCall.h"
#include "WebServer.h"

#include "common/Bytes.h"
#include "common/Clock.h"
#include "common/Cp949.h"
#include "web/WebText.h"

namespace qbs {
namespace {

std::string isAllFlag(const WebCall& call) {
    std::string isall = call.field("isall");
    if (isall != "Y" && isall != "N")
        throw BadRequest("isall is neither Y nor N");
    return isall;
}

std::string nonEmpty(std::string value, const char* what) {
    if (value.empty())
        throw BadRequest(std::string("empty ") + what);
    return value;
}

std::string joinBars(const std::vector<std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += '|';
        out += values[i];
    }
    return out;
}

// Picture names become keys of the picture table and parts of URLs; the client
// never sends anything that could be a path.
std::string checkedPictureName(const httplib::MultipartFormData& part) {
    if (!qb::webtext::isSafePictureName(part.filename))
        throw BadRequest("unsafe picture name");
    if (part.content.empty())
        throw BadRequest("empty picture");
    return part.filename;
}

} // namespace

// Address book

void WebServer::getGroups(WebCall& call) {
    const std::string user = call.user();
    std::vector<JsonObject> rows;
    for (const StoredGroup& g : m_store.groups(user))
        rows.push_back({{"idx", std::to_string(g.idx)}, {"grpname", g.grpname}});
    call.jsonList(user, rows);
}

void WebServer::getEntries(WebCall& call) {
    const std::string user = call.user();
    std::vector<JsonObject> rows;
    std::vector<StoredEntry> entries = m_store.entries(user);
    rows.reserve(entries.size());
    for (StoredEntry& e : entries)
        rows.push_back({{"idx", std::to_string(e.idx)},
                        {"hpno", std::move(e.hpno)},
                        {"name", std::move(e.name)},
                        {"etc", std::move(e.etc)},
                        {"groupname", std::move(e.groupname)},
                        {"credate", std::move(e.credate)}});
    call.jsonList(user, rows);
}

void WebServer::addGroup(WebCall& call) {
    const std::string user = call.user();
    m_store.addGroup(user, nonEmpty(call.field("groupname"), "group name"));
    call.text("OK");
}

void WebServer::addEntries(WebCall& call) {
    const std::string user = call.user();
    const std::string group = nonEmpty(call.field("groupname"), "group name");
    const auto rows = readDataList(call.field("data"), user, {"name", "hpno", "etc"});
    const std::string now = qb::formatLocalNow("%Y-%m-%d %H:%M:%S");
    for (const auto& r : rows)
        if (r[1].empty())
            throw BadRequest("an entry without a phone number");
    for (const auto& r : rows)
        m_store.addEntry(user, {0, group, r[1], r[0], r[2], now});
    call.text("OK");
}

void WebServer::modifyEntry(WebCall& call) {
    const std::string user = call.user();
    const std::string group = call.field("groupname");
    const std::string oldHpno = call.field("oldhpno");
    const std::string oldName = call.field("oldname");
    const auto rows = readDataList(call.field("data"), user, {"name", "hpno", "etc"});
    if (rows.size() != 1)
        throw BadRequest("a modification names exactly one entry");
    StoredEntry now;
    now.name = rows[0][0];
    now.hpno = rows[0][1];
    now.etc = rows[0][2];
    m_store.modifyEntries(user, group, oldHpno, oldName, now);
    call.text("OK");
}

void WebServer::deleteEntries(WebCall& call) {
    const std::string user = call.user();
    const std::string isall = isAllFlag(call);
    const std::string group = call.field("groupname");
    const auto rows = readDataList(call.field("data"), user, {"name", "hpno"});
    if (isall == "Y") {
        // Every entry of the group named: the group goes with them.
        m_store.deleteGroupEntries(user, group);
        m_store.removeGroup(user, group);
    } else {
        for (const auto& r : rows)
            m_store.deleteEntry(user, group, r[0], r[1]);
    }
    call.text("OK");
}

void WebServer::moveEntries(WebCall& call) {
    const std::string user = call.user();
    const std::string isall = isAllFlag(call);
    const std::string group = call.field("groupname");
    const std::string newGroup = nonEmpty(call.field("newgroupname"), "target group");
    const auto rows = readDataList(call.field("data"), user, {"name", "hpno"});
    m_store.addGroup(user, newGroup);
    if (isall == "Y") {
        m_store.moveGroupEntries(user, group, newGroup);
    } else {
        for (const auto& r : rows)
            m_store.moveEntry(user, group, r[0], r[1], newGroup);
    }
    call.text("OK");
}

// Saved messages

void WebServer::getMessages(WebCall& call, MessageStore store) {
    const std::string user = call.user();
    std::vector<JsonObject> rows;
    for (const StoredMessage& m : m_store.messages(user, store)) {
        JsonObject o{{"idx", std::to_string(m.idx)}};
        if (store != MessageStore::Sms)
            o.emplace_back("title", m.title);
        o.emplace_back("msg", m.msg);
        if (store == MessageStore::Mms) {
            o.emplace_back("img1", m.img[0]);
            o.emplace_back("img2", m.img[1]);
            o.emplace_back("img3", m.img[2]);
        }
        rows.push_back(std::move(o));
    }
    call.jsonList(user, rows);
}

void WebServer::getSms(WebCall& call) {
    getMessages(call, MessageStore::Sms);
}
void WebServer::getLms(WebCall& call) {
    getMessages(call, MessageStore::Lms);
}
void WebServer::getMms(WebCall& call) {
    getMessages(call, MessageStore::Mms);
}

void WebServer::deleteMessage(WebCall& call, MessageStore store) {
    const std::string user = call.user();
    long long idx = 0;
    if (!qb::bytes::parseDecimal(call.param("idx"), idx))
        throw BadRequest("idx is not a number");
    // Already gone counts as deleted: the client drops its copy either way.
    call.text(m_store.deleteMessage(user, store, idx) ? "deleted" : "not found");
}

void WebServer::deleteSms(WebCall& call) {
    deleteMessage(call, MessageStore::Sms);
}
void WebServer::deleteLms(WebCall& call) {
    deleteMessage(call, MessageStore::Lms);
}
void WebServer::deleteMms(WebCall& call) {
    deleteMessage(call, MessageStore::Mms);
}

void WebServer::saveSms(WebCall& call) {
    const std::string user = call.user();
    StoredMessage m;
    m.msg = call.field("data");
    m_store.addMessage(user, MessageStore::Sms, m);
    call.text("OK");
}

void WebServer::saveLms(WebCall& call) {
    const std::string user = call.user();
    StoredMessage m;
    m.title = call.field("title");
    m.msg = call.field("data");
    m_store.addMessage(user, MessageStore::Lms, m);
    call.text("OK");
}

void WebServer::saveMms(WebCall& call) {
    const std::string user = call.user();
    StoredMessage m;
    m.title = call.field("title");
    m.msg = call.field("data");
    static const char* const kFields[] = {"img1", "img2", "img3"};
    std::vector<std::pair<std::string, std::string_view>> pictures;
    for (int i = 0; i < 3; ++i) {
        if (!call.hasFile(kFields[i]))
            continue;
        const auto& part = call.file(kFields[i]);
        m.img[static_cast<std::size_t>(i)] = checkedPictureName(part);
        pictures.emplace_back(part.filename, part.content);
    }
    // Names carry a time stamp to the second: two saves in one second would
    // otherwise give the first message the second one's pictures.
    if (!m_store.addMmsMessage(user, m, pictures))
        throw BadRequest("a picture of that name is stored already");
    call.text("OK");
}

void WebServer::getPicture(WebCall& call) {
    const std::string name = call.request().matches[1].str();
    const auto data = m_store.picture(name);
    if (!data)
        return call.notFound();
    call.text(*data, "image/jpeg");
}

void WebServer::uploadSendPictures(WebCall& call) {
    const std::string user = call.user();
    long long count = 0;
    if (!qb::bytes::parseDecimal(call.field("imgcount"), count))
        throw BadRequest("imgcount is not a number");
    static const char* const kFields[] = {"imgfile1", "imgfile2", "imgfile3"};
    std::vector<const httplib::MultipartFormData*> parts;
    for (const char* f : kFields)
        if (call.hasFile(f))
            parts.push_back(&call.file(f));
    if (static_cast<long long>(parts.size()) != count)
        throw BadRequest("imgcount does not match the pictures sent");
    for (const auto* part : parts)
        checkedPictureName(*part);
    for (const auto* part : parts)
        m_store.addSendPicture(user, part->filename, part->content);
    call.text("OK");
}

// Callback numbers and balance

void WebServer::getCallbackDetail(WebCall& call) {
    call.requireMode("stat_acc");
    std::vector<std::string> values;
    for (const StoredCallback& c : m_store.callbacks(call.user())) {
        values.push_back(c.number);
        values.push_back(c.date);
    }
    call.text(joinBars(values));
}

void WebServer::deleteCallback(WebCall& call) {
    call.requireMode("stat_acc");
    const std::string user = call.user();
    m_store.deleteCallback(user, nonEmpty(call.param("callback"), "callback number"));
    call.text("OK");
}

void WebServer::getCallbacks(WebCall& call) {
    call.requireMode("stat_acc");
    std::vector<std::string> values;
    for (const StoredCallback& c : m_store.callbacks(call.user()))
        values.push_back(c.number);
    call.text(joinBars(values));
}

void WebServer::getBalance(WebCall& call) {
    call.requireMode("stat_acc");
    const Balance b = m_store.balance(call.user());
    call.text(
        joinBars({b.balance, b.prices[0], b.prices[1], b.prices[2], b.counts[0], b.counts[1], b.counts[2]}));
}

// Pages shown in the client's browser views

void WebServer::resultsPage(WebCall& call) {
    if (call.param("mode") != "init")
        throw BadRequest("unknown mode");
    const std::string user = call.user();
    std::string body = "<p>" + htmlEscape(user) + "</p>\n";
    body += m_resultsRows ? m_resultsRows(user) : "<p>" + qb::ko("발송 내역이 없습니다.") + "</p>";
    call.html(qb::ko("결과조회"), body);
}

void WebServer::reservationsPage(WebCall& call) {
    if (call.param("mode") != "view_rsv_client")
        throw BadRequest("unknown mode");
    const std::string user = call.user();
    call.html(qb::ko("예약조회"),
              "<p>" + htmlEscape(user) + "</p>\n<p>" + qb::ko("예약된 발송이 없습니다.") + "</p>");
}

void WebServer::chargingPage(WebCall& call) {
    if (call.param("mode") != "view_acc_client")
        throw BadRequest("unknown mode");
    const std::string user = call.user();
    const Balance b = m_store.balance(user);
    call.html(qb::ko("사이버머니충전"),
              "<p>" + htmlEscape(user) + "</p>\n<p>" + qb::ko("잔액 : ") + htmlEscape(b.balance) + "</p>");
}

void WebServer::noticesPage(WebCall& call) {
    if (call.param("mode") != "init" || call.param("kind") != "smsadmin")
        throw BadRequest("unknown notice");
    call.html(qb::ko("공지사항"), "<p>" + qb::ko("새 공지사항이 없습니다.") + "</p>");
}

void WebServer::memberPage(WebCall& call) {
    if (call.param("mode") != "init")
        throw BadRequest("unknown mode");
    call.html(qb::ko("회원정보수정"), "<p>" + htmlEscape(call.user()) + "</p>");
}

// Status of a send job

void WebServer::sendStatus(WebCall& call) {
    if (!m_jobStatus)
        return call.notFound();
    const std::string user = call.user();
    call.text(m_jobStatus(user, call.param("sendtag"), call.optionalParam("later") == "1"), "text/plain");
}

} // namespace qbs
