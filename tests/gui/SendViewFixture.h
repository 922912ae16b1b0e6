#pragma once

#include "common/Cp949.h"
#include "common/LoginState.h"
#include "common/SendTypes.h"
#include "send/ui/CQuillbank2View.h"
#include "support/RecordingNotifier.h"
#include "support/ServiceHarness.h"

#include "GuiTestSupport.h"

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <ostream>

// Readable failures for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qb::test {

// Records every box and, while it is shown, runs `onShow` (to look at the
// window behind it).
class ShowingRecorder : public RecordingNotifier {
public:
    std::function<void()> onShow;
    void show(const std::string& text, MessageIcon icon, const std::string& caption) override {
        if (onShow)
            onShow();
        RecordingNotifier::show(text, icon, caption);
    }
};

// Types the text key by key as a user would, characters beyond ASCII included;
// a line break is the Enter key.
void typeInto(QWidget* widget, const QString& text);

// The send form on its own, against qb-service on loopback, with a user logged
// in as far as the web application is concerned and every message recorded.
struct SendViewFixture {
    ServiceHarness service;
    ShowingRecorder notifier;
    LoginState login;
    std::string transferText;
    std::vector<long long> rejectTotals;
    std::unique_ptr<CQuillbank2View> view;

    explicit SendViewFixture(bool loggedIn = true);

    qbs::WebStore& store() { return service.service().webServer().store(); }
    SendFormState& state() { return view->form().state(); }
    // What the last preview produced; an empty batch when there is none.
    const SendBatch& batch() const {
        static const SendBatch none;
        return view->form().prepared() ? *view->form().prepared() : none;
    }
    template <typename W = QWidget> W* find(const char* name) const { return view->findChild<W*>(name); }
    void click(const char* button) const;
    // Chooses item `index` of a combo box as the user would.
    void choose(const char* combo, int index) const;
    std::string cell(int row, int column) const; // UTF-8, table coordinates
    std::vector<std::string> texts() const { return notifier.texts(); }
};

// The records the form's last preview queued.
inline std::size_t queued(const SendForm& form) {
    return form.prepared() ? form.prepared()->queue.size() : 0;
}

} // namespace qb::test
