#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// The stand-in service keeps everything in one SQLite database. Its servers run
// on their own threads; they take `lock()` around each use of the connection.
namespace qbs {

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;

    // Parameters are 1-based, as in SQLite. Text is bound as raw bytes (CP949).
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, std::int64_t value);
    Statement& bindBlob(int index, std::string_view bytes);
    Statement& bindNull(int index);

    // True while a row is available.
    bool step();
    void run(); // steps to the end
    void reset();

    std::string text(int column) const; // 0-based; NULL reads as ""
    std::int64_t integer(int column) const;
    bool isNull(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

class Database {
public:
    // ":memory:" or a file path; throws std::runtime_error when it cannot be opened.
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(std::string_view sql); // one or more statements, no results
    Statement prepare(std::string_view sql);
    std::int64_t lastInsertId() const;
    std::recursive_mutex& lock() { return m_lock; }

private:
    sqlite3* m_db = nullptr;
    std::recursive_mutex m_lock;
};

// One transaction, holding the database lock throughout; rolled back unless
// commit() was called. Transactions nest (savepoints), so a method that keeps its
// writes together can be part of a caller's larger one.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& m_db;
    std::lock_guard<std::recursive_mutex> m_guard;
    bool m_done = false;
};

} // namespace qbs
