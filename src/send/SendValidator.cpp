#include "send/SendValidator.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/HugePages.h"
#include "common/PhoneNumber.h"
#include "net/MessageRecord.h"
#include "send/SendForm.h"

#include <algorithm>
#include <cstdio>
#include <future>

namespace qb {
namespace {

bool parseCount(const std::string& text, long long& value) {
    return bytes::parseDecimal(bytes::trim(text), value);
}

// "YYYY-MM-DD HH:MM:SS" read back by byte positions, as the split slices need it.
std::time_t reservationTime(const std::string& text) {
    auto field = [&](std::size_t pos, std::size_t len) {
        int v = 0;
        for (std::size_t i = pos; i < pos + len && i < text.size(); ++i)
            if (text[i] >= '0' && text[i] <= '9')
                v = v * 10 + (text[i] - '0');
        return v;
    };
    return fromLocal(LocalTime{field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), 0});
}

} // namespace

std::string SendValidator::summary(const ValidationCounts& counts) {
    return ko("총 데이터 [") + std::to_string(counts.total) + ko("] 건\n중복제거 [") +
           std::to_string(counts.duplicates) + ko("] 건\n수신거부 [") + std::to_string(counts.rejected) +
           ko("] 건\n번호형식오류 [") + std::to_string(counts.formatErrors) + ko("] 건\n전송할 데이터 [") +
           std::to_string(counts.queued) + ko("] 건");
}

bool SendValidator::stop(const char* utf8Message) {
    m_in.notifier.error(ko(utf8Message));
    return false;
}

long long SendValidator::buildCandidates(std::vector<Candidate>& candidates,
                                         std::vector<std::uint32_t>& rowOfSeq) const {
    candidates.clear();
    rowOfSeq.clear();
    const SendFormState& s = m_in.state;
    const RecipientTable& t = s.table;
    if (t.rowCount() < 2)
        return 0;
    const int column = s.numberColumn.selected;
    std::array<int, 4> mergeColumns{};
    int mergeCount = 0;
    for (std::size_t k = 0; k < 4; ++k)
        if (s.mergeOn[k])
            mergeColumns[static_cast<std::size_t>(mergeCount++)] = s.mergeColumn[k].selected;
    // A merge value with a byte no record field may carry would make records of
    // its own on the wire; such a row is not a valid number.
    const auto rowFits = [&](int r) {
        for (int k = 0; k < mergeCount; ++k)
            if (!fitsInRecord(t.text(r, mergeColumns[static_cast<std::size_t>(k)])))
                return false;
        return true;
    };
    long long errors = 0;
    candidates.reserve(static_cast<std::size_t>(t.dataRowCount()));
    rowOfSeq.reserve(static_cast<std::size_t>(t.dataRowCount()));
    adviseHugePages(candidates);
    adviseHugePages(rowOfSeq);
    PhoneDigits digits;
    for (int r = 1; r < t.rowCount(); ++r) {
        if (!phoneDigits(t.text(r, column), digits) || !rowFits(r)) {
            ++errors;
            continue;
        }
        rowOfSeq.push_back(static_cast<std::uint32_t>(r));
        candidates.push_back({NumberKey::of(digits.view()), static_cast<std::uint32_t>(rowOfSeq.size())});
    }
    return errors;
}

bool SendValidator::checkSettings() {
    SendFormState& s = m_in.state;
    SendSettings& st = m_in.settings;

    if (s.numberColumn.selected <= 0)
        return stop("수신번호열 를 선택해주세요.");
    st.callbackNumber = m_in.callbackNumber;
    if (st.callbackNumber.empty())
        return stop("회신번호를 확인해주세요.");
    if (!fitsInRecord(st.callbackNumber))
        return stop("회신번호에 사용할 수 없는 제어문자가 들어 있습니다.");
    static const std::string noColumn = ko("열선택");
    for (std::size_t k = 0; k < 4; ++k) {
        st.mergeColumn[k].clear();
        if (!s.mergeOn[k])
            continue;
        st.mergeColumn[k] = s.mergeColumn[k].selectedText();
        if (st.mergeColumn[k].empty() || st.mergeColumn[k] == noColumn || s.mergeColumn[k].selected <= 0)
            return stop("메세지조합기능를 확인해주세요.");
    }
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

    const EditorWindows& editors = m_in.editors;
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
        s.pictureCount = 0;
        const auto mms = editors.mmsWindow();
        if (!mms)
            return stop("[MMS] 문자 편집창을 실행해 주세요!");
        st.title = mms->titleTouched ? mms->title : std::string();
        st.longBody = mms->body;
        for (const PictureSlot& slot : mms->pictures)
            if (!slot.empty())
                st.pictures[static_cast<std::size_t>(s.pictureCount++)] = slot;
        if (s.pictureCount == 0)
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
    if (s.reserved) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", s.reservationDate.year, s.reservationDate.month,
                      s.reservationDate.day);
        st.reservationDate = date;
        st.reservationHour = s.reservationHour.selectedText();
        st.reservationMinute = s.reservationMinute.selectedText();
    }
    return true;
}

