#pragma once

// The page's way into the core and the date field's rules: a handful of
// plain C functions, so that the JavaScript side needs no binding library.
//
// Texts go in and come out as NUL-terminated UTF-8. A returned text lives
// until the next call that returns one; the page copies it at once.
//
// The same file is built natively for the differential test, which feeds
// the same people to both builds and compares every answer.

#include <cstdint>

#include "web/export.h"

extern "C" {

// The eTIN of one person, read with the date settings given (separator as a
// character, order 0 day-month-year, 1 month-day-year, 2 year-month-day) and
// the current year for two-digit years. The answer is one letter, a tab and
// a text:
//   "E\t<eTIN>"     the eTIN
//   "N\tName fehlt" the family name is empty (checked first)
//   "V\tVorname fehlt"
//   "D\t<message>"  the date is not valid; the message names it
KENNFIX_WEB_EXPORT const char* kf_compute(const char* familyName, const char* firstName, const char* dateText, int separator,
                       int order, int currentYear);

// 1 when every character of the UTF-8 text can be typed into a name field
// (has a Windows-1252 form), else 0.
KENNFIX_WEB_EXPORT int kf_can_be_name(const char* text);

// The date field: one DateMask per field, made with the separator it shows
// and the date order (as for kf_compute), which tells where a pasted date
// has its year.
KENNFIX_WEB_EXPORT void* kf_mask_new(int separator, int order);
KENNFIX_WEB_EXPORT void kf_mask_delete(void* mask);

// The field's state as one text: caret, highlight start and length, the
// modified flag and the eight screen characters, tab-separated:
//   "<caret>\t<start>\t<length>\t<modified>\t<screen text>"
KENNFIX_WEB_EXPORT const char* kf_mask_state(void* mask);
// The text the field hands out ("  .  .  " when empty).
KENNFIX_WEB_EXPORT const char* kf_mask_field_text(void* mask);

// Focus: reason 0 Tab, 1 Click, 2 other. Leave and enter answer 1 when the
// check passes, 0 when it refuses (the page then shows the message and
// keeps the focus in the field).
KENNFIX_WEB_EXPORT void kf_mask_focus_in(void* mask, int reason, int clickPosition);
KENNFIX_WEB_EXPORT int kf_mask_leave(void* mask);
KENNFIX_WEB_EXPORT void kf_mask_focus_out(void* mask);
KENNFIX_WEB_EXPORT int kf_mask_press_enter(void* mask);
KENNFIX_WEB_EXPORT void kf_mask_click(void* mask, int position);

// A typed character (a code point); 1 accepted, 0 rejected.
KENNFIX_WEB_EXPORT int kf_mask_type(void* mask, uint32_t character);
// Keys: 0 Left, 1 Right, 2 Up, 3 Down, 4 Home, 5 End, 6 Delete, 7 Backspace, 8 Escape.
KENNFIX_WEB_EXPORT void kf_mask_press(void* mask, int key);
// Clipboard: what copy and cut put there (empty: leave the clipboard as it is).
KENNFIX_WEB_EXPORT const char* kf_mask_copy(void* mask);
KENNFIX_WEB_EXPORT const char* kf_mask_cut(void* mask);
KENNFIX_WEB_EXPORT void kf_mask_paste(void* mask, const char* text);

// The message shown when the field refuses to be left.
KENNFIX_WEB_EXPORT const char* kf_mask_refused_message();
}
