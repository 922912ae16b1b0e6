#include "send/SendJob.h"

#include "common/Clock.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/PictureCheck.h"
#include "common/Progress.h"
#include "net/MessageRecord.h"
#include "send/SendConnection.h"
#include "send/SendJobHost.h"
#include "web/PictureUpload.h"
#include "web/SendStatus.h"

#include <algorithm>
#include <limits>

namespace qb {
namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// Shorter queues are encoded as they are written.
constexpr std::size_t kEncodeAheadFrom = 2048;
// Records encoded ahead are offered to the socket this many at most in one send.
constexpr std::size_t kRunRecords = 64;
// How long the service may keep reading what a broken connection still held.
constexpr long kStatusWaitMs = 3000;

// What follows the counts once the journal holds the rest.
const char* const kResumeNow = "이어서 전송을 누르면 남은 건을 전송합니다.";
const char* const kResumeLater =
    "서버가 응답하지 않아 받은 건수를 확인할 수 없습니다. 서버가 다시 응답하면 로그인하여 이어서 전송할 수 "
    "있습니다.";

} // namespace

SendJob::SendJob(LoginState& login, Notifier& notifier, Progress& progress, SendJobHost& host,
                 const ServiceConfig& config)
    : m_login(login), m_notifier(notifier), m_progress(progress), m_host(host), m_config(config),
      m_webHost(WebHost::from(config)), m_retired(this) {
    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &SendJob::onEndTimer);
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, &SendJob::onWaitTimer);
}

SendJob::~SendJob() {
    m_ahead.stop();
    m_endTimer.stop();
    m_waitTimer.stop();
    if (m_connection)
        m_connection->close();
}

const std::string& SendJob::busyMessage() {
    static const std::string text = ko("전송중입니다. 전송이 끝난 후 다시 시도해 주세요!");
    return text;
}

std::string SendJob::interruptedMessage(long long sent, long long left) {
    return ko("전송이 중단되었습니다. [") + std::to_string(sent) + ko("]건 전송, [") + std::to_string(left) +
           ko("]건 미전송.");
}

std::string SendJob::uncertainMessage(long long sent, long long uncertain, long long left) {
    return ko("전송이 중단되었습니다. [") + std::to_string(sent) + ko("]건 전송 확인, [") +
           std::to_string(uncertain) + ko("]건 확인 불가, [") + std::to_string(left) + ko("]건 미전송.");
}

std::string SendJob::countErrorMessage(long long reported, long long count) {
    return ko("서버가 보낸 건수 [") + std::to_string(count) + ko("]건보다 많은 [") +
           std::to_string(reported) +
           ko("]건을 받았다고 알려왔습니다. 서버 오류이므로 전송 결과로 보지 않습니다. 전송결과 화면에서 "
              "확인해 "
              "주세요.");
}

std::string SendJob::resendUncertainQuestion(long long uncertain) {
    return ko("서버가 받았는지 확인할 수 없는 [") + std::to_string(uncertain) +
           ko("]건을 다시 전송하시겠습니까?\n예: 받은 번호에는 두 번 갈 수 있습니다.\n아니요: 받지 못한 "
              "번호에는 "
              "가지 않습니다.");
}

bool SendJob::take(SendBatch batch) {
    if (m_running)
        return false;
    m_batch = std::move(batch);
    return true;
}

void SendJob::dropRest() {
    if (!m_running)
        m_batch = SendBatch{};
}

void SendJob::prepareJournal(const SendBatch& batch) {
    if (!m_running && m_login.loggedIn)
        m_ledger.prepare(batch, m_login.userId);
}

bool SendJob::adoptJournal(SendBatch batch, const JournalContents& contents, long long lastTaken,
                           std::string& error) {
    if (m_running) {
        error = busyMessage();
        return false;
    }
    if (!m_ledger.adopt(batch.queue, contents, lastTaken, error))
        return false;
    m_batch = std::move(batch);
    return true;
}

