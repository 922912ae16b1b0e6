#include "SendServer.h"

#include "Database.h"
#include "LoginServer.h"

#include "common/Bytes.h"
#include "net/Packets.h"

#include <algorithm>
#include <ctime>
#include <sys/socket.h>

namespace qbs {

namespace packet = qb::packet;

namespace {

constexpr std::int32_t kGoAhead = 0, kNotLoggedIn = 1, kLimit = 2, kBadCheck = 3;
constexpr std::size_t kBatch = 2048;
constexpr std::chrono::milliseconds kCommitWithin{100};

std::string bigEndian(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 8 & 0xFF),
            static_cast<char>(v & 0xFF)};
}

std::string now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[24];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

long long number(const std::string& text) {
    long long v = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!qb::bytes::parseDecimal(negative ? std::string_view(text).substr(1) : std::string_view(text), v))
        return 0;
    return negative ? -v : v;
}

} // namespace

SendQuirks SendQuirks::slowReader() {
    // About 3 MB/s. A buffer below the loopback segment size (64 KiB) would stall
    // on every window update instead.
    SendQuirks q;
    q.receiveBuffer = 256 * 1024;
    q.readChunk = 16 * 1024;
    q.readPause = std::chrono::milliseconds(5);
    return q;
}

SendServer::SendServer(Database& db, LoginServer& login, std::string host, int port, Log log)
    : m_db(db), m_accounts(db), m_web(db), m_store(db), m_login(login), m_log(std::move(log)),
      m_server("send-server", std::move(host), port, [this](int fd) { serve(fd); }) {
    Accounts::createSchema(db);
}

SendServer::~SendServer() {
    stop();
}

void SendServer::start() {
    for (const SendJobRow& j : m_store.interruptLeftRunning())
        log(j.userId + ": job " + std::to_string(j.id) + " was left running by a service that was killed: " +
            "interrupted, " + std::to_string(j.stored) + " records stored");
    m_server.start();
}

void SendServer::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_readingChanged.notify_all();
    m_server.stop();
}

void SendServer::log(const std::string& line) const {
    if (m_log)
        m_log("send-server: " + line);
}

void SendServer::setQuirks(const SendQuirks& quirks) {
    std::lock_guard lock(m_mutex);
    m_quirks = quirks;
    m_readingStopped = m_readingResumed = false;
}

void SendServer::resumeReading() {
    {
        std::lock_guard lock(m_mutex);
        m_readingResumed = true;
    }
    m_readingChanged.notify_all();
}

bool SendServer::waitForStoppedReading(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_readingChanged.wait_for(lock, timeout, [&] { return m_readingStopped; });
}

void SendServer::clearQuirks() {
    setQuirks(SendQuirks{});
}

void SendServer::setLengthField(const LengthField& length) {
    std::lock_guard lock(m_mutex);
    m_length = length;
}

bool SendServer::waitForJobs(const std::string& userId, std::size_t count,
                             std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_jobDone.wait_for(lock, timeout, [&] {
        const auto it = m_finished.find(userId);
        return it != m_finished.end() && it->second >= count;
    });
}

std::int32_t SendServer::judge(const std::string& userId, std::int32_t kind, std::int32_t count,
                               std::int32_t bytes, const std::optional<Account>& account) {
    if (!account || kind < 0 || kind > 2 || count < 1 || bytes < 1)
        return kBadCheck;
    if (!m_login.isLoggedIn(userId))
        return kNotLoggedIn;
    // Accounts with a balance pay per message at the kind's unit price; the
    // others have no limit.
    if (m_web.hasBalance(userId)) {
        const Balance b = m_web.balance(userId);
        if (static_cast<long long>(count) * number(b.prices[static_cast<std::size_t>(kind)]) >
            number(b.balance))
            return kLimit;
    }
    return kGoAhead;
}

