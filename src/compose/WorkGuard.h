#pragma once

#include "common/Notifier.h"
#include "compose/EditorContent.h"

// A click that would throw away what the user made asks first; "아니요" keeps it.
namespace qb {

// A touched title or body with text in it, or a picture.
bool holdsWork(const EditorContent& content);

// "작성한 내용이 지워집니다. 계속하시겠습니까?" when there is work to lose; true
// to go on (at once when there is none).
bool mayDiscard(bool work, Notifier& notifier);

} // namespace qb
