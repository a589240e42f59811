#pragma once
// The SQL console's results grid: the rows of the last result under its column names; a cell
// the result does not have shows "(Unknown)". Copy goes to the console.
#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"

class SqlResultsModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces headers and rows at once.
    void setResults(std::vector<std::string> headers, std::vector<DBRow> rows);
    const std::vector<DBRow>& rows() const { return rows_; }
    const std::vector<std::string>& headers() const { return headers_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<std::string> headers_;
    std::vector<DBRow> rows_;
};

class SqlResultsTableView : public QTableView {
  public:
    explicit SqlResultsTableView(QWidget* parent = nullptr);

    SqlResultsModel* resultsModel() const { return model_; }
    // Sent the copy command; without it copy does nothing.
    std::function<void()> copyHandler;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    SqlResultsModel* model_;
};
