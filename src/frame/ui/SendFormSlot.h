#pragma once

class QWidget;

// View 101: the send form. The frame owns the widget and talks to it through
// SendFormHost, the same object.
namespace qb {

class MainFrameModel;
class SendFormHost;

struct SendFormSlot {
    QWidget* widget = nullptr;
    SendFormHost* panel = nullptr;
};

SendFormSlot createSendForm(MainFrameModel& frame, QWidget* parent);

} // namespace qb
