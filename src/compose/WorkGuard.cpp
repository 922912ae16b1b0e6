#include "compose/WorkGuard.h"

#include "common/Cp949.h"

namespace qb {

bool holdsWork(const EditorContent& c) {
    if ((c.titleTouched && !c.title.empty()) || (c.bodyTouched && !c.body.empty()))
        return true;
    for (const PictureSlot& slot : c.pictures)
        if (!slot.empty())
            return true;
    return false;
}

bool mayDiscard(bool work, Notifier& notifier) {
    static const std::string question = ko("작성한 내용이 지워집니다. 계속하시겠습니까?");
    return !work || notifier.askYesNo(question, MessageIcon::None);
}

} // namespace qb
