#include "common/Clock.h"
#include "common/Cp949.h"
#include "support/Ports.h"
#include "support/ServiceHarness.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

using namespace qb;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Outcome run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

Outcome qbsend(const QStringList& args) {
    return run(QBSEND_PATH, args);
}

// With `environment` added and `input` on standard input.
Outcome qbsendWith(const QStringList& args, const QStringList& environment, const QByteArray& input = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QBSEND_PASSWORD");
    for (const QString& e : environment)
        env.insert(e.section('=', 0, 0), e.section('=', 1));
    p.setProcessEnvironment(env);
    p.start(QBSEND_PATH, args);
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

// Today's log lines without their time stamps, in UTF-8.
std::vector<std::string> logTexts(const test::ServiceHarness& service) {
    const std::string log =
        test::readFile(service.dir().file("LOG/" + formatLocalNow("%Y_%m_%d") + "_SYS.log"));
    std::vector<std::string> texts;
    std::size_t pos = 0;
    while (pos < log.size()) {
        const std::size_t end = log.find("\r\n", pos);
        if (end == std::string::npos)
            break;
        texts.push_back(cp949::toUtf8(log.substr(pos + 20, end - pos - 20)));
        pos = end + 2;
    }
    return texts;
}

// A service with the account user01 / pass01.
class Qbsend : public ::testing::Test {
protected:
    Qbsend() { service.addAccount("user01", "pass01"); }
    // qbsend as user01 in the service's working folder, with `more` arguments.
    Outcome asUser01(const QStringList& more = {}) {
        return qbsend(QStringList{"--workdir", workdir, "--id", "user01", "--password", "pass01"} + more);
    }

    test::ServiceHarness service;
    const QString workdir = QString::fromStdString(service.workdir());
};

} // namespace

TEST_F(Qbsend, LogsInAndOutAsTheClientDoes) {
    service.addAccount(ko("홍길동"), ko("비번"));
    const Outcome ok = asUser01();
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "");
    EXPECT_TRUE(service.loginServer().waitForLogout("user01", 5s));
    EXPECT_EQ(logTexts(service), (std::vector<std::string>{"Socket 연결성공...", "로그인 정보 전송..."}));

    // UTF-8 arguments are sent as CP949.
    const Outcome korean = qbsend({"--workdir", workdir, "--id", "홍길동", "--password", "비번"});
    EXPECT_EQ(korean.exitCode, 0) << korean.out << korean.err;
    EXPECT_EQ(service.loginServer().receivedRequests().back().substr(8, 6), ko("홍길동"));
}

TEST_F(Qbsend, FailuresPrintWhatTheUserWouldSee) {
    struct Row {
        const char* name;
        QStringList args;
        int exitCode;
        const char* out;
    };
    const Row rows[] = {
        {"wrong password",
         {"--id", "user01", "--password", "nope"},
         1,
         "[알림] 로그인 실패. 계정정보를 확인하세요!\n"},
        {"id too long",
         {"--id", "abcdefghijklmnopq", "--password", "x"},
         1,
         "[알림] 아이디와 비번은 영문 16자, 한글 8자 이내로 입력해주세요!\n"},
        {"nobody listening",
         {"--id", "user01", "--password", "pass01", "--login-port", QString::number(test::deadPort())},
         1,
         "[알림] 서버 접속실패 ::: 인터넷설정을 확인하세요.\n"},
        {"unresolvable host",
         {"--id", "user01", "--password", "pass01", "--host", "no-such-host.invalid"},
         1,
         "[알림] 서버 접속실패 ::: 인터넷설정을 확인하세요.\n"},
        {"bad argument", {"--id", "user01", "--password", "pass01", "--login-port", "x"}, 2, ""},
        {"missing password", {"--id", "user01"}, 2, ""},
    };
    for (const Row& row : rows) {
        QStringList args{"--workdir", workdir};
        args.append(row.args);
        const Outcome r = qbsend(args);
        EXPECT_EQ(r.exitCode, row.exitCode) << row.name << ": " << r.err;
        EXPECT_EQ(r.out, row.out) << row.name;
    }
    const Outcome noFolder = qbsend({"--workdir", workdir + "/missing", "--id", "a", "--password", "b"});
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_NE(noFolder.err.find("no such folder"), std::string::npos);
}

TEST_F(Qbsend, ThePasswordCanStayOutOfTheProcessList) {
    const QString file = QString::fromStdString(service.dir().write("pw.txt", "pass01\n"));
    struct Row {
        const char* name;
        QStringList args;
        QStringList environment;
        QByteArray input;
    };
    const Row rows[] = {
        {"file", {"--password-file", file}, {}, {}},
        {"standard input", {"--password", "-"}, {}, "pass01\r\n"},
        {"environment", {}, {"QBSEND_PASSWORD=pass01"}, {}},
    };
    for (const Row& row : rows) {
        const Outcome r = qbsendWith(QStringList{"--workdir", workdir, "--id", "user01"} + row.args,
                                     row.environment, row.input);
        EXPECT_EQ(r.exitCode, 0) << row.name << ": " << r.out << r.err;
        EXPECT_EQ(r.out, "") << row.name;
    }
    EXPECT_EQ(service.loginServer().receivedRequests().size(), 3u);
    const Outcome none = qbsendWith({"--workdir", workdir, "--id", "user01", "--password", "-"}, {}, "");
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "qbsend: --password -: no password on standard input\n");
}

