#pragma once

#include "app/ServiceConfig.h"
#include "common/SendQueue.h"
#include "common/SendTypes.h"
#include "net/AsyncSocket.h"
#include "net/MessageRecord.h"
#include "net/NetTimeouts.h"
#include "net/Packets.h"
#include "net/RetiredConnections.h"
#include "send/JobLedger.h"
#include "send/RecordCursor.h"
#include "send/RecordsAhead.h"
#include "send/SendBatch.h"
#include "send/SendConnectionHost.h"
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
// the socket is full. The job owns its batch from "전송하기" on. Half a second after the last record the
// connection closes and the balance is refreshed. The client's send form and qbsend both drive it.
//
// Every wait has an end: a check reply that does not come and a full socket that
// takes nothing for too long end the job as a network failure does.
//
// A job never claims more than it knows. Records handed to the socket are not
// records the service took: after a fault the job asks the service how many of
// this connection's records it holds (they are always the first ones, in order)
// and gives the rest back to the queue. Where the service cannot say, the records
// that went on the wire are uncertain; the ones the system still held were
// dropped with a reset and never arrive; the user chooses whether to send the
// uncertain ones again.
//
// With a journal folder set, the job is on disk before its first record goes and
// every step that hands records over is allowed there first (`JobJournal`), so a
// crash loses nothing: the next start resumes from the journal.
namespace qb {

class Notifier;
class Progress;
class SendConnection;
class SendJobHost;
struct LoginState;

class SendJob : public QObject, private SendConnectionHost {
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

    SendJob(LoginState& login, Notifier& notifier, Progress& progress, SendJobHost& host,
            const ServiceConfig& config);
    ~SendJob() override;
    SendJob(const SendJob&) = delete;
    SendJob& operator=(const SendJob&) = delete;

    // The batch the next "전송하기" sends, in place of what an earlier job left.
    // False while a job runs.
    bool take(SendBatch batch);
    const SendBatch& batch() const { return m_batch; }
    // The records an ended job left to send; null when there are none.
    const SendBatch* rest() const { return m_running || m_batch.queue.empty() ? nullptr : &m_batch; }
    // The user gave up the records left.
    void dropRest();
    // "전송하기" of the batch taken. Refused with a message while a job runs.
    void startSend();
    // "전송중지": ends the job as a fault would. The service's count decides what it
    // holds, and the rest stays for "이어서 전송" (the journal, or the batch). False
    // when nothing is left to stop (no job, or its last record is handed over).
    bool stop();
    bool running() const { return m_running; }
    Phase phase() const { return m_phase; }
    // Of the current or last job.
    std::int32_t messageCount() const { return m_messageCount; }
    const std::string& pictureStamp() const { return m_pictureStamp; }
    const Stats& stats() const { return m_stats; }
    SendConnection* connection() const { return m_connection.get(); }

