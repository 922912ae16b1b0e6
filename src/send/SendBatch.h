#pragma once

#include "common/SendQueue.h"
#include "common/SendTypes.h"

// What a send job sends, as the preview's validation left it. The job empties the
// queue from the front; when it stops early it lowers the byte total to what is
// left, and once it has run to its end it forgets the pictures. The send form owns
// all of it (`SendForm::batch()`); the job only holds these references.
namespace qb {

struct SendBatch {
    const MessageKind& kind;
    SendQueue& queue;
    long long& bytes; // what the send check announces
    PictureSlots& pictures;
    int& pictureCount; // how many of the pictures an MMS uploads
};

} // namespace qb
