#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the web application keeps, per user id, in the service's SQLite
// database. Texts are raw CP949 bytes, compared byte for byte. Every method
// takes the database lock itself, so tests may seed and inspect while the
// server runs.
namespace qbs {

class Database;

enum class MessageStore { Sms, Lms, Mms };

struct StoredGroup {
    std::int64_t idx = 0;
    std::string grpname;
};

struct StoredEntry {
    std::int64_t idx = 0;
    std::string groupname;
    std::string hpno;
    std::string name;
    std::string etc;
    std::string credate;
};

struct StoredMessage {
    std::int64_t idx = 0;
    std::string title; // LMS and MMS
    std::string msg;
    std::array<std::string, 3> img; // MMS picture names
};

struct StoredCallback {
    std::string number;
    std::string date;
};

struct Balance {
    std::string balance = "0";
    std::array<std::string, 3> prices{"20", "50", "200"}; // SMS, LMS, MMS
    std::array<std::string, 3> counts{"0", "0", "0"};
};

struct StoredPicture {
    std::string name;
    std::string data;
};

class WebStore {
public:
    explicit WebStore(Database& db);

    std::vector<StoredGroup> groups(std::string_view user);
    void addGroup(std::string_view user, std::string_view name); // an existing name is kept once
    void removeGroup(std::string_view user, std::string_view name);
    std::vector<StoredEntry> entries(std::string_view user);
    std::int64_t addEntry(std::string_view user, const StoredEntry& entry);
    // Each returns the number of entries changed.
    int modifyEntries(std::string_view user, std::string_view group, std::string_view oldHpno,
                      std::string_view oldName, const StoredEntry& now);
    int deleteEntry(std::string_view user, std::string_view group, std::string_view name,
                    std::string_view hpno);
    int deleteGroupEntries(std::string_view user, std::string_view group);
    int moveEntry(std::string_view user, std::string_view group, std::string_view name, std::string_view hpno,
                  std::string_view newGroup);
    int moveGroupEntries(std::string_view user, std::string_view group, std::string_view newGroup);

    std::vector<StoredMessage> messages(std::string_view user, MessageStore store);
    std::int64_t addMessage(std::string_view user, MessageStore store, const StoredMessage& message);
    bool deleteMessage(std::string_view user, MessageStore store, std::int64_t idx);

    // A saved MMS with its pictures (name, data), all or nothing: nullopt, with
    // nothing stored, when a picture name is taken already (by any user), so one
    // message's picture never replaces another's.
    std::optional<std::int64_t>
    addMmsMessage(std::string_view user, const StoredMessage& message,
                  const std::vector<std::pair<std::string, std::string_view>>& pictures);

    // Pictures of saved MMS messages, served under fileSave/. Replaces a picture
    // of the same name (for setting up tests).
    void putPicture(std::string_view name, std::string_view user, std::string_view data);
    std::optional<std::string> picture(std::string_view name);

    std::vector<StoredCallback> callbacks(std::string_view user);
    void addCallback(std::string_view user, std::string_view number, std::string_view date);
    int deleteCallback(std::string_view user, std::string_view number);

    Balance balance(std::string_view user);
    void setBalance(std::string_view user, const Balance& balance);
    // Whether the user has a balance of their own; users without one are not charged.
    bool hasBalance(std::string_view user);
    // A job of `count` messages of `kind` (0 SMS, 1 LMS, 2 MMS) was taken: the
    // balance goes down by their price and the kind's count up, when the user
    // has a balance.
    void chargeSent(std::string_view user, int kind, std::int64_t count);

    // Pictures uploaded before a send, kept per user in arrival order.
    void addSendPicture(std::string_view user, std::string_view name, std::string_view data);
    std::vector<StoredPicture> sendPictures(std::string_view user);

private:
    Database& m_db;
};

} // namespace qbs
