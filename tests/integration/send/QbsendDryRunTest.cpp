#include "support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Outcome qbsend(const QStringList& args) {
    QProcess p;
    p.start(QBSEND_PATH, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TEST(QbsendDryRun, PrintsWhatWouldBeSentWithTheClientsRules) {
    qb::test::TempDir dir;
    const std::string list =
        dir.write("list.txt", "01011112222\t김철수\r\n01000000000\t거부\r\n0101234567\t이영희\r\n");
    const std::string rejects = dir.write("rej.txt", "01000000000\n");
    dir.write("msg/RAZIDODU.ini", "[Reject]\r\nReject_001=TRUE,rej.txt," + rejects + "\r\n");
    const Outcome ok = qbsend({"--dry-run",
                               "--workdir",
                               q(dir.path()),
                               "--text",
                               q(list),
                               "--delimiter",
                               "Tab",
                               "--number-column",
                               "1",
                               "--merge",
                               "1=2",
                               "--kind",
                               "lms",
                               "--title",
                               "<@1@>님께",
                               "--message",
                               "안녕하세요\n<@1@>님",
                               "--callback",
                               "021234",
                               "--reserve",
                               "2099-03-05 14:30"});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(
        ok.out,
        "총 데이터 [3] 건\n중복제거 [0] 건\n수신거부 [1] 건\n번호형식오류 [0] 건\n전송할 데이터 [2] 건\n"
        "1\t010-1111-2222\t021234\t김철수님께\t안녕하세요  김철수님\t2099-03-05 14:30:00\n"
        "2\t010-123-4567\t021234\t이영희님께\t안녕하세요  이영희님\t2099-03-05 14:30:00\n");

    const Outcome refused = qbsend({"--dry-run", "--workdir", q(dir.path()), "--text", q(list), "--delimiter",
                                    "Tab", "--number-column", "1", "--message", "hi"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "[알림] 회신번호를 확인해주세요.\n");

    const Outcome past = qbsend({"--dry-run", "--text", q(list), "--number-column", "1", "--message", "hi",
                                 "--callback", "021234", "--reserve", "2024-03-05 14:30"});
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_EQ(past.out, "[알림] 예약시간이 현재시간 이전입니다. 예약시간을 확인해 주세요.\n");

    EXPECT_EQ(qbsend({"--dry-run", "--text", q(list), "--range", "1"}).exitCode, 2);
    EXPECT_EQ(qbsend({"--text", q(list)}).exitCode, 2); // a send needs the account
}

// CSV and the encodings: what was read goes to standard error, a refused file ends
// with exit 1 and its message on standard output.
TEST(QbsendDryRun, CsvAndEncodings) {
    qb::test::TempDir dir;
    const std::string csv = dir.write("list.csv", "\xEF\xBB\xBF\"01011112222\",\"김, 철수\"\r\n");
    const std::string open = dir.write("open.csv", "01011112222,\"a\r\n");
    const std::string mixed = dir.write("mixed.txt", "01011112222,\xEA\xB9\x80\n01033334444,\xB1\xE8\n");
    const auto dryRun = [&](const std::string& file, const QStringList& more) {
        return qbsend(QStringList{"--dry-run", "--workdir", q(dir.path()), "--text", q(file),
                                  "--number-column", "1", "--merge", "1=2", "--callback", "021234",
                                  "--message", "<@1@>"} +
                      more);
    };
    const std::string summary =
        "총 데이터 [1] 건\n중복제거 [0] 건\n수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 데이터 [1] 건\n";
    const std::string unchecked = "qbsend: --dry-run does not log in: the callback number is not checked "
                                  "against the service's registered numbers\n";
    const Outcome ok = dryRun(csv, {"--delimiter", "Csv"});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.out, summary + "1\t010-1111-2222\t021234\t김, 철수\t즉시전송\n");
    EXPECT_EQ(ok.err, unchecked + "qbsend: encoding: UTF-8\n");

    const Outcome unclosed = dryRun(open, {"--delimiter", "csv"});
    EXPECT_EQ(unclosed.exitCode, 1);
    EXPECT_EQ(unclosed.out, "[알림] " + open + "\n1행의 따옴표가 닫히지 않았습니다. 확인바랍니다.\n");

    const Outcome refused = dryRun(mixed, {"--delimiter", ","});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out,
              "[알림] " + mixed +
                  "\nUTF-8 줄(1행)과 CP949 줄(2행)이 섞여 있습니다. 인코딩을 골라 다시 불러오세요.\n");
    const Outcome chosen = dryRun(mixed, {"--delimiter", ",", "--encoding", "UTF-8", "--range", "1", "1"});
    EXPECT_EQ(chosen.exitCode, 0);
    EXPECT_EQ(chosen.err, unchecked + "qbsend: encoding: UTF-8\n");
    EXPECT_EQ(dryRun(mixed, {"--encoding", "latin-1"}).exitCode, 2);
}

