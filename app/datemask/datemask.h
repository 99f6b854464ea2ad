#pragma once

// The rules of the date-of-birth field, kept apart from any widget so that
// they can be tested without a screen.
//
// The field has eight positions, day, month and two-digit year:
//   0 1 | 2 | 3 4 | 5 | 6 7
//   day   sep month sep year
// Digit positions hold "0"-"9" or the blank "_"; positions 2 and 5 always hold
// the separator the field was shown with. The caret runs from 0 to 8 (8 is
// behind the last year digit) and is shown as a one-character highlight, so
// that typing overwrites the highlighted character; the highlight shows only
// while the field has the focus.
//
// The widget forwards typed characters, keys, clipboard actions and focus
// moves, and draws what it reads back. A call that answers Rejected or Refused
// wants the system beep; Refused also wants the error box with
// kLeaveRefusedMessage and the focus kept in the field.
//
// Texts are UTF-32 so that one position is one character.

#include <string>
#include <string_view>

#include "core/shortdate.h"

namespace kennfix {

class DateMask
{
public:
    static constexpr int kLength = 8;
    static constexpr char32_t kBlank = U'_';

    // UTF-8; ends in a full stop, so the error box adds none.
    static constexpr std::string_view kLeaveRefusedMessage =
        "Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.";

    // The keys the field owns besides typed characters. Up and Down are owned
    // only so that they do nothing.
    enum class Key { Left, Right, Up, Down, Home, End, Delete, Backspace, Escape };

    // How the focus came into the field.
    enum class FocusReason { Tab, Click, Other };

    // Rejected: nothing was typed; beep.
    enum class KeyResult { Accepted, Rejected };

    // Refused: beep, show kLeaveRefusedMessage, keep the focus in the field.
    enum class LeaveResult { Passed, Refused };

    // A highlighted range of positions; length 0 when nothing is highlighted.
    struct Range
    {
        int start;
        int length;
        friend bool operator==(const Range&, const Range&) = default;
    };

    // An empty field showing `separator`, which is also the current one;
    // `order` is how the regional settings write dates.
    explicit DateMask(char32_t separator, DateOrder order = DateOrder::DayMonthYear);

    // The eight characters on the screen: "_" for blanks, the separator the
    // field was shown with.
    const std::u32string& ScreenText() const { return m_screen; }

    // The text the field hands out: the screen text with blanks for "_" and the
    // current separator, always eight characters ("  .  .  " when empty).
    std::u32string FieldText() const;

    // Where typing goes next, 0-8; with a longer selection its first position.
    int Caret() const { return m_caret; }

    // What is shown highlighted: nothing while the field does not have the
    // focus, so that only one control looks focused; else the selection (the
    // whole text after Tab), or the character at the caret, or nothing when
    // the caret is at 8. Caret and selection stay while the focus is away and
    // show again when it comes back in the ordinary way.
    Range Highlight() const;

    // Set by the user's edits (typing, Delete, Backspace, cut, paste), cleared
    // by Escape.
    bool IsModified() const { return m_modified; }

    // The regional separator changed. The text handed out takes it at once;
    // the screen keeps the separator it was shown with, since the program never
    // shows the pattern afresh and typing is weighed against what the user sees.
    void SetCurrentSeparator(char32_t separator) { m_currentSeparator = separator; }

    // The regional order of day, month and year changed; it tells where a
    // pasted date has its year.
    void SetCurrentOrder(DateOrder order) { m_currentOrder = order; }

    // The focus moves into the field from another control. Remembers the screen
    // text as the value at entry; Tab selects the whole text, Click highlights
    // `clickPosition` (clamped to 0-8), Other keeps caret and selection.
    // Ignored while the field holds the focus, which is the case after a refused
    // Leave: the focus never left, so the value at entry and the highlighted
    // year position stay.
    void FocusIn(FocusReason reason, int clickPosition = 0);

    // The focus is about to move to another control of the window (Tab or a
    // mouse click elsewhere). Passes when the field is unmodified or both year
    // positions hold digits; the field then counts as unfocused. Otherwise the
    // caret goes to the first blank year position, highlighted, and the text,
    // the modified flag and the value at entry stay.
    LeaveResult Leave();

    // The focus went elsewhere without the user moving it (the program put
    // it into another field): no check, the field just counts as unfocused.
    void FocusOut() { m_focused = false; }

    // Enter: the same check at once; the focus stays either way.
    LeaveResult PressEnter();

    // A mouse click in the focused field: highlights that position (clamped to
    // 0-8), a separator included.
    void Click(int position);

    // A typed character. A longer selection is blanked first, even when the
    // character is then rejected. A digit fills a digit position; the
    // separator in the day or month part jumps behind the next separator; on a
    // separator position any character steps over it.
    KeyResult Type(char32_t character);

    // Left and Right move by one digit position, skipping separators; with a
    // longer selection they go to its start or its end. Home goes to 0, End
    // to 8. Delete blanks the selected digit positions, or the one at the
    // caret. Backspace blanks the digit position before the caret and moves
    // there; with a longer selection it acts as Delete. Escape restores the
    // value at entry when the field is modified, clears the flag and puts the
    // caret at 0.
    void Press(Key key);

    // Ctrl+C: the highlighted part of the field text (blanks, current
    // separator), so that it reads well elsewhere and pastes back unchanged.
    // Empty when nothing is highlighted; the clipboard should then stay as is.
    std::u32string Copy() const;

    // Ctrl+X: Copy(), then the highlighted digit positions become blanks.
    std::u32string Cut();

    // Ctrl+V: a longer selection is blanked first; then the text goes in from
    // the caret, one character per position: a digit fills a digit position,
    // any other character leaves it blank; on a separator position a
    // non-digit stands for the separator, while a digit there means the
    // separator is missing, so it is supplied and the digit goes on. Input
    // stops behind position 7, so "12.03.19801" at 0 gives 12.03.19.
    // A whole date with a four-digit year goes in with its last two digits
    // (see WithTwoDigitYear): "12.03.1980" at 0 gives 12.03.80.
    void Paste(std::u32string_view text);

    // `text` with its year cut to the last two digits when it is a whole date
    // written as the regional settings write it, but with a four-digit year:
    // three groups of digits joined by the separator shown or the current
    // one, the year group (last, or first in year-month-day order) of four
    // digits, the others of one or two; trailing blanks and line ends, as
    // spreadsheets copy a cell, are dropped with it. Dates copied from other
    // programs carry the whole year, while the field holds two digits, which
    // is all the eTIN encodes; without this the year's first two digits
    // would be taken as the year. Any other text comes back unchanged.
    std::u32string WithTwoDigitYear(std::u32string_view text) const;

private:
    static bool IsSeparatorPosition(int position) { return position == 2 || position == 5; }
    bool HasSelection() const { return m_selectionLength > 1; }
    bool YearComplete() const;
    LeaveResult Check();
    void PlaceCaret(int position);
    void BlankSelection();
    void BlankRange(int start, int length);

    std::u32string m_screen;
    std::u32string m_valueAtEntry;
    char32_t m_currentSeparator;
    DateOrder m_currentOrder;
    int m_caret = 0;
    int m_selectionLength = 0;  // > 1 for a selection; the caret is its start
    bool m_modified = false;
    bool m_focused = false;
};

}  // namespace kennfix
