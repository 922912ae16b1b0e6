#pragma once

#include "RecordParser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The send server's part of the service's SQLite database: one row per send
// job (what its check announced, what arrived, how it ended) and one per
// record taken, with the record's bytes exactly as they came. Every method takes
// the database lock itself.
namespace qbs {

class Database;

struct SendJobRow {
    std::int64_t id = 0;
    std::string userId;
    int kind = 0; // 0 SMS, 1 LMS, 2 MMS
    std::int64_t announcedCount = 0;
    std::int64_t announcedBytes = 0;
    std::string sendCode, sendTime, sendTag;
    std::int64_t received = 0;       // records that arrived whole
    std::int64_t stored = 0;         // records kept
    std::int64_t malformed = 0;      // records refused by the parser
    std::int64_t duplicates = 0;     // records equal to an earlier one of the job
    std::int64_t truncatedBytes = 0; // bytes of a record the stream ended inside
    std::int64_t receivedBytes = 0;
    int result = -1; // DATA_SENDRESULT's result; -1 while the job runs
};

struct SendRecordRow {
    std::int64_t jobId = 0;
    std::int64_t seq = 0; // 1-based within the job, in arrival order
    ReceivedRecord record;
};

class SendStore {
public:
    explicit SendStore(Database& db);

    // A new job; its number, in the seven places a send tag has, becomes the
    // context's send tag.
    std::int64_t beginJob(RecordContext& context, std::int64_t announcedCount, std::int64_t announcedBytes);
    // Appends records to a job in one transaction; `firstSeq` is the first one's number.
    void addRecords(std::int64_t job, std::int64_t firstSeq, const std::vector<ReceivedRecord>& records);
    void discardRecords(std::int64_t job);
    // Writes the counters and the result.
    void finishJob(const SendJobRow& job);

    std::vector<SendJobRow> jobs(std::string_view user);
    std::vector<SendRecordRow> records(std::int64_t job);
    std::int64_t recordCount(std::string_view user);

    // The results page's rows for a user: the jobs, then the latest `limit`
    // records, as HTML in CP949.
    std::string resultRows(std::string_view user, int limit = 500);

private:
    Database& m_db;
};

} // namespace qbs
