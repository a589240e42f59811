#pragma once
// The rows grid: a table view over the data port. It scrolls nothing itself: the port holds
// exactly the rows that fit, and a wheel move asks the controller for another first row. It
// draws no selection of its own (the grid keeps its own selection and focus).
#include <QTableView>
#include <QTimer>

class TablesAndRowsController;
class RowsTableModel;

class RowsTableView : public QTableView {
    Q_OBJECT

  public:
    explicit RowsTableView(TablesAndRowsController* controller, QWidget* parent = nullptr);

    TablesAndRowsController* controller() const { return controller_; }
    RowsTableModel* rowsModel() const { return model_; }
    int numberOfColumns() const;
    int numberOfRows() const;
    // -1 when the grid has no column of that identifier.
    int columnWithIdentifier(const QString& identifier) const;
    int rowHeight() const;

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    TablesAndRowsController* controller_;
    RowsTableModel* model_;
    QTimer liveResizeEnd_;
    int wheelRemainder_ = 0;  // eighths of a degree not yet turned into rows
};
