#pragma once

#include "app/ServiceConfig.h"
#include "common/SendQueue.h"
#include "common/SendTypes.h"
#include "net/AsyncSocket.h"
#include "net/MessageRecord.h"
#include "net/NetTimeouts.h"
#include "net/Packets.h"
#include "send/SendBatch.h"
#include "web/WebHost.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The transmission of a send job, the action of "전송하기": the start checks,
// the send connection and its check, the MMS picture upload, and one record
// after the other from the front of the batch's queue until it is empty or
// the socket is full. Half a second after the last record the connection closes
// and the balance is refreshed. The client's send form and qbsend both drive it.
//
// Every wait has an end: a check reply that does not come and a full socket that
// takes nothing for too long end the job as a network failure does. A job that
// ends early leaves every record it has not written in full in the queue, so the
// next "전송하기" sends exactly those, and says how far it got.
namespace qb {

class Notifier;
class Progress;
class SendConnection;
class SendJobHost;
struct LoginState;

class SendJob : public QObject {
    Q_OBJECT

public:
    using SocketFactory = std::function<std::unique_ptr<AsyncSocket>()>;

    // Timer 9 of the send form: from the last record to the end of the job.
    static constexpr std::chrono::milliseconds kEndDelay{500};
    // How long the record loop may keep the event loop waiting.
    static constexpr std::chrono::milliseconds kDefaultYieldInterval{30};

    enum class Phase { Idle, Connecting, Checking, Writing, Held, Draining };

    struct Stats {
        long long recordsWritten = 0;
        long long bytesWritten = 0;
        long long wouldBlocks = 0;  // sends refused because the socket was full
        long long partialSends = 0; // sends that took part of what they were given
        long long yields = 0;       // returns to the event loop in the middle of the queue
    };

    SendJob(SendBatch batch, LoginState& login, Notifier& notifier, Progress& progress, SendJobHost& host,
            const ServiceConfig& config);
    ~SendJob() override;
    SendJob(const SendJob&) = delete;
    SendJob& operator=(const SendJob&) = delete;

    // "전송하기". Refused with a message while a job runs.
    void startSend();
    // The program closes under the job: the connection closes at once, nothing
    // more is written, the user is not told and the balance not refreshed. Every
    // record not written in full stays in the queue.
    void abandon();

    bool running() const { return m_running; }
    Phase phase() const { return m_phase; }
    // Of the current or last job.
    std::int32_t messageCount() const { return m_messageCount; }
    const std::string& pictureStamp() const { return m_pictureStamp; }
    const Stats& stats() const { return m_stats; }
    SendConnection* connection() const { return m_connection.get(); }

    // Tests put in sockets that fail on purpose.
    void setSocketFactory(SocketFactory factory) { m_socketFactory = std::move(factory); }
    void setTimeouts(const NetTimeouts& timeouts) { m_timeouts = timeouts; }
    const NetTimeouts& timeouts() const { return m_timeouts; }
    void setYieldInterval(std::chrono::milliseconds interval) { m_yieldInterval = interval; }
    void setWebHost(WebHost host) { m_webHost = std::move(host); }

    // The refusal of a second "전송하기" while a job runs.
    static const std::string& busyMessage();
    // What follows the failure message of a job that ended while writing.
    static std::string interruptedMessage(long long sent, long long left);

private:
    friend class SendConnection;

    // For the connection.
    MessageKind kind() const { return m_kind; }
    const LoginState& login() const { return m_login; }
    std::int32_t checkBytes() const;
    void connectFailed();
    void checkNotSent();
    void checkSent();
    void readFailed();
    void packetError();
    void checkReply(const packet::SendCheckAck& ack);
    void writable();
    void connectionClosed();

    void startTransmission(bool resume);
    bool uploadPictures();
    void writeRecords();
    void continueAfterYield();
    void onEndTimer();
    void onWaitTimer();
    // Closes and discards the connection; a record taken but not written in full
    // goes back to the front of the queue.
    void closeSendConnection(bool resetPictures);
    void fail(const char* utf8Message);
    void setRunning(bool running);
    void purgeLater();
    void purgeRetired();

    SendBatch m_batch;
    LoginState& m_login;
    Notifier& m_notifier;
    Progress& m_progress;
    SendJobHost& m_host;
    ServiceConfig m_config;
    WebHost m_webHost;
    SocketFactory m_socketFactory;
    NetTimeouts m_timeouts;
    std::chrono::milliseconds m_yieldInterval = kDefaultYieldInterval;

    std::unique_ptr<SendConnection> m_connection;
    // Closed connections live until control is back in the event loop: they are
    // often closed from inside one of their own handlers.
    std::vector<std::unique_ptr<SendConnection>> m_retired;
    QTimer m_endTimer;
    // The check reply (Checking) or room in a full socket (Held).
    QTimer m_waitTimer;

    bool m_running = false;
    Phase m_phase = Phase::Idle;
    MessageKind m_kind = MessageKind::Sms;
    std::int32_t m_messageCount = 0;
    bool m_checkAnswered = false;
    std::string m_pictureStamp;
    bool m_yieldPending = false;
    Stats m_stats;

    // The record being written: taken off the queue, encoded into m_record, of
    // which m_taken bytes are with the socket. Held while the socket is full.
    RecordEncoder m_encoder;
    TakenRecord m_current;
    std::string m_record;
    std::size_t m_taken = 0;
};

} // namespace qb
