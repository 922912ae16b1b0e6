#pragma once

#include "common/Cp949.h"

#include <QString>

// The edge between CP949 core text and Qt's Unicode strings: widgets and
// command-line front ends only.
namespace qb {

inline QString toQString(std::string_view cp949) {
    const std::string utf8 = cp949::toUtf8(cp949);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Characters without a CP949 form become '?'.
inline std::string fromQString(const QString& text) {
    return cp949::fromUtf8(text.toStdString()).text;
}

// Qt's edit boxes break lines with "\n"; the core's texts with CR LF.
inline QString toEditText(std::string_view cp949CrLf) {
    QString s = toQString(cp949CrLf);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}
inline std::string fromEditText(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return fromQString(s);
}

} // namespace qb
