#include "send/SendValidator.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/PhoneNumber.h"
#include "common/Pipeline.h"
#include "compose/AdvertisingSettings.h"
#include "net/MessageRecord.h"
#include "send/NightHours.h"
#include "send/SendFormState.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <optional>

namespace qb {
namespace {

bool parseCount(const std::string& text, long long& value) {
    return bytes::parseDecimal(bytes::trim(text), value);
}

// "YYYY-MM-DD HH:MM:SS" read back by byte positions, as the split slices need it,
// in Korean time as the service reads it.
std::time_t reservationTime(const std::string& text) {
    auto field = [&](std::size_t pos, std::size_t len) {
        int v = 0;
        for (std::size_t i = pos; i < pos + len && i < text.size(); ++i)
            if (text[i] >= '0' && text[i] <= '9')
                v = v * 10 + (text[i] - '0');
        return v;
    };
    return fromKorean(LocalTime{field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), 0});
}

std::string reservationText(const SendSettings& st) {
    return st.reservationDate + " " + st.reservationHour + ":" + st.reservationMinute + ":00";
}

std::string digitsOf(std::string_view text) {
    std::string digits;
    for (const char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

} // namespace

std::string SendValidator::summary(const ValidationCounts& counts) {
    return ko("총 데이터 [") + std::to_string(counts.total) + ko("] 건\n중복제거 [") +
           std::to_string(counts.duplicates) + ko("] 건\n수신거부 [") + std::to_string(counts.rejected) +
           ko("] 건\n번호형식오류 [") + std::to_string(counts.formatErrors) +
           (counts.corrected > 0 ? ko("] 건\n번호보정 [") + std::to_string(counts.corrected)
                                 : std::string()) +
           ko("] 건\n전송할 데이터 [") + std::to_string(counts.queued) + ko("] 건");
}

bool SendValidator::stop(const char* utf8Message) {
    m_in.notifier.error(ko(utf8Message));
    return false;
}

std::vector<std::uint64_t> SendValidator::candidateKeys(long long& formatErrors, long long* corrected) const {
    const SendFormState& s = m_in.state;
    const RecipientTable& t = s.table;
    const int rows = std::max(0, t.rowCount() - 1);
    std::vector<std::uint64_t> keys(static_cast<std::size_t>(rows));
    const int column = s.numberColumn.selected;
    std::array<int, 4> mergeColumns{};
    int mergeCount = 0;
    for (std::size_t k = 0; k < 4; ++k)
        if (s.mergeOn[k])
            mergeColumns[static_cast<std::size_t>(mergeCount++)] = s.mergeColumn[k].selected;
    // Rows [first, last) of the table; the table is only read, so two cores share it.
    struct Tally {
        long long errors = 0, corrected = 0;
    };
    const auto keyRows = [&](int first, int last) {
        Tally tally;
        PhoneDigits digits;
        for (int r = first; r < last; ++r) {
            std::uint64_t& key = keys[static_cast<std::size_t>(r - 1)];
            key = kNoNumber;
            // A merge value with a byte no record field may carry would make records
            // of its own on the wire; such a row is not a valid number.
            bool fits = phoneDigits(t.text(r, column), digits);
            for (int k = 0; fits && k < mergeCount; ++k)
                fits = fitsInRecord(t.text(r, mergeColumns[static_cast<std::size_t>(k)]));
            if (fits) {
                key = numberKey(digits.view());
                tally.corrected += digits.corrected;
            } else {
                ++tally.errors;
            }
        }
        return tally;
    };
    const int middle = 1 + rows / 2;
    std::future<Tally> second;
    if (rows >= 65536)
        second = std::async(std::launch::async, keyRows, middle, rows + 1);
    Tally tally = keyRows(1, second.valid() ? middle : rows + 1);
    if (second.valid()) {
        const Tally more = second.get();
        tally.errors += more.errors;
        tally.corrected += more.corrected;
    }
    formatErrors = tally.errors;
    if (corrected)
        *corrected = tally.corrected;
    return keys;
}

bool SendValidator::checkSettings() {
    SendFormState& s = m_in.state;
    SendSettings& st = m_in.batch.settings;

    if (s.numberColumn.selected <= 0)
        return stop("수신번호열 를 선택해주세요.");
    st.callbackNumber = m_in.callbackNumber;
    if (st.callbackNumber.empty())
        return stop("회신번호를 확인해주세요.");
    if (!fitsInRecord(st.callbackNumber))
        return stop("회신번호에 사용할 수 없는 제어문자가 들어 있습니다.");
    return checkSenderNumber() && takeMergeColumns() && takeSplitAndRange() && takeMessage() &&
           takeReservation();
}

bool SendValidator::takeMergeColumns() {
    const SendFormState& s = m_in.state;
    SendSettings& st = m_in.batch.settings;
    static const std::string noColumn = ko("열선택");
    for (std::size_t k = 0; k < 4; ++k) {
        st.mergeColumn[k].clear();
        if (!s.mergeOn[k])
            continue;
        st.mergeColumn[k] = s.mergeColumn[k].selectedText();
        if (st.mergeColumn[k].empty() || st.mergeColumn[k] == noColumn || s.mergeColumn[k].selected <= 0)
            return stop("메세지조합기능를 확인해주세요.");
    }
    return true;
}

bool SendValidator::takeSplitAndRange() {
    const SendFormState& s = m_in.state;
    SendSettings& st = m_in.batch.settings;
    if (s.splitOn) {
        st.splitMinutes = s.splitMinutes.selectedText();
        st.splitCount = s.splitCount;
        long long count = 0, minutes = 0;
        // A count of 0 or a non-number would give no slice size.
        if (!parseCount(st.splitCount, count) || count < 1 || !parseCount(st.splitMinutes, minutes))
            return stop("분할전송을 확인해주세요.");
    }
    st.rangeFrom = s.rangeFrom;
    st.rangeTo = s.rangeTo;
    long long from = 0, to = 0;
    // A start below 1 or an end before the start addresses nothing of the final list.
    if (!parseCount(st.rangeFrom, from) || !parseCount(st.rangeTo, to) || from < 1 || to < from)
        return stop("전송범위지정을 확인해주세요.");
    return true;
}

bool SendValidator::takeMessage() {
    const SendFormState& s = m_in.state;
    SendSettings& st = m_in.batch.settings;
    const EditorWindowHost& editors = m_in.editors;
    switch (s.kind) {
    case MessageKind::Sms:
        st.smsBody = s.smsText;
        if (st.smsBody.empty())
            return stop("전송메세지를 입력해주세요.");
        break;
    case MessageKind::Lms: {
        const auto lms = editors.lmsEditor();
        if (!lms)
            return stop("LMS 문자 편집창을 실행해 주세요!");
        st.title = lms->titleTouched ? lms->title : std::string();
        st.longBody = lms->body;
        if (lms->body.empty() || !lms->bodyTouched)
            return stop(" [LMS] 전송메세지를 입력해주세요.");
        break;
    }
    case MessageKind::Mms: {
        st.resetPictures();
        m_in.batch.pictureCount = 0;
        const auto mms = editors.mmsWindow();
        if (!mms)
            return stop("[MMS] 문자 편집창을 실행해 주세요!");
        st.title = mms->titleTouched ? mms->title : std::string();
        st.longBody = mms->body;
        for (const PictureSlot& slot : mms->pictures)
            if (!slot.empty())
                st.pictures[static_cast<std::size_t>(m_in.batch.pictureCount++)] = slot;
        if (m_in.batch.pictureCount == 0)
            return stop(" [MMS] 사진을 선택해주세요.");
        if (mms->body.empty() || !mms->bodyTouched)
            return stop(" [MMS] 전송메세지를 입력해주세요.");
        break;
    }
    }
    // Bytes that end a record or a field on the wire (and a NUL) are refused here,
    // so what the preview shows is what the server stores.
    if (s.kind != MessageKind::Sms && !fitsInRecord(st.title))
        return stop("제목에 사용할 수 없는 제어문자가 들어 있습니다.");
    if (!fitsInRecord(s.kind == MessageKind::Sms ? st.smsBody : st.longBody))
        return stop("전송메세지에 사용할 수 없는 제어문자가 들어 있습니다.");
    return true;
}

bool SendValidator::takeReservation() {
    const SendFormState& s = m_in.state;
    SendSettings& st = m_in.batch.settings;
    if (!s.reserved)
        return true;
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", s.reservationDate.year, s.reservationDate.month,
                  s.reservationDate.day);
    st.reservationDate = date;
    st.reservationHour = s.reservationHour.selectedText();
    st.reservationMinute = s.reservationMinute.selectedText();
    // The service would send a past time at once, at whatever hour that is.
    if (reservationTime(reservationText(st)) <= Clock::instance().now())
        return stop("예약시간이 현재시간 이전입니다. 예약시간을 확인해 주세요.");
    return true;
}

bool SendValidator::checkSenderNumber() {
    const SendFormState& s = m_in.state;
    // A number chosen from the list is one the service listed; without a login
    // there is no list to hold a typed one against.
    if (!m_in.login.loggedIn || s.callbackList.selected >= 0)
        return true;
    const std::string typed = digitsOf(m_in.callbackNumber);
    for (const std::string& listed : s.callbackList.items)
        if (digitsOf(listed) == typed)
            return true;
    const std::string finding =
        ko("회신번호 [") + m_in.callbackNumber +
        ko("]는 등록된 발신번호가 아닙니다. 등록된 번호만 발신번호로 쓸 수 있습니다.");
    if (s.advertising) {
        m_in.notifier.error(finding);
        return false;
    }
    m_notes.push_back(finding);
    return true;
}

bool SendValidator::checkNightHours(const Schedule& plan) {
    const SendFormState& s = m_in.state;
    if (!s.advertising)
        return true;
    SendTimes times;
    times.records = std::max(0LL, plan.to - plan.from + 1);
    times.split = s.splitOn;
    times.immediate = !s.reserved;
    times.base = s.splitOn || s.reserved ? plan.base : Clock::instance().now();
    times.sliceSize = plan.splitCount;
    times.minutes = plan.splitMinutes;
    const NightSlices night = nightSlices(times);
    if (night.slices == 0)
        return true;
    if (s.nightConsent.has_value() && !*s.nightConsent) {
        m_in.notifier.error(night.text + "\n\n" + nightAdvice());
        return false;
    }
    if (!s.nightConsent && !m_in.notifier.askYesNo(night.text + "\n\n" + nightQuestion(), MessageIcon::None))
        return false;
    m_notes.push_back(night.text);
    return true;
}

bool SendValidator::run() {
    SendFormState& s = m_in.state;
    if (s.mergeLock)
        return stop("전송메시지를 다시 세팅해 주세요.!");
    m_in.batch = SendBatch{};
    m_in.batch.kind = s.kind;
    m_counts = ValidationCounts{};
    m_findings.clear();
    if (!checkSettings() || (s.advertising && !checkAdvertising()))
        return false;
    if (s.rejectOn)
        if (const std::optional<std::string> path = unreadableRejectFile(m_in.rejects)) {
            m_in.notifier.error(unreadableRejectMessage(*path));
            return false;
        }

    // The reject files are read on the second core while the table's numbers are
    // keyed; the two share nothing until the rows are chosen.
    const unsigned bits = KeyBuckets::bitsFor(static_cast<std::size_t>(std::max(0, s.table.rowCount() - 1)));
    std::future<KeyBuckets> rejectsReady;
    if (s.rejectOn)
        rejectsReady =
            std::async(std::launch::async, [table = m_in.rejects, bits] { return rejectKeys(table, bits); });
    ValidationCounts counts;
    std::vector<std::uint64_t> keys = candidateKeys(counts.formatErrors, &counts.corrected);
    counts.total = static_cast<long long>(keys.size());
    KeyBuckets rejects;
    if (s.rejectOn)
        rejects = rejectsReady.get();
    RowChoice choice = chooseRows(std::move(keys), s.dedupOn, s.rejectOn ? &rejects : nullptr);
    KeyBuckets().keys.swap(rejects.keys);
    counts.duplicates = choice.duplicates;
    counts.rejected = choice.rejected;

    Schedule plan;
    if (!schedule(choice.keptCount, plan) || !checkNightHours(plan) || !fillQueue(choice, plan) ||
        !acceptFindings())
        return false;
    counts.queued = static_cast<long long>(m_in.batch.queue.size());
    const auto rows = static_cast<std::size_t>(std::max(0, s.table.rowCount() - 1));
    const auto queuedFrom = static_cast<std::size_t>(plan.from - 1);
    m_excluded = ExcludedRows{std::move(choice.kept),
                              std::move(choice.duplicate),
                              std::move(choice.rejectedRows),
                              rows,
                              queuedFrom,
                              std::max(queuedFrom, static_cast<std::size_t>(std::max(0LL, plan.to))),
                              s.numberColumn.selected,
                              s.table.generation()};
    if (s.mergeOn[0] || s.mergeOn[1] || s.mergeOn[2] || s.mergeOn[3])
        s.mergeLock = true;
    m_counts = counts;
    return true;
}

void SendValidator::emptyBatch() {
    m_in.batch.queue.clear();
    m_in.batch.bytes = 0;
    m_in.progress.setValue(0);
    m_in.state.previewEnabled = m_in.state.sendEnabled = true;
}

bool SendValidator::acceptFindings() {
    if (!m_findings.any())
        return true;
    if (m_in.state.refuseFindings) {
        m_in.notifier.error(findingsText(m_findings, m_in.state.table));
    } else if (m_in.notifier.askYesNo(findingsQuestion(m_findings, m_in.state.table), MessageIcon::None)) {
        return true;
    }
    emptyBatch();
    return false;
}

bool SendValidator::checkAdvertising() {
    const SendFormState& s = m_in.state;
    const SendSettings& st = m_in.batch.settings;
    const AdvertisingSettings settings{true, s.adName, s.adOptOut};
    if (const std::string problem = settings.problem(); !problem.empty()) {
        m_in.notifier.error(problem);
        return false;
    }
    const std::string& body = s.kind == MessageKind::Sms ? st.smsBody : st.longBody;
    bool merged = false;
    for (int k = 1; k <= 4; ++k)
        merged = merged || (s.mergeOn[static_cast<std::size_t>(k - 1)] &&
                            (body.find(mergeToken(k)) != std::string::npos ||
                             st.title.find(mergeToken(k)) != std::string::npos));
    AdvertisingCheck check(s.kind, s.adName, s.adOptOut);
    if (merged) {
        m_adRows = std::move(check);
        return true;
    }
    check.check(st.title, body, 0);
    if (check.passed())
        return true;
    m_in.notifier.error(check.report());
    return false;
}

bool SendValidator::schedule(std::size_t chosen, Schedule& plan) {
    SendFormState& s = m_in.state;
    SendSettings& st = m_in.batch.settings;
    if (s.splitOn) {
        plan.base = Clock::instance().now();
        parseCount(st.splitCount, plan.splitCount);
        parseCount(st.splitMinutes, plan.splitMinutes);
    }
    parseCount(st.rangeFrom, plan.from);
    parseCount(st.rangeTo, plan.to);
    if (static_cast<long long>(chosen) < plan.to) {
        plan.to = static_cast<long long>(chosen);
        s.rangeTo = st.rangeTo = std::to_string(plan.to);
    }
    plan.reservation = immediateReservation();
    if (s.reserved) {
        plan.reservation = reservationText(st);
        plan.base = reservationTime(plan.reservation);
    }
    // The last slice's time stamp must still be a four-digit year.
    if (s.splitOn && plan.to >= plan.from) {
        static const std::time_t latest = fromKorean(LocalTime{9999, 12, 31, 23, 59, 59});
        const long long lastSlice = (plan.to - plan.from) / plan.splitCount;
        if (static_cast<long long>(plan.base) + lastSlice * plan.splitMinutes * 60 >
            static_cast<long long>(latest))
            return stop("분할전송을 확인해주세요.");
    }
    return true;
}

namespace {

// Records made a block at a time on both cores, each block packed in a queue of
// its own that the form's queue takes whole.
struct RecordBlock {
    SendQueue records;
    std::int64_t bytes = 0;
    const std::string* failure = nullptr; // why the record after the last could not be made
    std::optional<MessageComposer> composer;
    SendRecord record;
    PhoneDigits digits;
    PreviewFindings findings;
    std::optional<AdvertisingCheck> ad; // this block's findings
};

// The merge fields the message uses: switched on and their token in the body or
// (LMS, MMS) the title.
std::array<bool, 4> usedMergeFields(const SendFormState& s, const std::string& body,
                                    const std::string& title) {
    std::array<bool, 4> used{};
    for (std::size_t k = 0; k < 4; ++k) {
        const std::string token = "<@" + std::to_string(k + 1) + "@>";
        used[k] = s.mergeOn[k] && (body.find(token) != std::string::npos ||
                                   (s.kind != MessageKind::Sms && title.find(token) != std::string::npos));
    }
    return used;
}

constexpr std::size_t kRecordBlock = 4096;

} // namespace

// What every block of the queue is made from, fixed before the first one so that
// both cores read it.
class SendValidator::RecordMaker {
public:
    RecordMaker(const ValidationInput& in, const RowChoice& choice, const Schedule& plan, long long total,
                const std::optional<AdvertisingCheck>& adRows)
        : m_state(in.state), m_settings(in.batch.settings), m_login(in.login),
          m_pictureCount(in.batch.pictureCount), m_plan(plan), m_total(total),
          m_body(m_state.kind == MessageKind::Sms ? m_settings.smsBody : m_settings.longBody),
          m_numberColumn(m_state.numberColumn.selected),
          m_used(usedMergeFields(m_state, m_body, m_settings.title)),
          m_anyUsed(m_used[0] || m_used[1] || m_used[2] || m_used[3]),
          m_replacedRows(m_state.table.replacedRows()),
          m_longest(RecordEncoder::withLongestReply(m_state.kind, m_login, m_settings.pictures)),
          m_adEmpty(adRows) {
        for (std::size_t k = 0; k < 4; ++k)
            m_mergeColumns[k] = m_state.mergeOn[k] ? m_state.mergeColumn[k].selected : -1;
        // Where each block's rows start, so blocks can be made in any order.
        const std::size_t blocks = (static_cast<std::size_t>(m_total) + kRecordBlock - 1) / kRecordBlock;
        m_starts.reserve(blocks);
        for (KeptCursor c(choice, static_cast<std::size_t>(m_plan.from - 1)); m_starts.size() < blocks;
             c.skip(kRecordBlock))
            m_starts.push_back(c);
    }

