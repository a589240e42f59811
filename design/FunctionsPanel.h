#pragma once
// The SQL console's functions panel: every SQL function user SQL may call beside its
// description; a double click shows the whole description in a sheet.
#include <QDialog>

#include <map>
#include <optional>
#include <string>
#include <vector>

class QTableWidget;

// The function's description, following one alias ("[other]" names the function whose
// description applies); nullopt when there is none.
std::optional<std::string> functionDescription(
    const std::string& name, const std::map<std::string, std::string>& descriptions);

class FunctionsPanel : public QDialog {
  public:
    FunctionsPanel(const std::vector<std::string>& functions,
                   const std::map<std::string, std::string>& descriptions, QWidget* parent);

    QTableWidget* functionsPanelTableView() const { return table_; }
    void functionsTableViewDoubleClickOnRow(int row);

  private:
    const std::vector<std::string>& functions_;
    const std::map<std::string, std::string>& descriptions_;
    QTableWidget* table_;
};
