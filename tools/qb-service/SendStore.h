#pragma once

#include "RecordParser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The send server's part of the service's SQLite database: one row per send
// job (what its check announced, what arrived, how it ended) and one per
// record taken, with the record's bytes exactly as they came. A job's stored
// count changes only in the transaction that adds or drops its records, so it
// is always what the database holds. Every method takes the database lock
// itself.
namespace qbs {

class Database;

// How a job stands; kept as its name.
enum class JobState {
    Running,     // its connection is open
    Done,        // every announced record arrived and is stored
    Interrupted, // the connection ended short, the service stopped, or was killed
    Refused,     // a record was malformed: nothing of the job is kept
};

const char* jobStateName(JobState state); // "running", "done", "interrupted", "refused"

struct SendJobRow {
    std::int64_t id = 0;
    std::string userId;
    int kind = 0; // 0 SMS, 1 LMS, 2 MMS
    std::int64_t announcedCount = 0;
    std::int64_t announcedBytes = 0;
    std::string sendCode, sendTime, sendTag;
    std::int64_t received = 0;       // records that arrived whole
    std::int64_t stored = 0;         // records kept: the first `stored` of the job, seq 1..stored
    std::int64_t malformed = 0;      // records refused by the parser
    std::int64_t duplicates = 0;     // records equal to an earlier one of the job
    std::int64_t truncatedBytes = 0; // bytes of a record the stream ended inside
    std::int64_t receivedBytes = 0;
    // DATA_SENDRESULT's result (1 taken, 0 refused); -1 while the job runs, and
    // for a job a killed service left.
    int result = -1;
    JobState state = JobState::Running;
};

struct SendRecordRow {
    std::int64_t jobId = 0;
    std::int64_t seq = 0; // 1-based within the job, in arrival order
    ReceivedRecord record;
};

class SendStore {
public:
    explicit SendStore(Database& db);

    // A new running job; its number, in the seven places a send tag has, becomes
    // the context's send tag. Numbers are never used twice in one database.
    std::int64_t beginJob(RecordContext& context, std::int64_t announcedCount, std::int64_t announcedBytes);
    // In one transaction: the records after the job's `stored` ones, the stored
    // count raised by as many, and the job's arrival counters. The caller raises
    // job.stored once its transaction is committed.
    void addRecords(const SendJobRow& job, const std::vector<ReceivedRecord>& records);
    // In one transaction: every record of the job dropped, stored 0.
    void discardRecords(const SendJobRow& job);
    // Writes the arrival counters, the result and the state; `stored` stays as
    // the records made it.
    void finishJob(const SendJobRow& job);
    // Jobs left running by a service that was killed become interrupted, with
    // the records they hold; returns them.
    std::vector<SendJobRow> interruptLeftRunning();

    std::vector<SendJobRow> jobs(std::string_view user);
    std::vector<SendRecordRow> records(std::int64_t job);
    std::int64_t recordCount(std::string_view user);

    // The status document's body for the user's job of that send tag:
    // "running|N", "done|N", "interrupted|N" (a refused job too, with 0), or
    // "unknown|0" when the user has no job of that tag.
    // "state|stored"; with `later`, "|" and the announced counts of the user's
    // jobs that began after it, comma-separated.
    std::string statusLine(std::string_view user, std::string_view sendTag, bool later = false);

    // The results page's rows for a user: the jobs, then the latest `limit`
    // records, as HTML in CP949.
    std::string resultRows(std::string_view user, int limit = 500);

private:
    // The stored count and the arrival counters, inside the caller's transaction.
    void writeCounts(const SendJobRow& job, std::int64_t stored);
    Database& m_db;
};

} // namespace qbs
