#include "mainwindow/rows/SelectionStatistics.h"

#include <QString>

#include <charconv>
#include <limits>

#include "mainwindow/rows/RowsDataPort.h"
#include "platform/ui/QtStrings.h"

namespace {

bool isSymbol(QChar c) {
    switch (c.category()) {
        case QChar::Symbol_Math:
        case QChar::Symbol_Currency:
        case QChar::Symbol_Modifier:
        case QChar::Symbol_Other:
            return true;
        default:
            return false;
    }
}

QString trimmedOfSymbols(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && isSymbol(text[first])) ++first;
    while (last > first && isSymbol(text[last - 1])) --last;
    return text.mid(first, last - first);
}

// White space, then symbols, then white space again.
QString trimmedForNumber(const QString& text) {
    return trimmedOfSymbols(text.trimmed()).trimmed();
}

// A plain decimal number at the start of the text, full stop as the decimal point.
double leadingNumber(const std::string& text) {
    if (text.empty()) return 0;
    char first = text.front();
    // Only a number may start it: from_chars would also take "inf" and "nan".
    if (!(first >= '0' && first <= '9') && first != '-' && first != '.') return 0;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

}  // namespace

double doubleValueFromFieldValue(const std::optional<std::string>& text) {
    if (!text) return 0;
    QString trimmed = trimmedForNumber(toQString(*text));
    if (trimmed.startsWith('(')) {
        trimmed.remove('(').remove(')');
        double value = leadingNumber(toStdString(trimmedOfSymbols(trimmed.trimmed())));
        return value == 0 ? 0 : -value;
    }
    return leadingNumber(toStdString(trimmed));
}

double SelectionStatistics::doubleValueFromFieldValueAtRowIndex(RowIndex rowIndex,
                                                                FieldIndex field) const {
    return doubleValueFromFieldValue(dataPort_.fieldValueForDatabaseRowIndex(rowIndex, field));
}

template <class Visit>
void SelectionStatistics::forEachSelectedValue(Visit visit) const {
    const auto& selection = state_.selection;
    const auto& port = state_.dataPort;
    CellIdentity focus{selection.focusedRowIndex, selection.focusedFieldIndex};
    bool focused = !focus.row.isNone() && !focus.field.isNone();
    auto loadedText = [this](RowIndex row, FieldIndex field) -> DBValue {
        return dataPort_.fieldValueForDatabaseRowIndex(row, field);
    };
    if (focused) visit(loadedText(focus.row, focus.field));
    RowIndex firstShown = port.firstRowIndexInDataPort;
    RowIndex endShown = firstShown + port.numberOfLoadedRows();
    if (!selection.mySelectedFieldIndexes.empty()) {
        for (RowIndex row = firstShown; row < endShown; ++row) {
            for (FieldIndex field : selection.mySelectedFieldIndexes) {
                CellIdentity cell{row, field};
                if (!(focused && cell == focus)) visit(loadedText(cell.row, cell.field));
            }
        }
    } else if (!selection.mySelectedRowIndexes.empty()) {
        const auto& rows = selection.mySelectedRowIndexes;
        const auto& held = selection.shownSelectedRows;
        // Rows held as they were shown count with those values wherever they are now; rows held
        // by their places as the page shows them.
        for (RowIndex row = firstShown; row < endShown; ++row) {
            if (!rows.contains(row)) continue;
            auto shown = held.find(row);
            for (FieldIndex field = kFirstFieldIndex; field.value < port.numberOfFieldsPerRow;
                 ++field) {
                CellIdentity cell{row, field};
                if (focused && cell == focus) continue;
                visit(shown == held.end()
                          ? loadedText(cell.row, cell.field)
                          : DBValue(shown->second[static_cast<size_t>(field.value)].value_or("")));
            }
        }
        for (const auto& [row, values] : held) {
            if (row >= firstShown && row < endShown) continue;
            if (!rows.contains(row)) continue;
            for (size_t field = 1; field < values.size(); ++field)
                visit(values[field].value_or(""));
        }
    } else {
        for (const auto& [row, fields] : selection.mySelectedCells) {
            for (const auto& [field, value] : fields) {
                if (!(focused && CellIdentity{row, field} == focus)) visit(value);
            }
        }
    }
}

SelectedCellsStatistics SelectionStatistics::computeUsingSelectedCells() const {
    SelectedCellsStatistics result;
    result.minimum = std::numeric_limits<double>::max();
    result.maximum = -std::numeric_limits<double>::max();
    forEachSelectedValue([&result](const DBValue& value) {
        double number = doubleValueFromFieldValue(value);
        ++result.count;
        result.total += number;
        result.minimum = std::min(result.minimum, number);
        result.maximum = std::max(result.maximum, number);
    });
    result.average = result.count == 0 ? 0 : result.total / static_cast<double>(result.count);
    return result;
}

std::vector<DBValue> SelectionStatistics::fieldValuesForSelectedCells() const {
    std::vector<DBValue> values;
    forEachSelectedValue([&values](const DBValue& value) { values.push_back(value); });
    return values;
}
