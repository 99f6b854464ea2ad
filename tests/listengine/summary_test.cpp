// What a list's summary tells the user: the summary line of the front ends
// that show the rows, and what it leaves to the engine's other messages.

#include "listengine/summary.h"

#include <gtest/gtest.h>

namespace kennfix::listengine {
namespace {

TEST(SummaryLine, Words)
{
    struct Case {
        ListCounts counts;
        bool keepsEtins;
        const char* line;
    };
    const Case cases[] = {
        {{1, 0, 1, 0, 0}, false, "1 Zeile: 1 mit eTIN, 0 mit Fehler."},
        {{12345, 3, 12000, 345, 0}, false, "12.345 Zeilen: 12.000 mit eTIN, 345 mit Fehler."},
        {{2, 0, 2, 0, 1}, true, "2 Zeilen: 2 mit eTIN, 0 mit Fehler, 1 gespeicherte eTIN weicht ab."},
        {{0, 4, 0, 0, 0}, true, "0 Zeilen: 0 mit eTIN, 0 mit Fehler, 0 gespeicherte eTINs weichen ab."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SummaryLine(c.counts, c.keepsEtins), c.line);
}

// The summary line tells rows without eTIN and deviations; the rest of what
// the engine says comes beside it.
TEST(FurtherMessages, WhatTheSummaryLineDoesNotTell)
{
    ListSummary summary;
    summary.rows = 5;
    summary.failedRows = 2;
    summary.deviatingRows = 1;
    EXPECT_TRUE(FurtherMessages(summary).empty());
    summary.otherEncodingRows.Add(3, 3);
    const std::vector<std::string> messages = FurtherMessages(summary);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "1 Zeile ist in Windows-1252 geschrieben, die übrigen in UTF-8 (Zeile 3). Jede Zeile wurde "
                           "in ihrer Kodierung gelesen und in UTF-8 ausgegeben.");
}

}  // namespace
}  // namespace kennfix::listengine
