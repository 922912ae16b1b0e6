#include "Accounts.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

#include <fstream>
#include <stdexcept>

namespace qbs {
namespace {

constexpr std::size_t kFieldWidth = 16;

void checkText(const std::string& what, const std::string& text, std::size_t maxBytes, bool mayBeEmpty) {
    if (!mayBeEmpty && text.empty())
        throw std::invalid_argument(what + " is empty");
    if (text.size() > maxBytes)
        throw std::invalid_argument(what + " is longer than " + std::to_string(maxBytes) + " bytes");
    if (text.find('\0') != std::string::npos)
        throw std::invalid_argument(what + " holds a NUL byte");
}

std::string toCp949(std::string_view utf8) {
    const qb::cp949::Conversion c = qb::cp949::fromUtf8(utf8);
    if (!c.ok())
        throw std::invalid_argument("text without a CP949 form: " + std::string(utf8));
    return c.text;
}

} // namespace

Accounts::Accounts(Database& db) : m_db(db) {}

void Accounts::createSchema(Database& db) {
    std::lock_guard lock(db.lock());
    db.exec("CREATE TABLE IF NOT EXISTS accounts ("
            " id BLOB PRIMARY KEY,"
            " password BLOB NOT NULL,"
            " user_number INTEGER NOT NULL,"
            " user_tag BLOB NOT NULL)");
}

Account Accounts::add(Account a) {
    checkText("account id", a.id, kFieldWidth, false);
    checkText("password", a.password, kFieldWidth, false);
    checkText("user tag", a.userTag, kFieldWidth - 1, true);

    std::lock_guard lock(m_db.lock());
    if (a.userNumber == 0) {
        Statement next = m_db.prepare("SELECT COALESCE(MAX(user_number), 100000) + 1 FROM accounts");
        next.step();
        a.userNumber = static_cast<std::int32_t>(next.integer(0));
    }
    if (a.userTag.empty())
        a.userTag = "T" + std::to_string(a.userNumber);
    m_db.prepare("INSERT INTO accounts (id, password, user_number, user_tag) VALUES (?, ?, ?, ?)"
                 " ON CONFLICT(id) DO UPDATE SET password = excluded.password,"
                 " user_number = excluded.user_number, user_tag = excluded.user_tag")
        .bindBlob(1, a.id)
        .bindBlob(2, a.password)
        .bind(3, std::int64_t{a.userNumber})
        .bindBlob(4, a.userTag)
        .run();
    return a;
}

std::optional<Account> Accounts::find(const std::string& id) {
    std::lock_guard lock(m_db.lock());
    Statement q = m_db.prepare("SELECT id, password, user_number, user_tag FROM accounts WHERE id = ?");
    q.bindBlob(1, id);
    if (!q.step())
        return std::nullopt;
    return Account{q.text(0), q.text(1), static_cast<std::int32_t>(q.integer(2)), q.text(3)};
}

void Accounts::loadSeedFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": cannot be read");
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (const std::size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        const auto words = qb::bytes::splitRuns(line, " \t\r");
        if (words.empty())
            continue;
        try {
            if (words.size() < 2 || words.size() > 4)
                throw std::invalid_argument("expected: id password [user_number [user_tag]]");
            Account a{toCp949(words[0]), toCp949(words[1]), 0, {}};
            if (words.size() >= 3) {
                long long n = 0;
                if (!qb::bytes::parseDecimal(words[2], n) || n < 1 || n > 2147483647)
                    throw std::invalid_argument("user number must be 1..2147483647");
                a.userNumber = static_cast<std::int32_t>(n);
            }
            if (words.size() == 4)
                a.userTag = toCp949(words[3]);
            add(std::move(a));
        } catch (const std::invalid_argument& e) {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + e.what());
        }
    }
}

} // namespace qbs
