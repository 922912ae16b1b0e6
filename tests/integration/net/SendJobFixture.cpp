#include "integration/net/SendJobFixture.h"

#include "net/MessageRecord.h"

namespace qb::test {

void SendJobTest::SetUp() {
    Clock::setInstance(std::make_unique<FixedClock>(fromLocal({2016, 9, 10, 9, 5, 7})));
    service.addAccount("user01", "pass01", 123456789, "TAG-01");
    service.addAccount("user02", "pass02");
    state.version = "2.1.5";
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

void SendJobTest::prepareSms(int count, const std::string& utf8Message) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += number(i) + "\r\n";
    form.loadDirectEntry(text);
    form.state().numberColumn.select(1);
    form.onNumberColumnChanged();
    form.state().callbackList.fill({"0212345678"});
    form.onMessageEdited(ko(utf8Message));
    ASSERT_TRUE(form.validateAndPreview());
    events.clear();
    progress.values.clear();
    progress.ranges.clear();
}

void SendJobTest::fillQueue(MessageKind kind, int count, const std::string& body) {
    SendFormState& s = form.state();
    s.kind = kind;
    s.queue.clear();
    s.batchBytes = 0;
    for (int i = 1; i <= count; ++i) {
        SendRecord r;
        r.number = number(i);
        r.callbackNumber = "0212345678";
        r.body = body;
        r.displayBody = body;
        r.title = kind == MessageKind::Sms ? "" : "title";
        r.reservation = immediateReservation();
        s.queue.push_back(r);
        s.batchBytes += estimateRecordBytes(kind, r, state, settings.pictures, s.pictureCount);
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
    const auto jobs = service.service().sendServer().store().jobs(state.userId);
    if (index >= jobs.size())
        return out;
    for (const qbs::SendRecordRow& r : service.service().sendServer().store().records(jobs[index].id))
        out.push_back(r.record.raw);
    return out;
}

} // namespace qb::test