bool SendJob::openSegment() {
    m_uncertain = 0;
    JournalSegment s;
    s.count = m_messageCount;
    s.sendCode = m_login.sendCode;
    s.sendTime = m_login.sendTime;
    s.sendTag = m_login.sendTag;
    s.pictureStamp = m_pictureStamp;
    return m_ledger.openSegment(std::move(s), m_batch.queue);
}

void SendJob::startSend() {
    if (m_running) {
        m_notifier.error(busyMessage());
        return;
    }
    if (m_batch.queue.empty()) {
        m_notifier.error(ko("발송할 데이터가 없습니다. 발송데이터 확인을 눌러주세요!"));
        return;
    }
    if (!m_login.loggedIn) {
        m_notifier.error(ko("[확인] 로그인이 되지 않았습니다. 로그인 후 시도해주세요!"));
        return;
    }
    m_complete = m_refused = m_countError = m_waitsForService = false;
    if (!m_ledger.begin(m_batch, m_login.userId)) {
        m_notifier.error(m_ledger.failure());
        return;
    }
    m_messageCount = static_cast<std::int32_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(m_batch.queue.size()), kInt32Max));
    m_kind = m_batch.kind;
    m_checkAnswered = false;
    m_pictureStamp.clear();
    m_stats = Stats{};

    std::unique_ptr<AsyncSocket> socket =
        m_socketFactory ? m_socketFactory() : std::make_unique<AsyncSocket>();
    socket->setConnectTimeout(m_timeouts.connect);
    m_connection =
        std::make_unique<SendConnection>(static_cast<SendConnectionHost&>(*this), std::move(socket));
    if (!m_connection->create()) {
        m_connection.reset();
        m_notifier.error(ko("서버접속 오류입니다. 다시 시도해 주세요!"));
        return;
    }
    m_phase = Phase::Connecting;
    setRunning(true);
    m_connection->connectToHost(m_config.host, m_config.sendPort);
}

bool SendJob::stop() {
    if (!m_running || m_phase == Phase::Draining)
        return false;
    fail("전송을 중지했습니다.");
    return true;
}

std::string SendJob::sendCheckPacket() const {
    const auto bytes = static_cast<std::int32_t>(std::clamp<long long>(m_batch.bytes, 0, kInt32Max));
    return packet::encodeSendCheck(m_kind, m_login.userId, m_messageCount, bytes);
}

void SendJob::leftHandlerClosed() {
    m_retired.purgeLater();
}

void SendJob::connectFailed() {
    fail("서버 접속실패 ::: 다시 시도해 주세요!");
}

void SendJob::checkNotSent() {
    fail("네트워크 에러!. 다시 시도하세요!");
}

void SendJob::checkSent() {
    m_phase = Phase::Checking;
    m_waitTimer.start(m_timeouts.checkReply);
}

void SendJob::readFailed() {
    fail("네트워크 에러!! 다시 시도해 주세요!");
}

void SendJob::packetError() {
    fail("패킷 에러! 다시 시도해 주세요.");
}

void SendJob::checkReply(const packet::SendCheckAck& ack) {
    if (m_phase == Phase::Checking)
        m_waitTimer.stop();
    switch (ack.result) {
    case 0:
        // Once the job is under way a second go-ahead changes nothing: the records
        // already written carry the first reply's values.
        if (m_checkAnswered)
            return;
        m_checkAnswered = true;
        m_login.sendCode = ack.sendCode;
        m_login.sendTime = ack.sendTime;
        m_login.sendTag = ack.sendTag;
        m_progress.setRange(0, m_messageCount);
        startTransmission(false);
        return;
    case 1:
        m_refused = true;
        fail("[확인] 로그인이 되지 않았습니다. 로그인 후 시도해주세요!");
        return;
    case 2:
        m_refused = true;
        fail("[확인] 잔여한도가 부족합니다!");
        return;
    default:
        m_refused = true;
        fail("네트워크 에러! 다시 시도해주세요.");
        return;
    }
}

