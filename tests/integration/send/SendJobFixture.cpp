#include "integration/send/SendJobFixture.h"

#include "common/PictureCheck.h"
#include "net/MessageRecord.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qb::test {

void SendJobTest::SetUp() {
    service.addAccount("user01", "pass01", 123456789, "TAG-01");
    service.addAccount("user02", "pass02");
    state.version = "2.1.5";
    loginHost.onSendResult = [this](int result, int count) { job.sendResult(result, count); };
    host.job = &job;
}

void SendJobTest::start() {
    if (next) {
        job.take(std::move(*next));
        next.reset();
    }
    job.startSend();
}

void SendJobTest::login(const std::string& id, const std::string& password) {
    state.userId = id;
    state.password = password;
    const int before = loginHost.afterLoginRuns();
    ASSERT_TRUE(session.login());
    ASSERT_TRUE(runUntil([&] { return loginHost.afterLoginRuns() == before + 1; }));
    events.clear();
    loginHost.events.clear();
}

std::string SendJobTest::number(int i) const {
    std::string n = std::to_string(i);
    return "0101" + std::string(n.size() < 7 ? 7 - n.size() : 0, '0') + n;
}

void SendJobTest::prepare(MessageKind kind, int count, const std::function<void()>& setup) {
    form.onKindChosen(kind);
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += number(i) + "\r\n";
    form.loadDirectEntry(text);
    form.state().numberColumn.select(1);
    form.onNumberColumnChanged();
    form.state().callbackList.fill({"0212345678"});
    if (setup)
        setup();
    ASSERT_TRUE(form.validateAndPreview()) << (notifier.texts().empty() ? "" : notifier.texts().back());
    next = form.takePrepared();
    events.clear();
    notifier.clear();
    progress.values.clear();
    progress.ranges.clear();
}

void SendJobTest::prepareSms(int count, const std::string& utf8Message) {
    prepare(MessageKind::Sms, count, [&] { form.onMessageEdited(ko(utf8Message)); });
}

PictureSlot SendJobTest::picture(int slot) {
    // As the MMS window takes a picture: the upload checks the file is still that one.
    const std::string path = dataPath(slot == 2 ? "send/progressive-300x200.jpg" : "send/picture-64x48.jpg");
    const PictureInfo info = checkPicture(path);
    return PictureSlot{path, info.width, info.height, info.fingerprint};
}

void SendJobTest::prepareMms(int count, int pictures) {
    prepare(MessageKind::Mms, count, [&] {
        EditorContent c;
        c.title = ko("사진");
        c.titleTouched = true;
        c.body = ko("그림 보냅니다");
        c.bodyTouched = true;
        for (int slot = 1; slot <= pictures; ++slot)
            c.pictures[static_cast<std::size_t>(slot - 1)] = picture(slot);
        editors.mms = c;
    });
}

void SendJobTest::fillQueueFor(MessageKind kind, int pictures) {
    staged().pictureCount = pictures;
    for (int slot = 1; slot <= 3; ++slot)
        staged().settings.pictures[static_cast<std::size_t>(slot - 1)] =
            slot <= pictures ? picture(slot) : PictureSlot{};
    fillQueue(kind, 3);
}

void SendJobTest::useDeadSendPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len), 0);
    ::close(fd);
    faultySocket().redirectPort = ntohs(a.sin_port);
}

void SendJobTest::setBalance(const std::string& amount) {
    qbs::Balance b;
    b.balance = amount;
    service.service().webServer().store().setBalance(state.userId, b);
}

void SendJobTest::quirks(const std::function<void(qbs::SendQuirks&)>& set) {
    qbs::SendQuirks q;
    set(q);
    sendServer().setQuirks(q);
}

void SendJobTest::webFault(const std::string& rule) {
    std::string why;
    ASSERT_TRUE(service.service().webServer().faults().apply(rule, &why)) << why;
}

void SendJobTest::shortTimeouts() {
    NetTimeouts t;
    t.checkReply = std::chrono::milliseconds(300);
    t.writeStall = std::chrono::milliseconds(300);
    job.setTimeouts(t);
}

FaultySocket& SendJobTest::faultySocket() {
    m_nextSocket = std::make_unique<FaultySocket>();
    FaultySocket& made = *m_nextSocket;
    job.setSocketFactory([this]() -> std::unique_ptr<AsyncSocket> {
        if (m_nextSocket)
            return std::move(m_nextSocket);
        return std::make_unique<AsyncSocket>();
    });
    return made;
}

void SendJobTest::fillBatch(SendBatch& s, MessageKind kind, int count, const std::string& body) {
    s.kind = kind;
    s.queue.clear();
    s.bytes = 0;
    for (int i = 1; i <= count; ++i) {
        SendRecord r;
        r.number = number(i);
        r.callbackNumber = "0212345678";
        r.body = body;
        r.displayBody = body;
        r.title = kind == MessageKind::Sms ? "" : "title";
        r.reservation = immediateReservation();
        s.queue.push_back(r);
        s.bytes += estimateRecordBytes(kind, r, state, s.pictures(), s.pictureCount);
    }
}

bool SendJobTest::finish(bool result) {
    const auto shown = [&] {
        for (const std::string& e : events)
            if (e.find("건 전송이 완료되었습니다.") != std::string::npos ||
                e.find("데이터 전송에 실패하였습니다") != std::string::npos)
                return true;
        return false;
    };
    return runUntil([&] { return !job.running() && (!result || shown()); }, std::chrono::seconds(60));
}

std::vector<std::string> SendJobTest::storedRaw(std::size_t index) {
    std::vector<std::string> out;
    const auto jobs = serverJobs();
    if (index >= jobs.size())
        return out;
    for (const qbs::SendRecordRow& r : sendServer().store().records(jobs[index].id))
        out.push_back(r.record.raw);
    return out;
}

} // namespace qb::test
