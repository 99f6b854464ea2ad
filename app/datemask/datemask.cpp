#include "app/datemask/datemask.h"

#include <algorithm>

namespace kennfix {

namespace {

bool IsDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

}  // namespace

DateMask::DateMask(char32_t separator, DateOrder order)
    : m_screen{kBlank, kBlank, separator, kBlank, kBlank, separator, kBlank, kBlank},
      m_valueAtEntry(m_screen),
      m_currentSeparator(separator),
      m_currentOrder(order)
{
}

std::u32string DateMask::FieldText() const
{
    std::u32string text = m_screen;
    for (int i = 0; i < kLength; ++i) {
        if (IsSeparatorPosition(i))
            text[i] = m_currentSeparator;
        else if (text[i] == kBlank)
            text[i] = U' ';
    }
    return text;
}

DateMask::Range DateMask::Highlight() const
{
    if (!m_focused)
        return {m_caret, 0};
    if (HasSelection())
        return {m_caret, m_selectionLength};
    if (m_caret < kLength)
        return {m_caret, 1};
    return {kLength, 0};
}

void DateMask::FocusIn(FocusReason reason, int clickPosition)
{
    if (m_focused)
        return;
    m_focused = true;
    m_valueAtEntry = m_screen;
    switch (reason) {
    case FocusReason::Tab:
        m_caret = 0;
        m_selectionLength = kLength;
        break;
    case FocusReason::Click:
        Click(clickPosition);
        break;
    case FocusReason::Other:
        break;
    }
}

DateMask::LeaveResult DateMask::Leave()
{
    const LeaveResult result = Check();
    if (result == LeaveResult::Passed)
        m_focused = false;
    return result;
}

DateMask::LeaveResult DateMask::PressEnter()
{
    return Check();
}

void DateMask::Click(int position)
{
    PlaceCaret(std::clamp(position, 0, kLength));
}

DateMask::KeyResult DateMask::Type(char32_t character)
{
    if (HasSelection())
        BlankSelection();
    if (m_caret == kLength)
        return KeyResult::Rejected;
    if (IsSeparatorPosition(m_caret)) {
        PlaceCaret(m_caret + 1);
        return KeyResult::Accepted;
    }
    if (IsDigit(character)) {
        m_screen[m_caret] = character;
        m_modified = true;
        const int next = m_caret + 1;
        PlaceCaret(IsSeparatorPosition(next) ? next + 1 : next);
        return KeyResult::Accepted;
    }
    // Day and month may be cut short with the separator; the year has no
    // separator after it.
    const int nextSeparator = m_caret < 2 ? 2 : m_caret < 5 ? 5 : kLength;
    if (nextSeparator < kLength && character == m_screen[nextSeparator]) {
        PlaceCaret(nextSeparator + 1);
        return KeyResult::Accepted;
    }
    return KeyResult::Rejected;
}

void DateMask::Press(Key key)
{
    switch (key) {
    case Key::Left:
        if (HasSelection())
            PlaceCaret(m_caret);
        else if (m_caret > 0)
            PlaceCaret(IsSeparatorPosition(m_caret - 1) ? m_caret - 2 : m_caret - 1);
        break;
    case Key::Right:
        if (HasSelection())
            PlaceCaret(m_caret + m_selectionLength);
        else if (m_caret < kLength)
            PlaceCaret(IsSeparatorPosition(m_caret + 1) ? m_caret + 2 : m_caret + 1);
        break;
    case Key::Up:
    case Key::Down:
        break;
    case Key::Home:
        PlaceCaret(0);
        break;
    case Key::End:
        PlaceCaret(kLength);
        break;
    case Key::Backspace:
        if (!HasSelection()) {
            if (m_caret == 0)
                break;
            PlaceCaret(IsSeparatorPosition(m_caret - 1) ? m_caret - 2 : m_caret - 1);
        }
        [[fallthrough]];
    case Key::Delete:
        if (HasSelection())
            BlankSelection();
        else if (m_caret < kLength)
            BlankRange(m_caret, 1);
        break;
    case Key::Escape:
        if (m_modified) {
            m_screen = m_valueAtEntry;
            m_modified = false;
            PlaceCaret(0);
        }
        break;
    }
}

std::u32string DateMask::Copy() const
{
    const Range highlight = Highlight();
    return FieldText().substr(highlight.start, highlight.length);
}

std::u32string DateMask::Cut()
{
    std::u32string copied = Copy();
    Press(Key::Delete);
    return copied;
}

void DateMask::Paste(std::u32string_view pasted)
{
    if (pasted.empty())
        return;
    if (HasSelection())
        BlankSelection();
    const std::u32string text = WithTwoDigitYear(pasted);
    int position = m_caret;
    for (auto it = text.begin(); it != text.end() && position < kLength; ++position) {
        const char32_t c = *it;
        if (IsSeparatorPosition(position)) {
            if (!IsDigit(c))
                ++it;  // stands for the separator; a digit waits for the next position
            continue;
        }
        m_screen[position] = IsDigit(c) ? c : kBlank;
        m_modified = true;
        ++it;
    }
    PlaceCaret(IsSeparatorPosition(position) ? position + 1 : position);
}

std::u32string DateMask::WithTwoDigitYear(std::u32string_view text) const
{
    const std::u32string unchanged(text);
    const auto end = text.find_last_not_of(U" \t\r\n");
    if (end == std::u32string_view::npos)
        return unchanged;
    text = text.substr(0, end + 1);

    const auto first = std::find_if(text.begin(), text.end(), [](char32_t c) { return !IsDigit(c); });
    if (first == text.end())
        return unchanged;
    const char32_t separator = *first;
    if (separator != m_screen[2] && separator != m_currentSeparator)
        return unchanged;

    std::u32string_view groups[3];
    for (int i = 0; i < 3; ++i) {
        const auto next = text.find(separator);
        if ((next == std::u32string_view::npos) != (i == 2))
            return unchanged;  // not exactly three groups
        groups[i] = text.substr(0, next);
        if (i < 2)
            text.remove_prefix(next + 1);
    }
    const int year = m_currentOrder == DateOrder::YearMonthDay ? 0 : 2;
    for (int i = 0; i < 3; ++i) {
        const bool digits = std::all_of(groups[i].begin(), groups[i].end(), IsDigit);
        const bool length = i == year ? groups[i].size() == 4 : groups[i].size() == 1 || groups[i].size() == 2;
        if (!digits || !length)
            return unchanged;
    }
    groups[year].remove_prefix(2);

    std::u32string shortened(groups[0]);
    for (int i = 1; i < 3; ++i)
        shortened.append(1, separator).append(groups[i]);
    return shortened;
}

bool DateMask::YearComplete() const
{
    return IsDigit(m_screen[6]) && IsDigit(m_screen[7]);
}

DateMask::LeaveResult DateMask::Check()
{
    if (!m_modified || YearComplete())
        return LeaveResult::Passed;
    PlaceCaret(IsDigit(m_screen[6]) ? 7 : 6);
    return LeaveResult::Refused;
}

void DateMask::PlaceCaret(int position)
{
    m_caret = position;
    m_selectionLength = 0;
}

// Blanks the digit positions of the selection and puts the caret on the first
// of them.
void DateMask::BlankSelection()
{
    const int start = IsSeparatorPosition(m_caret) ? m_caret + 1 : m_caret;
    BlankRange(m_caret, m_selectionLength);
    PlaceCaret(start);
}

// Blanks the digit positions in [start, start + length); separators stay.
void DateMask::BlankRange(int start, int length)
{
    for (int i = start; i < start + length; ++i) {
        if (!IsSeparatorPosition(i)) {
            m_screen[i] = kBlank;
            m_modified = true;
        }
    }
}

}  // namespace kennfix