    std::size_t blocks() const { return m_starts.size(); }
    const std::string& message() const { return m_body; }

    void make(std::size_t index, RecordBlock& block) const {
        // The server refuses a longer record, and the job would count it as sent.
        static const std::string tooLong =
            ko("전송데이터 한 건이 4095바이트를 넘습니다. 회신번호와 전송메세지를 확인해주세요.");
        const long long first = static_cast<long long>(index) * static_cast<long long>(kRecordBlock);
        const long long end = std::min<long long>(first + static_cast<long long>(kRecordBlock), m_total);
        startBlock(block, static_cast<std::size_t>(end - first));
        SendRecord& record = block.record;
        record.callbackNumber = m_settings.callbackNumber;
        record.reservation = m_state.splitOn ? sliceReservation(first) : m_plan.reservation;
        KeptCursor rows = m_starts[index];
        std::array<std::string_view, 4> values;
        for (long long made = first; made < end; ++made) {
            const int row = static_cast<int>(rows.next()) + 1;
            for (std::size_t k = 0; k < 4; ++k)
                values[k] =
                    m_mergeColumns[k] >= 0 ? m_state.table.text(row, m_mergeColumns[k]) : std::string_view();
            if ((block.failure = block.composer->compose(values, record)))
                return;
            if (m_anyUsed)
                findIn(row, values, block.findings);
            phoneDigits(m_state.table.text(row, m_numberColumn),
                        block.digits); // a candidate's: it is a number
            record.number.assign(block.digits.view());
            if (m_state.splitOn && made % m_plan.splitCount == 0 && made != first)
                record.reservation = sliceReservation(made);
            if (m_longest.size(recordText(record)) > kMaxRecordBytes) {
                block.failure = &tooLong;
                return;
            }
            if (block.ad)
                block.ad->check(record.title, record.body, row);
            block.bytes +=
                estimateRecordBytes(m_state.kind, record, m_login, m_settings.pictures, m_pictureCount);
            block.records.push_back(record);
        }
    }

private:
    // Empties a block for `rows` records; its composer and checker are kept.
    void startBlock(RecordBlock& block, std::size_t rows) const {
        if (!block.composer)
            block.composer.emplace(m_state.kind, m_body, m_settings.title, m_state.mergeOn);
        block.records.clear();
        block.records.reserve(rows, 2 * m_body.size() + 48);
        block.bytes = 0;
        block.failure = nullptr;
        block.findings.clear();
        if (m_adEmpty) {
            if (!block.ad)
                block.ad.emplace(*m_adEmpty);
            block.ad->clear();
        }
    }