// What one send connection carries from the check to the end of its job.
struct SendServer::Connection {
    int fd = -1;
    SendQuirks quirks;
    LengthField length;
    RecordContext context; // its user is the check's
    std::int32_t result = kBadCheck;
    SendJobRow job; // begun when the result is kGoAhead
    bool replied = false;
    bool serviceStopped = false;
};

// The records of a job read and not yet committed, and what the job's end reports.
struct SendServer::Intake {
    explicit Intake(const RecordContext& context) : parser(context) {}

    RecordParser parser;
    std::vector<ReceivedRecord> batch;
    std::chrono::steady_clock::time_point commitBy; // of the batch's first record
    std::vector<std::size_t> hashes;
    bool stoppedOnce = false; // stopReadingAfterRecords has stopped it
};

void SendServer::serve(int fd) {
    Connection c;
    c.fd = fd;
    {
        std::lock_guard lock(m_mutex);
        c.quirks = m_quirks;
        c.length = m_length;
    }
    if (c.quirks.receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &c.quirks.receiveBuffer, sizeof c.quirks.receiveBuffer);
    const std::optional<packet::SendCheck> check = readSendCheck(fd);
    if (!check)
        return;
    takeCheck(*check, c);
    // From here a job that was begun is ended on every path, so none stays running.
    replyToCheck(c);
    const std::string& user = c.context.userId;
    if (c.result != kGoAhead) {
        if (c.replied)
            dropAfterRefusal(c);
        return;
    }
    try {
        if (c.replied)
            c.serviceStopped = receiveRecords(c);
        endJob(c.job, c.replied, c.serviceStopped);
    } catch (const std::exception& e) {
        // The database failed (a full disk, say): the job keeps what was committed.
        log(user + ": job " + std::to_string(c.job.id) + " broken off: " + e.what());
        try {
            c.job.state = JobState::Interrupted;
            m_store.finishJob(c.job);
        } catch (const std::exception&) {
            // Left running; the next start of the service marks it interrupted.
        }
    }
    {
        std::lock_guard lock(m_mutex);
        ++m_finished[user];
    }
    m_jobDone.notify_all();
}

std::optional<packet::SendCheck> SendServer::readSendCheck(int fd) {
    char request[packet::kSendCheckSize];
    if (!m_server.readExact(fd, request, sizeof request)) {
        log("closed before a send check");
        return std::nullopt;
    }
    const packet::SendCheck check = *packet::decodeSendCheck(std::string_view(request, sizeof request));
    if (check.header.type != packet::DATA_SENDCHECK ||
        check.header.length != static_cast<std::int32_t>(packet::kSendCheckSize - packet::kHeaderSize)) {
        log("not a send check (type " + std::to_string(check.header.type) + "), connection closed");
        return std::nullopt;
    }
    return check;
}

void SendServer::takeCheck(const packet::SendCheck& check, Connection& c) {
    const std::string& user = check.userId;
    const std::optional<Account> account = m_accounts.find(user);
    c.result = c.quirks.checkResult.value_or(
        judge(user, check.messageKind, check.messageCount, check.totalBytes, account));

    RecordContext& context = c.context;
    context.kind = static_cast<qb::MessageKind>(std::clamp(check.messageKind, 0, 2));
    context.userId = user;
    context.userNumber = account ? std::to_string(account->userNumber) : std::string();
    context.userTag = account ? account->userTag : std::string();
    context.sendCode = context.kind == qb::MessageKind::Sms   ? "SMS"
                       : context.kind == qb::MessageKind::Lms ? "LMS"
                                                              : "MMS";
    context.sendTime = now();
    if (c.result == kGoAhead) {
        c.job.id = m_store.beginJob(context, check.messageCount, check.totalBytes);
        c.job.sendTag = context.sendTag;
        c.job.userId = user;
        c.job.kind = static_cast<int>(context.kind);
        c.job.announcedCount = check.messageCount;
        c.job.announcedBytes = check.totalBytes;
    }
    log(user + ": send check kind " + std::to_string(check.messageKind) + ", " +
        std::to_string(check.messageCount) + " messages, " + std::to_string(check.totalBytes) +
        " bytes: result " + std::to_string(c.result));
}

