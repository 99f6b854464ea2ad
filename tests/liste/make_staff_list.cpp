// make_staff_list ROWS FILE: writes a staff list of ROWS people as a German
// spreadsheet exports it (UTF-8, ';', five columns, umlauts and double
// names, every row a valid person), a row at a time, for the tests of long
// lists. The rows are those of bench/batch_benchmark.cpp.

#include <cstdio>
#include <cstdlib>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: make_staff_list ZEILEN DATEI\n");
        return 2;
    }
    const long rows = std::strtol(argv[1], nullptr, 10);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    const char* families[] = {"Müller", "Schmidt", "Schön-Schulze", "Weiß", "Łukasiewicz", "Meier", "Bräuer",
                              "Lüdtke", "\"von Otto\"", "Nguyễn"};
    const char* firsts[] = {"Hans", "Eva", "José María", "Zoë", "Jürgen", "Ute", "Åsa", "Li"};
    std::fputs("Personalnummer;Familienname;Vorname;Geburtsdatum;Abteilung\r\n", out);
    for (long i = 0; i < rows; ++i) {
        std::fprintf(out, "%ld;%s;%s;%02ld.%02ld.%04ld;Lohnbuchhaltung\r\n", 100000 + i,
                     families[i % std::size(families)], firsts[i % std::size(firsts)], 1 + i % 28, 1 + i % 12,
                     1950 + i % 60);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
