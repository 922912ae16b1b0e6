#pragma once

#include "Accounts.h"
#include "LengthField.h"
#include "SendStore.h"
#include "TcpServer.h"
#include "WebStore.h"

#include "net/Packets.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The send port of the stand-in message server. Per connection it reads one
// DATA_SENDCHECK and answers DATA_SENDCHECKACK: 0 go ahead, 1 the user has no
// live login connection, 2 the balance does not cover the job, 3 a check that
// makes no sense (unknown kind or account, no messages). After a 0 it reads
// records until the client closes, checks and stores each, and reports
// DATA_SENDRESULT on the user's login connection: 1 and the number stored, or 0
// when any record was malformed (nothing of that job is kept then). A job the
// client ended without a record reports nothing; one the service ends by
// stopping reports its count, 0 included.
//
// Records are committed in batches (2,048 records, or what arrived within
// 100 ms) together with the job's stored count, so a count reported anywhere is
// what the database holds, and the stored records are always the first ones of
// the job's stream, in order. stop() stores what was parsed, marks the running
// jobs interrupted and reports them; jobs a killed service left running are
// marked interrupted when the next one starts on the same database.
namespace qbs {

class LoginServer;

struct SendQuirks {
    std::optional<std::int32_t> checkResult; // instead of the real result
    std::optional<std::int32_t> replyType;   // instead of DATA_SENDCHECKACK
    bool closeBeforeReply = false;
    // Takes the check and never answers it; the connection stays until the client closes.
    bool neverReply = false;
    std::string appendToReply; // more bytes in the same write
    // A slow reader: SO_RCVBUF of the connection (0: the system's), the most
    // taken per read, and a pause after each read.
    int receiveBuffer = 0;
    std::size_t readChunk = 64 * 1024;
    std::chrono::milliseconds readPause{0};
    // > 0: the connection is dropped after this many records, as a server that
    // goes away in the middle of a job.
    std::size_t closeAfterRecords = 0;
    // The drop above happens to one job only.
    bool closeOnce = false;
    // > 0: after this many records the server stops reading, as a stopped process
    // does, until resumeReading(); then it reads on to the client's close.
    std::size_t stopReadingAfterRecords = 0;

    // The slow reader qb-service --send-slow sets up.
    static SendQuirks slowReader();
};

class SendServer {
public:
    using Log = std::function<void(const std::string&)>;

    SendServer(Database& db, LoginServer& login, std::string host, int port, Log log = {});
    ~SendServer();

    // Marks the jobs a killed service left running interrupted, then listens;
    // throws std::runtime_error when it cannot.
    void start();
    void stop();
    int port() const { return m_server.port(); }

    // Setting quirks also takes back a resumeReading().
    void setQuirks(const SendQuirks& quirks);
    void clearQuirks();
    // Lets a server stopped by stopReadingAfterRecords read again.
    void resumeReading();
    // True once a job has stopped reading, false when `timeout` passes first.
    bool waitForStoppedReading(std::chrono::milliseconds timeout) const;
    // How the length field of the check reply is filled.
    void setLengthField(const LengthField& length);

    SendStore& store() { return m_store; }
    // True once `count` jobs of the user are over (stored and reported), false
    // when `timeout` passes first.
    bool waitForJobs(const std::string& userId, std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Connection;
    struct Intake;
    enum class AfterRead { ReadOn, Close, ServiceStops };

    void serve(int fd);
    // The check the connection starts with; nullopt (logged) when it closes first or
    // sends something else.
    std::optional<qb::packet::SendCheck> readSendCheck(int fd);
    // The result, the job's values, and the job when it goes ahead.
    void takeCheck(const qb::packet::SendCheck& check, Connection& c);
    std::int32_t judge(const std::string& userId, std::int32_t kind, std::int32_t count, std::int32_t bytes,
                       const std::optional<Account>& account);
    // The check reply, or what the quirks do instead.
    void replyToCheck(Connection& c);
    void dropAfterRefusal(const Connection& c);
    // Reads records to the end of the job; true when the service's stop ended it.
    bool receiveRecords(Connection& c);
    // The records parsed so far into the batch, or refused.
    void takeParsed(Intake& in, SendJobRow& job);
    // What the quirks make of the records read so far.
    AfterRead afterRead(Connection& c, Intake& in);
    void commitBatch(SendJobRow& job, std::vector<ReceivedRecord>& batch);
    void refuseJob(SendJobRow& job, std::vector<ReceivedRecord>& batch);
    void endJob(SendJobRow& job, bool replied, bool serviceStopped);
    void log(const std::string& line) const;

    Database& m_db;
    Accounts m_accounts;
    WebStore m_web;
    SendStore m_store;
    LoginServer& m_login;
    Log m_log;
    TcpServer m_server;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_jobDone;
    mutable std::condition_variable m_readingChanged;
    bool m_readingStopped = false;
    bool m_readingResumed = false;
    std::map<std::string, std::size_t> m_finished; // jobs over, per user
    SendQuirks m_quirks;
    LengthField m_length;
};

} // namespace qbs
