// Editing a cell that holds a 5,000,004-character text in place, beside editing a cell of a short
// text in the same window (the anchor): the time from the double click to the editor drawn, the
// time each key takes until the editor is drawn again (typed characters, End, Home, Left, and a
// character typed after a click at a random point of the editor), the
// growth of the process's resident memory while the editor is open, and Return writing it. Then
// texts of 250,000 and 5,000,000 characters pasted into the short cell's editor: the paste, the
// worst key after it, the processor time while the editor stays open untouched, and Return.
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 3;
constexpr int kKeys = 20;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

QLineEdit* openEditor(RowsTableView* grid) {
    for (QLineEdit* field : grid->findChildren<QLineEdit*>()) {
        if (field->isVisible()) return field;
    }
    return nullptr;
}

struct Figures {
    double open = 1e30;
    double typed = 0;      // worst typed character
    double moves = 0;      // worst of End, Home, Left
    double clicked = 0;    // worst click at a random point and character typed there
    double megabytes = 0;  // resident growth while open
};

// Handles a key and draws the editor, as the event loop does for a user.
double timedKey(QLineEdit* field, Qt::Key key, char text = 0) {
    auto start = std::chrono::steady_clock::now();
    if (text) {
        QTest::keyClicks(field, QString(QChar(text)));
    } else {
        QTest::keyClick(field, key);
    }
    field->repaint();
    QApplication::processEvents();
    return secondsSince(start);
}

Figures measure(RowsTableView* grid, int row) {
    Figures figures;
    QPoint cell = grid->visualRect(grid->model()->index(row, 2)).center();
    for (int run = 0; run < kRuns; ++run) {
        QApplication::processEvents();
        const double before = bench::residentMegabytes();
        auto start = std::chrono::steady_clock::now();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        QLineEdit* field = openEditor(grid);
        if (!field) {
            std::fprintf(stderr, "no editor opened\n");
            std::exit(1);
        }
        field->repaint();
        QApplication::processEvents();
        figures.open = std::min(figures.open, secondsSince(start));
        double typed = 0, moves = 0;
        moves = std::max(moves, timedKey(field, Qt::Key_End));
        for (int i = 0; i < kKeys; ++i) typed = std::max(typed, timedKey(field, Qt::Key_A, 'a'));
        moves = std::max(moves, timedKey(field, Qt::Key_Home));
        for (int i = 0; i < kKeys; ++i) typed = std::max(typed, timedKey(field, Qt::Key_B, 'b'));
        moves = std::max(moves, timedKey(field, Qt::Key_Left));
        std::mt19937 random(run);
        for (int i = 0; i < kKeys; ++i) {
            auto clickStart = std::chrono::steady_clock::now();
            QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier,
                              QPoint(int(random() % field->width()), field->height() / 2));
            timedKey(field, Qt::Key_C, 'c');
            figures.clicked = std::max(figures.clicked, secondsSince(clickStart));
        }
        figures.megabytes = std::max(figures.megabytes, bench::residentMegabytes() - before);
        // Escape: nothing is written, the next run starts from the same value.
        QTest::keyClick(field, Qt::Key_Escape);
        QApplication::processEvents();
        figures.typed = std::max(figures.typed, typed);
        figures.moves = std::max(figures.moves, moves);
    }
    return figures;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct PasteFigures {
    double paste = 0;
    double worstKey = 0;
    double idleCpu = 0;  // share of a core while the editor is open and untouched
    double save = 0;
    bool exact = false;
};

