#include "net/MessageRecord.h"

#include "net/Packets.h"

#include <charconv>
#include <cstring>

namespace qb {
namespace {

void field(std::string& out, std::string_view text) {
    out.append(text);
    out.push_back(kFieldSeparator);
}

void number(std::string& out, int value) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    field(out, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

constexpr const char* kPictureSuffix[] = {"_01.jpg", "_02.jpg", "_03.jpg"};

std::size_t decimalLength(int value) {
    char buf[16];
    return static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, value).ptr - buf);
}

// The texts every record of a job repeats.
bool jobTextsFit(const LoginState& login, std::string_view pictureStamp) {
    for (std::string_view t : {std::string_view(login.userId), std::string_view(login.clientField),
                               std::string_view(login.userNumber), std::string_view(login.userTag),
                               std::string_view(login.sendCode), std::string_view(login.sendTime),
                               std::string_view(login.sendTag), pictureStamp})
        if (!fitsInRecord(t))
            return false;
    return true;
}

bool recordTextsFit(const RecordText& r) {
    return fitsInRecord(r.number) && fitsInRecord(r.callbackNumber) && fitsInRecord(r.title) &&
           fitsInRecord(r.body) && fitsInRecord(r.reservation);
}

} // namespace

std::string pictureFileName(const std::string& userId, const std::string& pictureStamp, int slot) {
    return userId + "_" + pictureStamp + kPictureSuffix[slot - 1];
}

namespace {

// Everything after WHEN: the login and check values, the MMS picture fields and
// the record's end. It is the same for every record of a job.
void appendAfterWhen(std::string& out, MessageKind kind, const LoginState& login,
                     const PictureSlots& pictures, std::string_view pictureStamp) {
    out.push_back(kFieldSeparator);
    field(out, login.userNumber);
    field(out, login.sendCode);
    field(out, login.sendTag);
    field(out, login.userTag);
    out.append(login.sendTime);
    if (kind != MessageKind::Mms) {
        out.push_back(kRecordEnd);
        return;
    }
    out.push_back(kFieldSeparator);
    // Three variants only: all three slots, slots 1 and 2 alone, otherwise slot 1's fields.
    const bool first = !pictures[0].empty(), second = !pictures[1].empty(), third = !pictures[2].empty();
    const int shown = first && second && third ? 3 : first && second ? 2 : 1;
    for (int slot = 0; slot < 3; ++slot) {
        if (slot < shown) {
            out.append(login.userId);
            out.push_back('_');
            out.append(pictureStamp);
            out.append(kPictureSuffix[slot]);
        }
        out.push_back(kFieldSeparator);
    }
    for (int slot = 0; slot < 3; ++slot) {
        if (slot < shown) {
            number(out, pictures[slot].width);
            number(out, pictures[slot].height);
        } else {
            field(out, {});
            field(out, {});
        }
    }
    out.back() = kRecordEnd;
}

} // namespace

bool appendMessageRecord(std::string& out, MessageKind kind, const RecordText& record,
                         const LoginState& login, const PictureSlots& pictures,
                         std::string_view pictureStamp) {
    if (!jobTextsFit(login, pictureStamp) || !recordTextsFit(record))
        return false;
    const std::size_t start = out.size();
    const bool immediate = record.reservation == immediateReservation();
    field(out, login.userId);
    field(out, record.number);
    field(out, record.callbackNumber);
    if (kind != MessageKind::Sms)
        field(out, record.title);
    field(out, record.body);
    field(out, login.clientField);
    field(out, immediate ? "N" : "Y");
    out.append(immediate ? std::string_view(login.sendTime) : record.reservation);
    appendAfterWhen(out, kind, login, pictures, pictureStamp);
    if (out.size() - start > kMaxRecordBytes) {
        out.resize(start);
        return false;
    }
    return true;
}

RecordEncoder::RecordEncoder(MessageKind kind, const LoginState& login, const PictureSlots& pictures,
                             std::string_view pictureStamp)
    : m_usable(jobTextsFit(login, pictureStamp)), m_withTitle(kind != MessageKind::Sms) {
    field(m_head, login.userId);
    field(m_reservedHead, login.clientField);
    field(m_reservedHead, "Y");
    appendAfterWhen(m_reservedTail, kind, login, pictures, pictureStamp);
    field(m_immediateTail, login.clientField);
    field(m_immediateTail, "N");
    m_immediateTail += login.sendTime;
    m_immediateTail += m_reservedTail;
}

RecordEncoder RecordEncoder::withLongestReply(MessageKind kind, const LoginState& login,
                                              const PictureSlots& pictures) {
    LoginState longest = login;
    longest.sendCode.assign(packet::kSendCodeWidth, '0');
    longest.sendTime.assign(packet::kSendTimeWidth, '0');
    longest.sendTag.assign(packet::kSendTagWidth, '0');
    return RecordEncoder(kind, longest, pictures, "YYYYMMDDhhmmss");
}

std::size_t RecordEncoder::size(const RecordText& r) const {
    const bool immediate = r.reservation == immediateReservation();
    return m_head.size() + r.number.size() + r.callbackNumber.size() + r.body.size() + 3 +
           (m_withTitle ? r.title.size() + 1 : 0) +
           (immediate ? m_immediateTail.size()
                      : m_reservedHead.size() + r.reservation.size() + m_reservedTail.size());
}

bool RecordEncoder::append(std::string& out, const RecordText& r) const {
    if (!m_usable || !recordTextsFit(r))
        return false;
    const bool immediate = r.reservation == immediateReservation();
    const std::size_t size = this->size(r);
    if (size > kMaxRecordBytes)
        return false;
    const std::size_t start = out.size();
    out.resize(start + size);
    char* p = out.data() + start;
    const auto put = [&p](std::string_view s) {
        if (!s.empty()) // an empty view may hold no pointer at all
            std::memcpy(p, s.data(), s.size());
        p += s.size();
    };
    put(m_head);
    put(r.number);
    *p++ = kFieldSeparator;
    put(r.callbackNumber);
    *p++ = kFieldSeparator;
    if (m_withTitle) {
        put(r.title);
        *p++ = kFieldSeparator;
    }
    put(r.body);
    *p++ = kFieldSeparator;
    if (immediate) {
        put(m_immediateTail);
    } else {
        put(m_reservedHead);
        put(r.reservation);
        put(m_reservedTail);
    }
    return true;
}

std::int64_t estimateRecordBytes(MessageKind kind, const RecordText& record, const LoginState& login,
                                 const PictureSlots& pictures, int pictureCount) {
    std::int64_t n =
        static_cast<std::int64_t>(login.userId.size() + record.number.size() + record.callbackNumber.size() +
                                  record.body.size() + login.clientField.size() + login.userNumber.size() +
                                  login.userTag.size()) +
        59;
    if (kind == MessageKind::Sms)
        return n;
    n += static_cast<std::int64_t>(record.title.size()) + 1;
    if (kind == MessageKind::Lms)
        return n;
    n += pictureCount * static_cast<std::int64_t>(login.userId.size() + 22) + 3;
    for (const PictureSlot& slot : pictures)
        if (slot.width != 0)
            n += static_cast<std::int64_t>(decimalLength(slot.width) + decimalLength(slot.height));
    // the six separators of the size fields
    return n + 6;
}

} // namespace qb
