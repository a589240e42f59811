// A text of 5,000,004 characters (or as many as given) without a space beside a short text in the
// same window (the anchor): the time from the key to the edit-field panel and the expanded-fields
// panel drawn with the value, in the edit-field panel the worst of Ctrl+End and the keys typed
// there and the time to the view scrolled to the text's start by its scroll bar, and in the
// record editor and the grid's cell editor the time to the value shown, the worst key (typed
// characters, End, Home) until the field is drawn again, and the growth of the process's resident
// memory while the editor is open.
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
#include "mainwindow/textwindow/CellTextField.h"
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

// An editor of the value: the time until it shows it (best), its worst key, and the growth of the
// resident memory while it is open (largest).
struct EditorFigures {
    double shown = 1e30;
    double key = 0;
    double megabytes = 0;
};

struct Figures {
    double editPanel = 1e30;
    double expandedPanel = 1e30;
    double panelKey = 0;     // worst key in the edit-field panel
    double panelScroll = 0;  // worst scroll to the start
    EditorFigures record;
    EditorFigures cell;
};

class Bench {
  public:
    // Which editors are measured: all, or only the one named.
    enum class Only { None, Record, Cell };

    Bench(AppDelegate& app, TablesAndRowsController* c, Only only)
        : c_(c), parts_(bench::partsOf(app, c)), grid_(parts_.rows.rowsTableView()), only_(only) {}

    Figures measure(int row) {
        Figures figures;
        for (int run = 0; run < kRuns; ++run) {
            focus(row);
            if (only_ != Only::None) {
                if (only_ == Only::Record) measureRecordEditor(figures.record);
                if (only_ == Only::Cell) measureCellEditor(figures.cell);
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
            measureRecordEditor(figures.record);
            focus(row);
            measureCellEditor(figures.cell);
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

    // End, typed characters, Home and typed characters in the editor, each key timed until the
    // editor is drawn again.
    static void typeKeys(QLineEdit* editor, EditorFigures& figures) {
        editor->setFocus();
        auto key = [&](Qt::Key key, const QString& text) {
            figures.key =
                std::max(figures.key, timed([&] {
                             QTest::sendKeyEvent(QTest::Click, editor, key, text, Qt::NoModifier);
                             editor->repaint();
                         }));
        };
        key(Qt::Key_End, {});
        for (int i = 0; i < kKeys; ++i) key(Qt::Key_A, "a");
        key(Qt::Key_Home, {});
        for (int i = 0; i < kKeys; ++i) key(Qt::Key_B, "b");
    }

    void measureRecordEditor(EditorFigures& figures) {
        const double before = bench::residentMegabytes();
        figures.shown = std::min(figures.shown, timed([&] {
                                     QTest::keyClick(grid_, Qt::Key_Return, Qt::AltModifier);
                                     c_->view()->repaint();
                                 }));
        RecordConsole& record = parts_.record;
        typeKeys(record.valueField(FieldIndex(2)), figures);
        figures.megabytes = std::max(figures.megabytes, bench::residentMegabytes() - before);
        record.revertRowButtonPressed();
        c_->selectConsole(TablesAndRowsState::RowsConsole);
        QApplication::processEvents();
    }

    // Return on the focused cell; Escape closes the editor without a write.
    void measureCellEditor(EditorFigures& figures) {
        const double before = bench::residentMegabytes();
        QWidget* editor = nullptr;
        figures.shown = std::min(figures.shown, timed([&] {
                                     QTest::keyClick(grid_, Qt::Key_Return);
                                     editor = parts_.rows.cellEditor();
                                     if (editor) editor->repaint();
                                 }));
        auto* field = qobject_cast<QLineEdit*>(editor);
        if (!field) {
            std::fprintf(stderr, "the cell editor did not open\n");
            std::exit(1);
        }
        typeKeys(field, figures);
        figures.megabytes = std::max(figures.megabytes, bench::residentMegabytes() - before);
        QTest::keyClick(field, Qt::Key_Escape);
        // The closed editor goes, as it does once the event loop runs again.
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TablesAndRowsController* c_;
    WindowParts& parts_;
    RowsTableView* grid_;
    Only only_;
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
    // "record" or "cell" after the length: that editor alone.
    const std::string only = argc > 2 ? argv[2] : std::string();
    Bench bench(application.app(), c,
                only == "record" ? Bench::Only::Record
                : only == "cell" ? Bench::Only::Cell
                                 : Bench::Only::None);
    const Figures small = bench.measure(0);
    const Figures large = bench.measure(1);
    std::printf("long value panels and editors, load %s, process RSS %.0f MB\n",
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
    // The growth as a multiple of the value's size, both in bytes.
    auto editor = [&](const char* name, const EditorFigures& s, const EditorFigures& l) {
        if (l.shown >= 1e30) return;
        row((std::string(name) + " value shown, best").c_str(), s.shown, l.shown);
        row((std::string(name) + " key, worst").c_str(), s.key, l.key);
        std::printf("  %-34s %9.1f MB %9.1f MB %9.2fx value\n",
                    (std::string(name) + " open, RSS growth").c_str(), s.megabytes, l.megabytes,
                    l.megabytes * 1024 * 1024 / double(characters));
    };
    editor("record editor", small.record, large.record);
    editor("cell editor", small.cell, large.cell);
    return 0;
}