void SendJob::startTransmission(bool resume) {
    if (!m_login.loggedIn) {
        fail("로그인이 되어있지 않습니다.");
        return;
    }
    m_connection->socket().setEvents(AsyncSocket::Read | AsyncSocket::Write | AsyncSocket::Close);
    if (!resume) {
        // One stamp and one upload per job: a resume writes records that name the
        // files already uploaded.
        m_pictureStamp = formatLocalNow("%Y%m%d%H%M%S");
        if (m_kind == MessageKind::Mms && !uploadPictures()) {
            fail("[MMS] 화일서버 에러입니다.!");
            return;
        }
        if (!m_connection)
            return; // closed while the user was being told something
        m_encoder = RecordEncoder(m_kind, m_login, m_batch.pictures(), m_pictureStamp);
        // The server's values and the user id go into every record.
        if (!m_encoder.usable()) {
            fail("패킷 에러! 다시 시도해 주세요.");
            return;
        }
        if (!openSegment()) {
            failWith(m_ledger.failure());
            return;
        }
    }
    m_phase = Phase::Writing;
    writeRecords();
}

bool SendJob::uploadPictures() {
    // A file may have been replaced since its picture took the slot.
    return picturesUnchanged(m_batch.pictures(), m_notifier) &&
           uploadMmsPictures(m_webHost, m_login.userId, m_batch.pictures(), m_batch.pictureCount,
                             m_pictureStamp, m_notifier);
}

void SendJob::writeRecords() {
    if (!m_connection)
        return;
    SendQueue& queue = m_batch.queue;
    AsyncSocket& socket = m_connection->socket();
    const auto yieldAt = std::chrono::steady_clock::now() + m_yieldInterval;
    long long lookAt = m_stats.recordsWritten + 64; // the clock, every 64 records or so
    for (;;) {
        if (!m_cursor.holding()) {
            if (queue.empty()) {
                m_ahead.stop();
                // The service may answer for it before the end timer runs.
                m_ledger.closeSegment(queue);
                m_phase = Phase::Draining;
                m_endTimer.start(kEndDelay);
                return;
            }
            if (!takeRecord())
                return;
        }
        // A record the socket took in part goes on from its first byte not taken.
        while (!m_cursor.recordDone()) {
            const std::size_t offered = m_cursor.offered();
            const long n = socket.send(m_cursor.data(), offered);
            if (n < 0 && socket.wouldBlock()) {
                ++m_stats.wouldBlocks;
                m_phase = Phase::Held;
                m_waitTimer.start(m_timeouts.writeStall);
                return;
            }
            if (n <= 0) {
                fail("네트워크 에러! 다시 시도해 주시기 바랍니다.");
                return;
            }
            if (static_cast<std::size_t>(n) < offered)
                ++m_stats.partialSends;
            m_stats.bytesWritten += n;
            // Into the records of the run after it: each is taken off the queue in turn.
            for (std::size_t i = m_cursor.took(static_cast<std::size_t>(n)); i > 0; --i) {
                ++m_stats.recordsWritten;
                popRecord();
            }
        }
        m_cursor.release();
        ++m_stats.recordsWritten;
        // A long queue on a fast reader would otherwise keep the window from
        // repainting until the last record.
        if (m_stats.recordsWritten < lookAt)
            continue;
        lookAt = m_stats.recordsWritten + 64;
        if (std::chrono::steady_clock::now() >= yieldAt && !queue.empty()) {
            ++m_stats.yields;
            m_yieldPending = true;
            QTimer::singleShot(0, this, &SendJob::continueAfterYield);
            return;
        }
    }
}

