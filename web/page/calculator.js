// One person: the three entries, "eTIN berechnen", the result, "Kopieren"
// and "Drucken", with the window's texts and rules. Errors stand next to
// their field and, with links, in the summary at the top.
//
// The result belongs to the entries it was computed from: as soon as one of
// them changes, it is emptied, so that nothing printed or copied pairs a
// name with another person's eTIN.

import { announce } from './announcer.js';
import { DateField } from './datefield.js';
import { dateHint, formatDate } from './dateorder.js';

export const REJECTED_NAME = 'Nicht übernommen: Dieses Zeichen kann in einem Namen nicht stehen.';
export const COPIED = 'Die eTIN ist in die Zwischenablage kopiert.';

const FIELD_FOR_KIND = { N: 'name', V: 'vorname', D: 'datum' };

export class Calculator {
  constructor(engine, settings, currentYear) {
    this.engine = engine;
    this.settings = settings;
    this.currentYear = currentYear;
    this.$ = (id) => document.getElementById(id);
    this.etin = '';

    this.$('datum-hinweis').textContent = dateHint(settings);
    this.dateField = new DateField(this.$('datum'), engine, settings, {
      onRefused: (message) => this.showErrors([{ field: 'datum', text: message }], 'datum'),
      onChange: () => this.entryChanged('datum'),
    });
    for (const id of ['name', 'vorname']) this.guardName(this.$(id));

    this.$('formular').addEventListener('submit', (e) => {
      e.preventDefault();
      this.compute();
    });
    this.$('drucken').addEventListener('click', () => this.print());
    this.$('kopieren').addEventListener('click', () => this.copy());
    this.$('fehler-liste').addEventListener('click', (e) => {
      const link = e.target.closest('a');
      if (!link) return;
      e.preventDefault();
      this.$(link.dataset.field).focus();
    });
  }

  // A name field takes only what a name can hold (a Windows-1252 form); a
  // change that cannot be is undone and told, as the window's beep tells it.
  guardName(input) {
    let accepted = input.value;
    input.addEventListener('input', () => {
      if (this.engine.canBeName(input.value)) {
        if (input.value !== accepted) {
          accepted = input.value;
          this.entryChanged(input.id);
        }
        return;
      }
      const caret = Math.max(0, input.selectionStart - (input.value.length - accepted.length));
      input.value = accepted;
      input.setSelectionRange(caret, caret);
      announce(REJECTED_NAME);
    });
  }

  entryChanged(id) {
    this.setResult('');
    this.clearError(id);
  }

  compute() {
    const result = this.engine.compute(this.$('name').value, this.$('vorname').value, this.dateField.fieldText(),
                                       this.settings, this.currentYear);
    if (result.kind === 'E') {
      this.clearErrors();
      this.setResult(result.text);
      return;
    }
    this.setResult('');
    // As the window's error box: a full stop where the message has none.
    const text = result.kind === 'D' && !/[.!?]$/.test(result.text) ? `${result.text}.` : result.text;
    const field = FIELD_FOR_KIND[result.kind];
    this.showErrors([{ field, text }], result.kind === 'D' ? null : field);
  }

  setResult(etin) {
    this.etin = etin;
    this.$('etin').textContent = etin;
    this.$('kopieren').disabled = etin === '';
  }

  // Shows the errors beside their fields and in the summary; the focus goes
  // to `focusField` as in the window, else to the summary.
  showErrors(errors, focusField) {
    this.clearErrors();
    const list = this.$('fehler-liste');
    for (const { field, text } of errors) {
      const message = this.$(`${field}-fehler`);
      message.textContent = text;
      message.hidden = false;
      this.$(`feld-${field}`).classList.add('feld-mit-fehler');
      this.$(field).setAttribute('aria-invalid', 'true');
      const item = document.createElement('li');
      const link = document.createElement('a');
      link.href = `#${field}`;
      link.dataset.field = field;
      link.textContent = text;
      item.append(link);
      list.append(item);
    }
    const summary = this.$('fehler');
    summary.hidden = false;
    announce(errors.map((e) => e.text).join(' '));
    (focusField ? this.$(focusField) : summary).focus();
  }

  clearError(field) {
    const message = this.$(`${field}-fehler`);
    if (message.hidden) return;
    message.hidden = true;
    message.textContent = '';
    this.$(`feld-${field}`).classList.remove('feld-mit-fehler');
    this.$(field).removeAttribute('aria-invalid');
    for (const link of this.$('fehler-liste').querySelectorAll(`a[data-field="${field}"]`))
      link.parentElement.remove();
    if (!this.$('fehler-liste').children.length) this.$('fehler').hidden = true;
  }

  clearErrors() {
    for (const field of Object.values(FIELD_FOR_KIND)) this.clearError(field);
  }

  async copy() {
    if (!this.etin) return;
    try {
      await navigator.clipboard.writeText(this.etin);
    } catch {
      // A page opened from disk may lack the clipboard interface: copy the
      // selected result the old way.
      const range = document.createRange();
      range.selectNodeContents(this.$('etin'));
      const selection = getSelection();
      selection.removeAllRanges();
      selection.addRange(range);
      document.execCommand('copy');
      selection.removeAllRanges();
    }
    announce(COPIED);
  }

  // The window's sheet: the entries exactly as they stand, the result, and
  // today's date in the order the page reads dates in.
  sheetTexts(today = new Date()) {
    return {
      name: `Name: ${this.$('name').value}`,
      vorname: `Vorname: ${this.$('vorname').value}`,
      datum: `Geburtsdatum: ${this.dateField.fieldText()}`,
      etin: `Die eTIN lautet: ${this.etin}`,
      fuss: `Erstellt am ${formatDate(this.settings, today.getDate(), today.getMonth() + 1, today.getFullYear())}`
        + ' mit Programm Kennfix – © die Kennfix-Entwickler',
    };
  }

  fillSheet() {
    for (const [key, text] of Object.entries(this.sheetTexts())) this.$(`blatt-${key}`).textContent = text;
  }

  print() {
    this.fillSheet();
    window.print();
  }
}