bool SendValidator::run() {
    SendFormState& s = m_in.state;
    SendSettings& st = m_in.settings;
    Progress& progress = m_in.progress;

    if (s.mergeLock)
        return stop("전송메시지를 다시 세팅해 주세요.!");
    s.queue.clear();
    s.batchBytes = 0;
    s.pictureCount = 0;
    m_counts = ValidationCounts{};
    if (!checkSettings())
        return false;

    // The reject files are read and sorted on a second core while the table is
    // worked through; the two share nothing until the difference.
    std::future<std::vector<NumberKey>> rejectsReady;
    if (s.rejectOn)
        rejectsReady = std::async(std::launch::async, [table = m_in.rejects] {
            std::vector<NumberKey> rejects;
            // A number and its separator take at least nine bytes of a file; past
            // sixteen million numbers the list grows as it must.
            rejects.reserve(
                static_cast<std::size_t>(std::min<std::uint64_t>(rejectFileBytes(table) / 9, 1u << 24)));
            adviseHugePages(rejects);
            PhoneDigits digits;
            forEachRejectNumber(table, [&](std::string_view token) {
                // Only what is a number by the candidates' rule can match one.
                if (phoneDigits(token, digits))
                    rejects.push_back(NumberKey::of(digits.view()));
            });
            sortByNumber(rejects, [](const NumberKey& k) -> const NumberKey& { return k; });
            return rejects;
        });

    ValidationCounts counts;
    std::vector<Candidate> candidates;
    std::vector<std::uint32_t> rowOfSeq;
    counts.formatErrors = buildCandidates(candidates, rowOfSeq);
    counts.total = counts.formatErrors + static_cast<long long>(candidates.size());

    // Number order; the sort is stable and the list was in table order, so among
    // equal numbers the first is kept and reject matches take the earliest.
    sortByNumber(candidates, [](const Candidate& c) -> const NumberKey& { return c.key; });
    if (s.dedupOn) {
        candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                     [](const Candidate& a, const Candidate& b) { return a.key == b.key; }),
                         candidates.end());
        counts.duplicates = counts.total - static_cast<long long>(candidates.size()) - counts.formatErrors;
    }
    if (s.rejectOn) {
        const std::vector<NumberKey> rejects = rejectsReady.get();
        // Difference with multiplicity: each reject removes at most one candidate.
        std::size_t out = 0, r = 0;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            while (r < rejects.size() && rejects[r] < candidates[i].key)
                ++r;
            if (r < rejects.size() && rejects[r] == candidates[i].key) {
                ++r;
                continue;
            }
            candidates[out++] = candidates[i];
        }
        counts.rejected = static_cast<long long>(candidates.size() - out);
        candidates.resize(out);
    }
    // Back to table order: seqs are 1..n, so marking them is a sort.
    std::vector<bool> kept(rowOfSeq.size() + 1);
    for (const Candidate& c : candidates)
        kept[c.seq] = true;
    std::vector<std::uint32_t> finalRows;
    finalRows.reserve(candidates.size());
    for (std::size_t seq = 1; seq < kept.size(); ++seq)
        if (kept[seq])
            finalRows.push_back(rowOfSeq[seq - 1]);
    std::vector<Candidate>().swap(candidates);
    std::vector<std::uint32_t>().swap(rowOfSeq);

    long long splitCount = 0, splitMinutes = 0;
    std::time_t base = 0;
    if (s.splitOn) {
        base = Clock::instance().now();
        parseCount(st.splitCount, splitCount);
        parseCount(st.splitMinutes, splitMinutes);
    }
    long long from = 0, to = 0;
    parseCount(st.rangeFrom, from);
    parseCount(st.rangeTo, to);
    if (static_cast<long long>(finalRows.size()) < to) {
        to = static_cast<long long>(finalRows.size());
        s.rangeTo = st.rangeTo = std::to_string(to);
    }
    std::string reservation = immediateReservation();
    if (s.reserved)
        reservation = st.reservationDate + " " + st.reservationHour + ":" + st.reservationMinute + ":00";
    if (s.splitOn && s.reserved)
        base = reservationTime(reservation);
    // The last slice's time stamp must still be a four-digit year.
    if (s.splitOn && to >= from) {
        static const std::time_t latest = fromLocal(LocalTime{9999, 12, 31, 23, 59, 59});
        const long long lastSlice = (to - from) / splitCount;
        if (static_cast<long long>(base) + lastSlice * splitMinutes * 60 > static_cast<long long>(latest))
            return stop("분할전송을 확인해주세요.");
    }

    progress.setRange(0, std::max(0LL, to - from + 1));
    s.previewEnabled = s.sendEnabled = false;

    MessageComposer composer(s.kind, s.kind == MessageKind::Sms ? st.smsBody : st.longBody, st.title,
                             s.mergeOn);
    const int numberColumn = s.numberColumn.selected;
    std::array<int, 4> mergeColumns{};
    for (std::size_t k = 0; k < 4; ++k)
        mergeColumns[k] = s.mergeOn[k] ? s.mergeColumn[k].selected : -1;

    if (to >= from) {
        const std::string& body = s.kind == MessageKind::Sms ? st.smsBody : st.longBody;
        s.queue.reserve(static_cast<std::size_t>(to - from + 1),
                        2 * body.size() + st.title.size() + st.callbackNumber.size() + 48);
    }
    const auto refuse = [&](const std::string& message) {
        s.queue.clear();
        s.batchBytes = 0;
        progress.setValue(0);
        s.previewEnabled = s.sendEnabled = true;
        m_in.notifier.error(message);
        return false;
    };
    // The server refuses a longer record, and the job would count it as sent.
    const RecordEncoder longest = RecordEncoder::withLongestReply(s.kind, m_in.login, st.pictures);
    SendRecord record;
    record.callbackNumber = st.callbackNumber;
    record.reservation = reservation;
    std::array<std::string_view, 4> values;
    PhoneDigits digits;
    const long long step = std::max(1LL, (to - from + 1) / 1000);
    long long queued = 0;
    for (long long i = from; i <= to; ++i, ++queued) {
        if ((queued + 1) % step == 0 || i == to)
            progress.setValue(queued + 1);
        const int row = static_cast<int>(finalRows[static_cast<std::size_t>(i - 1)]);
        for (std::size_t k = 0; k < 4; ++k)
            values[k] = mergeColumns[k] >= 0 ? s.table.text(row, mergeColumns[k]) : std::string_view();
        if (const std::string* failure = composer.compose(values, record))
            return refuse(*failure);
        phoneDigits(s.table.text(row, numberColumn), digits); // a candidate's: it is a number
        record.number.assign(digits.view());
        if (s.splitOn && queued % splitCount == 0)
            record.reservation =
                formatLocal(base + static_cast<std::time_t>((queued / splitCount) * splitMinutes * 60),
                            "%Y-%m-%d %H:%M:%S");
        if (longest.size(recordText(record)) > kMaxRecordBytes)
            return refuse(
                ko("전송데이터 한 건이 4095바이트를 넘습니다. 회신번호와 전송메세지를 확인해주세요."));
        s.queue.push_back(record);
        s.batchBytes += estimateRecordBytes(s.kind, record, m_in.login, st.pictures, s.pictureCount);
    }
    counts.queued = static_cast<long long>(s.queue.size());

    if (s.mergeOn[0] || s.mergeOn[1] || s.mergeOn[2] || s.mergeOn[3])
        s.mergeLock = true;
    m_counts = counts;
    return true;
}

} // namespace qb