void SendServer::replyToCheck(Connection& c) {
    const SendQuirks& quirks = c.quirks;
    const std::string& user = c.context.userId;
    if (quirks.closeBeforeReply) {
        log(user + ": closed before the reply, as asked");
    } else if (quirks.neverReply) {
        log(user + ": no reply, as asked");
        char ignored[4096];
        long n;
        while ((n = m_server.readSome(c.fd, ignored, sizeof ignored)) > 0) {
        }
        c.serviceStopped = n < 0 && m_stopping;
    } else {
        std::string reply =
            packet::encodeSendCheckAck(c.result, c.context.sendCode, c.context.sendTime, c.context.sendTag);
        c.length.apply(reply);
        if (quirks.replyType)
            reply.replace(0, 4, bigEndian(*quirks.replyType));
        reply += quirks.appendToReply;
        c.replied = m_server.writeAll(c.fd, reply);
    }
}

void SendServer::dropAfterRefusal(const Connection& c) {
    // The client closes after a refusal; anything it sends first is dropped.
    char ignored[4096];
    long long extra = 0;
    for (long n; (n = m_server.readSome(c.fd, ignored, sizeof ignored)) > 0;)
        extra += n;
    if (extra > 0)
        log(c.context.userId + ": " + std::to_string(extra) + " bytes after a refused check, dropped");
}

void SendServer::commitBatch(SendJobRow& job, std::vector<ReceivedRecord>& batch) {
    if (batch.empty())
        return;
    Transaction t(m_db);
    m_store.addRecords(job, batch);
    m_web.chargeSent(job.userId, job.kind, static_cast<std::int64_t>(batch.size()));
    t.commit();
    job.stored += static_cast<std::int64_t>(batch.size());
    batch.clear();
}

void SendServer::refuseJob(SendJobRow& job, std::vector<ReceivedRecord>& batch) {
    batch.clear();
    Transaction t(m_db);
    m_store.discardRecords(job);
    m_web.chargeSent(job.userId, job.kind, -job.stored);
    t.commit();
    job.stored = 0;
}

