#include "send/ExcludedRows.h"

#include "common/Cp949.h"
#include "send/PreviewFindings.h"

namespace qb {
namespace {

bool bit(const std::vector<std::uint64_t>& bits, std::size_t i) {
    return (bits[i / 64] >> (i % 64)) & 1;
}

void appendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string excludedRowsCsv(const ExcludedRows& x, const RecipientTable& table) {
    static const std::string duplicate = cp949::toUtf8(ko("중복")), rejected = cp949::toUtf8(ko("수신거부")),
                             noNumber = cp949::toUtf8(ko("번호형식오류")),
                             outOfRange = cp949::toUtf8(ko("범위밖"));
    std::string out = "\xEF\xBB\xBF" + cp949::toUtf8(ko("행,수신번호,사유")) + "\r\n";
    std::string number;
    std::size_t keptSoFar = 0;
    for (std::size_t i = 0; i < x.rows; ++i) {
        const std::string* reason = nullptr;
        if (bit(x.kept, i)) {
            const std::size_t rank = keptSoFar++;
            if (rank >= x.queuedFrom && rank < x.queuedTo)
                continue;
            reason = &outOfRange;
        } else {
            reason = bit(x.duplicate, i) ? &duplicate : bit(x.rejected, i) ? &rejected : &noNumber;
        }
        const int row = static_cast<int>(i) + 1;
        appendField(out, cp949::toUtf8(rowLabel(table, row)));
        out += ',';
        cp949::toUtf8(table.text(row, x.numberColumn), number);
        appendField(out, number);
        out += ',';
        out += *reason;
        out += "\r\n";
    }
    return out;
}

} // namespace qb
