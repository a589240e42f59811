#pragma once
// The drag-tables panel of a database window: tables and views of another window's database,
// named by a tables record on the pasteboard, are copied into this window's database under free
// names, with their meta rows and, on request, their indexes and rows; each table in one
// transaction.
#include <QObject>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QCheckBox;
class QDialog;
class QLabel;

class DragTablesPanel : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    explicit DragTablesPanel(DatabaseWindow& window);
    ~DragTablesPanel() override;

    // Puts a tables record of the database's tables on the pasteboard.
    static bool writeTablesToPasteboard(const std::string& databaseFilePath,
                                        const std::vector<std::string>& tables, int windowIndex);

    // The tables record of a drag out of the window's tables list.
    static nlohmann::json tablesRecord(const std::string& databaseFilePath,
                                       const std::vector<std::string>& tables, int windowIndex);
    // Keeps the pasteboard's tables record and shows the panel; nullptr when it holds none.
    QDialog* promptWithPasteboard();
    // The same for the tables record of a drag dropped on the window.
    QDialog* promptWithRecord(std::optional<nlohmann::json> record);
    void dragTablesPanelPasteTablesButtonPressed();
    void dragTablesPanelCancelButtonPressed();
    // Copies the record's tables into the window's database.
    void pasteTables(const nlohmann::json& record, bool includeIndexes, bool copyRows);

    QCheckBox* includeIndexesButton() const { return includeIndexesButton_; }
    QCheckBox* copyRowsButton() const { return copyRowsButton_; }
    QLabel* statusLabel() const { return statusLabel_; }

    void windowWillClose() override;

  private:
    void buildPanel();
    void closePanel();
    // Pastes one table of the source; a failure is shown and ends only this table.
    void pasteTable(const std::string& sourceDatabaseFilePath, const std::string& name,
                    bool includeIndexes, bool copyRows);

    DatabaseWindow& window_;
    std::optional<nlohmann::json> dragTablesPasteboard_;
    QPointer<QDialog> panel_;
    QLabel* statusLabel_ = nullptr;
    QLabel* sourceDatabaseLabel_ = nullptr;
    QCheckBox* includeIndexesButton_ = nullptr;
    QCheckBox* copyRowsButton_ = nullptr;
};
