#pragma once

#include "common/SendTypes.h"
#include "web/WebHost.h"

#include <string>

// The MMS pictures of a send job, posted to "/uploadmmsimage.jsp" under the names
// its records will carry (user id, the job's picture stamp, the slot number).
namespace qb {

class Notifier;

// False after the user was told why: no picture at all, or the post failed.
bool uploadMmsPictures(const WebHost& host, const std::string& userId, const PictureSlots& slots,
                       int pictureCount, const std::string& pictureStamp, Notifier& notifier);

} // namespace qb