bool SendJob::takeRecord() {
    SendQueue& queue = m_batch.queue;
    // A run was checked against the journal's allowance when it was taken.
    if (!m_cursor.inRun()) {
        const long long most = m_ledger.room(queue, kRunRecords);
        if (most < 0) {
            failWith(m_ledger.failure());
            return false;
        }
        if (most > 0)
            m_cursor.startRun(m_ahead.takeRun(queue.taken(), static_cast<std::size_t>(most)));
    }
    if (m_cursor.inRun()) {
        m_cursor.holdFromRun();
        popRecord();
        return true;
    }
    const SendQueue::View v = queue.view(0);
    const RecordText text{v.number, v.callbackNumber, v.title, v.body, v.reservation};
    const bool encoded = m_encoder.append(m_cursor.own(), text);
    m_cursor.holdOwn();
    queue.pop_front();
    if (!encoded) {
        // Validation keeps such records out; whatever put this one in the
        // queue, its bytes would make records nobody composed, or one the
        // server refuses while the job counts it as sent.
        fail(m_encoder.size(text) > kMaxRecordBytes
                 ? "4095바이트를 넘는 데이터가 있어 전송을 중단합니다."
                 : "사용할 수 없는 제어문자가 들어 있는 데이터가 있어 전송을 중단합니다.");
        return false;
    }
    if (queue.size() >= kEncodeAheadFrom)
        m_ahead.start(queue, m_encoder, queue.taken());
    m_progress.setValue(m_messageCount - static_cast<std::int64_t>(queue.size()));
    return true;
}

void SendJob::popRecord() {
    m_batch.queue.pop_front();
    m_progress.setValue(m_messageCount - static_cast<std::int64_t>(m_batch.queue.size()));
}

void SendJob::continueAfterYield() {
    if (!m_yieldPending)
        return;
    m_yieldPending = false;
    if (!m_connection || m_phase != Phase::Writing)
        return;
    if (!m_login.loggedIn) {
        fail("로그인이 되어있지 않습니다.");
        return;
    }
    writeRecords();
}

void SendJob::writable() {
    if (m_phase != Phase::Held)
        return;
    m_waitTimer.stop();
    startTransmission(true);
}

void SendJob::onWaitTimer() {
    // A server that never answers the check, or one that stopped reading (a
    // stopped process keeps the connection open), ends the job as a broken
    // connection does.
    if (m_phase == Phase::Checking)
        fail("네트워크 에러!! 다시 시도해 주세요!");
    else if (m_phase == Phase::Held)
        fail("네트워크 에러! 다시 시도해 주시기 바랍니다.");
}

void SendJob::connectionClosed() {
    // The records not yet written stay in the queue; the user is told unless the
    // queue was already through.
    switch (m_phase) {
    case Phase::Checking:
        fail("네트워크 에러!! 다시 시도해 주세요!");
        return;
    case Phase::Connecting:
    case Phase::Writing:
    case Phase::Held:
        fail("네트워크 에러! 다시 시도해 주시기 바랍니다.");
        return;
    case Phase::Draining:
    case Phase::Idle:
        closeSendConnection(false);
        return;
    }
}

void SendJob::onEndTimer() {
    m_endTimer.stop();
    closeSendConnection(true);
    m_progress.setValue(0);
    m_host.refreshBalance();
}

void SendJob::fail(const char* utf8Message) {
    failWith(ko(utf8Message));
}

void SendJob::failWith(const std::string& message) {
    const bool writing = (m_phase == Phase::Writing || m_phase == Phase::Held) && m_ledger.segmentOpen();
    // Settled before the job ends (its end runs the host's handlers, which may
    // reset the form) and before the box (it runs the event loop).
    const std::string howFar = writing ? settleInterrupted() : std::string();
    closeSendConnection(false);
    if (!writing) {
        m_notifier.error(message);
        return;
    }
    // One box after a fault: what happened, how far it got, what comes next.
    std::string text = message + "\n" + howFar;
    if (m_ledger.journaled()) {
        handOff();
        m_notifier.error(text + "\n" + ko(m_waitsForService ? kResumeLater : kResumeNow));
        return;
    }
    if (m_uncertain == 0 || !m_askAboutUncertain) {
        m_notifier.error(text);
        return;
    }
    const long long uncertain = m_uncertain;
    if (m_notifier.askYesNo(text + "\n" + resendUncertainQuestion(uncertain), MessageIcon::Error)) {
        m_batch.queue.rewind(static_cast<std::size_t>(uncertain));
        m_ledger.takenLess(uncertain);
        recomputeBytes();
    }
    m_uncertain = 0;
}

