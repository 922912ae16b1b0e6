#pragma once

#include "app/ServiceConfig.h"
#include "common/Notifier.h"
#include "common/ui/BarProgress.h"
#include "compose/Symbols.h"
#include "compose/ui/CSpecialCharDlg.h"
#include "compose/ui/EditorWindowSet.h"
#include "send/SendFormHost.h"
#include "send/SendSession.h"
#include "send/ui/FormWidgetDialogs.h"
#include "send/ui/SendFormControls.h"
#include "send/ui/SendFormDisplay.h"
#include "web/SavedMessageBox.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QProgressBar;

namespace qb {

class CGridCtrl;
struct LoginState;

// What the send form takes from the main window.
struct SendViewContext {
    Notifier& notifier;        // the window's message boxes
    LoginState& login;         // read by everything, written by a send's check reply
    std::string& transferText; // written by "직접입력" and the address book
    std::string workingFolder;
    ServiceConfig service; // the message server's send port, the web application
    // "적용" in the reject list dialog while logged in: the title's new count.
    std::function<void(long long)> rejectTotalApplied;
    // "사이버머니충전", offered when the balance is short of a job's cost.
    std::function<void()> openChargePage;
};

// View 101, the send form: the message, the callback number and balance line,
// reservation, range and split, the loading buttons, the recipient grid and the
// send buttons. It shows SendForm's state and forwards every action to it; after
// each action it shows the state again.
class CQuillbank2View : public QWidget,
                        public SendFormHost,
                        private SavedMessageTarget,
                        private SymbolTarget {
    Q_OBJECT

public:
    explicit CQuillbank2View(SendViewContext context, QWidget* parent = nullptr);
    ~CQuillbank2View() override;

    SendSession& session() { return *m_session; }
    SendForm& form() { return m_session->form(); }
    const SendForm& form() const { return m_session->form(); }
    CGridCtrl* grid() const { return m_ui.grid; }
    EditorWindowSet& editorWindows() { return *m_editors; }
    // The SMS box's special character palette, while open.
    CSpecialCharDlg* palette() const { return m_palette; }
    const BalanceLine& balance() const { return m_session->balance(); }
    SendJob& sendJob() { return m_session->job(); }

    // SendFormHost
    void refreshBalance() override;
    void reloadCallbackNumbers() override;
    void clearBalanceAndCallbacks() override;
    void loadTransferredEntries(const std::string& transferText) override;
    void closeEditorWindows() override;
    void followMainWindow(int right, int top) override;
    bool sendRunning() const override { return m_session->sending(); }
    bool sendResultArrived(int result, int count) override {
        return m_session->sendResultArrived(result, count);
    }
    void offerInterruptedJobs() override;
    void abandonSend() override { m_session->job().abandon(); }

    // Shows the form's state in every control.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // The kind, the message box and its buttons, advertising and the merge fields.
    void connectMessageControls();
    // Callback number, reservation, range, split and the filters.
    void connectSendingOptions();
    // Loading the recipients and choosing their columns.
    void connectRecipientControls();
    // Preview, send, stop and reset.
    void connectSendButtons();
    // Runs a handler of the form and shows the result.
    void run(const std::function<void()>& handler);
    // A handler that may load the table: the focus then moves on when the number
    // column was found.
    void load(const std::function<void()>& handler);

    void onSmsTextChanged();
    void openDirectEntry();
    void openRejectLists();
    void openCallbackManager();
    void openSavedMessages();
    void saveMessage();
    void returnToSms();
    void openPalette();
    // What the last text import was read as, in the main window's status bar.
    void showEncoding(const std::string& used);
    // "광고" and "광고 설정": the state and Env.cfg alike.
    void switchAdvertising(bool on);
    bool editAdvertisingSettings();
    void keepAdvertisingSettings() const;

    // SymbolTarget: over the SMS box's selection; the 90-byte cut follows.
    void insertSymbol(std::string_view symbol) override;

    // SavedMessageTarget
    void takeSavedMessage(const SelectedMessage& message) override;

    SendViewContext m_context;
    RefreshingNotifier m_notifier;
    FormWidgetDialogs m_dialogs;
    std::unique_ptr<EditorWindowSet> m_editors;
    QPointer<CSpecialCharDlg> m_palette;
    std::unique_ptr<SendSession> m_session;
    bool m_refreshing = false;

    SendFormControls m_ui;
    SendFormDisplay m_display;
    QProgressBar* m_progressBar = nullptr;
    QPointer<QLabel> m_encodingPane;
    BarProgress m_progress;     // imports and validation: lets the window repaint
    BarProgress m_sendProgress; // the job returns to the event loop by itself
};

} // namespace qb
