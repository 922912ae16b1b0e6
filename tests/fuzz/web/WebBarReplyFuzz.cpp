// "|"-separated replies (callback numbers, balance) and picture names from the
// service, as the client takes them apart.
#include "common/Amount.h"
#include "common/Bytes.h"
#include "web/CallbackNumbers.h"
#include "web/WebText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto values = qb::bytes::splitRuns(reply, "|");

    const auto rows = qb::callbackRowsFromReply(reply);
    if (rows.size() != (values.size() + 1) / 2)
        std::abort();
    for (const auto& row : rows)
        if (row.number.empty() || row.number.find('|') != std::string::npos ||
            row.date.find('|') != std::string::npos)
            std::abort();
    if (!rows.empty() && rows.back().number != values.front())
        std::abort(); // the first pair of the reply is the last row

    const auto line = qb::balanceFromReply(reply);
    if (!values.empty() && line.balance != qb::groupedText(values.front()))
        std::abort();
    if (!line.prices.starts_with("[SMS] ") || !line.counts.ends_with(" "))
        std::abort();

    // A name judged safe stays inside the folder it is joined to.
    if (qb::webtext::isSafePictureName(reply)) {
        if (reply.find('/') != std::string_view::npos ||
            reply.find(std::string_view("\0", 1)) != std::string_view::npos || reply == "." ||
            reply.find("..") != std::string_view::npos)
            std::abort();
    }
    const std::string escaped = qb::webtext::escapeForSave(reply);
    if (escaped.find("\r\n") != std::string::npos && reply.find("\r\r\n") == std::string_view::npos)
        std::abort();
    return 0;
}
