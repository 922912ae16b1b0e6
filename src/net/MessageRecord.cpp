#include "net/MessageRecord.h"

#include <charconv>

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

} // namespace

std::string pictureFileName(const std::string& userId, const std::string& pictureStamp, int slot) {
    return userId + "_" + pictureStamp + kPictureSuffix[slot - 1];
}

void appendMessageRecord(std::string& out, MessageKind kind, const RecordText& record,
                         const LoginState& login, const PictureSlots& pictures,
                         std::string_view pictureStamp) {
    const bool immediate = record.reservation == immediateReservation();
    const std::string_view flag = immediate ? "N" : "Y";
    const std::string_view when = immediate ? std::string_view(login.sendTime) : record.reservation;

    field(out, login.userId);
    field(out, record.number);
    field(out, record.callbackNumber);
    if (kind != MessageKind::Sms)
        field(out, record.title);
    field(out, record.body);
    field(out, login.clientField);
    field(out, flag);
    field(out, when);
    field(out, login.userNumber);
    field(out, login.sendCode);
    field(out, login.sendTag);
    field(out, login.userTag);

    if (kind != MessageKind::Mms) {
        out.append(login.sendTime);
        out.push_back(kRecordEnd);
        return;
    }
    field(out, login.sendTime);

    // Three variants only: all three slots, slots 1 and 2 alone, otherwise slot 1's fields.
    const bool first = !pictures[0].empty(), second = !pictures[1].empty(), third = !pictures[2].empty();
    const int shown = first && second && third ? 3 : first && second ? 2 : 1;
    // The names are written in place: this runs once per record of a job.
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
