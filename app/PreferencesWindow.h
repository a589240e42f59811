#pragma once
// The preferences window: a list of four panes beside the pane shown, editing the preferences
// record; Apply writes it to the defaults store and has every visible database window reload,
// Revert reads the store again. Two sheets choose the custom time and number display styles.
#include <QDialog>
#include <QWidget>

#include <array>
#include <functional>

#include "app/PreferencesRecord.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableWidget;

class PreferencesWindow : public QWidget {
    Q_OBJECT

  public:
    // applied runs after Apply has stored the record.
    PreferencesWindow(const QStringList& paneNames, std::function<void()> applied);

    // Reads the store and shows the window in front.
    void showPreferences();

    void loadPreferencesCacheFromDefaults();
    void storePreferencesCacheToDefaults();
    void updatePreferencesWindow();
    void updatePreferencesWindowApplyButton();
    void updatePreferencesWindowDisplayFormatExamples();
    // Shows pane 0-3 (General, Tables List, Field Display, Field Storage); others change nothing.
    void updatePreferencesWindowRightSide(int pane);

    const PreferencesRecord& preferencesCache() const { return preferencesCache_; }

    QDialog* timeFormatStyleWindow() const { return timeFormatStyleWindow_; }
    QDialog* numberFormatStyleWindow() const { return numberFormatStyleWindow_; }

  public slots:
    void toggleAppSetting(QAbstractButton* sender);
    void preferencesWindowDatesAndTimesIfNoTimeZonePopupValueChanged();
    void preferencesWindowDateStorageFormatPopupValueChanged();
    void preferencesWindowTimeStorageFormatPopupValueChanged();
    void preferencesWindowLimitsLookupTableRowsPopupValueChanged();
    void preferencesWindowDateDisplayFormatPopupValueChanged();
    void preferencesWindowTimeDisplayFormatPopupValueChanged();
    void preferencesWindowNumberDisplayFormatPopupValueChanged();
    void preferencesWindowApplyButtonPressed();
    void preferencesWindowRevertButtonPressed();
    void timeFormatStyleWindowDoneButtonPressed();
    void timeFormatStyleWindowCancelButtonPressed();
    void numberFormatStyleWindowDoneButtonPressed();
    void numberFormatStyleWindowCancelButtonPressed();

  private:
    QWidget* makeGeneralPane();
    QWidget* makeTablesListPane();
    QWidget* makeFieldDisplayPane();
    QWidget* makeFieldStoragePane();
    void makeTimeFormatStyleWindow();
    void makeNumberFormatStyleWindow();
    QCheckBox* addCheckBox(QWidget* pane, const char* name, const char* title);
    QComboBox* addPopUp(QWidget* pane, const char* name, const char* title,
                        const std::vector<std::pair<const char*, int>>& items);
    void selectIndexIfInRange(QComboBox* popUp, int64_t index);
    void selectTag(QComboBox* popUp, int64_t tag);
    void openTimeFormatStyleWindow();
    void openNumberFormatStyleWindow(int styleType);

    std::function<void()> applied_;
    PreferencesRecord preferencesCache_;
    PreferencesRecord oldPreferencesCache_;

    QListWidget* preferencesWindowTableView_ = nullptr;
    QStackedWidget* rightSideBox_ = nullptr;
    std::array<QCheckBox*, 4> typeButtons_{};  // tables, views, indexes, triggers
    QCheckBox* showSystemTablesButton_ = nullptr;
    QCheckBox* warnOnRowDeleteButton_ = nullptr;
    QCheckBox* formatDataInRowsViewButton_ = nullptr;
    QCheckBox* showNULLInRowsViewButton_ = nullptr;
    QCheckBox* autoRefreshAllWindowsButton_ = nullptr;
    QCheckBox* foreignKeyConstraintsButton_ = nullptr;
    QComboBox* lookupTableRowsLimitPopUp_ = nullptr;
    QComboBox* ifNoTimeZonePopUp_ = nullptr;
    QComboBox* dateStorageFormatPopUp_ = nullptr;
    QComboBox* timeStorageFormatPopUp_ = nullptr;
    QComboBox* dateFormatPopUp_ = nullptr;
    QComboBox* timeFormatPopUp_ = nullptr;
    QComboBox* numberFormatPopUp_ = nullptr;
    QLabel* dateFormatExampleLabel_ = nullptr;
    QLabel* timeFormatExampleLabel_ = nullptr;
    QLabel* numberFormatExampleLabel_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* revertButton_ = nullptr;

    QDialog* timeFormatStyleWindow_ = nullptr;
    QTableWidget* timeFormatStyleWindowDateTableView_ = nullptr;
    QTableWidget* timeFormatStyleWindowTimeOfDayTableView_ = nullptr;
    int timeFormatStyleDateTableTag_ = 0;
    QDialog* numberFormatStyleWindow_ = nullptr;
    QLineEdit* minFractionDigitsTextField_ = nullptr;
    QLineEdit* maxFractionDigitsTextField_ = nullptr;
    int numberFormatStyleTag_ = 0;  // the style chosen when the sheet opened
};
