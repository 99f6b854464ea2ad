#include "app/datemask/datemask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace kennfix {

// Found by argument-dependent lookup, hence outside the unnamed namespace.
void PrintTo(const DateMask::Range& r, std::ostream* os)
{
    *os << "{" << r.start << ", " << r.length << "}";
}

namespace {

using Key = DateMask::Key;
using Range = DateMask::Range;

// What a script did to a field that started empty with "." as separator.
struct Played
{
    DateMask mask{U'.'};
    int beeps = 0;
};

// Plays a script on a fresh field: every character is typed, except the
// actions in braces:
//   {Tab} {In} {In@N}  focus comes in by Tab, otherwise, by a click at N
//   {Out}              the program puts the focus elsewhere
//   {@N}               click at N in the focused field
//   {Leave} {Enter}    the leave check by a focus move or by Enter
//   {Left} {Right} {Up} {Down} {Home} {End} {Del} {BS} {Esc}
//   {Cut} {Paste:text} {Sep:c}  clipboard; the regional separator changes to c
// Rejected keys and refused leave checks count as beeps.
Played Play(std::u32string_view script)
{
    static constexpr std::pair<std::u32string_view, Key> kKeys[] = {
        {U"Left", Key::Left}, {U"Right", Key::Right}, {U"Up", Key::Up},     {U"Down", Key::Down},
        {U"Home", Key::Home}, {U"End", Key::End},     {U"Del", Key::Delete}, {U"BS", Key::Backspace},
        {U"Esc", Key::Escape},
    };
    Played run;
    DateMask& m = run.mask;
    while (!script.empty()) {
        if (script.front() != U'{') {
            run.beeps += m.Type(script.front()) == DateMask::KeyResult::Rejected;
            script.remove_prefix(1);
            continue;
        }
        const size_t close = script.find(U'}');
        const std::u32string_view action = script.substr(1, close - 1);
        script.remove_prefix(close + 1);
        const auto number = [&](size_t from) { return std::stoi(std::string(action.begin() + from, action.end())); };
        if (action == U"Tab") {
            m.FocusIn(DateMask::FocusReason::Tab);
        } else if (action == U"In") {
            m.FocusIn(DateMask::FocusReason::Other);
        } else if (action.starts_with(U"In@")) {
            m.FocusIn(DateMask::FocusReason::Click, number(3));
        } else if (action == U"Out") {
            m.FocusOut();
        } else if (action.starts_with(U"@")) {
            m.Click(number(1));
        } else if (action == U"Leave") {
            run.beeps += m.Leave() == DateMask::LeaveResult::Refused;
        } else if (action == U"Enter") {
            run.beeps += m.PressEnter() == DateMask::LeaveResult::Refused;
        } else if (action == U"Cut") {
            m.Cut();
        } else if (action.starts_with(U"Paste:")) {
            m.Paste(action.substr(6));
        } else if (action.starts_with(U"Sep:")) {
            m.SetCurrentSeparator(action.at(4));
        } else {
            const auto* key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                           [&](const auto& k) { return k.first == action; });
            if (key == std::end(kKeys))
                throw std::invalid_argument("unknown action in script");
            m.Press(key->second);
        }
    }
    return run;
}

struct ScriptCase
{
    std::u32string_view script;
    std::u32string_view screen;
    std::u32string_view field;
    int caret;
    Range highlight;
    int beeps;
};

// A whole date, so that a following {Tab} has something to select.
#define DATE U"{In}120380{Leave}"

