#include "exchange/ImportRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>

#include "Common/DBConnection.h"
#include "Common/DBExistence.h"
#include "Common/DateTexts.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/FieldsAndLinesParser.h"
#include "Common/FileNames.h"
#include "Common/RowInserter.h"
#include "Common/RunningStopwatches.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaChanges.h"
#include "Common/SchemaListing.h"
#include "exchange/ActivityLog.h"
#include "exchange/LogTime.h"
#include "exchange/SplitRecordReader.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/UserDefaults.h"

using namespace DBInterface;

namespace {

std::string number(int64_t value) {
    return std::to_string(value);
}

// An existing table is written under its own name; a name for a new table is cleaned as the
// program's names are, and then names the table SQLite takes it for, when there is one.
std::string destinationTableName(const ImportFileSettings& settings, const std::string& path) {
    if (doesTableExist(settings.name, path)) return settings.name;
    const std::string cleaned = settings.cleanedTableName();
    const auto object = objectBearingName(cleaned, path);
    return object ? object->name : cleaned;
}

// Why the file's rows cannot go under the name: a view or an index bears it. A table made "if
// not exists" would be none, and the view's field settings would be replaced.
std::optional<std::string> viewOrIndexBearing(const std::string& table, const std::string& path) {
    const auto object = objectBearingName(table, path);
    if (!object || object->type == "table") return std::nullopt;
    if (object->type == "view") {
        return localizedFormat("A view named \"%@\" already exists", {object->name});
    }
    return localizedFormat("An index named \"%@\" already exists", {object->name});
}

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string trimmedName(const std::string& text) {
    const char* space = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

class OpenFile {
  public:
    explicit OpenFile(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    const int fd;
};

enum class FileContent { DelimitedText, Utf16, NulBytes };

// Delimited text never holds a NUL byte; binary files almost always do. Other control characters
// are text to the reader (a unit separator between fields, a vertical tab inside a value).
FileContent inspectContent(const std::string& path) {
    // A database or a side file of one open here is not opened here at all: closing the
    // descriptor would drop the locks that connections of this process hold on it.
    if (isSQLiteFile(path)) return FileContent::NulBytes;
    OpenFile file(path);
    std::vector<char> block(size_t{1} << 20);
    bool first = true;
    for (ssize_t count; file.fd >= 0;) {
        count = ::read(file.fd, block.data(), block.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return FileContent::DelimitedText;
        const auto size = static_cast<size_t>(count);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.data());
        if (first && size >= 2 &&
            ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
            return FileContent::Utf16;
        }
        first = false;
        if (std::memchr(bytes, 0, size)) return FileContent::NulBytes;
    }
    return FileContent::DelimitedText;
}
}  // namespace

ImportOptions ImportOptions::fromUserDefaults(bool deleteAllRowsFirst, bool useUTC) {
    UserDefaults& defaults = UserDefaults::standard();
    ImportOptions options;
    options.batchLines = defaults.boolForKey("BatchLinesDuringImport");
    options.dataTypesToConvert = defaults.integerForKey("DataTypesToConvert");
    options.bailFlags = defaults.integerForKey("BailFlags");
    const std::string nullText = defaults.stringForKey("ImportNULLValueString");
    options.nullText = nullText.empty() ? "null" : nullText;
    options.deleteAllRowsFirst = deleteAllRowsFirst;
    options.useUTC = useUTC;
    return options;
}

ImportRun::ImportRun(std::vector<ImportFileSettings> files, ImportOptions options, ActivityLog& log,
                     Reporter& reporter)
    : files_(std::move(files)), options_(std::move(options)), log_(log), reporter_(reporter) {}

ImportRun::~ImportRun() = default;

void ImportRun::showProgress(int percent) {
    if (percent > percentShown_) reporter_.advanceProgress((percent - percentShown_) * 0.01);
    percentShown_ = std::max(percent, percentShown_);
}

void ImportRun::log(int type, const std::string& message) {
    if (type == ActivityLog::Warning || type == ActivityLog::Error) issues_ = true;
    log_.add(type, message);
    reporter_.logChanged();
}

void ImportRun::lockWaitBegins() {
    reporter_.status(
        localizedFormat("Waiting for the database: %@", {sqlite3_errstr(SQLITE_BUSY)}));
}

void ImportRun::statusAndLog(const std::string& text) {
    reporter_.status(text);
    log(ActivityLog::Information, text);
}

namespace {
// Why the database could not be used, with SQLite's word for it ("database is locked").
std::string couldNotOpen(const std::string& path, const std::string& cause) {
    return localizedFormat("Could not open the database %@", {path}) + ": " + cause;
}

// The file's identity, to tell whether it is still the one the run writes into.
std::optional<std::pair<dev_t, ino_t>> fileIdentity(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return std::make_pair(status.st_dev, status.st_ino);
}
}  // namespace

void ImportRun::run(DBConnection& connection, const std::string& databaseFilePath) {
    DBConnection::LockWaitWatcher* const watcher = DBConnection::lockWaitWatcherOnThisThread();
    DBConnection::setLockWaitWatcherOnThisThread(this);
    const auto identity = fileIdentity(databaseFilePath);
    connection_ = &connection;
    databaseFilePath_ = databaseFilePath;
    log_.restart();
    reporter_.logChanged();
    reporter_.status(localizedString("Preparing to import"));
    const auto start = std::chrono::steady_clock::now();
    log(ActivityLog::Information, localizedFormat("Import started %@", {nowText()}));
    if (!connection.isOpen()) {
        log(ActivityLog::Error, couldNotOpen(databaseFilePath, connection.errorMessage()));
    } else {
        for (const ImportFileSettings& settings : files_) {
            if (stopImport_ || importFile(settings) == Outcome::EndRun) break;
        }
    }
    // A file deleted or replaced meanwhile took the rows with it: the run's connection went on
    // writing into a file no one can open any more.
    if (identity && fileIdentity(databaseFilePath) != identity) {
        log(ActivityLog::Error,
            localizedFormat("The database file %@ was deleted or replaced during the import: the "
                            "imported rows are not in it.",
                            {databaseFilePath}));
    }
    log(ActivityLog::Information,
        localizedFormat("Total number of imported lines: %d", {number(runImported_)}));
    log(ActivityLog::Information,
        localizedFormat("Total number of failed lines: %d", {number(runFailed_)}));
    finalStatus_ = localizedString(stopImport_ ? "Import stopped by user"
                                   : issues_   ? "Import completed with issues"
                                               : "Import completed without issues");
    statusAndLog(finalStatus_);
    log(ActivityLog::Information, localizedFormat("Import ended %@", {nowText()}));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    char minutes[32];
    std::snprintf(minutes, sizeof minutes, "%2.2f", elapsed.count() / 60);
    log(ActivityLog::Information, localizedFormat("Elapsed time: %@ minutes", {minutes}));
    connection_ = nullptr;
    DBConnection::setLockWaitWatcherOnThisThread(watcher);
}

ImportRun::Outcome ImportRun::fileFailure(const std::string& fileName, const std::string& table) {
    log(ActivityLog::Error, localizedFormat("Cannot import \"%@\" into \"%@\"", {fileName, table}));
    if (!(options_.bailFlags & ImportOptions::BailOnError)) return Outcome::Next;
    log(ActivityLog::Warning, localizedString("Bailing"));
    return Outcome::EndRun;
}

// The table a file goes into: its fields that take values, in order.
struct ImportRun::Destination {
    std::string table;
    std::vector<std::string> fieldNames;
    std::vector<int> fieldTypes;
    bool deleteFirst = false;
};

ImportRun::Outcome ImportRun::importFile(const ImportFileSettings& settings) {
    const std::string table = destinationTableName(settings, databaseFilePath_);
    if (table.empty()) return Outcome::Next;
    const std::string fileName = fileNameOf(settings.filePath);
    statusAndLog(localizedFormat("Preparing to import \"%@\" into \"%@\"", {fileName, table}));
    // A table the list would hide is never made.
    if (isHiddenByListings(table) && !doesTableExist(table, databaseFilePath_)) {
        log(ActivityLog::Error, reservedNameMessage(table));
        return fileFailure(fileName, table);
    }
    if (const auto refusal = viewOrIndexBearing(table, databaseFilePath_)) {
        log(ActivityLog::Error, *refusal);
        return fileFailure(fileName, table);
    }

    // The file is checked against the table before anything is written to it.
    if (!checkContent(settings.filePath, fileName)) return fileFailure(fileName, table);
    std::vector<std::string> names, formats;
    if (!readNamesAndFormats(settings, &names, &formats)) {
        log(ActivityLog::Error, localizedString("Error getting field names or types from file"));
        return fileFailure(fileName, table);
    }
    Destination destination;
    destination.table = table;
    if (const auto failure = prepareTable(fileName, names, formats, &destination)) return *failure;
    if (stopImport_) return Outcome::EndRun;

    statusAndLog(localizedFormat("Importing \"%@\" into \"%@\"", {fileName, table}));
    OpenFile file(settings.filePath);
    if (file.fd < 0) {
        log(ActivityLog::Error,
            localizedFormat("Could not open the file for reading, errno %d", {number(errno)}));
        return fileFailure(fileName, table);
    }
    const int64_t lines = countRecords(settings, file.fd);
    log(ActivityLog::Information,
        localizedFormat("Number of lines in \"%@\": %d", {fileName, number(lines)}));
    reporter_.resetProgress();

    std::optional<FileCounts> counts;
    const Outcome outcome = writeRecords(settings, file.fd, destination, lines, &counts);
    if (counts) logCounts(fileName, *counts);
    return outcome;
}

bool ImportRun::checkContent(const std::string& path, const std::string& fileName) {
    switch (inspectContent(path)) {
        case FileContent::DelimitedText:
            return true;
        case FileContent::Utf16:
            log(ActivityLog::Error,
                localizedFormat("\"%@\" is UTF-16 text: UTF-16 is not among the text encodings "
                                "of the import",
                                {fileName}));
            return false;
        case FileContent::NulBytes:
            log(ActivityLog::Error,
                localizedFormat("\"%@\" is not a delimited text file: it holds NUL bytes",
                                {fileName}));
            return false;
    }
    return false;
}

std::optional<ImportRun::Outcome> ImportRun::prepareTable(const std::string& fileName,
                                                          const std::vector<std::string>& names,
                                                          const std::vector<std::string>& formats,
                                                          Destination* destination) {
    const std::string& table = destination->table;
    std::vector<int> types;
    for (const std::string& format : formats) {
        types.push_back(static_cast<int>(getColumnTypeFromString(format)));
    }
    log(ActivityLog::Information, localizedString("Setting up database"));
    std::string error;
    // The table goes into the database being imported into, never into a new file made where
    // that one was deleted meanwhile.
    if (!isValidDatabaseFile(databaseFilePath_, &error)) {
        log(ActivityLog::Error, couldNotOpen(databaseFilePath_, error));
        return Outcome::EndRun;
    }
    if (!doesTableExist(table, databaseFilePath_)) {
        log(ActivityLog::Information, localizedFormat("Creating table \"%@\"", {table}));
        // The file names the new table's fields: they are cleaned as every chosen name is.
        std::vector<std::string> fields;
        for (const std::string& name : names) fields.push_back(withoutQuotingCharacters(name));
        const int rc =
            createTable(table, 0, fields, types, nullptr, nullptr, databaseFilePath_, &error);
        if (rc != 0) {
            log(ActivityLog::Error, error);
            const Outcome outcome = fileFailure(fileName, table);
            return isErrorOfTheFile(rc) ? Outcome::EndRun : outcome;
        }
        // A table made by this run is never emptied by it.
        handledTables_.insert(table);
    } else {
        log(ActivityLog::Information,
            localizedFormat("Getting field formats from the existing table \"%@\"", {table}));
    }
    ObjectFieldModel model;
    if (readFieldModel(&model, table, *connection_, &error) != 0) {
        log(ActivityLog::Error, error);
        return fileFailure(fileName, table);
    }
    // Generated and hidden columns take no values: rows fill the other fields in order.
    for (size_t i = 0; i < model.names.size(); ++i) {
        if (model.hiddenFields.count(model.names[i])) continue;
        destination->fieldNames.push_back(model.names[i]);
        destination->fieldTypes.push_back(
            i < model.types.size() ? model.types[i] : static_cast<int>(kFieldTypeText));
    }
    if (destination->fieldNames.size() != formats.size()) {
        log(ActivityLog::Error,
            localizedFormat("%d types in table but %d types in file",
                            {number(static_cast<int64_t>(destination->fieldNames.size())),
                             number(static_cast<int64_t>(formats.size()))}));
        return fileFailure(fileName, table);
    }
    destination->deleteFirst = options_.deleteAllRowsFirst && !handledTables_.count(table);
    handledTables_.insert(table);
    return std::nullopt;
}

int64_t ImportRun::countRecords(const ImportFileSettings& settings, int fd) {
    // Counted first, so that the bar moves by a hundredth of the records. Counted as the reader
    // reads: a quote inside an unquoted value opens nothing, and a count that took every quote
    // byte for one would swallow the rest of the file.
    const int64_t lines =
        FieldsAndLinesParser(fd, settings.readerEncoding(), settings.separatorString(),
                             settings.quoteString(), settings.lineEnds())
            .countRecordsFast();
    ::lseek(fd, 0, SEEK_SET);
    return lines;
}

ImportRun::Outcome ImportRun::writeRecords(const ImportFileSettings& settings, int fd,
                                           const Destination& destination, int64_t lines,
                                           std::optional<FileCounts>* counts) {
    const std::string& table = destination.table;
    RowInserter inserter(connection_->handle(), table, destination.fieldNames);
    BatchedRowWriter::Options writing;
    writing.batchLines = options_.batchLines;
    // Rows failing one by one may bail.
    writing.rowsOneByOne = options_.bailFlags & ImportOptions::BailOnError;
    writing.commitInterval = options_.commitInterval;
    writing.stop = &stopImport_;
    BatchedRowWriter writer(*connection_, inserter, destination.fieldNames.size(), writing, *this);
    if (!writer.begin()) {
        // An error of the file or an interrupt ends the run, as it would each file after it.
        return writer.ended() ? Outcome::EndRun : fileFailure(fileNameOf(settings.filePath), table);
    }
    if (destination.deleteFirst) {
        // In the transaction of the first rows: a run that fails or is killed keeps the old rows.
        log(ActivityLog::Information, localizedFormat("Deleting all rows in \"%@\"", {table}));
        std::string error;
        // Also after a conflict rule rolled that transaction back: the old rows never mix with
        // the new ones.
        if (writer.runUntilCommitted("delete from " + quoteIdentifier(table), &error) !=
            SQLITE_OK) {
            log(ActivityLog::Error,
                localizedFormat("Could not delete all rows in \"%@\": %@", {table, error}));
            execOnConnection(connection_->handle(), "rollback", nullptr);
            return writer.ended() ? Outcome::EndRun : Outcome::Next;
        }
    }

    percentShown_ = 0;
    const Outcome outcome = importRecords(settings, fd, writer, destination.fieldTypes, lines);
    showProgress(100);
    if (writer.finish() && destination.deleteFirst) {
        removeRunningStopwatchesForDatabase(&databaseFilePath_, &table, nullptr, false);
    }
    *counts = FileCounts{writer.imported(), writer.failed()};
    return writer.ended() ? Outcome::EndRun : outcome;
}

void ImportRun::logCounts(const std::string& fileName, const FileCounts& counts) {
    runImported_ += counts.imported;
    runFailed_ += counts.failed;
    if (!options_.batchLines && counts.imported + counts.failed > 0) {
        reporter_.status(localizedFormat("Imported %d row(s)", {number(counts.imported)}));
        if (counts.failed > 0) {
            log(ActivityLog::Information,
                localizedFormat("Failed to import %d row(s)", {number(counts.failed)}));
        }
    }
    log(ActivityLog::Information, localizedFormat("Number of imported lines from \"%@\": %d",
                                                  {fileName, number(counts.imported)}));
    log(counts.failed > 0 ? ActivityLog::Error : ActivityLog::Information,
        localizedFormat("Number of failed lines from \"%@\": %d",
                        {fileName, number(counts.failed)}));
}

bool ImportRun::readNamesAndFormats(const ImportFileSettings& settings,
                                    std::vector<std::string>* names,
                                    std::vector<std::string>* formats) {
    const int role1 = settings.line1, role2 = settings.line2;
    const bool bothDiscarded =
        role1 == ImportFileSettings::Discard && role2 == ImportFileSettings::Discard;
    FieldTexts fields;
    std::vector<size_t> firstFields;  // of each record read
    {
        OpenFile file(settings.filePath);
        FieldsAndLinesParser parser(file.fd, settings.readerEncoding(), settings.separatorString(),
                                    settings.quoteString(), settings.lineEnds());
        const size_t wanted = bothDiscarded ? 3 : 2;
        while (file.fd >= 0 && firstFields.size() < wanted) {
            const size_t first = fields.size();
            FieldsAndLinesParser::Record record;
            std::string error;
            const int rc = parser.readRecord(&fields, &record, &error);
            if (rc == FieldsAndLinesParser::kReadError) {
                log(ActivityLog::Error,
                    localizedFormat(
                        "Line %d was too long. If you exported the file from a spreadsheet, "
                        "please check that the lines end in linefeed characters. The old Mac "
                        "format for text files is not supported by this app.",
                        {number(static_cast<int64_t>(firstFields.size() + 1))}));
                return false;
            }
            if (rc == FieldsAndLinesParser::kEndOfFile) break;
            firstFields.push_back(first);
        }
    }
    const size_t records = firstFields.size();
    if (records == 0) {
        log(ActivityLog::Error, localizedString("No rows to import in the file"));
        return false;
    }
    firstFields.push_back(fields.size());
    auto fieldsOf = [&](size_t record, bool trim) {
        std::vector<std::string> texts =
            fields.strings(firstFields[record], firstFields[record + 1] - firstFields[record]);
        if (trim) {
            for (std::string& text : texts) text = trimmedName(text);
        }
        return texts;
    };
    const bool read2 = records > 1;
    using L = ImportFileSettings;
    if (role1 != L::FieldFormats && role2 != L::FieldFormats) {
        if (role1 == L::FieldNames) {
            *names = fieldsOf(0, true);
        } else if (role2 == L::FieldNames && read2) {
            *names = fieldsOf(1, true);
        }
        if (bothDiscarded && records > 2) {
            formats->assign(fieldsOf(2, false).size(), "Text");
        }
    } else if (role1 == L::FieldFormats) {
        *formats = fieldsOf(0, true);
        if (role2 == L::FieldNames && read2) *names = fieldsOf(1, true);
    } else {
        if (role1 == L::FieldNames) *names = fieldsOf(0, true);
        if (read2) *formats = fieldsOf(1, true);
    }
    if (formats->empty()) {
        const size_t record = role1 == L::Discard && read2 ? 1 : 0;
        formats->assign(fieldsOf(record, false).size(), "Text");
    }
    if (names->empty()) {
        for (size_t i = 1; i <= formats->size(); ++i) {
            names->push_back(localizedFormat("Field %d", {number(static_cast<int64_t>(i))}));
        }
    }
    if (formats->empty()) {
        log(ActivityLog::Error, localizedString("No fields were found"));
        return false;
    }
    if (names->size() != formats->size()) {
        log(ActivityLog::Error,
            localizedString("Field name count is not equal to field format count"));
        return false;
    }
    for (const std::string& format : *formats) {
        if (getColumnTypeFromString(format) == 0) {
            log(ActivityLog::Error,
                localizedString("At least one of the field formats was invalid"));
            return false;
        }
    }
    return true;
}

ImportRun::Outcome ImportRun::importRecords(const ImportFileSettings& settings, int fd,
                                            BatchedRowWriter& writer, const std::vector<int>& types,
                                            int64_t lines) {
    const size_t expected = types.size();
    const bool convertDates = options_.dataTypesToConvert & ImportOptions::ConvertDates;
    const bool convertTimes = options_.dataTypesToConvert & ImportOptions::ConvertTimes;
    const bool convertNULL = options_.dataTypesToConvert & ImportOptions::ConvertNULL;
    // Which fields may change on their way in; the others go in as read.
    ValueConversion conversion;
    conversion.fields.resize(expected);
    for (size_t i = 0; i < expected; ++i) {
        conversion.fields[i] = convertNULL || (types[i] == kFieldTypeDate && convertDates) ||
                               (types[i] == kFieldTypeTime && convertTimes);
    }
    if (std::find(conversion.fields.begin(), conversion.fields.end(), true) !=
        conversion.fields.end()) {
        conversion.convert = [types, convertDates, convertTimes, convertNULL,
                              nullText = options_.nullText, utc = options_.useUTC](
                                 size_t field, std::string_view value, std::string* into) {
            return appendConvertedFieldValue(value, types[field], convertDates, convertTimes,
                                             convertNULL, nullText, utc, into);
        };
    }
    auto bail = [this] {
        log(ActivityLog::Warning, localizedString("Bailing"));
        return Outcome::EndRun;
    };

    SplitRecordReader reader(fd, settings, std::move(conversion));
    int64_t n = 0, counted = 0;
    for (const SplitRecord* record; (record = reader.next());) {
        ++n;
        const size_t count = record->fieldCount;
        const bool skipped = (n == 1 && settings.line1 >= 2) || (n == 2 && settings.line2 >= 2);
        // A file of a hundred lines or fewer moves the bar once, at its end.
        if (!skipped && lines > 100) {
            showProgress(static_cast<int>(std::min<int64_t>(99, ++counted * 100 / lines)));
        }
        const bool told = !record->readError.empty() || record->unclosedQuote || count > expected ||
                          (!record->wasEmpty && count < expected);
        // What is told of a line comes after what is told of the lines before it.
        if (skipped || told || record->result == FieldsAndLinesParser::kReadError) {
            writer.flush();
        }
        if (record->result == FieldsAndLinesParser::kReadError) {
            // Reading on would meet the same error again: the file ends here.
            log(ActivityLog::Error,
                localizedFormat("Line %d error: %@", {number(n), record->readError}));
            writer.countLostLine();
            return options_.bailFlags & ImportOptions::BailOnError ? bail() : Outcome::Next;
        }
        if (skipped) {
            log(ActivityLog::Information,
                localizedString(n == 1 ? "Skipping first line" : "Skipping second line"));
            continue;
        }
        if (!record->readError.empty()) {
            log(ActivityLog::Warning,
                localizedFormat("Line %d: %@", {number(n), record->readError}));
        }
        if (record->unclosedQuote) {
            log(ActivityLog::Warning,
                localizedFormat("Line %d: a quoted value is not closed; the rest of the file "
                                "was read into it",
                                {number(n)}));
        }
        if (count > expected) {
            // Cutting drops values: a warning, so the run does not end without issues.
            log(ActivityLog::Warning,
                localizedFormat("Line %d had %d field(s), more than the expected %d field(s), "
                                "truncated excess fields",
                                {number(n), number(static_cast<int64_t>(count)),
                                 number(static_cast<int64_t>(expected))}));
            if (options_.bailFlags & ImportOptions::BailOnTooManyFields) {
                writer.countLostLine();
                return bail();
            }
        }
        if (!record->wasEmpty && count < expected) {
            log(ActivityLog::Information,
                localizedFormat("Line %d had %d field(s), less than the expected %d field(s), "
                                "added empty text fields",
                                {number(n), number(static_cast<int64_t>(count)),
                                 number(static_cast<int64_t>(expected))}));
            if (options_.bailFlags & ImportOptions::BailOnTooFewFields) {
                writer.countLostLine();
                return bail();
            }
        }
        // An empty record goes in alone with its one empty value; others are cut or padded.
        const size_t width = record->wasEmpty ? std::min(count, expected) : expected;
        writer.startRow(width);
        for (size_t i = 0; i < width; ++i) {
            if (i >= count) {
                writer.addValue("");
            } else if (record->isNull(i)) {
                writer.addNull();
            } else {
                writer.addValue(record->field(i));
            }
        }
        const bool written = writer.endRow(n);
        // An error of the file or an interrupt ends the run as a stop does; nothing more is read.
        if (writer.ended()) break;
        if (!written && !options_.batchLines && (options_.bailFlags & ImportOptions::BailOnError)) {
            return bail();
        }
        if (stopImport_) break;
    }
    return Outcome::Next;
}
