#pragma once

#include "common/Clock.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "send/SendForm.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/TestClock.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qb::test {

// Answers the form's dialogs from a script; an unscripted dialog is cancelled.
class ScriptedDialogs : public FormDialogHost {
public:
    std::deque<std::optional<std::vector<std::string>>> textFiles;
    std::deque<std::optional<std::string>> workbooks;
    std::deque<std::optional<int>> sheets;
    std::vector<std::string> initialNames; // what each file dialog was offered
    std::vector<std::string> sheetListShown;

    std::optional<std::vector<std::string>> chooseTextFiles(const std::string& initialName) override {
        initialNames.push_back(initialName);
        return take(textFiles);
    }
    std::optional<std::string> chooseWorkbook(const std::string& initialName) override {
        initialNames.push_back(initialName);
        return take(workbooks);
    }
    std::optional<int> chooseSheet(const std::vector<std::string>& names) override {
        sheetListShown = names;
        return take(sheets);
    }

private:
    template <typename T> static T take(std::deque<T>& q) {
        T v{};
        if (!q.empty()) {
            v = std::move(q.front());
            q.pop_front();
        }
        return v;
    }
};

// Editor windows that are open or closed as a test says.
class FakeEditors : public EditorWindowHost {
public:
    std::optional<EditorContent> lms, mms;
    std::vector<std::string> calls;

    std::optional<EditorContent> lmsEditor() const override { return lms; }
    std::optional<EditorContent> mmsWindow() const override { return mms; }
    void showLmsEditor() override { calls.push_back("showLms"); }
    void showMmsWindow() override { calls.push_back("showMms"); }
    void closeLmsEditor() override { calls.push_back("closeLms"); }
    void closeMmsWindow() override { calls.push_back("closeMms"); }
    void openLmsWith(const std::string& body) override {
        calls.push_back("openLms");
        lms = EditorContent{};
        lms->body = body;
        lms->bodyTouched = true;
    }
    void replaceBody(MessageKind kind, const std::string& body) override {
        std::optional<EditorContent>& editor = kind == MessageKind::Lms ? lms : mms;
        if (editor) {
            editor->body = body;
            editor->bodyTouched = true;
        }
    }
};

class RecordingProgress : public Progress {
public:
    std::int64_t minimum = 0, maximum = 0, value = -1;
    std::vector<std::int64_t> ranges; // maxima in order
    void setRange(std::int64_t lo, std::int64_t hi) override {
        minimum = lo;
        maximum = hi;
        ranges.push_back(hi);
    }
    void setValue(std::int64_t v) override { value = v; }
};

// A send form with everything it talks to, in a fresh working folder.
struct FormFixture {
    TempDir dir;
    RecordingNotifier notifier;
    RecordingProgress progress;
    LoginState login;
    ScriptedDialogs dialogs;
    FakeEditors editors;
    SendForm form{notifier, progress, login, RejectTable::inWorkingFolder(dir.path()), dialogs, editors};

    SendFormState& state() { return form.state(); }
    // What the last preview produced; an empty batch when there is none.
    const SendBatch& batch() const {
        static const SendBatch none;
        return form.prepared() ? *form.prepared() : none;
    }
    // Cell text as UTF-8.
    std::string cell(int row, int column) const {
        return cp949::toUtf8(form.state().table.text(row, column));
    }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> out;
        for (int r = 1; r < form.state().table.rowCount(); ++r)
            out.push_back(cell(r, c));
        return out;
    }
    std::vector<std::string> headers() const {
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(form.state().table.columnCount()));
        for (int c = 0; c < form.state().table.columnCount(); ++c)
            out.push_back(cell(0, c));
        return out;
    }
    // Loads numbers (and optional merge columns) through direct entry or transfer.
    void loadRows(const std::vector<std::vector<std::string>>& rows);
    // One number a row.
    void loadNumbers(const std::vector<std::string>& numbers);
    // `count` rows numbered from 01010000000.
    void loadNumbered(int count);
    // A ready SMS form: number column 1, callback, message.
    void prepareSms(const std::string& utf8Message);
    void writeRejectIni(const std::vector<std::string>& values);
    // One reject list, rej.txt, holding `content`.
    void useRejectFile(const std::string& content);
    // "광고" on or off, with the settings of 홍길동상회.
    void advertise(bool on = true);
};

inline void FormFixture::loadRows(const std::vector<std::vector<std::string>>& rows) {
    std::string text;
    for (const auto& r : rows) {
        for (std::size_t i = 0; i < r.size(); ++i) {
            if (i)
                text += '\x04';
            text += ko(r[i]);
        }
        text += '\x02';
    }
    form.loadTransferredEntries(text);
}

inline void FormFixture::loadNumbers(const std::vector<std::string>& numbers) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(numbers.size());
    for (const std::string& n : numbers)
        rows.push_back({n});
    loadRows(rows);
}

inline void FormFixture::loadNumbered(int count) {
    std::vector<std::string> numbers;
    numbers.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        numbers.push_back("010" + std::to_string(10000000 + i));
    loadNumbers(numbers);
}

inline void FormFixture::prepareSms(const std::string& utf8Message) {
    state().numberColumn.select(1);
    form.onNumberColumnChanged();
    state().callbackList.fill({"0212345678"});
    form.onMessageEdited(ko(utf8Message));
}

inline void FormFixture::writeRejectIni(const std::vector<std::string>& values) {
    std::string ini = "[Reject]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        ini += rejectKey(static_cast<int>(i) + 1) + "=" + values[i] + "\r\n";
    dir.write("msg/RAZIDODU.ini", ini);
}

inline void FormFixture::useRejectFile(const std::string& content) {
    writeRejectIni({"TRUE,rej.txt," + dir.write("rej.txt", content)});
}

inline void FormFixture::advertise(bool on) {
    state().advertising = on;
    state().adName = ko("홍길동상회");
    state().adOptOut = "0801234567";
}

} // namespace qb::test
