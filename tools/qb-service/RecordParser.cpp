#include "RecordParser.h"

#include <algorithm>
#include <vector>

namespace qbs {
namespace {

constexpr char kSeparator = 0x04;
constexpr char kEnd = 0x02;

bool digits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYY-MM-DD HH:MM:SS"
bool timeStamp(std::string_view s) {
    if (s.size() != 19)
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char want = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
        if (want == '0' ? (s[i] < '0' || s[i] > '9') : s[i] != want)
            return false;
    }
    return true;
}

std::size_t fieldCount(qb::MessageKind kind) {
    switch (kind) {
    case qb::MessageKind::Sms:
        return 12;
    case qb::MessageKind::Lms:
        return 13;
    case qb::MessageKind::Mms:
        break;
    }
    return 22;
}

const char* kindName(qb::MessageKind kind) {
    switch (kind) {
    case qb::MessageKind::Sms:
        return "an SMS";
    case qb::MessageKind::Lms:
        return "an LMS";
    case qb::MessageKind::Mms:
        break;
    }
    return "an MMS";
}

} // namespace

RecordParser::RecordParser(RecordContext context) : m_context(std::move(context)) {}

void RecordParser::append(std::string_view bytes) {
    // Give back what was read once it is most of the buffer.
    if (m_start > 0 && m_start * 2 >= m_buffer.size()) {
        m_buffer.erase(0, m_start);
        m_scan -= m_start;
        m_start = 0;
    }
    m_buffer.append(bytes);
}

std::optional<RecordParser::Result> RecordParser::next() {
    for (;;) {
        const std::size_t end = m_buffer.find(kEnd, m_scan);
        if (end == std::string::npos) {
            m_scan = m_buffer.size();
            if (m_skipping) {
                m_start = m_scan; // nothing of an over-long record is kept
                return std::nullopt;
            }
            if (m_buffer.size() - m_start > kMaxRecordBytes) {
                m_skipping = true;
                m_start = m_scan;
                return Result{std::nullopt, "a record longer than 4095 bytes"};
            }
            return std::nullopt;
        }
        const std::string_view record(m_buffer.data() + m_start, end - m_start);
        m_start = m_scan = end + 1;
        if (m_skipping) {
            m_skipping = false;
            continue;
        }
        if (record.size() + 1 > kMaxRecordBytes)
            return Result{std::nullopt, "a record longer than 4095 bytes"};
        return parse(record);
    }
}

RecordParser::Result RecordParser::parse(std::string_view record) {
    const auto refuse = [](std::string why) { return Result{std::nullopt, std::move(why)}; };
    std::vector<std::string_view> f;
    f.reserve(22);
    for (std::size_t pos = 0;;) {
        const std::size_t sep = record.find(kSeparator, pos);
        f.push_back(record.substr(pos, sep == std::string_view::npos ? std::string_view::npos : sep - pos));
        if (sep == std::string_view::npos)
            break;
        pos = sep + 1;
    }
    const RecordContext& c = m_context;
    const std::size_t want = fieldCount(c.kind);
    if (f.size() != want)
        return refuse(std::to_string(f.size()) + " fields where " + kindName(c.kind) + " record has " +
                      std::to_string(want));
    if (std::string why = checkJobFields(f); !why.empty())
        return refuse(std::move(why));
    ReceivedRecord r;
    if (c.kind == qb::MessageKind::Mms)
        if (std::string why = takePictures(f, r); !why.empty())
            return refuse(std::move(why));

    // Fields after the body sit one place later in LMS and MMS records.
    const std::size_t k = c.kind == qb::MessageKind::Sms ? 0 : 1;
    r.raw.reserve(record.size() + 1);
    r.raw.assign(record).push_back(kEnd);
    r.number = f[1];
    r.callback = f[2];
    if (k)
        r.title = f[3];
    r.body = f[3 + k];
    r.reserved = f[5 + k] == "Y";
    r.when = f[6 + k];
    return Result{std::move(r), {}};
}

std::string RecordParser::checkJobFields(const std::vector<std::string_view>& f) const {
    const RecordContext& c = m_context;
    // Fields after the body sit one place later in LMS and MMS records.
    const std::size_t k = c.kind == qb::MessageKind::Sms ? 0 : 1;
    if (f[0] != c.userId)
        return "field 1 is not the user id of the send check";
    if (f[1].size() < 8 || f[1].size() > 15)
        return "the number in field 2 is not 8 to 15 bytes long";
    if (f[2].empty())
        return "no callback number in field 3";
    if (f[4 + k] != "0.0")
        return "field " + std::to_string(5 + k) + " is not \"0.0\"";
    const std::string_view flag = f[5 + k], when = f[6 + k];
    if (flag == "N") {
        if (when != c.sendTime)
            return "an immediate record without the send time of the check reply";
    } else if (flag == "Y") {
        if (!timeStamp(when))
            return "a reserved record without a YYYY-MM-DD HH:MM:SS time";
    } else {
        return "field " + std::to_string(6 + k) + " is neither Y nor N";
    }
    if (f[7 + k] != c.userNumber || f[10 + k] != c.userTag)
        return "user number or user tag differ from the login's";
    if (f[8 + k] != c.sendCode || f[9 + k] != c.sendTag || f[11 + k] != c.sendTime)
        return "send code, send tag or send time differ from the check reply's";
    return {};
}

std::string RecordParser::takePictures(const std::vector<std::string_view>& f, ReceivedRecord& r) {
    // Fields 14 to 16 name the pictures, 17 to 22 give their sizes: P1 always,
    // P2 only after P1, P3 only after both; unused places stay empty.
    if (!f[15].empty() && f[14].empty())
        return "picture 3 without picture 2";
    const std::size_t names = f[15].empty() ? (f[14].empty() ? 1 : 2) : 3;
    const std::string prefix = m_context.userId + "_";
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view name = f[13 + i], width = f[16 + 2 * i], height = f[17 + 2 * i];
        const std::string slot = std::to_string(i + 1);
        if (i >= names) {
            if (!width.empty() || !height.empty())
                return "a size for picture " + slot + ", which is not there";
            continue;
        }
        const std::string suffix = "_0" + slot + ".jpg";
        if (name.size() != prefix.size() + 14 + suffix.size() || name.substr(0, prefix.size()) != prefix ||
            name.substr(name.size() - suffix.size()) != suffix || !digits(name.substr(prefix.size(), 14)))
            return "picture name " + slot + " is not ID_YYYYMMDDhhmmss" + suffix;
        const std::string_view stamp = name.substr(prefix.size(), 14);
        if (!r.pictureStamp.empty() && stamp != r.pictureStamp)
            return "the picture names of one record carry different stamps";
        r.pictureStamp = stamp;
        if (!digits(width) || !digits(height))
            return "picture " + slot + " has no width and height";
        r.pictures[i] = name;
        r.sizes[2 * i] = width;
        r.sizes[2 * i + 1] = height;
    }
    if (m_jobStamp.empty())
        m_jobStamp = r.pictureStamp;
    else if (r.pictureStamp != m_jobStamp)
        return "the pictures are named with another stamp than the job's first record";
    return {};
}

} // namespace qbs
