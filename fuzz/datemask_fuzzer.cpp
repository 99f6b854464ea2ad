// The rules of the date-of-birth field under any sequence of keys, pastes,
// clicks and focus moves. After every step the field holds eight characters
// with the separators in place, the caret stays within 0-8, only a focused
// field shows a highlight, and the leave check answers by the year positions
// alone.
//
// Input: the separator shown, then one command after another. A character is
// one byte, or 0xFF and four more bytes (little-endian) for any 32-bit value;
// a position is one byte less '0', so "4" is 4 and other bytes reach from -48
// to 207.
//   L R U D H E X B Q   Left Right Up Down Home End Delete Backspace Escape
//   T O K<pos>          focus comes in by Tab, otherwise, by a click at pos
//   C<pos>              click at pos in the field
//   l n o               leave (Tab away), Enter, focus taken by the program
//   x                   cut (what copying gives is checked after every command)
//   v<count><chars>     paste count characters (count is the byte's value)
//   s<char>             the regional separator changes
//   y<byte>             the regional date order changes: byte % 3 is
//                       day-month-year, month-day-year, year-month-day
//   any other byte      a typed character

#include <cstdint>
#include <string>

#include "app/datemask/datemask.h"
#include "fuzz/check.h"

namespace {

using kennfix::DateMask;
using Key = DateMask::Key;

class Commands {
public:
    Commands(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool AtEnd() const { return m_pos == m_size; }

    std::uint8_t Byte() { return AtEnd() ? 0 : m_data[m_pos++]; }

    char32_t Character(std::uint8_t first)
    {
        if (first != 0xFF)
            return first;
        char32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8)
            c |= static_cast<char32_t>(Byte()) << shift;
        return c;
    }
    char32_t Character() { return Character(Byte()); }

    int Position() { return Byte() - '0'; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

bool IsDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool YearComplete(const DateMask& m)
{
    return IsDigit(m.ScreenText()[6]) && IsDigit(m.ScreenText()[7]);
}

// `focused` is the target's own account of the focus moves so far.
void CheckSound(const DateMask& m, char32_t shown, char32_t current, bool focused)
{
    const std::u32string& screen = m.ScreenText();
    const std::u32string field = m.FieldText();
    FUZZ_CHECK(screen.size() == 8 && field.size() == 8);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 || i == 5) {
            FUZZ_CHECK(screen[i] == shown);
            FUZZ_CHECK(field[i] == current);
        } else {
            FUZZ_CHECK(screen[i] == DateMask::kBlank || IsDigit(screen[i]));
            FUZZ_CHECK(field[i] == (screen[i] == DateMask::kBlank ? U' ' : screen[i]));
        }
    }
    FUZZ_CHECK(m.Caret() >= 0 && m.Caret() <= 8);
    const DateMask::Range h = m.Highlight();
    FUZZ_CHECK(h.start == m.Caret());
    FUZZ_CHECK(h.length >= 0 && h.start + h.length <= 8);
    FUZZ_CHECK(focused ? (h.length > 0 || h.start == 8) : h.length == 0);
    FUZZ_CHECK(m.Copy() == field.substr(h.start, h.length));
}

// Leave and Enter change no text. They refuse exactly a modified field with a
// blank year position, and then highlight the first such position.
void CheckLeaveResult(const DateMask& m, const std::u32string& screenBefore, DateMask::LeaveResult result, bool focused)
{
    FUZZ_CHECK(m.ScreenText() == screenBefore);
    const bool passes = !m.IsModified() || YearComplete(m);
    FUZZ_CHECK((result == DateMask::LeaveResult::Passed) == passes);
    if (!passes) {
        FUZZ_CHECK(m.Caret() == (IsDigit(m.ScreenText()[6]) ? 7 : 6));
        FUZZ_CHECK(m.Highlight() == (DateMask::Range{m.Caret(), focused ? 1 : 0}));
    }
}

void Press(DateMask& m, Key key)
{
    const bool wasModified = m.IsModified();
    m.Press(key);
    if (key == Key::Escape && wasModified)
        FUZZ_CHECK(!m.IsModified() && m.Caret() == 0);
}

void Cut(DateMask& m)
{
    const std::u32string copied = m.Copy();
    const DateMask::Range h = m.Highlight();
    FUZZ_CHECK(m.Cut() == copied);
    for (int i = h.start; i < h.start + h.length; ++i)
        FUZZ_CHECK(i == 2 || i == 5 || m.ScreenText()[i] == DateMask::kBlank);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Commands commands(data, size);
    const char32_t shown = commands.Character();
    char32_t current = shown;
    DateMask m(shown);
    bool focused = false;
    CheckSound(m, shown, current, focused);

    while (!commands.AtEnd()) {
        const std::uint8_t command = commands.Byte();
        const std::u32string screen = m.ScreenText();
        switch (command) {
        case 'L': Press(m, Key::Left); break;
        case 'R': Press(m, Key::Right); break;
        case 'U': Press(m, Key::Up); break;
        case 'D': Press(m, Key::Down); break;
        case 'H': Press(m, Key::Home); break;
        case 'E': Press(m, Key::End); break;
        case 'X': Press(m, Key::Delete); break;
        case 'B': Press(m, Key::Backspace); break;
        case 'Q': Press(m, Key::Escape); break;
        case 'T': m.FocusIn(DateMask::FocusReason::Tab); focused = true; break;
        case 'O': m.FocusIn(DateMask::FocusReason::Other); focused = true; break;
        case 'K': m.FocusIn(DateMask::FocusReason::Click, commands.Position()); focused = true; break;
        case 'C': m.Click(commands.Position()); break;
        case 'l': {
            const DateMask::LeaveResult result = m.Leave();
            CheckLeaveResult(m, screen, result, focused);
            focused = focused && result == DateMask::LeaveResult::Refused;
            break;
        }
        case 'n': CheckLeaveResult(m, screen, m.PressEnter(), focused); break;
        case 'o': m.FocusOut(); focused = false; break;
        case 'x': Cut(m); break;
        case 'v': {
            std::u32string text;
            for (int count = commands.Byte(); count > 0 && !commands.AtEnd(); --count)
                text += commands.Character();
            m.Paste(text);
            break;
        }
        case 's':
            current = commands.Character();
            m.SetCurrentSeparator(current);
            break;
        case 'y':
            m.SetCurrentOrder(static_cast<kennfix::DateOrder>(commands.Byte() % 3));
            break;
        default:
            m.Type(commands.Character(command));
            break;
        }
        CheckSound(m, shown, current, focused);
    }
    return 0;
}
