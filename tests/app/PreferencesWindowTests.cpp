// The preferences window: Apply only for a changed record, Apply storing it and reloading the
// open windows in the new display format, and the two style sheets.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <regex>

#include "Common/MetaTables.h"
#include "app/PreferencesWindow.h"
#include "tests/mainwindow/GridTest.h"
#include "tests/support/FixedLocale.h"

class PreferencesWindowTest : public GridTest {
  protected:
    PreferencesWindow* showPreferences() {
        app->showPreferences();
        return app->preferencesWindow();
    }
    template <typename Widget>
    Widget* control(const char* name) const {
        return app->preferencesWindow()->findChild<Widget*>(name);
    }
    bool applyEnabled() const {
        return control<QPushButton>("preferencesWindowApplyButton")->isEnabled();
    }
    // Chooses the pop-up's item of that tag as the user does.
    void choose(const char* popUp, int tag) {
        auto* box = control<QComboBox>(popUp);
        int index = box->findData(tag);
        ASSERT_GE(index, 0);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
};

TEST_F(PreferencesWindowTest, AnUntouchedOrRestoredRecordKeepsApplyDisabled) {
    PreferencesWindow* window = showPreferences();
    EXPECT_FALSE(applyEnabled());
    EXPECT_FALSE(control<QPushButton>("preferencesWindowRevertButton")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("preferencesWindowWarnOnRowDeleteButton")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("preferencesWindowFormatDataInRowsViewButton")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("preferencesWindowShowNULLInRowsViewButton")->isChecked());
    EXPECT_EQ(control<QComboBox>("preferencesWindowLookupTableRowsLimitPopUpButton")
                  ->currentData()
                  .toInt(),
              50);
    EXPECT_EQ(window->preferencesCache().lookupTableRowsLimit, 0);
    // The store holds 15 (every kind shown): unchecking and checking a kind again is no change.
    auto* views = control<QCheckBox>("preferencesWindowShowViewsButton");
    EXPECT_TRUE(views->isChecked());
    views->click();
    EXPECT_TRUE(applyEnabled());
    EXPECT_EQ(window->preferencesCache().typesToShow, 13u);
    views->click();
    EXPECT_FALSE(applyEnabled());
    // Showing the window again shows the store, not the edits.
    control<QCheckBox>("preferencesWindowShowNULLInRowsViewButton")->click();
    showPreferences();
    EXPECT_FALSE(control<QCheckBox>("preferencesWindowShowNULLInRowsViewButton")->isChecked());
    EXPECT_FALSE(applyEnabled());
}

TEST_F(PreferencesWindowTest, ApplyStoresTheRecordAndReloadsOpenWindowsInTheNewFormat) {
    FixedLocale locale("en_US", "America/New_York");
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setInteger(2, "DateTimeStorageFormat");
    defaults.setInteger(3, "TimeDisplayFormat");  // yyyy-MM-dd HH:mm:ss
    run("create table n (amount number, moment text);"
        "insert into n values (1234.5, '2021-03-05 18:30:45');" +
        DBInterface::createFieldsMetaTableSQL() +
        DBInterface::fieldRowsSQL("n", {"amount", "moment"},
                                  {DBInterface::kFieldTypeNumber, DBInterface::kFieldTypeTime},
                                  nullptr, nullptr));
    TablesAndRowsController* c = showGrid("n");
    EXPECT_EQ(shown(0, 1), "1234.5");
    EXPECT_EQ(shown(0, 2), "2021-03-05 18:30:45");  // a time without a zone is local

    showPreferences();
    choose("preferencesWindowNumberFormatPopUpButton", 3);  // decimal: the sheet opens
    QDialog* sheet = app->preferencesWindow()->numberFormatStyleWindow();
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(control<QLineEdit>("numberFormatStyleWindowMaxFractionDigitsTextField")->text(), "2");
    control<QLineEdit>("numberFormatStyleWindowMinFractionDigitsTextField")->setText("2");
    app->preferencesWindow()->numberFormatStyleWindowDoneButtonPressed();
    EXPECT_FALSE(sheet->isVisible());
    choose("preferencesWindowIfNoTimeZonePopUpButton", 1);  // UTC
    ASSERT_TRUE(applyEnabled());
    control<QPushButton>("preferencesWindowApplyButton")->click();

    EXPECT_FALSE(applyEnabled());
    EXPECT_EQ(defaults.integerForKey("NumberDisplayFormat"), 0x02020003);
    EXPECT_EQ(defaults.integerForKey("IfNoTimeZone"), 1);
    EXPECT_EQ(defaults.integerForKey("DateStorageFormat"), 2);
    EXPECT_EQ(defaults.integerForKey("TimeStorageFormat"), 2);
    EXPECT_FALSE(defaults.boolForKey("NoWarnOnRowDelete"));
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "n");
    EXPECT_EQ(shown(0, 1), "1,234.50");
    EXPECT_EQ(shown(0, 2), "2021-03-05 13:30:45");  // read as UTC, shown in New York
}

