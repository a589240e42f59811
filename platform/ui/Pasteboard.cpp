#include "platform/ui/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/QtStrings.h"

int64_t copyDelimiterCode() {
    UserDefaults& defaults = UserDefaults::standard();
    return defaults.boolForKey("CSV") ? 1 : defaults.integerForKey("ExportDelimiter");
}

namespace Pasteboard {

namespace {
bool& refusesWrites() {
    static bool refuses = false;
    return refuses;
}
}  // namespace

void setRefusesWritesForTesting(bool refuses) {
    refusesWrites() = refuses;
}

const std::vector<std::string>& ownTypes() {
    static const std::vector<std::string> types = {
        kAddRowsFromDatabaseDataType, kAddCellsFromDatabaseDataType, kAddFieldsFromDatabaseDataType,
        kAddRowsFromSQLViewDataType, kAddTablesFromDatabaseDataType};
    return types;
}

std::optional<std::string> dataType() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return std::nullopt;
    for (const std::string& type : ownTypes()) {
        if (data->hasFormat(toQString(type))) return type;
    }
    return std::nullopt;
}

std::optional<nlohmann::json> record(const std::string& type) {
    return record(QGuiApplication::clipboard()->mimeData(), type);
}

std::optional<nlohmann::json> record(const QMimeData* data, const std::string& type) {
    if (!data || !data->hasFormat(toQString(type))) return std::nullopt;
    nlohmann::json parsed =
        nlohmann::json::parse(data->data(toQString(type)).toStdString(), nullptr, false);
    if (!parsed.is_object()) return std::nullopt;
    return parsed;
}

std::optional<std::string> string() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return toStdString(data->text());
}

QMimeData* mimeData(const std::string& type, const nlohmann::json& record) {
    auto* data = new QMimeData;
    data->setData(toQString(type), QByteArray::fromStdString(record.dump()));
    return data;
}

void clear() {
    QGuiApplication::clipboard()->clear();
}

std::unique_ptr<QMimeData> contents() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || data->formats().isEmpty()) return nullptr;
    auto copy = std::make_unique<QMimeData>();
    for (const QString& format : data->formats()) copy->setData(format, data->data(format));
    return copy;
}

void restore(std::unique_ptr<QMimeData> contents) {
    if (!contents) {
        clear();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(contents.release());
}

bool write(const std::string& type, const nlohmann::json& record,
           const std::optional<std::string>& text) {
    if (refusesWrites()) return false;
    QMimeData* data = mimeData(type, record);
    if (text) data->setText(toQString(*text));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data);
    const QMimeData* taken = clipboard->mimeData();
    return taken && taken->hasFormat(toQString(type)) && (!text || taken->hasText());
}

}  // namespace Pasteboard
