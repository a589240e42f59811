// A text of 5,000,004 characters (or as many as given) without a space beside a short text in the
// same window (the anchor): the time from the key to the edit-field panel and the expanded-fields
// panel drawn with the value, in the edit-field panel the worst of Ctrl+End and the keys typed
// there and the time to the view scrolled to the text's start by its scroll bar, and in the
// record editor the time to the row drawn, the worst key
// (typed characters, End, Home) until the field is drawn again, and the growth of the process's
// resident memory while the editor is open.
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/views/CellTextField.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 3;
constexpr int kKeys = 10;

template <typename Action>
double timed(Action action) {
    auto start = std::chrono::steady_clock::now();
    action();
    QApplication::processEvents();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Figures {
    double editPanel = 1e30;
    double expandedPanel = 1e30;
    double panelKey = 0;     // worst key in the edit-field panel
    double panelScroll = 0;  // worst scroll to the start
    double recordRow = 1e30;
    double recordKey = 0;  // worst key
    double megabytes = 0;  // resident growth while the record editor is open
};

class Bench {
  public:
    Bench(AppDelegate& app, TablesAndRowsController* c, bool recordOnly)
        : c_(c),
          parts_(bench::partsOf(app, c)),
          grid_(parts_.rows.rowsTableView()),
          recordOnly_(recordOnly) {}

    Figures measure(int row) {
        Figures figures;
        for (int run = 0; run < kRuns; ++run) {
            focus(row);
            if (recordOnly_) {
                measureRecordEditor(figures);
                continue;
            }
            figures.editPanel =
                std::min(figures.editPanel, timed([&] {
                             QTest::keyClick(grid_, Qt::Key_Return, Qt::ControlModifier);
                             parts_.editField.textView()->repaint();
                         }));
            measurePanelKeys(figures);
            parts_.editField.closeEditFieldPanel();
            figures.expandedPanel =
                std::min(figures.expandedPanel, timed([&] {
                             parts_.expandedFields.showExpandedFieldsPanel(true);
                             parts_.expandedFields.expandedFieldsPanelTextView()->repaint();
                         }));
            parts_.expandedFields.showExpandedFieldsPanel(false);
            QApplication::processEvents();
            measureRecordEditor(figures);
        }
        return figures;
    }

  private:
    void focus(int row) {
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid_->visualRect(grid_->model()->index(row, 2)).center());
        QApplication::processEvents();
    }

    void measurePanelKeys(Figures& figures) {
        WindowedTextView* view = parts_.editField.textView();
        auto key = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
            figures.panelKey =
                std::max(figures.panelKey, timed([&] {
                             QTest::sendKeyEvent(QTest::Click, view, key, text, modifiers);
                             view->repaint();
                         }));
        };
        key(Qt::Key_End, Qt::ControlModifier, {});
        for (int i = 0; i < kKeys; ++i) key(Qt::Key_A, Qt::NoModifier, "a");
        // Taken back, so that the next run shows the value as stored.
        for (int i = 0; i < kKeys; ++i) QTest::keyClick(view, Qt::Key_Backspace);
        // Scrolled back to the start as a drag of the scroll bar's thumb would.
        QScrollBar* bar = view->holdsPart() ? view->wholeScrollBar() : view->verticalScrollBar();
        figures.panelScroll = std::max(figures.panelScroll, timed([&] {
                                           bar->triggerAction(QScrollBar::SliderToMinimum);
                                           view->repaint();
                                       }));
    }

    void measureRecordEditor(Figures& figures) {
        const double before = bench::residentMegabytes();
        figures.recordRow = std::min(figures.recordRow, timed([&] {
                                         QTest::keyClick(grid_, Qt::Key_Return, Qt::AltModifier);
                                         c_->view()->repaint();
                                     }));
        RecordConsole& record = parts_.record;
        CellTextField* body = record.valueField(FieldIndex(2));
        body->setFocus();
        auto key = [&](Qt::Key key, const QString& text) {
            figures.recordKey =
                std::max(figures.recordKey, timed([&] {
                             QTest::sendKeyEvent(QTest::Click, body, key, text, Qt::NoModifier);
                             body->repaint();
                         }));
        };
        key(Qt::Key_End, {});
        for (int i = 0; i < kKeys; ++i) key(Qt::Key_A, "a");
        key(Qt::Key_Home, {});
        for (int i = 0; i < kKeys; ++i) key(Qt::Key_B, "b");
        figures.megabytes = std::max(figures.megabytes, bench::residentMegabytes() - before);
        record.revertRowButtonPressed();
        c_->selectConsole(TablesAndRowsState::RowsConsole);
        QApplication::processEvents();
    }

    TablesAndRowsController* c_;
    WindowParts& parts_;
    RowsTableView* grid_;
    bool recordOnly_;
};

}  // namespace

int main(int argc, char** argv) {
    // The long value's length: 5,000,004 characters unless given.
    const long characters = argc > 1 ? std::atol(argv[1]) : 5000004;
    bench::OffscreenApplication application(argc, argv);
    const std::string db = Paths::documentsFolder() + "/long.db";
    std::string error;
    if (DBInterface::execMultipleQueryString(
            "create table varnelo_db_fields (table_name, name, number, type, flags);"
            "insert into varnelo_db_fields values ('t', 'body', 2, 1, 256);"
            "create table t (name text, body text);"
            "insert into t values ('short', 'a short text'), "
            "('long', printf('%.' || " +
                std::to_string(characters - 4) + " || 'c', 'B') || 'tail');",
            nullptr, nullptr, db, &error, DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        return 1;
    }
    TablesAndRowsController* c = bench::showRowsTable(application.app(), db);
    QApplication::processEvents();
    // "record" after the length: the record editor alone.
    Bench bench(application.app(), c, argc > 2 && std::string(argv[2]) == "record");
    const Figures small = bench.measure(0);
    const Figures large = bench.measure(1);
    std::printf("long value panels and record editor, load %s, process RSS %.0f MB\n",
                bench::loadAverage().c_str(), bench::residentMegabytes());
    std::printf("  %-34s %12s %12s %10s\n", "", "short text", std::to_string(characters).c_str(),
                "long/short");
    auto row = [](const char* what, double s, double l) {
        std::printf("  %-34s %9.2f ms %9.2f ms %10.1f\n", what, s * 1e3, l * 1e3, l / s);
    };
    if (small.editPanel < 1e30) {
        row("edit-field panel shown, best", small.editPanel, large.editPanel);
        row("expanded-fields panel shown, best", small.expandedPanel, large.expandedPanel);
        row("edit-field panel key, worst", small.panelKey, large.panelKey);
        row("edit-field panel scroll to start", small.panelScroll, large.panelScroll);
    }
    row("record editor row shown, best", small.recordRow, large.recordRow);
    row("record editor key, worst", small.recordKey, large.recordKey);
    std::printf("  %-34s %9.1f MB %9.1f MB   (value %.1f MB)\n", "RSS growth, record editor open",
                small.megabytes, large.megabytes, characters / 1e6);
    return 0;
}
