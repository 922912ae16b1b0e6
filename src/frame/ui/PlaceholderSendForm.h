#pragma once

#include "frame/SendFormPanel.h"

#include <QWidget>

// Stands in for the send form until it is built; it has nothing to refresh or
// clear. The frame around it is complete.
namespace qb {

class PlaceholderSendForm : public QWidget, public SendFormPanel {
    Q_OBJECT

public:
    explicit PlaceholderSendForm(QWidget* parent);

    void refreshBalance() override {}
    void reloadCallbackNumbers() override {}
    void clearBalanceAndCallbacks() override {}
    void loadTransferredEntries(const std::string&) override {}
    void closeEditorWindows() override {}
    void followMainWindow(int, int) override {}
};

} // namespace qb
