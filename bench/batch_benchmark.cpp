// kennfix-batch's throughput over a generated list of one million people,
// beside what libcsv alone needs to split the same list into cells.

#include <benchmark/benchmark.h>
#include <csv.h>

#include <istream>
#include <ostream>
#include <streambuf>
#include <string>

#include "listengine/list.h"

namespace {

constexpr int kRows = 1'000'000;

// A staff list as a German spreadsheet exports it: UTF-8, ';', four-digit years.
const std::string& StaffList()
{
    static const std::string list = [] {
        const char* families[] = {"Müller", "Schmidt", "Schön-Schulze", "Weiß", "Łukasiewicz", "Meier", "Bräuer",
                                  "Lüdtke", "\"von Otto\"", "Nguyễn"};
        const char* firsts[] = {"Hans", "Eva", "José María", "Zoë", "Jürgen", "Ute", "Åsa", "Li"};
        std::string text = "Personalnummer;Familienname;Vorname;Geburtsdatum;Abteilung\r\n";
        for (int i = 0; i < kRows; ++i) {
            char date[16];
            std::snprintf(date, sizeof date, "%02d.%02d.%04d", 1 + i % 28, 1 + i % 12, 1950 + i % 60);
            text += std::to_string(100000 + i) + ";" + families[i % std::size(families)] + ";" +
                    firsts[i % std::size(firsts)] + ";" + date + ";Lohnbuchhaltung\r\n";
        }
        return text;
    }();
    return list;
}

// Reads the list where it is, as a file read in chunks: a copy of it for
// each run would be counted too.
class ListBuffer : public std::streambuf {
public:
    explicit ListBuffer(const std::string& text)
    {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

// Counts what is written and keeps nothing.
class NullBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int overflow(int c) override { return c; }
};

void BM_ProcessList_MillionRows(benchmark::State& state)
{
    kennfix::listengine::ListOptions options;
    options.currentYear = 2026;
    const std::string& staffList = StaffList();  // made before the clock runs
    std::size_t rows = 0;
    for (auto _ : state) {
        ListBuffer list(staffList);
        std::istream in(&list);
        NullBuffer sink;
        std::ostream out(&sink);
        rows += kennfix::listengine::ProcessList(in, out, options).rows;
    }
    state.SetItemsProcessed(static_cast<int64_t>(rows));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * StaffList().size()));
}
BENCHMARK(BM_ProcessList_MillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// Baseline: libcsv splitting the same list into cells, nothing else.
void BM_CsvCellsOnly_MillionRows(benchmark::State& state)
{
    const std::string& staffList = StaffList();
    std::size_t rows = 0;
    for (auto _ : state) {
        csv_parser parser;
        csv_init(&parser, CSV_STRICT);
        csv_set_delim(&parser, ';');
        const auto onCell = [](void*, std::size_t, void*) {};
        const auto onRow = [](int, void* count) { ++*static_cast<std::size_t*>(count); };
        csv_parse(&parser, staffList.data(), staffList.size(), onCell, onRow, &rows);
        csv_fini(&parser, onCell, onRow, &rows);
        csv_free(&parser);
    }
    state.SetItemsProcessed(static_cast<int64_t>(rows));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * StaffList().size()));
}
BENCHMARK(BM_CsvCellsOnly_MillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
