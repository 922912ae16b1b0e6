#pragma once

#include "web/WebHost.h"

#include <string>
#include <string_view>

namespace qb {

// The service's pages shown in a browser view.
enum class WebPage { Results, Reservations, Charging, Notices, MemberData };

// The page's full address; the user id, where the page takes one, percent-encoded.
std::string webPageUrl(const WebHost& host, WebPage page, std::string_view userId);

} // namespace qb