constexpr ScriptCase kScriptCases[] = {
    {U"", U"__.__.__", U"  .  .  ", 0, {0, 0}, 0},                          // the bare pattern at start, not focused
    {U"{In}", U"__.__.__", U"  .  .  ", 0, {0, 1}, 0},                      // the focus shows the caret
    {U"{In}120380", U"12.03.80", U"12.03.80", 8, {8, 0}, 0},                // separators are skipped
    {U"{In}3.7.61", U"3_.7_.61", U"3 .7 .61", 8, {8, 0}, 0},                // the separator ends day and month early
    {U"{Tab}", U"__.__.__", U"  .  .  ", 0, {0, 8}, 0},                     // Tab selects the whole text
    {U"{In@4}", U"__.__.__", U"  .  .  ", 4, {4, 1}, 0},                    // a click highlights its position
    {DATE U"{Tab}x", U"__.__.__", U"  .  .  ", 0, {0, 1}, 1},               // a letter blanks the selection, then beeps
    {DATE U"{Tab}5", U"5_.__.__", U"5 .  .  ", 1, {1, 1}, 0},               // a digit replaces the selection
    {DATE U"{Tab}.", U"__.__.__", U"  .  .  ", 3, {3, 1}, 0},               // blanked, then the separator jump
    {U"{In}12/", U"12.__.__", U"12.  .  ", 3, {3, 1}, 1},                   // not the separator shown
    {U"{In}1203.", U"12.03.__", U"12.03.  ", 6, {6, 1}, 1},                 // no separator after the year
    {U"{In}12038012", U"12.03.80", U"12.03.80", 8, {8, 0}, 2},              // nothing after the last year digit
    {U"{In}1x", U"1_.__.__", U"1 .  .  ", 1, {1, 1}, 1},                    // letter in a digit position
    {U"{In@2}5", U"__.__.__", U"  .  .  ", 3, {3, 1}, 0},                   // on a separator any key steps over it
    {U"{In@4}7", U"__._7.__", U"  . 7.  ", 6, {6, 1}, 0},                   // typing from a clicked position
    {U"{In}1203{Left}{Left}{Left}9", U"19.03.__", U"19.03.  ", 3, {3, 1}, 0},  // Left skips the separator
    {U"{In}{Right}{Right}{Right}{Right}{Right}{Right}{Right}", U"__.__.__", U"  .  .  ", 8, {8, 0}, 0},  // Right stops at 8
    {U"{In@2}{Left}", U"__.__.__", U"  .  .  ", 1, {1, 1}, 0},              // Left from a separator
    {DATE U"{Tab}{Right}", U"12.03.80", U"12.03.80", 8, {8, 0}, 0},         // Right ends a selection at its end
    {DATE U"{Tab}{Left}", U"12.03.80", U"12.03.80", 0, {0, 1}, 0},          // Left at its start
    {U"{In}12{Up}{Down}", U"12.__.__", U"12.  .  ", 3, {3, 1}, 0},          // Up and Down do nothing
    {U"{In}120380{Home}5", U"52.03.80", U"52.03.80", 1, {1, 1}, 0},         // Home, then overwrite
    {U"{In}12{End}", U"12.__.__", U"12.  .  ", 8, {8, 0}, 0},               // End
    {U"{In}120380{Home}{Del}", U"_2.03.80", U" 2.03.80", 0, {0, 1}, 0},     // Delete keeps the caret
    {U"{In}120380{@5}{Del}", U"12.03.80", U"12.03.80", 5, {5, 1}, 0},       // a separator is never deleted
    {DATE U"{Tab}{Del}", U"__.__.__", U"  .  .  ", 0, {0, 1}, 0},           // Delete blanks the selection
    {U"{In}120380{BS}{BS}{BS}", U"12.0_.__", U"12.0 .  ", 4, {4, 1}, 0},    // Backspace skips the separator
    {U"{In}{BS}", U"__.__.__", U"  .  .  ", 0, {0, 1}, 0},                  // Backspace at the start
    {DATE U"{Tab}{BS}", U"__.__.__", U"  .  .  ", 0, {0, 1}, 0},            // Backspace on a selection
    {U"{In}120380{@3}{Cut}", U"12._3.80", U"12. 3.80", 3, {3, 1}, 0},       // cut blanks the highlighted digit
    {DATE U"{Tab}99{Esc}", U"12.03.80", U"12.03.80", 0, {0, 1}, 0},         // Escape restores the value at entry
    {U"{In}{Paste:12.03.19801}", U"12.03.19", U"12.03.19", 8, {8, 0}, 0},   // input stops behind position 7
    {U"{In}{Paste:12.03.1980}", U"12.03.80", U"12.03.80", 8, {8, 0}, 0},    // a four-digit year: its last two digits
    {U"{In}{Paste:1.3.1980}", U"1_.3_.80", U"1 .3 .80", 8, {8, 0}, 0},      // ...with a short day and month too
    {U"{In}{Paste:12.03.1980\r\n}", U"12.03.80", U"12.03.80", 8, {8, 0}, 0},  // ...and a spreadsheet's line end
    {U"{In}{Paste:12/03/1980}", U"12.03.19", U"12.03.19", 8, {8, 0}, 0},    // ...but only with our separator
    {U"{In}{Sep:/}{Paste:12/03/1980}", U"12.03.80", U"12/03/80", 8, {8, 0}, 0},  // the current one counts too
    {U"{In}{Paste:12031980}", U"12.03.19", U"12.03.19", 8, {8, 0}, 0},      // missing separators supplied
    {U"{In}{Paste:3.7.61}", U"3_.7_.61", U"3 .7 .61", 8, {8, 0}, 0},        // a separator in a digit position blanks it
    {U"{In}{Paste:12/03/80}", U"12.03.80", U"12.03.80", 8, {8, 0}, 0},      // any non-digit stands for the separator
    {U"{In}120380{Home}{Paste:1a2b}", U"1_.2_.80", U"1 .2 .80", 6, {6, 1}, 0},  // letters blank their positions
    {U"{In}1203{Paste:8}", U"12.03.8_", U"12.03.8 ", 7, {7, 1}, 0},         // paste from the caret
    {U"{In@2}{Paste:5}", U"__.5_.__", U"  .5 .  ", 4, {4, 1}, 0},           // from a separator position
    {DATE U"{Tab}{Paste:7}", U"7_.__.__", U"7 .  .  ", 1, {1, 1}, 0},       // paste replaces the selection
    {DATE U"{Tab}{Paste:}", U"12.03.80", U"12.03.80", 0, {0, 8}, 0},        // an empty paste changes nothing
    {U"{In}{Sep:/}1203", U"12.03.__", U"12/03/  ", 6, {6, 1}, 0},           // the text handed out takes a new separator
    {U"{In}{Sep:/}12/", U"12.__.__", U"12/  /  ", 3, {3, 1}, 1},            // typing is weighed against the screen
    // The leave check.
    {U"{Tab}{Leave}", U"__.__.__", U"  .  .  ", 0, {0, 0}, 0},              // untouched: leaves freely
    {U"{In}.{Leave}", U"__.__.__", U"  .  .  ", 3, {3, 0}, 0},              // a separator jump changes nothing
    {U"{Tab}12{Leave}", U"12.__.__", U"12.  .  ", 6, {6, 1}, 1},            // only a day: year position 6 highlighted
    {U"{Tab}12{Leave}{In}", U"12.__.__", U"12.  .  ", 6, {6, 1}, 1},        // the re-entry keeps that highlight
    {U"{Tab}12{Leave}{In}{Esc}{Leave}", U"__.__.__", U"  .  .  ", 0, {0, 0}, 1},  // ...and the value at entry
    {U"{In}12038{Leave}", U"12.03.8_", U"12.03.8 ", 7, {7, 1}, 1},          // first blank year position is 7
    {U"{In@6}80{Leave}", U"__.__.80", U"  .  .80", 8, {8, 0}, 0},           // only the year: allowed
    {DATE U"{Tab}x{Leave}{Leave}{Esc}{Leave}", U"12.03.80", U"12.03.80", 0, {0, 0}, 3},  // blocked until Escape
    {DATE U"{Tab}x800{Leave}", U"80.0_.__", U"80.0 .  ", 6, {6, 1}, 2},     // a complete year is needed, not a date
    {U"{In}{Del}{Leave}", U"__.__.__", U"  .  .  ", 6, {6, 1}, 1},          // Delete counts as an edit
    {U"{In}{Paste:12.03.}{Leave}", U"12.03.__", U"12.03.  ", 6, {6, 1}, 1}, // so does a paste
    {U"{In}12{Enter}", U"12.__.__", U"12.  .  ", 6, {6, 1}, 1},             // Enter checks at once
    {U"{In}120380{Enter}", U"12.03.80", U"12.03.80", 8, {8, 0}, 0},         // ...and passes a complete year
    // Only the field with the focus shows a highlight; it keeps its caret
    // and shows it again when the focus comes back.
    {U"{In}1203{Left}{Out}", U"12.03.__", U"12.03.  ", 4, {4, 0}, 0},       // the program moved the focus away
    {U"{In}1203{Left}{Out}{In}", U"12.03.__", U"12.03.  ", 4, {4, 1}, 0},   // ...and back
    {U"{In}120380{Home}{Leave}", U"12.03.80", U"12.03.80", 0, {0, 0}, 0},   // left by Tab or a click
    {DATE U"{Tab}{Leave}{In@4}", U"12.03.80", U"12.03.80", 4, {4, 1}, 0},   // back by a click
    {DATE U"{Tab}{Leave}{Tab}", U"12.03.80", U"12.03.80", 0, {0, 8}, 0},    // back by Tab
};