TEST(QbsendDryRun, AdvertisingArgumentsAndFindings) {
    qb::test::TempDir dir;
    const std::string list = dir.write("list.txt", "01011112222\tA\r\n01033334444\t[광고]\r\n");
    const QStringList job{"--dry-run", "--workdir",       q(dir.path()), "--text",     q(list), "--delimiter",
                          "Tab",       "--number-column", "1",           "--callback", "021234"};
    for (const QStringList& bad :
         {QStringList{"--ad", "--ad-name", "홍길동상회"}, QStringList{"--ad", "--ad-optout", "0801234567"},
          QStringList{"--ad", "--ad-name", "홍길동상회", "--ad-optout", "070-123-4567"},
          QStringList{"--ad-name", "홍길동상회", "--ad-optout", "0801234567"}})
        EXPECT_EQ(qbsend(job + bad + QStringList{"--message", "hi"}).exitCode, 2)
            << bad.join(' ').toStdString();

    const QStringList ad{"--ad", "--ad-name", "홍길동상회", "--ad-optout", "080-123-4567", "--merge", "1=2"};
    const Outcome found = qbsend(job + ad + QStringList{"--message", "(광고)<@1@>\n무료거부 0801234567"});
    EXPECT_EQ(found.exitCode, 1);
    EXPECT_EQ(found.out, "[알림] 광고 문자 규칙에 맞지 않습니다. 고친 뒤 다시 미리보기 해주세요.\n"
                         "- \"[광고]\"처럼 바꾼 표기는 쓸 수 없습니다. \"(광고)\"로 써주세요. (행 2)\n"
                         "- 상호(서비스명) \"홍길동상회\" 표시가 없습니다. (행 1, 2)\n");

    const QStringList night = job + ad + QStringList{"--message", "(광고)홍길동상회\n무료거부 0801234567",
                                                     "--reserve", "2099-03-05 22:00",
                                                     "--range",   "1",
                                                     "1"};
    EXPECT_EQ(qbsend(night).exitCode, 1);
    EXPECT_EQ(qbsend(night + QStringList{"--ad-night-consent"}).exitCode, 0);
}

TEST(QbsendDryRun, AHeaderRowNamesMergeColumnsAndTheNumberColumnIsFound) {
    qb::test::TempDir dir;
    const std::string list = dir.write("list.txt", "이름,휴대폰\r\n김철수,01011112222\r\n");
    const Outcome ok =
        qbsend({"--dry-run", "--workdir", q(dir.path()), "--text", q(list), "--delimiter", ",", "--header",
                "--merge", "1=이름", "--callback", "021234", "--message", "<@1@>님"});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.err,
              "qbsend: --dry-run does not log in: the callback number is not checked against the "
              "service's registered numbers\nqbsend: encoding: UTF-8\nqbsend: number column 2 (휴대폰)\n");
    EXPECT_EQ(
        ok.out,
        "총 데이터 [1] 건\n중복제거 [0] 건\n수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 데이터 [1] 건\n"
        "1\t010-1111-2222\t021234\t김철수님\t즉시전송\n");
}
