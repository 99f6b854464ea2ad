// How the page expects a date: the window reads order and separator from
// the system's regional settings, the page from the browser's language,
// and German order when in doubt.

// Order numbers as web/api.h counts them.
export const DAY_MONTH_YEAR = 0;
export const MONTH_DAY_YEAR = 1;
export const YEAR_MONTH_DAY = 2;

const GERMAN = { separator: '.', order: DAY_MONTH_YEAR };

// { separator, order } for the first of the browser's languages that the
// browser can format dates in.
export function dateSettingsFor(languages) {
  for (const language of languages || []) {
    // German everywhere (de-DE, de-AT, de-CH, ...), known without Intl,
    // whose first use costs a page's start a tenth of a second.
    if (/^de(-|$)/i.test(language)) return GERMAN;
    let parts;
    try {
      parts = new Intl.DateTimeFormat(language, { day: '2-digit', month: '2-digit', year: '2-digit' })
        .formatToParts(new Date(2085, 2, 15));
    } catch {
      continue;  // not a language tag the browser knows
    }
    const fields = parts.filter((p) => ['day', 'month', 'year'].includes(p.type)).map((p) => p.type).join(',');
    const orders = { 'day,month,year': DAY_MONTH_YEAR, 'month,day,year': MONTH_DAY_YEAR,
                     'year,month,day': YEAR_MONTH_DAY };
    const literal = parts.find((p) => p.type === 'literal');
    const separator = literal ? literal.value.trim().charAt(0) : '';
    if (!(fields in orders) || !/^[./-]$/.test(separator)) return GERMAN;
    return { separator, order: orders[fields] };
  }
  return GERMAN;
}

function twoDigits(n) {
  return String(n).padStart(2, '0');
}

// A date written in that order: year of two digits for the field, of four
// for the printed sheet's footer.
export function formatDate(settings, day, month, year) {
  const parts = { d: twoDigits(day), m: twoDigits(month), y: String(year) };
  const order = [['d', 'm', 'y'], ['m', 'd', 'y'], ['y', 'm', 'd']][settings.order];
  return order.map((key) => parts[key]).join(settings.separator);
}

// The hint under the field's label: which order the field reads.
export function dateHint(settings) {
  const names = [['Tag', 'Monat', 'Jahr'], ['Monat', 'Tag', 'Jahr'], ['Jahr', 'Monat', 'Tag']][settings.order];
  return `${names[0]}, ${names[1]} und ${names[2]} mit je zwei Ziffern, zum Beispiel ${formatDate(settings, 15, 3, 85)}`;
}
