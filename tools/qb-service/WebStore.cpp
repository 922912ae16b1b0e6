#include "WebStore.h"

#include "Database.h"

#include <mutex>
#include <stdexcept>
#include <string>

namespace qbs {
namespace {

const char* messageTable(MessageStore store) {
    switch (store) {
    case MessageStore::Sms:
        return "web_sms_messages";
    case MessageStore::Lms:
        return "web_lms_messages";
    case MessageStore::Mms:
        break;
    }
    return "web_mms_messages";
}

} // namespace

WebStore::WebStore(Database& db) : m_db(db) {
    const std::lock_guard guard(m_db.lock());
    m_db.exec(R"(
CREATE TABLE IF NOT EXISTS web_addr_groups(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, grpname TEXT NOT NULL,
    UNIQUE(user_id, grpname));
CREATE TABLE IF NOT EXISTS web_addr_entries(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, groupname TEXT NOT NULL,
    hpno TEXT NOT NULL, name TEXT NOT NULL, etc TEXT NOT NULL, credate TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS web_sms_messages(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, title TEXT NOT NULL, msg TEXT NOT NULL,
    img1 TEXT NOT NULL, img2 TEXT NOT NULL, img3 TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS web_lms_messages(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, title TEXT NOT NULL, msg TEXT NOT NULL,
    img1 TEXT NOT NULL, img2 TEXT NOT NULL, img3 TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS web_mms_messages(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, title TEXT NOT NULL, msg TEXT NOT NULL,
    img1 TEXT NOT NULL, img2 TEXT NOT NULL, img3 TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS web_pictures(
    name TEXT PRIMARY KEY, user_id TEXT NOT NULL, data BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS web_callbacks(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, number TEXT NOT NULL, created TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS web_balances(
    user_id TEXT PRIMARY KEY, balance TEXT NOT NULL,
    sms_price TEXT NOT NULL, lms_price TEXT NOT NULL, mms_price TEXT NOT NULL,
    sms_count TEXT NOT NULL, lms_count TEXT NOT NULL, mms_count TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS web_send_pictures(
    idx INTEGER PRIMARY KEY AUTOINCREMENT, user_id TEXT NOT NULL, name TEXT NOT NULL, data BLOB NOT NULL);
)");
}

std::vector<StoredGroup> WebStore::groups(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT idx, grpname FROM web_addr_groups WHERE user_id = ?1 ORDER BY idx");
    st.bind(1, user);
    std::vector<StoredGroup> out;
    while (st.step())
        out.push_back({st.integer(0), st.text(1)});
    return out;
}

void WebStore::addGroup(std::string_view user, std::string_view name) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("INSERT OR IGNORE INTO web_addr_groups(user_id, grpname) VALUES(?1, ?2)")
        .bind(1, user)
        .bind(2, name)
        .run();
}

void WebStore::removeGroup(std::string_view user, std::string_view name) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("DELETE FROM web_addr_groups WHERE user_id = ?1 AND grpname = ?2")
        .bind(1, user)
        .bind(2, name)
        .run();
}

std::vector<StoredEntry> WebStore::entries(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT idx, groupname, hpno, name, etc, credate FROM web_addr_entries "
                           "WHERE user_id = ?1 ORDER BY idx");
    st.bind(1, user);
    std::vector<StoredEntry> out;
    while (st.step())
        out.push_back({st.integer(0), st.text(1), st.text(2), st.text(3), st.text(4), st.text(5)});
    return out;
}

std::int64_t WebStore::addEntry(std::string_view user, const StoredEntry& e) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("INSERT INTO web_addr_entries(user_id, groupname, hpno, name, etc, credate) "
                 "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, user)
        .bind(2, e.groupname)
        .bind(3, e.hpno)
        .bind(4, e.name)
        .bind(5, e.etc)
        .bind(6, e.credate)
        .run();
    return m_db.lastInsertId();
}

namespace {

int changes(Database& db) {
    auto st = db.prepare("SELECT changes()");
    st.step();
    return static_cast<int>(st.integer(0));
}

} // namespace

int WebStore::modifyEntries(std::string_view user, std::string_view group, std::string_view oldHpno,
                            std::string_view oldName, const StoredEntry& now) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("UPDATE web_addr_entries SET name = ?5, hpno = ?6, etc = ?7 "
                 "WHERE user_id = ?1 AND groupname = ?2 AND hpno = ?3 AND name = ?4")
        .bind(1, user)
        .bind(2, group)
        .bind(3, oldHpno)
        .bind(4, oldName)
        .bind(5, now.name)
        .bind(6, now.hpno)
        .bind(7, now.etc)
        .run();
    return changes(m_db);
}

int WebStore::deleteEntry(std::string_view user, std::string_view group, std::string_view name,
                          std::string_view hpno) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare(
            "DELETE FROM web_addr_entries WHERE user_id = ?1 AND groupname = ?2 AND name = ?3 AND hpno = ?4")
        .bind(1, user)
        .bind(2, group)
        .bind(3, name)
        .bind(4, hpno)
        .run();
    return changes(m_db);
}

int WebStore::deleteGroupEntries(std::string_view user, std::string_view group) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("DELETE FROM web_addr_entries WHERE user_id = ?1 AND groupname = ?2")
        .bind(1, user)
        .bind(2, group)
        .run();
    return changes(m_db);
}

int WebStore::moveEntry(std::string_view user, std::string_view group, std::string_view name,
                        std::string_view hpno, std::string_view newGroup) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("UPDATE web_addr_entries SET groupname = ?5 "
                 "WHERE user_id = ?1 AND groupname = ?2 AND name = ?3 AND hpno = ?4")
        .bind(1, user)
        .bind(2, group)
        .bind(3, name)
        .bind(4, hpno)
        .bind(5, newGroup)
        .run();
    return changes(m_db);
}

int WebStore::moveGroupEntries(std::string_view user, std::string_view group, std::string_view newGroup) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("UPDATE web_addr_entries SET groupname = ?3 WHERE user_id = ?1 AND groupname = ?2")
        .bind(1, user)
        .bind(2, group)
        .bind(3, newGroup)
        .run();
    return changes(m_db);
}