#undef DATE

TEST(DateMask, Scripts)
{
    for (const ScriptCase& c : kScriptCases) {
        const Played run = Play(c.script);
        SCOPED_TRACE(::testing::PrintToString(std::u32string(c.script)));
        EXPECT_EQ(run.mask.ScreenText(), c.screen);
        EXPECT_EQ(run.mask.FieldText(), c.field);
        EXPECT_EQ(run.mask.Caret(), c.caret);
        EXPECT_EQ(run.mask.Highlight(), c.highlight);
        EXPECT_EQ(run.beeps, c.beeps);
    }
}

// Typing is weighed against the separator on the screen, whichever it is.
TEST(DateMask, OtherShownSeparator)
{
    DateMask m(U'-');
    EXPECT_EQ(m.ScreenText(), U"__-__-__");
    for (const char32_t c : std::u32string_view(U"3-7-61"))
        EXPECT_EQ(m.Type(c), DateMask::KeyResult::Accepted) << static_cast<char>(c);
    EXPECT_EQ(m.ScreenText(), U"3_-7_-61");
    m.Press(Key::Home);
    EXPECT_EQ(m.Type(U'.'), DateMask::KeyResult::Rejected);
    m.SetCurrentSeparator(U'.');
    EXPECT_EQ(m.FieldText(), U"3 .7 .61");
}