void SendJob::handOff() {
    m_ledger.handOff();
    m_batch.queue.clear();
    m_batch.bytes = 0;
}

long long SendJob::possiblyDelivered(long long handed, long long bytesNotSent) {
    if (bytesNotSent < 0)
        return handed;
    // A record not wholly on the wire cannot be stored: the reset drops the rest.
    long long notDelivered = 0;
    std::string record;
    for (long long i = handed - 1; i >= 0 && bytesNotSent > 0; --i, ++notDelivered) {
        const SendQueue::View v = m_batch.queue.record(m_ledger.segmentStart() + static_cast<std::size_t>(i));
        record.clear();
        m_encoder.append(record, RecordText{v.number, v.callbackNumber, v.title, v.body, v.reservation});
        bytesNotSent -= static_cast<long long>(record.size());
    }
    return handed - notDelivered;
}

std::string SendJob::settleInterrupted() {
    SendQueue& queue = m_batch.queue;
    const std::size_t start = m_ledger.segmentStart();
    // The record in hand was taken off the queue but not handed over whole.
    const long long handed = static_cast<long long>(queue.taken() - start) - (m_cursor.holding() ? 1 : 0);
    // The service ends its job once it has read what the connection still holds.
    AsyncSocket* socket = m_connection ? &m_connection->socket() : nullptr;
    if (socket)
        socket->shutdownWrite();
    ServiceJobStatus status;
    if (handed > 0)
        status = querySendStatus(m_webHost, m_login.userId, m_login.sendTag, kStatusWaitMs);
    const bool answered = status.final() || status.state == ServiceJobStatus::State::NoSuchJob;
    std::string countError;
    if (answered && status.stored > handed) {
        m_countError = true;
        countError = countErrorMessage(status.stored, handed) + "\n";
    }
    long long taken = 0;
    if (handed == 0 || (answered && countError.empty())) {
        taken = std::max(0LL, status.stored);
        m_uncertain = 0;
    } else {
        // The service cannot say. What went on the wire may or may not be stored;
        // what the system still holds is dropped by closing with a reset.
        long long notSent = socket ? socket->bytesNotSent() : -1;
        if (socket)
            socket->discardUnsentOnClose();
        // The part of the record in hand the socket took is the last of it.
        if (notSent >= 0 && m_cursor.holding())
            notSent = std::max(0LL, notSent - static_cast<long long>(m_cursor.sent()));
        m_uncertain = possiblyDelivered(handed, notSent);
        taken = m_uncertain;
        // A service that did not answer may answer later; one without the
        // document never will, and the user chooses.
        m_waitsForService = countError.empty() && (status.state == ServiceJobStatus::State::Unreachable ||
                                                   status.state == ServiceJobStatus::State::Running);
    }
    m_cursor.reset(); // the queue goes on from what the service holds
    queue.seek(start + static_cast<std::size_t>(taken));
    // An uncertain span is decided later: the user, or the service once it answers.
    m_ledger.cutSegment(taken, m_uncertain == 0);
    const long long left = static_cast<long long>(queue.size());
    recomputeBytes();
    const long long held = m_ledger.takenBefore();
    if (m_uncertain > 0)
        return countError + uncertainMessage(held - m_uncertain, m_uncertain, left);
    return interruptedMessage(held, left);
}

void SendJob::dropConnection() {
    m_ahead.stop();
    if (m_connection)
        m_retired.retire(std::move(m_connection));
    m_yieldPending = false;
    m_waitTimer.stop();
    if (m_cursor.holding())
        m_batch.queue.rewind(1);
    m_cursor.reset(); // the run's bytes went with the encoder
}

