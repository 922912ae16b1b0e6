// The send form with a million recipients, offscreen: the grid made and shown
// over a loaded table, the whole "텍스트화일" load as the user starts it (file,
// table, model, view), the preview of all of them, and a jump to the last row.
// The process's peak memory is reported with each; the goals are under 2 s and
// under 1 GiB. And ten million recipients in one run (BM_Form10M).
#include "BenchSupport.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "common/ui/FileDialog.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/CQuillbank2View.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

using namespace qb;
using namespace qb::bench;

constexpr int kRows = 1000000;

struct Data {
    std::string dir;
    std::string recipients; // number,name,memo: what a user's export looks like

    explicit Data(int rows = kRows) {
        char templ[] = "/tmp/qbguibench.XXXXXX";
        dir = mkdtemp(templ);
        recipients = dir + "/recipients.txt";
        std::mt19937_64 rng(42);
        std::ofstream r(recipients, std::ios::binary);
        const std::string customer = ko("고객");
        char buf[16];
        for (int i = 0; i < rows; ++i) {
            std::snprintf(buf, sizeof buf, "010%08llu", static_cast<unsigned long long>(rng() % 100000000));
            r << buf << ',' << customer << i << ",memo" << i % 1000 << '\n';
        }
    }
    ~Data() { std::filesystem::remove_all(dir); }
};

Data& data() {
    static Data d;
    return d;
}

void settle(QWidget& w) {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    w.repaint();
}

void fillTable(RecipientTable& t) {
    t.clear();
    t.setRowCount(kRows + 1);
    t.setColumnCount(11);
    t.setCell(0, 0, ko(" 번 호 "));
    for (int c = 1; c <= 10; ++c)
        t.setCell(0, c, std::to_string(c) + ko(" 열"));
    const std::string name = ko("고객");
    t.reserveText(static_cast<std::size_t>(kRows) * 40);
    for (int r = 1; r <= kRows; ++r) {
        const std::string n = std::to_string(r), number = "010" + std::to_string(10000000 + r),
                          who = name + n;
        const std::array<std::string_view, 4> cells{n, number, who, "memo"};
        t.setRow(r, cells);
    }
}

