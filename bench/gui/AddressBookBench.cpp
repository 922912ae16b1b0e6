// The address book window with 100,000 entries in one group, offscreen, against
// the web application in this process: opening it (the whole book over HTTP,
// the tree, the group's list shown), ticking all by the header, sorting by name,
// and handing every entry over (the window's "입력" and the send form's table
// filled from the transfer text). The goal is a second or two for each.
// Each figure is the best of three runs.
#include "BenchSupport.h"
#include "Database.h"
#include "WebServer.h"

#include "common/Cp949.h"
#include "common/LoginState.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/CQuillbank2View.h"
#include "web/AddressBook.h"
#include "web/ui/AddressBookWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

namespace {

using namespace qb;
using namespace qb::bench;

constexpr int kEntries = 100000;

void settle(QWidget& w) {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    w.repaint();
}

// The service holding one group of 100,000 entries in random order, and a
// logged-in user.
struct Service {
    qbs::Database db{":memory:"};
    qbs::WebServer server{db};
    LoginState login;
    QuietNotifier notifier;
    WebHost host;
    std::string transfer;
    long long total = 0;

    Service() {
        login.loggedIn = true;
        login.userId = "bench";
        const std::string group = ko("고객"), customer = ko("고객");
        server.store().addGroup(login.userId, group);
        std::mt19937_64 rng(42);
        char phone[16];
        for (int i = 0; i < kEntries; ++i) {
            std::snprintf(phone, sizeof phone, "010%08llu",
                          static_cast<unsigned long long>(rng() % 100000000));
            server.store().addEntry(login.userId,
                                    {0, group, phone, customer + std::to_string(rng() % 1000000),
                                     "memo " + std::to_string(i), "2026-12-01 09:00:00"});
        }
        if (!server.start(0))
            std::abort();
        host = WebHost{"127.0.0.1", server.port(), {}};
    }
    ~Service() { server.stop(); }

    std::unique_ptr<AddressBookWindow> openWindow() {
        auto w = std::make_unique<AddressBookWindow>(login, notifier, host, transfer, total);
        w->show();
        w->model().open();
        w->refresh();
        w->tree()->setCurrentItem(w->treeItem(1));
        settle(*w);
        return w;
    }
};

Service& service() {
    static Service s;
    return s;
}

void repaint(AddressBookWindow& w) {
    w.list()->viewport()->repaint();
    w.list()->horizontalHeader()->viewport()->repaint();
}

double best(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

void BM_OpenAGroupOf100k(benchmark::State& state) {
    Service& s = service();
    for (auto _ : state) {
        auto w = s.openWindow();
        if (w->list()->model()->rowCount() != kEntries)
            state.SkipWithError("the group did not list");
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB();
}

// The book alone: both lists over HTTP and out of their JSON.
void BM_LoadTheBook100k(benchmark::State& state) {
    Service& s = service();
    WebClient web(s.login, s.notifier, s.host);
    AddressBook book(web);
    for (auto _ : state)
        book.reload();
    if (book.entries().size() != kEntries)
        state.SkipWithError("the book did not load");
}

void BM_TickAll100k(benchmark::State& state) {
    auto w = service().openWindow();
    for (auto _ : state) {
        w->headerClicked(0);
        repaint(*w);
    }
    if (w->model().table().tickedCount() != kEntries && w->model().table().tickedCount() != 0)
        state.SkipWithError("the ticks did not follow the header");
}

void BM_SortByName100k(benchmark::State& state) {
    auto w = service().openWindow();
    for (auto _ : state) {
        w->headerClicked(1);
        repaint(*w);
    }
}

// "입력" with every row ticked, then what the main window does when the window
// closes: the send form loads the transfer text into its table.
void BM_HandOver100k(benchmark::State& state) {
    Service& s = service();
    auto w = s.openWindow();
    const auto dir = std::filesystem::temp_directory_path() / "qb-address-bench";
    std::filesystem::create_directories(dir);
    QuietNotifier formNotifier;
    CQuillbank2View form(
        SendViewContext{formNotifier, s.login, s.transfer, dir.string(), ServiceConfig{}, {}, {}});
    form.resize(750, 740);
    form.show();
    settle(form);
    for (auto _ : state) {
        state.PauseTiming();
        w->model().open(); // empties the transfer text, as every opening does
        w->refresh();
        w->tree()->setCurrentItem(w->treeItem(1));
        w->model().table().tickAll(true);
        state.ResumeTiming();
        w->handOver();
        form.loadTransferredEntries(s.transfer);
        settle(form);
        if (form.grid()->model()->rowCount() != kEntries)
            state.SkipWithError("the send form did not fill");
    }
    std::filesystem::remove_all(dir);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    for (auto* b : {benchmark::RegisterBenchmark("BM_LoadTheBook100k", BM_LoadTheBook100k),
                    benchmark::RegisterBenchmark("BM_OpenAGroupOf100k", BM_OpenAGroupOf100k),
                    benchmark::RegisterBenchmark("BM_TickAll100k", BM_TickAll100k),
                    benchmark::RegisterBenchmark("BM_SortByName100k", BM_SortByName100k),
                    benchmark::RegisterBenchmark("BM_HandOver100k", BM_HandOver100k)})
        b->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(3)
            ->ComputeStatistics("best", best)
            ->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