// A whole date with a four-digit year, as other programs copy it, in the
// order and with the separators of the field; anything else is left alone.
TEST(DateMask, PastedFourDigitYearIsCutToTwo)
{
    struct Case
    {
        DateOrder order;
        char32_t shown;
        char32_t current;
        std::u32string_view text;
        std::u32string_view entered;
    };
    constexpr auto DMY = DateOrder::DayMonthYear;
    constexpr auto MDY = DateOrder::MonthDayYear;
    constexpr auto YMD = DateOrder::YearMonthDay;
    constexpr Case kCases[] = {
        {DMY, U'.', U'.', U"15.03.1985", U"15.03.85"},
        {DMY, U'.', U'.', U"1.3.1985", U"1.3.85"},
        {DMY, U'.', U'.', U"15.03.1985 \t\r\n", U"15.03.85"},
        {MDY, U'/', U'/', U"03/15/1985", U"03/15/85"},
        {YMD, U'-', U'-', U"1985-03-15", U"85-03-15"},
        {DMY, U'.', U'-', U"15-03-1985", U"15-03-85"},       // the current separator, not yet shown
        // Not a whole date in the field's order and separators: unchanged.
        {YMD, U'-', U'-', U"15-03-1985", U"15-03-1985"},     // the year where the order has the day
        {DMY, U'.', U'.', U"1985.03.15", U"1985.03.15"},
        {DMY, U'.', U'.', U"15/03/1985", U"15/03/1985"},
        {DMY, U'.', U'.', U"15.03-1985", U"15.03-1985"},
        {DMY, U'.', U'.', U"15.03.85", U"15.03.85"},
        {DMY, U'.', U'.', U"15.03.198", U"15.03.198"},
        {DMY, U'.', U'.', U"15.03.19850", U"15.03.19850"},
        {DMY, U'.', U'.', U"115.03.1985", U"115.03.1985"},
        {DMY, U'.', U'.', U".03.1985", U".03.1985"},
        {DMY, U'.', U'.', U"15.03.1985.", U"15.03.1985."},
        {DMY, U'.', U'.', U"15.03.1985 12:00", U"15.03.1985 12:00"},
        {DMY, U'.', U'.', U" 15.03.1985", U" 15.03.1985"},
        {DMY, U'.', U'.', U"15031985", U"15031985"},
        {DMY, U'.', U'.', U"15.03.\uFF11985", U"15.03.\uFF11985"},  // a fullwidth digit is no digit here
        {DMY, U'.', U'.', U"", U""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(std::u32string(c.text)));
        DateMask m(c.shown, c.order);
        m.SetCurrentSeparator(c.current);
        EXPECT_EQ(m.WithTwoDigitYear(c.text), c.entered);
    }

    // The order can change while the program runs.
    DateMask m(U'.');
    m.SetCurrentOrder(YMD);
    EXPECT_EQ(m.WithTwoDigitYear(U"1985.03.15"), U"85.03.15");
    m.FocusIn(DateMask::FocusReason::Other);
    m.Paste(U"1985.03.15");
    EXPECT_EQ(m.FieldText(), U"85.03.15");
}

TEST(DateMask, ModifiedFlag)
{
    EXPECT_FALSE(Play(U"{Tab}{Left}{Right}{End}{Home}{@3}").mask.IsModified());
    EXPECT_TRUE(Play(U"{Tab}1").mask.IsModified());
    EXPECT_TRUE(Play(U"{Tab}x").mask.IsModified());  // the selection was blanked
    EXPECT_FALSE(Play(U"{In}x").mask.IsModified());
    EXPECT_TRUE(Play(U"{In}{Paste:1}").mask.IsModified());
    EXPECT_FALSE(Play(U"{In}1{Esc}").mask.IsModified());
}