std::vector<StoredMessage> WebStore::messages(std::string_view user, MessageStore store) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare(std::string("SELECT idx, title, msg, img1, img2, img3 FROM ") +
                           messageTable(store) + " WHERE user_id = ?1 ORDER BY idx");
    st.bind(1, user);
    std::vector<StoredMessage> out;
    while (st.step())
        out.push_back({st.integer(0), st.text(1), st.text(2), {st.text(3), st.text(4), st.text(5)}});
    return out;
}

std::int64_t WebStore::addMessage(std::string_view user, MessageStore store, const StoredMessage& m) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare(std::string("INSERT INTO ") + messageTable(store) +
                 "(user_id, title, msg, img1, img2, img3) VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, user)
        .bind(2, m.title)
        .bind(3, m.msg)
        .bind(4, m.img[0])
        .bind(5, m.img[1])
        .bind(6, m.img[2])
        .run();
    return m_db.lastInsertId();
}

bool WebStore::deleteMessage(std::string_view user, MessageStore store, std::int64_t idx) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare(std::string("DELETE FROM ") + messageTable(store) + " WHERE user_id = ?1 AND idx = ?2")
        .bind(1, user)
        .bind(2, idx)
        .run();
    return changes(m_db) > 0;
}

std::optional<std::int64_t>
WebStore::addMmsMessage(std::string_view user, const StoredMessage& message,
                        const std::vector<std::pair<std::string, std::string_view>>& pictures) {
    const std::lock_guard guard(m_db.lock());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (picture(pictures[i].first))
            return std::nullopt;
        for (std::size_t j = 0; j < i; ++j)
            if (pictures[j].first == pictures[i].first)
                return std::nullopt;
    }
    for (const auto& [name, data] : pictures)
        m_db.prepare("INSERT INTO web_pictures(name, user_id, data) VALUES(?1, ?2, ?3)")
            .bind(1, name)
            .bind(2, user)
            .bindBlob(3, data)
            .run();
    return addMessage(user, MessageStore::Mms, message);
}