void SendJob::closeSendConnection(bool resetPictures) {
    dropConnection();
    if (m_stats.recordsWritten > 0)
        recomputeBytes();
    if (resetPictures) {
        m_batch.pictureCount = 0;
        m_batch.settings.resetPictures();
    }
    if (m_endTimer.isActive()) {
        m_phase = Phase::Draining;
        return;
    }
    m_phase = Phase::Idle;
    setRunning(false);
}

void SendJob::recomputeBytes() {
    // What the next check announces: the records left, not the whole first job.
    const SendQueue& queue = m_batch.queue;
    long long bytes = 0;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const SendQueue::View v = queue.view(i);
        bytes += estimateRecordBytes(m_kind,
                                     RecordText{v.number, v.callbackNumber, v.title, v.body, v.reservation},
                                     m_login, m_batch.pictures(), m_batch.pictureCount);
    }
    m_batch.bytes = bytes;
}

bool SendJob::sendResult(std::int32_t result, std::int32_t count) {
    // A result no segment waits for, after a fault left the job to its journal,
    // is the cut job's: the fault's box said what it held, and the resume asks.
    if (!m_ledger.resultDue())
        return m_ledger.pendingJournal().empty();
    const JobLedger::Due due = m_ledger.nextDue();
    const long long announced = due.count;
    if (result == 1 && count > announced) {
        // Never shown as sent, and not this job's result: the job waits on for
        // one it can believe, and the journal keeps it meanwhile.
        m_countError = true;
        m_notifier.error(countErrorMessage(count, announced));
        return false;
    }
    long long taken = result == 1 ? std::max<long long>(count, 0) : 0;
    if (taken < announced) {
        // The packet names no job, and a service may store fewer than it was sent
        // (numbers it filters): only its status for this job re-queues the rest.
        const ServiceJobStatus status =
            querySendStatus(m_webHost, m_login.userId, due.sendTag, kStatusWaitMs);
        if (status.final() && status.stored <= announced) {
            taken = std::max(0LL, status.stored);
        } else if (status.state == ServiceJobStatus::State::Unreachable ||
                   status.state == ServiceJobStatus::State::Running) {
            // A service going down says less than it will hold: its count waits
            // for the resume, which asks again.
            if (m_ledger.journaled() && due.last && m_ledger.isFor(m_batch.queue)) {
                handOff();
                m_notifier.error(ko("서버가 [") + std::to_string(count) +
                                 ko("]건을 받았다고 알려왔지만 확인할 수 없습니다.\n") + ko(kResumeLater));
                return false;
            }
        } else if (result == 1) {
            taken = announced;
        }
    }
    m_ledger.settleDue(taken);
    SendQueue& queue = m_batch.queue;
    // Once its last record is handed over the job only waits for its end.
    const bool sameJob = (m_phase == Phase::Draining || m_phase == Phase::Idle) && m_ledger.isFor(queue);
    if (taken >= announced) {
        if (sameJob && queue.empty() && !m_ledger.resultDue()) {
            m_ledger.finish();
            m_complete = true;
        }
        return true;
    }
    // The service ended the job short: what it did not take is still to send.
    if (!sameJob || !due.last)
        return true;
    queue.seek(due.start + static_cast<std::size_t>(taken));
    m_ledger.takenLess(announced - taken);
    recomputeBytes();
    m_notifier.error(ko("서버가 [") + std::to_string(taken) + ko("]건만 받았습니다. 나머지 [") +
                     std::to_string(queue.size()) + ko("]건은 이어서 전송을 누르면 전송됩니다."));
    return true;
}

void SendJob::abandon() {
    if (!m_running)
        return;
    m_endTimer.stop();
    closeSendConnection(false);
    // The service's count decides at the next start; the journal keeps the rest.
    m_ledger.abandon();
    m_phase = Phase::Idle;
    setRunning(false);
}

void SendJob::setRunning(bool running) {
    if (m_running == running)
        return;
    m_running = running;
    m_host.sendRunningChanged(running);
}

} // namespace qb