TEST_F(PreferencesWindowTest, TheDatesPopUpNamesTheFormatTheGridShows) {
    FixedLocale locale("en_US", "America/New_York");
    run("create table d (day text); insert into d values ('2021-03-05');" +
        DBInterface::createFieldsMetaTableSQL() +
        DBInterface::fieldRowsSQL("d", {"day"}, {DBInterface::kFieldTypeDate}, nullptr, nullptr));
    showGrid("d");
    // Nothing chosen yet: the grid, the example and the pop-up all say Medium.
    EXPECT_EQ(shown(0, 1), "Mar 5, 2021");
    showPreferences();
    auto* dates = control<QComboBox>("preferencesWindowDateFormatPopUpButton");
    EXPECT_EQ(dates->currentText().toStdString(), "Medium");
    const std::string example =
        control<QLabel>("preferencesWindowDateFormatExampleLabel")->text().toStdString();
    EXPECT_TRUE(std::regex_match(example, std::regex("[A-Z][a-z]{2} [0-9]{1,2}, [0-9]{4}")))
        << example;
    EXPECT_FALSE(applyEnabled());
    // Short chosen and applied is what the grid shows next.
    choose("preferencesWindowDateFormatPopUpButton", 1);
    control<QPushButton>("preferencesWindowApplyButton")->click();
    EXPECT_EQ(shown(0, 1), "3/5/21");
    showPreferences();
    EXPECT_EQ(dates->currentText().toStdString(), "Short");
}

TEST_F(PreferencesWindowTest, StyleSheetsPackTheChoiceRefuseBadDigitsAndCancelBack) {
    PreferencesWindow* window = showPreferences();
    choose("preferencesWindowTimeFormatPopUpButton", 4);
    auto* dates = control<QTableWidget>("timeFormatStyleWindowDateTableView");
    auto* times = control<QTableWidget>("timeFormatStyleWindowTimeOfDayTableView");
    dates->selectRow(2);  // Long
    times->selectRow(0);  // Short
    window->timeFormatStyleWindowDoneButtonPressed();
    EXPECT_EQ(window->preferencesCache().timeDisplayFormat, 0x01030004);
    choose("preferencesWindowTimeFormatPopUpButton", 4);
    EXPECT_EQ(dates->selectedItems().first()->row(), 2);
    EXPECT_EQ(times->selectedItems().first()->row(), 0);
    window->timeFormatStyleWindowCancelButtonPressed();
    EXPECT_EQ(window->preferencesCache().timeDisplayFormat, 0x01030004);

    choose("preferencesWindowNumberFormatPopUpButton", 6);
    auto* minimum = control<QLineEdit>("numberFormatStyleWindowMinFractionDigitsTextField");
    auto* maximum = control<QLineEdit>("numberFormatStyleWindowMaxFractionDigitsTextField");
    for (auto [low, high] :
         {std::pair<const char*, const char*>{"0", "300"}, {"-1", "2"}, {"3", "1"}}) {
        minimum->setText(low);
        maximum->setText(high);
        alerts.clear();
        window->numberFormatStyleWindowDoneButtonPressed();
        ASSERT_EQ(alerts.size(), 1u) << low << " " << high;
        EXPECT_TRUE(alerts[0].isSheet);
        EXPECT_EQ(window->preferencesCache().numberDisplayFormat, 0);
        EXPECT_TRUE(window->numberFormatStyleWindow()->isVisible());
    }
    window->numberFormatStyleWindowCancelButtonPressed();
    EXPECT_EQ(window->preferencesCache().numberDisplayFormat, 0);
    EXPECT_FALSE(window->numberFormatStyleWindow()->isVisible());
    EXPECT_EQ(control<QComboBox>("preferencesWindowNumberFormatPopUpButton")->currentData().toInt(),
              1);
}
