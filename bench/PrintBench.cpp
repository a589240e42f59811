// Printing a table as labels to PDF: 10,000 rows as 2 x 10 labels of 4 x 1 inches (500 pages),
// the time it takes, the pages of the file and the peak memory, beside the same print of 1,000
// rows, so that memory that grew with the rows would show.
#include <sys/resource.h>

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/GeneratedRowsTable.h"
#include "exchange/PrintConsole.h"
#include "exchange/PrintLayoutStore.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int64_t kRows = 10000;

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string pdfPages(const std::string& path) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(
        popen(("pdfinfo '" + path + "' | grep Pages").c_str(), "r"), pclose);
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
    return output.empty() ? std::string("(pdfinfo missing)\n") : output;
}

void print(PrintConsole* console, TablesAndRowsController* window, int64_t firstRow,
           const std::string& path) {
    window->state().selection.focusedRowIndex = RowIndex(firstRow);
    auto start = std::chrono::steady_clock::now();
    int64_t pages = console->printRowsToPDF(path);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld rows: %lld pages in %.2f s, peak memory %ld kB, file %s",
                static_cast<long long>(kRows - firstRow), static_cast<long long>(pages), seconds,
                peakKilobytes(), pdfPages(path).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    std::string db = Paths::documentsFolder() + "/rows.db";
    bench::makeRowsTable(db, kRows);
    PrintLayout current;
    current.boxObjects = nlohmann::json::array({{{"type", 1}, {"field_index", 0}},
                                                {{"type", 100002}},
                                                {{"type", 100001}, {"text", "Amount"}},
                                                {{"type", 1}, {"field_index", 1}},
                                                {{"type", 100002}},
                                                {{"type", 1}, {"field_index", 2}}});
    PrintLayoutStore::setCurrentPrintLayoutName(
        PrintLayoutStore::addLayout(PrintLayoutStore::kLabelSheet, current));
    TablesAndRowsController* window = bench::showRowsTable(application.app(), db);
    window->selectTableWithName("t");
    window->selectConsole(TablesAndRowsState::PrintConsole);
    auto* console = &bench::partsOf(application.app(), window).print;
    std::printf("before printing: peak memory %ld kB\n", peakKilobytes());
    print(console, window, kRows - 1000, Paths::documentsFolder() + "/labels-1000.pdf");
    print(console, window, 0, Paths::documentsFolder() + "/labels-10000.pdf");
    return 0;
}
