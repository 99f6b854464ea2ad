#include "web/api.h"

#include <string>

#include "app/datemask/datemask.h"
#include "core/etin.h"

using namespace kennfix;

namespace {

// The one text handed back; the caller copies it before the next call.
std::string g_answer;

const char* Answer(std::string text)
{
    g_answer = std::move(text);
    return g_answer.c_str();
}

std::string Utf8(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text)
        AppendUtf8(out, c);
    return out;
}

std::u32string Utf32(std::string_view utf8)
{
    std::u32string out;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Utf8Character c = DecodeUtf8(utf8, pos);
        out += c.length ? c.codePoint : U'\uFFFD';
        pos += c.length ? c.length : 1;
    }
    return out;
}

DateMask& Mask(void* mask)
{
    return *static_cast<DateMask*>(mask);
}

DateOrder OrderFrom(int order)
{
    switch (order) {
    case 1: return DateOrder::MonthDayYear;
    case 2: return DateOrder::YearMonthDay;
    default: return DateOrder::DayMonthYear;
    }
}

}  // namespace

extern "C" {

const char* kf_compute(const char* familyName, const char* firstName, const char* dateText, int separator,
                       int order, int currentYear)
{
    const DateSettings settings{static_cast<char>(separator), OrderFrom(order)};
    try {
        const EtinResult result = ComputeEtin(Utf8ToWindows1252(familyName).text, Utf8ToWindows1252(firstName).text,
                                              Utf8ToWindows1252(dateText).text, settings, currentYear);
        switch (result.kind) {
        case EtinResult::FamilyNameMissing: return Answer("N\tName fehlt");
        case EtinResult::FirstNameMissing: return Answer("V\tVorname fehlt");
        case EtinResult::Ok: break;
        }
        return Answer("E\t" + Windows1252ToUtf8(result.etin));  // Š and ’ are bytes of their own there
    } catch (const DateConversionError& e) {
        return Answer("D\t" + Windows1252ToUtf8(e.what()));  // it quotes the date text, which is Windows-1252
    }
}

int kf_can_be_name(const char* text)
{
    return Utf8ToWindows1252(text).unmapped.empty() ? 1 : 0;
}

void* kf_mask_new(int separator, int order)
{
    return new DateMask(static_cast<char32_t>(separator), OrderFrom(order));
}

void kf_mask_delete(void* mask)
{
    delete static_cast<DateMask*>(mask);
}

const char* kf_mask_state(void* mask)
{
    const DateMask& m = Mask(mask);
    const DateMask::Range highlight = m.Highlight();
    return Answer(std::to_string(m.Caret()) + '\t' + std::to_string(highlight.start) + '\t' +
                  std::to_string(highlight.length) + '\t' + (m.IsModified() ? "1" : "0") + '\t' +
                  Utf8(m.ScreenText()));
}

const char* kf_mask_field_text(void* mask)
{
    return Answer(Utf8(Mask(mask).FieldText()));
}

void kf_mask_focus_in(void* mask, int reason, int clickPosition)
{
    const DateMask::FocusReason reasons[] = {DateMask::FocusReason::Tab, DateMask::FocusReason::Click,
                                             DateMask::FocusReason::Other};
    Mask(mask).FocusIn(reasons[reason >= 0 && reason <= 2 ? reason : 2], clickPosition);
}

int kf_mask_leave(void* mask)
{
    return Mask(mask).Leave() == DateMask::LeaveResult::Passed ? 1 : 0;
}

void kf_mask_focus_out(void* mask)
{
    Mask(mask).FocusOut();
}

int kf_mask_press_enter(void* mask)
{
    return Mask(mask).PressEnter() == DateMask::LeaveResult::Passed ? 1 : 0;
}

void kf_mask_click(void* mask, int position)
{
    Mask(mask).Click(position);
}

int kf_mask_type(void* mask, uint32_t character)
{
    return Mask(mask).Type(character) == DateMask::KeyResult::Accepted ? 1 : 0;
}

void kf_mask_press(void* mask, int key)
{
    if (key >= 0 && key <= static_cast<int>(DateMask::Key::Escape))
        Mask(mask).Press(static_cast<DateMask::Key>(key));
}

const char* kf_mask_copy(void* mask)
{
    return Answer(Utf8(Mask(mask).Copy()));
}

const char* kf_mask_cut(void* mask)
{
    return Answer(Utf8(Mask(mask).Cut()));
}

void kf_mask_paste(void* mask, const char* text)
{
    Mask(mask).Paste(Utf32(text));
}

const char* kf_mask_refused_message()
{
    return DateMask::kLeaveRefusedMessage.data();
}

}  // extern "C"