    // Rows whose message carries an empty merge value or a '?' of the load's. Part
    // of the per-row loop: kept inline there.
    [[gnu::always_inline]] void findIn(int row, const std::array<std::string_view, 4>& values,
                                       PreviewFindings& found) const {
        bool empty = false, replaced = false;
        const bool marked =
            !m_replacedRows.empty() && std::binary_search(m_replacedRows.begin(), m_replacedRows.end(), row);
        for (std::size_t k = 0; k < 4; ++k) {
            if (!m_used[k])
                continue;
            empty = empty || bytes::trim(values[k]).empty();
            replaced = replaced || (marked && values[k].find('?') != std::string_view::npos);
        }
        if (empty)
            found.emptyMerge.add(row);
        if (replaced)
            found.unmappable.add(row);
    }

    std::string sliceReservation(long long made) const {
        return formatKorean(
            m_plan.base + static_cast<std::time_t>((made / m_plan.splitCount) * m_plan.splitMinutes * 60),
            "%Y-%m-%d %H:%M:%S");
    }

    const SendFormState& m_state;
    const SendSettings& m_settings;
    const LoginState& m_login;
    const int m_pictureCount;
    const Schedule& m_plan;
    const long long m_total;
    const std::string& m_body;
    const int m_numberColumn;
    std::array<int, 4> m_mergeColumns{};
    const std::array<bool, 4> m_used;
    const bool m_anyUsed;
    const std::vector<int>& m_replacedRows;
    const RecordEncoder m_longest;
    std::vector<KeptCursor> m_starts;
    // What the blocks start from: m_adRows collects their findings meanwhile.
    const std::optional<AdvertisingCheck> m_adEmpty;
};

bool SendValidator::fillQueue(const RowChoice& choice, const Schedule& plan) {
    SendFormState& s = m_in.state;
    const SendSettings& st = m_in.batch.settings;
    Progress& progress = m_in.progress;
    const long long total = std::max(0LL, plan.to - plan.from + 1);
    progress.setRange(0, total);
    s.previewEnabled = s.sendEnabled = false;
    if (total == 0)
        return true;

    const RecordMaker maker(m_in, choice, plan, total, m_adRows);
    m_in.batch.queue.reserve(static_cast<std::size_t>(total),
                             2 * maker.message().size() + st.title.size() + st.callbackNumber.size() + 48);
    const long long step = std::max(1LL, total / 1000);
    const std::string* failure = nullptr;
    long long queued = 0;
    const auto take = [&](std::size_t, RecordBlock& block) {
        const long long before = queued;
        // Once a row breaks the advertising rules nothing is queued: the rest is
        // only checked, so every finding names its rows.
        if (m_adRows) {
            m_adRows->add(*block.ad);
            if (!m_adRows->passed())
                m_in.batch.queue.clear();
        }
        if (!m_adRows || m_adRows->passed()) {
            m_in.batch.queue.append(block.records);
            m_in.batch.bytes += block.bytes;
        }
        queued += static_cast<long long>(block.records.size());
        m_findings.emptyMerge.append(block.findings.emptyMerge);
        m_findings.unmappable.append(block.findings.unmappable);
        if (queued / step != before / step || queued == total)
            progress.setValue(queued);
        failure = block.failure;
        return failure == nullptr;
    };
    const auto make = [&maker](std::size_t index, RecordBlock& block) { maker.make(index, block); };
    std::string findings;
    if (runPipelined<RecordBlock>(maker.blocks(), 6, make, take, 2)) {
        if (!m_adRows || m_adRows->passed())
            return true;
        findings = m_adRows->report([&s](long long row) { return rowLabel(s.table, static_cast<int>(row)); });
        failure = &findings;
    }
    emptyBatch();
    m_in.notifier.error(*failure);
    return false;
}

} // namespace qb