// The value at entry is taken when the focus comes in from another control,
// not when it comes back after a refused leave.
TEST(DateMask, ValueAtEntryIsTakenOnEachOrdinaryEntry)
{
    const Played run = Play(U"{In}120380{Leave}{In@7}1{Leave}{In}{Home}99{Esc}");
    EXPECT_EQ(run.mask.ScreenText(), U"12.03.81");
    EXPECT_FALSE(run.mask.IsModified());
}

TEST(DateMask, CopyAndCutHandOutTheFieldText)
{
    Played run = Play(U"{In}1{Right}0380{Leave}{Sep:/}{Tab}");
    EXPECT_EQ(run.mask.Copy(), U"1 /03/80");
    EXPECT_EQ(run.mask.ScreenText(), U"1_.03.80");
    EXPECT_EQ(run.mask.Cut(), U"1 /03/80");
    EXPECT_EQ(run.mask.ScreenText(), U"__.__.__");
    EXPECT_TRUE(run.mask.IsModified());

    run.mask.Paste(U"1 /03/80");  // what was cut pastes back
    EXPECT_EQ(run.mask.ScreenText(), U"1_.03.80");

    EXPECT_EQ(run.mask.Copy(), U"");  // caret at the end: nothing highlighted
    EXPECT_EQ(run.mask.Cut(), U"");
    EXPECT_EQ(run.mask.ScreenText(), U"1_.03.80");
}

// Holds for every state the field can reach, whatever it is fed.
void ExpectSound(const DateMask& m, char32_t shownSeparator, std::u32string_view step)
{
    SCOPED_TRACE(::testing::PrintToString(std::u32string(step)));
    const std::u32string& screen = m.ScreenText();
    ASSERT_EQ(screen.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 || i == 5)
            EXPECT_EQ(screen[i], shownSeparator) << i;
        else
            EXPECT_TRUE(screen[i] == U'_' || (screen[i] >= U'0' && screen[i] <= U'9')) << i;
    }
    EXPECT_EQ(m.FieldText().size(), 8u);
    EXPECT_GE(m.Caret(), 0);
    EXPECT_LE(m.Caret(), 8);
    const Range h = m.Highlight();
    EXPECT_GE(h.start, 0);
    EXPECT_GE(h.length, 0);
    EXPECT_LE(h.start + h.length, 8);
}

TEST(DateMask, HostileInputKeepsTheFieldSound)
{
    const char32_t hostile[] = {0, U'\t', U'\n', U'_', U' ', U'{', 0x0663 /* Arabic-Indic 3 */,
                                0xFF11 /* fullwidth 1 */, 0xD800, 0xFFFF, 0x10FFFF, 0x110000, 0xFFFFFFFF};
    const int clicks[] = {INT_MIN, -1, 0, 2, 7, 8, 9, INT_MAX};
    const std::u32string huge(1'000'000, U'7');

    for (const char32_t separator : {U'.', U'/', U'_', U'5', char32_t{0}, char32_t{0xFFFFFFFF}}) {
        DateMask m(separator);
        const auto step = [&](std::u32string_view what) {
            ExpectSound(m, separator, what);
            // The check answers by the year positions alone.
            const bool yearComplete = m.ScreenText()[6] != U'_' && m.ScreenText()[7] != U'_';
            EXPECT_EQ(m.PressEnter() == DateMask::LeaveResult::Passed, !m.IsModified() || yearComplete);
            ExpectSound(m, separator, what);
        };
        for (const int click : clicks) {
            m.FocusIn(DateMask::FocusReason::Click, click);
            step(U"focus in by click");
            m.Click(click);
            step(U"click");
            for (const char32_t c : hostile) {
                m.Type(c);
                step(U"typed");
                m.Paste(std::u32string_view(&c, 1));
                step(U"pasted");
            }
            m.Paste(huge);
            step(U"huge paste");
            m.Press(Key::Backspace);
            m.Press(Key::Left);
            m.Paste(std::u32string(hostile, std::size(hostile)));
            step(U"hostile paste");
            m.Press(Key::Home);
            m.Paste(U"");
            step(U"empty paste");
            m.FocusIn(DateMask::FocusReason::Tab);
            m.Cut();
            step(U"cut");
            m.Press(Key::Escape);
            m.Leave();
            step(U"left");
        }
        EXPECT_EQ(m.FieldText()[2], separator);
    }
}

}  // namespace
}  // namespace kennfix