void WebStore::putPicture(std::string_view name, std::string_view user, std::string_view data) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("INSERT OR REPLACE INTO web_pictures(name, user_id, data) VALUES(?1, ?2, ?3)")
        .bind(1, name)
        .bind(2, user)
        .bindBlob(3, data)
        .run();
}

std::optional<std::string> WebStore::picture(std::string_view name) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT data FROM web_pictures WHERE name = ?1");
    st.bind(1, name);
    if (!st.step())
        return std::nullopt;
    return st.text(0);
}

std::vector<StoredCallback> WebStore::callbacks(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT number, created FROM web_callbacks WHERE user_id = ?1 ORDER BY idx");
    st.bind(1, user);
    std::vector<StoredCallback> out;
    while (st.step())
        out.push_back({st.text(0), st.text(1)});
    return out;
}

void WebStore::addCallback(std::string_view user, std::string_view number, std::string_view date) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("INSERT INTO web_callbacks(user_id, number, created) VALUES(?1, ?2, ?3)")
        .bind(1, user)
        .bind(2, number)
        .bind(3, date)
        .run();
}

int WebStore::deleteCallback(std::string_view user, std::string_view number) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("DELETE FROM web_callbacks WHERE user_id = ?1 AND number = ?2")
        .bind(1, user)
        .bind(2, number)
        .run();
    return changes(m_db);
}

Balance WebStore::balance(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT balance, sms_price, lms_price, mms_price, sms_count, lms_count, mms_count "
                           "FROM web_balances WHERE user_id = ?1");
    st.bind(1, user);
    Balance b;
    if (st.step()) {
        b.balance = st.text(0);
        b.prices = {st.text(1), st.text(2), st.text(3)};
        b.counts = {st.text(4), st.text(5), st.text(6)};
    }
    return b;
}

void WebStore::setBalance(std::string_view user, const Balance& b) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("INSERT OR REPLACE INTO web_balances(user_id, balance, sms_price, lms_price, mms_price, "
                 "sms_count, lms_count, mms_count) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
        .bind(1, user)
        .bind(2, b.balance)
        .bind(3, b.prices[0])
        .bind(4, b.prices[1])
        .bind(5, b.prices[2])
        .bind(6, b.counts[0])
        .bind(7, b.counts[1])
        .bind(8, b.counts[2])
        .run();
}

bool WebStore::hasBalance(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT 1 FROM web_balances WHERE user_id = ?1");
    st.bind(1, user);
    return st.step();
}

void WebStore::chargeSent(std::string_view user, int kind, std::int64_t count) {
    if (kind < 0 || kind > 2)
        return;
    const std::lock_guard guard(m_db.lock());
    if (!hasBalance(user))
        return;
    Balance b = balance(user);
    const auto number = [](const std::string& text) {
        try {
            return std::stoll(text);
        } catch (const std::exception&) {
            return 0LL;
        }
    };
    const auto k = static_cast<std::size_t>(kind);
    b.balance = std::to_string(number(b.balance) - count * number(b.prices[k]));
    b.counts[k] = std::to_string(number(b.counts[k]) + count);
    setBalance(user, b);
}

void WebStore::addSendPicture(std::string_view user, std::string_view name, std::string_view data) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("INSERT INTO web_send_pictures(user_id, name, data) VALUES(?1, ?2, ?3)")
        .bind(1, user)
        .bind(2, name)
        .bindBlob(3, data)
        .run();
}

std::vector<StoredPicture> WebStore::sendPictures(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    auto st = m_db.prepare("SELECT name, data FROM web_send_pictures WHERE user_id = ?1 ORDER BY idx");
    st.bind(1, user);
    std::vector<StoredPicture> out;
    while (st.step())
        out.push_back({st.text(0), st.text(1)});
    return out;
}

} // namespace qbs