void BM_GridCreateAndShow1M(benchmark::State& state) {
    RecipientTable table;
    fillTable(table);
    for (auto _ : state) {
        auto grid = std::make_unique<CGridCtrl>(table);
        grid->resize(738, 300);
        grid->show();
        settle(*grid);
        benchmark::DoNotOptimize(grid->model()->rowCount());
        state.PauseTiming();
        grid.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_GridCreateAndShow1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

struct FormHost {
    QuietNotifier notifier;
    LoginState login;
    std::string transfer;
    std::unique_ptr<CQuillbank2View> view;

    const Data& files;

    explicit FormHost(const Data& d = data()) : files(d) {
        view = std::make_unique<CQuillbank2View>(
            SendViewContext{notifier, login, transfer, d.dir, ServiceConfig{}, {}, {}});
        view->resize(750, 740);
        view->show();
        settle(*view);
        // Column mode with a comma.
        auto* delimiters = view->findChild<QComboBox*>("delimiterList");
        delimiters->setCurrentIndex(1);
        emit delimiters->activated(1);
    }
    void load() {
        FileDialog::setNextFileName(QString::fromStdString(files.recipients));
        view->findChild<QPushButton*>("textFile")->click();
        settle(*view);
    }
};

// The number column, a callback number and a message chosen, as before a preview.
SendForm& readyToPreview(FormHost& host) {
    SendForm& form = host.view->form();
    form.state().numberColumn.select(1);
    form.onNumberColumnChanged();
    form.onCallbackEdited("0212345678");
    form.onMessageEdited(ko("안녕하세요"));
    host.view->refresh();
    return form;
}

void BM_FormTextFileLoad1M(benchmark::State& state) {
    data();
    FormHost host;
    for (auto _ : state) {
        host.load();
        benchmark::DoNotOptimize(host.view->grid()->model()->rowCount());
        if (host.view->grid()->model()->rowCount() != kRows)
            state.SkipWithError("the table did not load");
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_FormTextFileLoad1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_FormPreview1M(benchmark::State& state) {
    data();
    FormHost host;
    for (auto _ : state) {
        state.PauseTiming();
        host.load();
        SendForm& form = readyToPreview(host);
        state.ResumeTiming();
        host.view->findChild<QPushButton*>("preview")->click();
        settle(*host.view);
        if (!form.prepared() || form.prepared()->queue.empty())
            state.SkipWithError("nothing was queued");
    }
    const SendBatch* batch = host.view->form().prepared();
    state.counters["queued"] = batch ? static_cast<double>(batch->queue.size()) : 0.0;
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_FormPreview1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_GridJumpToLastRow1M(benchmark::State& state) {
    data();
    FormHost host;
    host.load();
    QScrollBar* bar = host.view->grid()->verticalScrollBar();
    bool bottom = false;
    for (auto _ : state) {
        bottom = !bottom;
        bar->setValue(bottom ? bar->maximum() : 0);
        host.view->grid()->viewport()->repaint();
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_GridJumpToLastRow1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Ten million recipients, as one job may hold: the "텍스트화일" load, a jump to the
// last row and back, a scroll through a stretch in the middle a page at a time,
// and the preview of them all. One run, each step timed alone; the goal is that
// no step a user waits on in the grid takes longer than a frame (16 ms).
constexpr int kRows10M = 10000000;

double residentMiB() {
    return static_cast<double>(residentKiB()) / 1024;
}

double msSince(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

void BM_Form10M(benchmark::State& state) {
    static const Data big(kRows10M);
    for (auto _ : state) {
        FormHost host(big);
        CGridCtrl* grid = host.view->grid();
        QScrollBar* bar = grid->verticalScrollBar();

        state.counters["empty_MiB"] = residentMiB();
        auto start = std::chrono::steady_clock::now();
        host.load();
        state.counters["load_ms"] = msSince(start);
        state.counters["load_peak_MiB"] = peakMiB();
        state.counters["loaded_MiB"] = residentMiB();
        const RecipientTable& table = host.view->form().state().table;
        state.counters["table_MiB"] =
            static_cast<double>(table.arenaBytes() + static_cast<std::size_t>(table.rowCount()) * 8) /
            (1 << 20);
        if (grid->model()->rowCount() != kRows10M)
            state.SkipWithError("the table did not load");

        // The scroll bar's ends, then Ctrl+End and Ctrl+Home as a user presses them,
        // then a click on the last row's number, which selects the whole row.
        double jump = 0;
        const auto timed = [&](auto&& step) {
            const auto from = std::chrono::steady_clock::now();
            step();
            grid->viewport()->repaint();
            jump = std::max(jump, msSince(from));
        };
        for (int i = 0; i < 10; ++i)
            timed([&] { bar->setValue(i % 2 == 0 ? bar->maximum() : 0); });
        for (int i = 0; i < 10; ++i)
            timed([&] {
                QKeyEvent key(QEvent::KeyPress, i % 2 == 0 ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
                QApplication::sendEvent(grid, &key);
            });
        timed([&] { bar->setValue(bar->maximum()); });
        const int lastY = grid->rowViewportPosition(kRows10M - 1) + 2;
        timed([&] {
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(
                    type, QPointF(4, lastY), grid->viewport()->mapToGlobal(QPointF(4, lastY)), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(grid->viewport(), &click);
            }
        });
        state.counters["jump_worst_ms"] = jump;
        const CellRange picked = grid->selectedRange();
        if (lastY < 0 || picked.minRow != kRows10M || picked.maxRow != kRows10M)
            state.SkipWithError("the last row was not reached");

        double scroll = 0;
        bar->setValue(bar->maximum() / 2);
        for (int i = 0; i < 100; ++i) {
            start = std::chrono::steady_clock::now();
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            grid->viewport()->repaint();
            scroll = std::max(scroll, msSince(start));
        }
        state.counters["scroll_worst_ms"] = scroll;

        SendForm& form = readyToPreview(host);
        start = std::chrono::steady_clock::now();
        host.view->findChild<QPushButton*>("preview")->click();
        settle(*host.view);
        state.counters["preview_ms"] = msSince(start);
        const SendBatch* batch = form.prepared();
        state.counters["queued"] = batch ? static_cast<double>(batch->queue.size()) : 0.0;
        if (!batch || batch->queue.empty())
            state.SkipWithError("nothing was queued");
        state.counters["peak_MiB"] = peakMiB();
    }
}
BENCHMARK(BM_Form10M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