    // Where jobs are journaled (`JobJournal::folderOf`); empty: nowhere.
    void setJournalFolder(std::string folder) { m_ledger.setFolder(std::move(folder)); }
    const std::string& journalFolder() const { return m_ledger.folder(); }
    // The preview filled `batch`: its journal is written while the user reads it,
    // so that "전송하기" starts sending at once (`JobJournal::prepare`).
    void prepareJournal(const SendBatch& batch);
    void waitForPreparedJournal() const { m_ledger.waitForPrepared(); }
    // Goes on with a journaled job whose records `batch` holds, from the first one
    // still to send (where its queue stands); the journal file is taken over.
    // `lastTaken`: what the service holds of the journal's last segment.
    bool adoptJournal(SendBatch batch, const JournalContents& contents, long long lastTaken,
                      std::string& error);
    bool journaled() const { return m_ledger.journaled(); }
    const std::string& journalPath() const { return m_ledger.journalPath(); }
    // After a fault while writing, the rest of a journaled job is left to its
    // journal: the queue is emptied, and only a resume (the offer after a login, or
    // "전송하기") sends it, from what the service then says it holds.
    const std::string& pendingJournal() const { return m_ledger.pendingJournal(); }
    void forgetPendingJournal() { m_ledger.forgetPendingJournal(); }
    // The last fault left records whose fate the service could not be asked about.
    bool waitsForService() const { return m_waitsForService; }
    // The program is done with the job: a journal nothing was handed over from is
    // removed, any other is kept for a resume. True when one is kept.
    bool releaseJournal() { return m_ledger.release(); }
    // The service's DATA_SENDRESULT, in the order the jobs ended. False when its
    // count cannot be believed (more than the job had): the job has said so, and
    // the result must not be shown as sent.
    bool sendResult(std::int32_t result, std::int32_t count);
    // The service holds every record of the last job.
    bool complete() const { return m_complete; }
    // Its last record is handed over and the service's result is still to come.
    bool awaitingResult() const { return m_ledger.resultDue(); }
    // The service refused the last job's check (login, limit, other).
    bool refused() const { return m_refused; }
    // The service reported more records than a job had.
    bool serviceCountError() const { return m_countError; }
    // The program closes under the job: the connection closes at once, nothing
    // more is written, the user is not told and the balance not refreshed. The
    // journal keeps what is left for the next start.
    void abandon();
    // After a fault the user is asked whether records the service may hold go
    // again; qbsend leaves that to --resume.
    void setAskAboutUncertain(bool ask) { m_askAboutUncertain = ask; }
    // Records of the whole job the service is known to hold.
    long long takenForSure() const { return m_ledger.takenBefore(); }
    // Records handed over whose fate the last fault left open.
    long long uncertainRecords() const { return m_uncertain; }

    // Tests put in sockets that fail on purpose.
    void setSocketFactory(SocketFactory factory) { m_socketFactory = std::move(factory); }
    void setTimeouts(const NetTimeouts& timeouts) { m_timeouts = timeouts; }
    const NetTimeouts& timeouts() const { return m_timeouts; }
    void setYieldInterval(std::chrono::milliseconds interval) { m_yieldInterval = interval; }
    void setWebHost(WebHost host) { m_webHost = std::move(host); }

    // The byte total the next check announces, for the records left.
    void recomputeBytes();

    // The refusal of a second "전송하기" while a job runs.
    static const std::string& busyMessage();
    // What follows the failure message of a job that ended while writing.
    static std::string interruptedMessage(long long sent, long long left);
    // The same where the service could not say what it took.
    static std::string uncertainMessage(long long sent, long long uncertain, long long left);
    static std::string resendUncertainQuestion(long long uncertain);
    // What a user is told when the service's count cannot be believed.
    static std::string countErrorMessage(long long reported, long long count);

private:
    // SendConnectionHost
    std::string sendCheckPacket() const override;
    void connectFailed() override;
    void checkNotSent() override;
    void checkSent() override;
    void readFailed() override;
    void packetError() override;
    void checkReply(const packet::SendCheckAck& ack) override;
    void writable() override;
    void connectionClosed() override;
    void leftHandlerClosed() override;

    void startTransmission(bool resume);
    bool uploadPictures();
    void writeRecords();
    // Takes the next record off the queue and holds it; false when the job failed.
    bool takeRecord();
    void popRecord();
    void continueAfterYield();
    void onEndTimer();
    void onWaitTimer();
    // Closes and discards the connection; a record taken but not written in full
    // goes back to the front of the queue.
    void closeSendConnection(bool resetPictures);
    // The first half of it: the connection goes, the record in hand goes back.
    void dropConnection();
    void fail(const char* utf8Message);
    void failWith(const std::string& message);
    // The journal takes over what is left of the job (see pendingJournal()).
    void handOff();
    // After a fault while writing: what the service took of this connection's
    // records decides where the queue goes on. Returns the how-far message.
    std::string settleInterrupted();
    long long possiblyDelivered(long long handed, long long bytesNotSent);
    bool openSegment();
    void setRunning(bool running);

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
    RetiredConnections<SendConnection> m_retired; // made where SendConnection is complete
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

    RecordEncoder m_encoder;
    RecordCursor m_cursor;
    // Long queues are encoded ahead on the second core.
    RecordsAhead m_ahead;

    JobLedger m_ledger;
    long long m_uncertain = 0;
    bool m_askAboutUncertain = true;
    bool m_waitsForService = false;
    bool m_complete = false;
    bool m_refused = false;
    bool m_countError = false;
};

} // namespace qb
