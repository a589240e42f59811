// The rows grid on a generated table of 10,000,000 rows, in rowid order and sorted on a Text
// and on a Number field: the time from an End key to the last page drawn before and after its
// pages are found by key, the time until they are, and then the wheel scrolling rate the grid
// sustains at the top, the middle and the end of the table, one event at a time (each page
// loaded and drawn once) and in bursts that come faster than pages load.
#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/GeneratedRowsTable.h"
#include "bench/ShellComparison.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int64_t kRows = 10000000;
constexpr int kRuns = 3;
constexpr int kBurst = 100;
constexpr double kWheelSeconds = 2.0;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Counts the grid's paints: every timed step must draw the grid exactly once, as the event loop
// does for a user, or steps would not compare with one another.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class Grid {
  public:
    Grid(RowsConsole* c) : c_(c), grid_(c->rowsTableView()) {
        grid_->viewport()->installEventFilter(&paintCounter_);
    }

    void key(Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(grid_, &press);
    }

    void wheelDown() {
        QPointF at(grid_->viewport()->rect().center());
        QWheelEvent event(at, grid_->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid_->viewport(), &event);
    }

    // The waiting page is loaded and the grid drawn once.
    void draw() {
        const int before = paintCounter_.paints;
        QApplication::processEvents();
        if (paintCounter_.paints - before != 1) {
            std::fprintf(stderr, "a step drew the grid %d times\n", paintCounter_.paints - before);
            std::exit(1);
        }
    }

    // Whatever is waiting is done, drawn or not; nothing is timed.
    void settle() { QApplication::processEvents(); }

    void endKey(const char* when) {
        double best = 1e30;
        for (int run = 0; run < kRuns; ++run) {
            key(Qt::Key_Home);
            settle();
            auto start = std::chrono::steady_clock::now();
            key(Qt::Key_End);
            draw();
            best = std::min(best, secondsSince(start));
            if (c_->dataPort()
                    .fieldValueForTableViewRowIndex(GridRow(0), kRowidFieldIndex)
                    .empty()) {
                std::exit(1);
            }
        }
        std::printf("  End key to last page drawn, %-17s %9.1f ms\n", when, best * 1e3);
    }

    void wheel(const char* where, int64_t row) {
        c_->moveDataPortToRow(RowIndex(row));
        settle();
        // One event at a time, each page loaded and drawn before the next event.
        int events = 0;
        auto start = std::chrono::steady_clock::now();
        while (secondsSince(start) < kWheelSeconds && events < 2000) {
            wheelDown();
            draw();
            ++events;
        }
        double single = secondsSince(start);
        // A burst handled as one: the moves are merged into one page.
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBurst; ++i) wheelDown();
        draw();
        double burst = secondsSince(start);
        std::printf(
            "  wheel at the %-6s  %8.1f events/s (%6.2f ms per page drawn)   burst of %d "
            "events %7.1f ms\n",
            where, events / single, single / events * 1e3, kBurst, burst * 1e3);
    }

  private:
    RowsConsole* c_;
    RowsTableView* grid_;
    PaintCounter paintCounter_;
};

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    AppDelegate& app = application.app();
    std::string db = Paths::documentsFolder() + "/rows.db";
    bench::makeRowsTable(db, kRows);
    const std::pair<const char*, int> orders[] = {
        {"rowid order", 0}, {"sorted on a Text field", 1}, {"sorted on a Number field", 3}};
    for (const auto& [order, sortCode] : orders) {
        bench::sortRowsTable(db, sortCode);
        auto shown = std::chrono::steady_clock::now();
        RowsConsole* c = bench::rowsConsole(app, bench::showRowsTable(app, db));
        std::printf("%lld rows, %s, %lld rows a page\n", static_cast<long long>(kRows), order,
                    static_cast<long long>(c->numberOfDataPortRows()));
        Grid grid(c);
        // Until the marks are in, the last page is read from the end of the order.
        grid.endKey("before the marks");
        double ready = bench::waitForPagesByKey(c, shown);
        std::printf("  pages found by key %.2f s after the window was shown\n", ready);
        grid.endKey("by key");
        grid.wheel("top", 0);
        grid.wheel("middle", kRows / 2);
        grid.wheel("end", kRows - 2 * c->numberOfDataPortRows() - 2000);
        std::printf("  RSS %.0f MB\n", bench::residentMegabytes());
    }
    return 0;
}
