#pragma once
// Drives the rows grid with real mouse and key events and reads the database back through a
// connection of its own.
#include <QApplication>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "mainwindow/rows/views/RowsTableModel.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"

class GridTest : public ControllerTest {
  protected:
    TablesAndRowsController* showGrid(const std::string& table) {
        TablesAndRowsController* c = show(table);
        grid = rowsOf(c)->rowsTableView();
        grid->window()->activateWindow();
        grid->setFocus();
        QApplication::processEvents();
        return c;
    }

    QPoint cellPoint(int row, int column) const {
        return grid->visualRect(grid->model()->index(row, column)).center();
    }
    void click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cellPoint(row, column));
    }
    void doubleClick(int row, int column) {
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                           cellPoint(row, column));
        QApplication::processEvents();
    }
    void clickHeader(int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QHeaderView* header = grid->horizontalHeader();
        int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers,
                          QPoint(x, header->height() / 2));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid, Qt::Key(key), modifiers);
    }
    // One wheel event over the middle of the grid, or of another scrolled view.
    void wheel(QPoint angle, QAbstractScrollArea* view = nullptr) {
        QWidget* viewport = (view ? view : grid)->viewport();
        QPointF at(viewport->rect().center());
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
    // The open in-place editor of the grid (or of another window's grid), nullptr when none.
    QLineEdit* editor(const RowsTableView* view = nullptr) const {
        // A closed editor is hidden at once and deleted later.
        for (QLineEdit* field : (view ? view : grid)->findChildren<QLineEdit*>()) {
            if (field->isVisible()) return field;
        }
        return nullptr;
    }
    // The editor once it has opened: an edit started by Tab or an arrow opens from the event
    // loop, later on a slow machine; nullptr when none opens within a second.
    QLineEdit* openedEditor() const {
        QDeadlineTimer deadline(1000);
        QLineEdit* field = editor();
        while (!field && !deadline.hasExpired()) {
            QTest::qWait(5);
            field = editor();
        }
        return field;
    }
    // Replaces the editor's text by typing, then ends the edit with the key.
    void typeAndEnd(const QString& text, Qt::Key key = Qt::Key_Return) {
        QLineEdit* field = openedEditor();
        ASSERT_NE(field, nullptr);
        field->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(field, Qt::Key_Delete);
        } else {
            QTest::keyClicks(field, text);
        }
        QTest::keyClick(field, key);
        QApplication::processEvents();
    }
    // Opens the cell's editor and types over its text, leaving the edit open.
    void typeInto(int row, int column, const QString& text) {
        doubleClick(row, column);
        QLineEdit* field = openedEditor();
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    QString shown(int row, int column, int role = Qt::DisplayRole) const {
        return grid->model()->data(grid->model()->index(row, column), role).toString();
    }

    // The first column of the first row of the query, read by a connection of the test's own;
    // "<null>" for NULL.
    std::string readBack(const std::string& sql) const {
        std::vector<std::string> values = directQuery(db, sql);
        return values.empty() ? "<none>" : values.front();
    }
    // Every update of table t leaves the updated rowid in table updates.
    void logUpdates() {
        run("create table updates (id integer); create trigger t_updated after update on t "
            "begin insert into updates values (old.rowid); end");
    }

    RowsTableView* grid = nullptr;
};
