#include "SendStore.h"

#include "Database.h"
#include "WebCall.h"

#include "common/Cp949.h"

#include <mutex>

namespace qbs {
namespace {

constexpr JobState kStates[] = {JobState::Running, JobState::Done, JobState::Interrupted, JobState::Refused};

JobState stateFrom(std::string_view name) {
    for (const JobState s : kStates)
        if (name == jobStateName(s))
            return s;
    return JobState::Interrupted;
}

// What the results page calls each state.
std::string stateCaption(JobState state) {
    switch (state) {
    case JobState::Running:
        return qb::ko("진행중");
    case JobState::Done:
        return qb::ko("완료");
    case JobState::Interrupted:
        return qb::ko("중단");
    case JobState::Refused:
        break;
    }
    return qb::ko("실패");
}

SendJobRow jobRow(const Statement& st) {
    SendJobRow j;
    j.id = st.integer(0);
    j.userId = st.text(1);
    j.kind = static_cast<int>(st.integer(2));
    j.announcedCount = st.integer(3);
    j.announcedBytes = st.integer(4);
    j.sendCode = st.text(5);
    j.sendTime = st.text(6);
    j.sendTag = st.text(7);
    j.received = st.integer(8);
    j.stored = st.integer(9);
    j.malformed = st.integer(10);
    j.duplicates = st.integer(11);
    j.truncatedBytes = st.integer(12);
    j.receivedBytes = st.integer(13);
    j.result = st.isNull(14) ? -1 : static_cast<int>(st.integer(14));
    j.state = stateFrom(st.text(15));
    return j;
}

constexpr const char* kJobColumns =
    "id, user_id, kind, announced_count, announced_bytes, send_code, send_time, "
    "send_tag, received, stored, malformed, duplicates, truncated_bytes, "
    "received_bytes, result, state";

const char* kindText(int kind) {
    return kind == 0 ? "SMS" : kind == 1 ? "LMS" : "MMS";
}

} // namespace

const char* jobStateName(JobState state) {
    switch (state) {
    case JobState::Running:
        return "running";
    case JobState::Done:
        return "done";
    case JobState::Interrupted:
        return "interrupted";
    case JobState::Refused:
        break;
    }
    return "refused";
}

SendStore::SendStore(Database& db) : m_db(db) {
    const std::lock_guard guard(m_db.lock());
    m_db.exec(R"(
CREATE TABLE IF NOT EXISTS send_jobs(
    id INTEGER PRIMARY KEY AUTOINCREMENT, user_id BLOB, kind INTEGER,
    announced_count INTEGER, announced_bytes INTEGER, send_code BLOB, send_time BLOB, send_tag BLOB,
    received INTEGER DEFAULT 0, stored INTEGER DEFAULT 0, malformed INTEGER DEFAULT 0,
    duplicates INTEGER DEFAULT 0, truncated_bytes INTEGER DEFAULT 0, received_bytes INTEGER DEFAULT 0,
    result INTEGER, state TEXT);
CREATE TABLE IF NOT EXISTS send_records(
    job_id INTEGER, seq INTEGER, user_id BLOB, number BLOB, callback BLOB, title BLOB, body BLOB,
    reserved INTEGER, send_when BLOB, picture1 BLOB, picture2 BLOB, picture3 BLOB, sizes BLOB, raw BLOB,
    PRIMARY KEY(job_id, seq));
)");
    // A database of a service that had no job states: a result means the job
    // ended, none that it was still running.
    if (!m_db.prepare("SELECT 1 FROM pragma_table_info('send_jobs') WHERE name = 'state'").step())
        m_db.exec("ALTER TABLE send_jobs ADD COLUMN state TEXT;"
                  "UPDATE send_jobs SET state = CASE result WHEN 1 THEN 'done' WHEN 0 THEN 'refused' "
                  "ELSE 'running' END;");
}

std::int64_t SendStore::beginJob(RecordContext& c, std::int64_t announcedCount, std::int64_t announcedBytes) {
    Transaction t(m_db);
    m_db.prepare(
            "INSERT INTO send_jobs(user_id, kind, announced_count, announced_bytes, send_code, send_time, "
            "send_tag, state) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
        .bindBlob(1, c.userId)
        .bind(2, static_cast<std::int64_t>(c.kind))
        .bind(3, announcedCount)
        .bind(4, announcedBytes)
        .bindBlob(5, c.sendCode)
        .bindBlob(6, c.sendTime)
        .bindNull(7)
        .bind(8, jobStateName(JobState::Running))
        .run();
    // AUTOINCREMENT: a number is never handed out again, even after the
    // newest job is deleted, so tags stay unique across restarts.
    const std::int64_t id = m_db.lastInsertId();
    c.sendTag = std::to_string(id % 10000000);
    m_db.prepare("UPDATE send_jobs SET send_tag = ?2 WHERE id = ?1").bind(1, id).bindBlob(2, c.sendTag).run();
    t.commit();
    return id;
}

void SendStore::addRecords(const SendJobRow& job, const std::vector<ReceivedRecord>& records) {
    Transaction t(m_db);
    Statement st = m_db.prepare("INSERT INTO send_records(job_id, seq, user_id, number, callback, title, "
                                "body, reserved, send_when, "
                                "picture1, picture2, picture3, sizes, raw) "
                                "VALUES(?1, ?2, (SELECT user_id FROM send_jobs WHERE id = ?1), ?3, ?4, "
                                "?5, ?6, ?7, ?8, ?9, ?10, ?11, "
                                "?12, ?13)");
    std::int64_t seq = job.stored;
    for (const ReceivedRecord& r : records) {
        std::string sizes = r.sizes[0];
        for (std::size_t i = 1; i < r.sizes.size(); ++i)
            sizes += "," + r.sizes[i];
        st.bind(1, job.id)
            .bind(2, ++seq)
            .bindBlob(3, r.number)
            .bindBlob(4, r.callback)
            .bindBlob(5, r.title)
            .bindBlob(6, r.body)
            .bind(7, std::int64_t{r.reserved})
            .bindBlob(8, r.when)
            .bindBlob(9, r.pictures[0])
            .bindBlob(10, r.pictures[1])
            .bindBlob(11, r.pictures[2])
            .bindBlob(12, sizes)
            .bindBlob(13, r.raw)
            .run();
        st.reset();
    }
    writeCounts(job, seq);
    t.commit();
}

void SendStore::discardRecords(const SendJobRow& job) {
    Transaction t(m_db);
    m_db.prepare("DELETE FROM send_records WHERE job_id = ?1").bind(1, job.id).run();
    writeCounts(job, 0);
    t.commit();
}

void SendStore::writeCounts(const SendJobRow& job, std::int64_t stored) {
    m_db.prepare("UPDATE send_jobs SET stored = ?2, received = ?3, malformed = ?4, received_bytes = ?5 "
                 "WHERE id = ?1")
        .bind(1, job.id)
        .bind(2, stored)
        .bind(3, job.received)
        .bind(4, job.malformed)
        .bind(5, job.receivedBytes)
        .run();
}

void SendStore::finishJob(const SendJobRow& j) {
    const std::lock_guard guard(m_db.lock());
    m_db.prepare("UPDATE send_jobs SET received = ?2, malformed = ?3, duplicates = ?4, "
                 "truncated_bytes = ?5, received_bytes = ?6, result = ?7, state = ?8 WHERE id = ?1")
        .bind(1, j.id)
        .bind(2, j.received)
        .bind(3, j.malformed)
        .bind(4, j.duplicates)
        .bind(5, j.truncatedBytes)
        .bind(6, j.receivedBytes)
        .bind(7, std::int64_t{j.result})
        .bind(8, jobStateName(j.state))
        .run();
}

std::vector<SendJobRow> SendStore::interruptLeftRunning() {
    Transaction t(m_db);
    std::vector<std::int64_t> ids;
    {
        Statement st = m_db.prepare("SELECT id FROM send_jobs WHERE state = ?1");
        st.bind(1, jobStateName(JobState::Running));
        while (st.step())
            ids.push_back(st.integer(0));
    }
    std::vector<SendJobRow> out;
    for (const std::int64_t id : ids) {
        m_db.prepare("UPDATE send_jobs SET state = ?2, "
                     "stored = (SELECT COUNT(*) FROM send_records WHERE job_id = ?1) WHERE id = ?1")
            .bind(1, id)
            .bind(2, jobStateName(JobState::Interrupted))
            .run();
        Statement st = m_db.prepare(std::string("SELECT ") + kJobColumns + " FROM send_jobs WHERE id = ?1");
        st.bind(1, id);
        if (st.step())
            out.push_back(jobRow(st));
    }
    t.commit();
    return out;
}

std::vector<SendJobRow> SendStore::jobs(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    Statement st =
        m_db.prepare(std::string("SELECT ") + kJobColumns + " FROM send_jobs WHERE user_id = ?1 ORDER BY id");
    st.bindBlob(1, user);
    std::vector<SendJobRow> out;
    while (st.step())
        out.push_back(jobRow(st));
    return out;
}

std::vector<SendRecordRow> SendStore::records(std::int64_t job) {
    const std::lock_guard guard(m_db.lock());
    Statement st =
        m_db.prepare("SELECT job_id, seq, number, callback, title, body, reserved, send_when, picture1, "
                     "picture2, picture3, raw FROM send_records WHERE job_id = ?1 ORDER BY seq");
    st.bind(1, job);
    std::vector<SendRecordRow> out;
    while (st.step()) {
        SendRecordRow row;
        row.jobId = st.integer(0);
        row.seq = st.integer(1);
        ReceivedRecord& r = row.record;
        r.number = st.text(2);
        r.callback = st.text(3);
        r.title = st.text(4);
        r.body = st.text(5);
        r.reserved = st.integer(6) != 0;
        r.when = st.text(7);
        r.pictures = {st.text(8), st.text(9), st.text(10)};
        r.raw = st.text(11);
        out.push_back(std::move(row));
    }
    return out;
}

std::int64_t SendStore::recordCount(std::string_view user) {
    const std::lock_guard guard(m_db.lock());
    Statement st = m_db.prepare("SELECT COUNT(*) FROM send_records WHERE user_id = ?1");
    st.bindBlob(1, user);
    st.step();
    return st.integer(0);
}

std::string SendStore::statusLine(std::string_view user, std::string_view sendTag, bool later) {
    const std::lock_guard guard(m_db.lock());
    // Tags wrap after ten million jobs; the newest job of a tag is the one its
    // client can still be asking about.
    Statement st = m_db.prepare("SELECT state, stored, id FROM send_jobs WHERE user_id = ?1 AND send_tag = "
                                "?2 ORDER BY id DESC LIMIT 1");
    st.bindBlob(1, user);
    st.bindBlob(2, sendTag);
    if (!st.step())
        return "unknown|0";
    const JobState state = stateFrom(st.text(0));
    // A refused job ended without its records; to a client that is what an
    // interrupted one with none stored is.
    const char* name = state == JobState::Refused ? jobStateName(JobState::Interrupted) : jobStateName(state);
    std::string line = std::string(name) + "|" + std::to_string(st.integer(1));
    if (!later)
        return line;
    Statement after =
        m_db.prepare("SELECT announced_count FROM send_jobs WHERE user_id = ?1 AND id > ?2 ORDER BY id");
    after.bindBlob(1, user);
    after.bind(2, st.integer(2));
    line += "|";
    for (bool first = true; after.step(); first = false)
        line += (first ? "" : ",") + std::to_string(after.integer(0));
    return line;
}

std::string SendStore::resultRows(std::string_view user, int limit) {
    using qb::ko;
    const std::vector<SendJobRow> all = jobs(user);
    if (all.empty())
        return "<p>" + ko("발송 내역이 없습니다.") + "</p>";
    std::string html = "<table border=\"1\">\n<tr><th>" + ko("작업") + "</th><th>" + ko("종류") +
                       "</th><th>" + ko("발송시각") + "</th><th>" + ko("요청") + "</th><th>" + ko("접수") +
                       "</th><th>" + ko("상태") + "</th></tr>\n";
    for (const SendJobRow& j : all) {
        const std::string outcome = stateCaption(j.state);
        html += "<tr><td>" + std::to_string(j.id) + "</td><td>" + kindText(j.kind) + "</td><td>" +
                htmlEscape(j.sendTime) + "</td><td>" + std::to_string(j.announcedCount) + "</td><td>" +
                std::to_string(j.stored) + "</td><td>" + outcome + "</td></tr>\n";
    }
    html += "</table>\n<table border=\"1\">\n<tr><th>" + ko("작업") + "</th><th>" + ko("수신번호") +
            "</th><th>" + ko("회신번호") + "</th><th>" + ko("제목") + "</th><th>" + ko("내용") + "</th><th>" +
            ko("예약") + "</th><th>" + ko("발송시각") + "</th><th>" + ko("그림") + "</th></tr>\n";
    const std::lock_guard guard(m_db.lock());
    Statement st =
        m_db.prepare("SELECT job_id, number, callback, title, body, reserved, send_when, picture1, "
                     "picture2, picture3 FROM send_records WHERE user_id = ?1 "
                     "ORDER BY job_id DESC, seq DESC LIMIT ?2");
    st.bindBlob(1, user);
    st.bind(2, std::int64_t{limit});
    while (st.step()) {
        std::string pictures;
        for (int c = 7; c <= 9; ++c)
            if (!st.text(c).empty())
                pictures += (pictures.empty() ? "" : " ") + htmlEscape(st.text(c));
        html += "<tr><td>" + std::to_string(st.integer(0)) + "</td><td>" + htmlEscape(st.text(1)) +
                "</td><td>" + htmlEscape(st.text(2)) + "</td><td>" + htmlEscape(st.text(3)) + "</td><td>" +
                htmlEscape(st.text(4)) + "</td><td>" + (st.integer(5) ? "Y" : "N") + "</td><td>" +
                htmlEscape(st.text(6)) + "</td><td>" + pictures + "</td></tr>\n";
    }
    return html + "</table>";
}

} // namespace qbs