bool SendServer::receiveRecords(Connection& c) {
    using Clock = std::chrono::steady_clock;
    SendJobRow& job = c.job;
    Intake in(c.context);
    std::string buffer(std::max<std::size_t>(c.quirks.readChunk, 1), '\0');
    bool stopped = false;
    for (;;) {
        long n = TcpServer::kTimedOut;
        if (in.batch.empty()) {
            n = m_server.readSome(c.fd, buffer.data(), buffer.size());
        } else if (const auto left = std::chrono::ceil<std::chrono::milliseconds>(in.commitBy - Clock::now());
                   left.count() > 0) {
            n = m_server.readSome(c.fd, buffer.data(), buffer.size(), left);
        }
        if (n == TcpServer::kTimedOut) {
            commitBatch(job, in.batch);
            continue;
        }
        if (n < 0 && m_stopping) {
            stopped = true;
            break;
        }
        // A connection that breaks ends the job as a close does.
        if (n <= 0)
            break;
        job.receivedBytes += n;
        in.parser.append(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
        takeParsed(in, job);
        if (!in.batch.empty() && Clock::now() >= in.commitBy)
            commitBatch(job, in.batch);
        const AfterRead next = afterRead(c, in);
        if (next != AfterRead::ReadOn) {
            stopped = next == AfterRead::ServiceStops;
            break;
        }
    }
    commitBatch(job, in.batch);
    job.truncatedBytes = static_cast<std::int64_t>(in.parser.pendingBytes());
    std::sort(in.hashes.begin(), in.hashes.end());
    for (std::size_t i = 1; i < in.hashes.size(); ++i)
        job.duplicates += in.hashes[i] == in.hashes[i - 1];
    return stopped;
}

void SendServer::takeParsed(Intake& in, SendJobRow& job) {
    while (std::optional<RecordParser::Result> r = in.parser.next()) {
        ++job.received;
        if (!r->record) {
            if (++job.malformed <= 5)
                log(job.userId + ": record " + std::to_string(job.received) + " refused: " + r->error);
            // Nothing of the job is kept from here on, and what was is dropped at once.
            if (job.malformed == 1)
                refuseJob(job, in.batch);
            continue;
        }
        if (job.malformed > 0)
            continue;
        in.hashes.push_back(std::hash<std::string>{}(r->record->raw));
        if (in.batch.empty())
            in.commitBy = std::chrono::steady_clock::now() + kCommitWithin;
        in.batch.push_back(std::move(*r->record));
        if (in.batch.size() >= kBatch)
            commitBatch(job, in.batch);
    }
}

SendServer::AfterRead SendServer::afterRead(Connection& c, Intake& in) {
    const SendQuirks& quirks = c.quirks;
    SendJobRow& job = c.job;
    const std::string& user = job.userId;
    if (quirks.closeAfterRecords > 0 && job.received >= static_cast<std::int64_t>(quirks.closeAfterRecords)) {
        if (quirks.closeOnce) {
            std::lock_guard lock(m_mutex);
            m_quirks.closeAfterRecords = 0;
        }
        log(user + ": connection dropped after " + std::to_string(job.received) + " records, as asked");
        // Unread bytes make the close a reset, as a crashed server's would.
        return AfterRead::Close;
    }
    if (quirks.stopReadingAfterRecords > 0 &&
        job.received >= static_cast<std::int64_t>(quirks.stopReadingAfterRecords) && !in.stoppedOnce) {
        in.stoppedOnce = true;
        commitBatch(job, in.batch);
        log(user + ": stopped reading after " + std::to_string(job.received) + " records, as asked");
        std::unique_lock lock(m_mutex);
        m_readingStopped = true;
        m_readingChanged.notify_all();
        m_readingChanged.wait(lock, [&] { return m_readingResumed || m_stopping; });
        if (m_stopping)
            return AfterRead::ServiceStops;
    }
    if (quirks.readPause.count() > 0 && !m_server.pause(quirks.readPause) && m_stopping)
        return AfterRead::ServiceStops;
    return AfterRead::ReadOn;
}

void SendServer::endJob(SendJobRow& job, bool replied, bool serviceStopped) {
    const std::string& user = job.userId;
    if (job.truncatedBytes > 0)
        log(user + ": the stream ended inside a record (" + std::to_string(job.truncatedBytes) +
            " bytes dropped)");
    if (job.duplicates > 0)
        log(user + ": " + std::to_string(job.duplicates) + " records repeat an earlier one");
    if (job.received != job.announcedCount && job.received > 0)
        log(user + ": " + std::to_string(job.received) + " records where the check announced " +
            std::to_string(job.announcedCount));
    if (job.malformed > 0) {
        job.result = 0;
        job.state = JobState::Refused;
    } else {
        job.result = 1;
        job.state = job.stored >= job.announcedCount ? JobState::Done : JobState::Interrupted;
    }
    m_store.finishJob(job);
    log(user + ": job " + std::to_string(job.id) + " " + jobStateName(job.state) +
        (serviceStopped ? " (the service stops)" : "") + ": " + std::to_string(job.stored) +
        " records stored, " + std::to_string(job.malformed) + " refused");
    // A client that ended a job before its first record learns nothing from a
    // report; one whose job the service cut short learns where it stands.
    if (replied && (job.received > 0 || serviceStopped))
        m_login.pushSendResult(user, job.result, static_cast<std::int32_t>(job.stored));
}

} // namespace qbs
