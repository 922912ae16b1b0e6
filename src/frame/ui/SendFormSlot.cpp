#include "frame/ui/SendFormSlot.h"

#include "frame/MainFrameModel.h"
#include "send/ui/CQuillbank2View.h"

namespace qb {

SendFormSlot createSendForm(MainFrameModel& frame, QWidget* parent) {
    auto* form =
        new CQuillbank2View(SendViewContext{frame.notifier(), frame.loginState(), frame.transferText(),
                                            frame.paths().workingFolder(), frame.config(),
                                            [&frame](long long total) { frame.rejectListsApplied(total); },
                                            [&frame] { frame.execute(Command::Charge); }},
                            parent);
    return {form, form};
}

} // namespace qb
