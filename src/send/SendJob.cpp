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

#include <algorithm>
#include <limits>

namespace qb {
namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

SendJob::SendJob(SendBatch batch, LoginState& login, Notifier& notifier, Progress& progress,
                 SendJobHost& host, const ServiceConfig& config)
    : m_batch(batch), m_login(login), m_notifier(notifier), m_progress(progress), m_host(host),
      m_config(config), m_webHost(WebHost::from(config)) {
    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &SendJob::onEndTimer);
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, &SendJob::onWaitTimer);
    m_record.reserve(4096);
}

SendJob::~SendJob() {
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
    m_messageCount = static_cast<std::int32_t>(std::min<std::int64_t>(m_batch.queue.size(), kInt32Max));
    m_kind = m_batch.kind;
    m_checkAnswered = false;
    m_pictureStamp.clear();
    m_stats = Stats{};

    std::unique_ptr<AsyncSocket> socket =
        m_socketFactory ? m_socketFactory() : std::make_unique<AsyncSocket>();
    socket->setConnectTimeout(m_timeouts.connect);
    m_connection = std::make_unique<SendConnection>(*this, std::move(socket));
    if (!m_connection->create()) {
        m_connection.reset();
        m_notifier.error(ko("서버접속 오류입니다. 다시 시도해 주세요!"));
        return;
    }
    m_phase = Phase::Connecting;
    setRunning(true);
    m_connection->connectToHost(m_config.host, m_config.sendPort);
}

std::int32_t SendJob::checkBytes() const {
    return static_cast<std::int32_t>(std::clamp<long long>(m_batch.bytes, 0, kInt32Max));
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
        fail("[확인] 로그인이 되지 않았습니다. 로그인 후 시도해주세요!");
        return;
    case 2:
        fail("[확인] 잔여한도가 부족합니다!");
        return;
    default:
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
        m_encoder = RecordEncoder(m_kind, m_login, m_batch.pictures, m_pictureStamp);
        // The server's values and the user id go into every record.
        if (!m_encoder.usable()) {
            fail("패킷 에러! 다시 시도해 주세요.");
            return;
        }
    }
    m_phase = Phase::Writing;
    writeRecords();
}

bool SendJob::uploadPictures() {
    // A file may have been replaced since its picture took the slot.
    return picturesUnchanged(m_batch.pictures, m_notifier) &&
           uploadMmsPictures(m_webHost, m_login.userId, m_batch.pictures, m_batch.pictureCount,
                             m_pictureStamp, m_notifier);
}

void SendJob::writeRecords() {
    if (!m_connection)
        return;
    SendQueue& queue = m_batch.queue;
    AsyncSocket& socket = m_connection->socket();
    const auto yieldAt = std::chrono::steady_clock::now() + m_yieldInterval;
    for (unsigned turn = 1;; ++turn) {
        if (m_current.empty()) {
            if (queue.empty()) {
                m_phase = Phase::Draining;
                m_endTimer.start(kEndDelay);
                return;
            }
            queue.takeFront(m_current);
            const SendQueue::View v = m_current.view();
            m_record.clear();
            if (!m_encoder.append(m_record,
                                  RecordText{v.number, v.callbackNumber, v.title, v.body, v.reservation})) {
                // Validation keeps such records out; whatever put this one in the
                // queue, its bytes would make records nobody composed.
                fail("사용할 수 없는 제어문자가 들어 있는 데이터가 있어 전송을 중단합니다.");
                return;
            }
            m_taken = 0;
            m_progress.setValue(m_messageCount - static_cast<std::int64_t>(queue.size()));
        }
        // A record the socket took in part goes on from its first byte not taken.
        while (m_taken < m_record.size()) {
            const std::size_t left = m_record.size() - m_taken;
            const long n = socket.send(m_record.data() + m_taken, left);
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
            if (static_cast<std::size_t>(n) < left)
                ++m_stats.partialSends;
            m_taken += static_cast<std::size_t>(n);
            m_stats.bytesWritten += n;
        }
        m_current.clear();
        ++m_stats.recordsWritten;
        // A long queue on a fast reader would otherwise keep the window from
        // repainting until the last record.
        if (turn % 64 == 0 && std::chrono::steady_clock::now() >= yieldAt && !queue.empty()) {
            ++m_stats.yields;
            m_yieldPending = true;
            QTimer::singleShot(0, this, &SendJob::continueAfterYield);
            return;
        }
    }
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
    const bool writing = m_phase == Phase::Writing || m_phase == Phase::Held;
    closeSendConnection(false);
    // Counted before the first box: it runs the event loop.
    const std::string howFar =
        writing ? interruptedMessage(m_stats.recordsWritten, static_cast<long long>(m_batch.queue.size()))
                : std::string();
    m_notifier.error(ko(utf8Message));
    if (writing)
        m_notifier.error(howFar);
}

void SendJob::closeSendConnection(bool resetPictures) {
    if (m_connection) {
        m_connection->close();
        m_retired.push_back(std::move(m_connection));
        purgeLater();
    }
    m_yieldPending = false;
    m_waitTimer.stop();
    SendQueue& queue = m_batch.queue;
    if (!m_current.empty()) {
        queue.putBack(m_current);
        m_current.clear();
    }
    // What the next check announces: the records left, not the whole first job.
    if (m_stats.recordsWritten > 0) {
        long long bytes = 0;
        const PictureSlots& pictures = m_batch.pictures;
        for (std::size_t i = 0; i < queue.size(); ++i) {
            const SendQueue::View v = queue.view(i);
            bytes += estimateRecordBytes(
                m_kind, RecordText{v.number, v.callbackNumber, v.title, v.body, v.reservation}, m_login,
                pictures, m_batch.pictureCount);
        }
        m_batch.bytes = bytes;
    }
    if (resetPictures) {
        m_batch.pictureCount = 0;
        m_batch.pictures = PictureSlots{};
    }
    if (m_endTimer.isActive()) {
        m_phase = Phase::Draining;
        return;
    }
    m_phase = Phase::Idle;
    setRunning(false);
}

void SendJob::setRunning(bool running) {
    if (m_running == running)
        return;
    m_running = running;
    m_host.sendRunningChanged(running);
}

void SendJob::purgeLater() {
    QTimer::singleShot(0, this, &SendJob::purgeRetired);
}

void SendJob::purgeRetired() {
    // One still in a handler (under a message box) asks again when it leaves.
    std::erase_if(m_retired, [](const std::unique_ptr<SendConnection>& c) { return !c->inHandler(); });
}

} // namespace qb