// A text of length characters pasted at the end of a short cell's editor, then keys typed and
// moved over it (each timed until drawn), the editor left idle a second, and Return.
PasteFigures measurePaste(RowsTableView* grid, const std::string& db, qsizetype length) {
    PasteFigures figures;
    QString pasted;
    pasted.reserve(length);
    for (int i = 0; pasted.size() < length; ++i) pasted += QString("word%1 ").arg(i % 1000);
    pasted.truncate(length);
    QApplication::clipboard()->setText(pasted);
    QPoint cell = grid->visualRect(grid->model()->index(0, 2)).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QLineEdit* field = openEditor(grid);
    if (!field) std::exit(1);
    timedKey(field, Qt::Key_End);
    auto start = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    field->repaint();
    QApplication::processEvents();
    figures.paste = secondsSince(start);
    // A second of the event loop with nothing to do but the cursor's blink.
    const double idleStart = cpuSeconds();
    auto idleWall = std::chrono::steady_clock::now();
    QEventLoop idle;
    QTimer::singleShot(1000, &idle, &QEventLoop::quit);
    idle.exec();
    figures.idleCpu = (cpuSeconds() - idleStart) / secondsSince(idleWall);
    for (int i = 0; i < kKeys; ++i) {
        figures.worstKey = std::max(figures.worstKey, timedKey(field, Qt::Key_A, 'a'));
    }
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_Left, Qt::Key_Right, Qt::Key_End}) {
        figures.worstKey = std::max(figures.worstKey, timedKey(field, key));
    }
    start = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    figures.save = secondsSince(start);
    const std::string expected =
        "a short text" + pasted.toStdString() + std::string(size_t(kKeys), 'a');
    std::vector<std::string> stored;
    std::string error;
    DBInterface::getRows(&stored, "select body from t where rowid = 1", db, &error);
    figures.exact = stored.size() == 1 && stored.front() == expected;
    DBInterface::execCommandString("update t set body = 'a short text' where rowid = 1", db,
                                   &error);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    const std::string db = Paths::documentsFolder() + "/long.db";
    std::string error;
    if (DBInterface::execMultipleQueryString("create table t (name text, body text);"
                                             "insert into t values ('short', 'a short text'), "
                                             "('long', printf('%.5000000c', 'z') || 'tail');",
                                             nullptr, nullptr, db, &error,
                                             DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        return 1;
    }
    TablesAndRowsController* c = bench::showRowsTable(application.app(), db);
    QApplication::processEvents();
    RowsTableView* grid = bench::rowsConsole(application.app(), c)->rowsTableView();
    grid->window()->activateWindow();
    grid->setFocus();
    QApplication::processEvents();

    const Figures small = measure(grid, 0);
    const Figures large = measure(grid, 1);
    std::printf("in-place editor, load %s, process RSS %.0f MB\n", bench::loadAverage().c_str(),
                bench::residentMegabytes());
    std::printf("  %-30s %12s %12s %10s\n", "", "short text", "5,000,004", "long/short");
    auto row = [](const char* what, double s, double l) {
        std::printf("  %-30s %9.2f ms %9.2f ms %10.1f\n", what, s * 1e3, l * 1e3, l / s);
    };
    row("open, best of 3", small.open, large.open);
    row("typed character, worst", small.typed, large.typed);
    row("End/Home/Left, worst", small.moves, large.moves);
    row("click and type, worst", small.clicked, large.clicked);
    std::printf("  %-30s %9.1f MB %9.1f MB\n", "RSS growth while open", small.megabytes,
                large.megabytes);

    // A small edit at the end is written whole.
    QPoint cell = grid->visualRect(grid->model()->index(1, 2)).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QLineEdit* field = openEditor(grid);
    if (!field) return 1;
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, "!");
    auto start = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    const double save = secondsSince(start);
    const double written = bench::residentMegabytes();
    std::printf("  %-30s %12s %9.2f ms\n", "Return writing it", "", save * 1e3);
    std::printf("  %-30s %12s %9.0f MB\n", "process RSS after writing", "", written);

    std::printf("pasted into the short cell's editor\n");
    std::printf("  %-12s %12s %14s %12s %12s %6s\n", "characters", "paste", "worst key", "idle cpu",
                "Return", "exact");
    for (qsizetype length : {qsizetype(250000), qsizetype(5000000)}) {
        c->reloadSelectedDatabaseObject();
        QApplication::processEvents();
        const PasteFigures f = measurePaste(grid, db, length);
        std::printf("  %-12lld %9.2f ms %11.2f ms %11.0f %% %9.2f ms %6s\n",
                    static_cast<long long>(length), f.paste * 1e3, f.worstKey * 1e3,
                    f.idleCpu * 100, f.save * 1e3, f.exact ? "yes" : "NO");
    }
    return 0;
}
