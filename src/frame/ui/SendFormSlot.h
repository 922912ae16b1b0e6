#pragma once

class QWidget;

// View 101: the send form. The frame owns the widget and talks to it through
// SendFormPanel, the same object.
namespace qb {

class MainFrameModel;
class SendFormPanel;

struct SendFormSlot {
    QWidget* widget = nullptr;
    SendFormPanel* panel = nullptr;
};

SendFormSlot createSendForm(MainFrameModel& frame, QWidget* parent);

} // namespace qb