TEST_F(Qbsend, AFailureWithoutAMessageStillSaysWhy) {
    qbs::LoginQuirks closing;
    closing.closeBeforeReply = true;
    service.loginServer().setQuirks(closing);
    const Outcome closed = asUser01();
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_EQ(closed.out, "");
    EXPECT_EQ(closed.err, "qbsend: the server closed the connection before the login reply\n");

    // A login reply that never comes ends with the client's message.
    qbs::LoginQuirks silent;
    silent.neverReply = true;
    service.loginServer().setQuirks(silent);
    const Outcome timedOut = asUser01({"--reply-timeout", "1"});
    EXPECT_EQ(timedOut.exitCode, 1);
    EXPECT_EQ(timedOut.out, "[알림] 서버 응답이 없습니다. 잠시 후 다시 시도하세요.\n");
    EXPECT_EQ(timedOut.err, "");
}

TEST_F(Qbsend, PortsOutOfRangeInServiceIniAreAnError) {
    const std::string ini = test::readFile(service.dir().file("service.ini"));
    const std::string port = std::to_string(service.config().loginPort);
    service.dir().write("service.ini", ini.substr(0, ini.find("LOGIN_PORT=")) + "LOGIN_PORT=70000\r\n" +
                                           ini.substr(ini.find("\r\n", ini.find("LOGIN_PORT=")) + 2));
    const Outcome bad = asUser01();
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "qbsend: service.ini: LOGIN_PORT=70000 is not a port number (1..65535)\n");
    // The command line replaces it.
    const Outcome given = asUser01({"--login-port", QString::fromStdString(port)});
    EXPECT_EQ(given.exitCode, 0) << given.out << given.err;
}

TEST_F(Qbsend, CommandLineOverridesServiceIni) {
    test::TempDir bare; // no service.ini: the built-in host would be used
    const Outcome r =
        qbsend({"--workdir", QString::fromStdString(bare.path()), "--host", "127.0.0.1", "--login-port",
                QString::number(service.config().loginPort), "--id", "user01", "--password", "pass01"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}

TEST(QbService, ExecutableServesLoginsUntilTerminated) {
    test::TempDir dir;
    dir.write("seed.txt", "seeded pw1 4242 SEEDTAG\n");
    QProcess service;
    // Every packet it writes says its whole size in its length field, which the
    // client does not read. Its event lines (stderr) tell when it has seen a close.
    service.start(QB_SERVICE_PATH, {"--seed", QString::fromStdString(dir.file("seed.txt")), "--add-account",
                                    "demo", "demo1234", "--packet-length", "whole"});
    ASSERT_TRUE(service.waitForStarted());
    ASSERT_TRUE(service.waitForReadyRead(10000));
    const std::string first = service.readLine().toStdString();
    ASSERT_EQ(first.rfind("login-port ", 0), 0u) << first;
    const QString port = QString::fromStdString(first.substr(11)).trimmed();
    // Every port the service takes has its line; the web application's comes next.
    ASSERT_TRUE(service.canReadLine() || service.waitForReadyRead(10000));
    const std::string second = service.readLine().toStdString();
    ASSERT_EQ(second.rfind("web-port ", 0), 0u) << second;
    ASSERT_TRUE(service.canReadLine() || service.waitForReadyRead(10000));
    const std::string third = service.readLine().toStdString();
    ASSERT_EQ(third.rfind("send-port ", 0), 0u) << third;
    const QString webPort = QString::fromStdString(second.substr(9)).trimmed();
    const QString sendPort = QString::fromStdString(third.substr(10)).trimmed();

    const QStringList at{
        "--workdir", QString::fromStdString(dir.path()), "--host", "127.0.0.1", "--login-port", port};
    for (const char* id : {"demo", "seeded"}) {
        const Outcome r = qbsend(
            at + QStringList{"--id", id, "--password", std::string(id) == "demo" ? "demo1234" : "pw1"});
        EXPECT_EQ(r.exitCode, 0) << id << r.out << r.err;
    }
    // A job through every port the executable took.
    const std::string list = dir.write("list.txt", "01012345678\n01087654321\n");
    const Outcome sent =
        qbsend(at +
               QStringList{"--send-port", sendPort, "--web-port", webPort, "--id", "demo", "--password",
                           "demo1234", "--text", QString::fromStdString(list)} +
               QStringList{"--number-column", "1", "--callback", "0212345678", "--message", "demo"});
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    EXPECT_NE(sent.out.find("[알림] 총 [2] 건 전송이 완료되었습니다.\n"), std::string::npos) << sent.out;

    // qbsend has closed its login connection; the service says so once it has
    // seen the close, and only then has the id no login connection.
    std::string events;
    const auto loggedOut = [&] {
        std::size_t n = 0;
        for (std::size_t at = 0;
             (at = events.find("login-server: demo: logged out", at)) != std::string::npos; ++at)
            ++n;
        return n;
    };
    QDeadlineTimer deadline(10000);
    while (loggedOut() < 2 && !deadline.hasExpired()) {
        service.setReadChannel(QProcess::StandardError);
        service.waitForReadyRead(100);
        events += service.readAllStandardError().toStdString();
    }
    service.setReadChannel(QProcess::StandardOutput);
    ASSERT_EQ(loggedOut(), 2u) << events;
    service.write("send-result demo 1 3\n");
    ASSERT_TRUE(service.waitForReadyRead(10000));
    EXPECT_EQ(service.readLine().toStdString(), "no login connection for that id\n");

    service.terminate();
    ASSERT_TRUE(service.waitForFinished(10000));
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0);

    const Outcome bad = run(QB_SERVICE_PATH, {"--login-port", "x"});
    EXPECT_EQ(bad.exitCode, 2);
}
