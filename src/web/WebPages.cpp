#include "web/WebPages.h"

#include "web/HttpRequests.h"

namespace qb {

std::string webPageUrl(const WebHost& host, WebPage page, std::string_view userId) {
    switch (page) {
    case WebPage::Results:
        return host.url("/ClientStatMgrd.jsp?mode=init&cid=" + percentEncode(userId));
    case WebPage::Reservations:
        return host.url("/view_reservedata.jsp?mode=view_rsv_client&cid=" + percentEncode(userId));
    case WebPage::Charging:
        return host.url("/ClientStatMgr.jsp?mode=view_acc_client&cid=" + percentEncode(userId));
    case WebPage::Notices:
        return host.url("/ClientNoticeReader.jsp?mode=init&kind=smsadmin");
    case WebPage::MemberData:
        break;
    }
    return host.url("/ClientUserinit.jsp?mode=init&cid=" + percentEncode(userId));
}

} // namespace qb
