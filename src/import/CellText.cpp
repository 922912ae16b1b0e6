#include "import/CellText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace qb::celltext {
namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

} // namespace

std::string number(double value) {
    if (!std::isfinite(value))
        return value != value ? "#NUM!" : (value > 0 ? "#NUM!" : "-#NUM!");
    // printf's %.15G without the locale: 15 significant digits, trailing zeros
    // dropped, an exponent below -4 or from 15 on.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    if (const std::size_t e = s.find('e'); e != std::string::npos)
        s[e] = 'E';
    if (s == "-0")
        return "0";
    return s;
}

DateParts datePartsOfBuiltinFormat(int id) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return DateParts::Date;
    if (id == 22)
        return DateParts::DateTime;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47))
        return DateParts::Time;
    return DateParts::None;
}

DateParts datePartsOfFormat(const std::string& code) {
    bool y = false, d = false, m = false, h = false, sec = false;
    for (std::size_t i = 0; i < code.size() && code[i] != ';'; ++i) { // the first section decides
        const char c = code[i];
        if (c == '"') {
            const std::size_t close = code.find('"', i + 1);
            if (close == std::string::npos)
                break;
            i = close;
            continue;
        }
        if (c == '\\' || c == '_' || c == '*') {
            ++i;
            continue;
        }
        if (c == '[') {
            const std::size_t close = code.find(']', i + 1);
            if (close == std::string::npos)
                break;
            const char first = close > i + 1 ? static_cast<char>(code[i + 1] | 0x20) : '\0';
            if (first == 'h' || first == 'm' || first == 's')
                h = true; // elapsed time: [h], [mm], [ss]
            i = close;
            continue;
        }
        switch (c | 0x20) {
        case 'y':
            y = true;
            break;
        case 'd':
            d = true;
            break;
        case 'm':
            m = true;
            break;
        case 'h':
            h = true;
            break;
        case 's':
            sec = true;
            break;
        default:
            break;
        }
    }
    // "m" is the month unless an hour or seconds are shown, then it is minutes.
    const bool date = y || d || (m && !h && !sec);
    const bool time = h || sec;
    if (date && time)
        return DateParts::DateTime;
    if (date)
        return DateParts::Date;
    return time ? DateParts::Time : DateParts::None;
}

std::string serialDate(double serial, DateParts parts, bool date1904) {
    if (!(serial >= 0 && serial <= 2958465.99999))
        return number(serial);
    long long seconds = std::llround(serial * 86400.0);
    long long days = seconds / 86400;
    const long long secOfDay = seconds % 86400;
    if (parts == DateParts::Time && days > 0)
        parts = DateParts::DateTime;
    char buf[40];
    const int hh = static_cast<int>(secOfDay / 3600), mi = static_cast<int>(secOfDay / 60 % 60),
              ss = static_cast<int>(secOfDay % 60);
    if (parts == DateParts::Time) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hh, mi, ss);
        return buf;
    }
    int y, m, d;
    if (date1904) {
        civilFromDays(days + (-24107), y, m, d); // 1904-01-01 is day 0
    } else if (days == 60) {
        y = 1900, m = 2, d = 29; // the day the 1900 system counts that never was
    } else {
        // 1899-12-31 is day 0 up to the phantom leap day, 1899-12-30 after it.
        civilFromDays(days + (days < 60 ? -25568 : -25569), y, m, d);
    }
    if (parts == DateParts::DateTime)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, hh, mi, ss);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

} // namespace qb::celltext
