#include "frame/ui/SendFormSlot.h"

#include "frame/ui/PlaceholderSendForm.h"

namespace qb {

SendFormSlot createSendForm(MainFrameModel&, QWidget* parent) {
    auto* form = new PlaceholderSendForm(parent);
    return {form, form};
}

} // namespace qb
