#include "web/PictureUpload.h"

#include "common/Cp949.h"
#include "common/Notifier.h"
#include "net/MessageRecord.h"
#include "web/HttpRequests.h"
#include "web/WebMessages.h"

#include <algorithm>
#include <vector>

namespace qb {

bool uploadMmsPictures(const WebHost& host, const std::string& userId, const PictureSlots& slots,
                       int pictureCount, const std::string& pictureStamp, Notifier& notifier) {
    if (std::all_of(slots.begin(), slots.end(), [](const PictureSlot& s) { return s.empty(); })) {
        notifier.error(ko("MMS 그림화일을 선택해 주시기 바랍니다."));
        return false;
    }
    const std::vector<FormField> fields = {{"m_id", userId}, {"imgcount", std::to_string(pictureCount)}};
    std::vector<FormFile> files;
    for (int slot = 1; slot <= 3; ++slot) {
        const PictureSlot& p = slots[static_cast<std::size_t>(slot - 1)];
        if (!p.empty())
            files.push_back(
                {"imgfile" + std::to_string(slot), pictureFileName(userId, pictureStamp, slot), p.path});
    }
    if (PostForm(host, "/uploadmmsimage.jsp", fields, files) != 0) {
        notifier.error(webmsg::postFailed());
        return false;
    }
    return true;
}

} // namespace qb
