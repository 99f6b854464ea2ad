// The list part of the page: a CSV staff list chosen or dropped, run through
// the list engine in a worker (page/listworker.js), its counts, messages and
// the rows that need attention, and "Liste mit eTIN speichern" as a
// download of exactly the bytes kennfix-batch writes. The texts are those of
// the list window kennfix-liste.

import { wasmBytes, workerUrl } from './engine.js';

const DELIMITER_NAMES = { ';': 'Semikolon (;)', ',': 'Komma (,)', tab: 'Tabulator' };
const ROLES = ['Familienname', 'Vorname', 'Geburtsdatum'];

// „personal.csv“
function quoted(text) {
  return `„${text}“`;
}

// The name the download proposes, as the list window proposes it: the
// list's name without its extension and with "-etin.csv".
export function proposedName(listName) {
  const dot = listName.lastIndexOf('.');
  const stem = dot > 0 ? listName.slice(0, dot) : listName;
  return `${stem}-etin.csv`;
}

function element(tag, properties = {}, children = []) {
  const e = Object.assign(document.createElement(tag), properties);
  e.append(...children);
  return e;
}

export class ListPart {
  constructor() {
    const $ = (id) => document.getElementById(id);
    this.section = $('liste');
    this.input = $('liste-datei');
    this.running = $('liste-lauf');
    this.runningText = $('liste-lauf-text');
    this.progress = $('liste-fortschritt');
    this.cancelButton = $('liste-abbrechen');
    this.columns = $('liste-spalten');
    this.columnsQuestion = $('liste-spalten-frage');
    this.delimiterField = $('liste-feld-trennzeichen');
    this.delimiterBox = $('liste-trennzeichen');
    this.roleBoxes = ['liste-familienname', 'liste-vorname', 'liste-geburtsdatum'].map($);
    this.columnsHint = $('liste-spalten-hinweis');
    this.columnsRead = $('liste-lesen');
    this.columnsCancel = $('liste-spalten-abbrechen');
    this.message = $('liste-meldung');
    this.result = $('liste-ergebnis');
    this.summary = $('liste-zusammenfassung');
    this.notes = $('liste-hinweise');
    this.save = $('liste-speichern');
    this.rows = $('liste-zeilen');
    this.rowsBody = this.rows.querySelector('tbody');
    this.moreRows = $('liste-weitere');
    this.announcer = $('liste-ansage');
    this.worker = null;
    this.file = null;
    this.choice = null;
    this.saveUrl = null;

    this.input.addEventListener('change', () => {
      const file = this.input.files[0];
      // Emptied, so that choosing the same file again (changed since) reads
      // it again; the summary names the list shown.
      this.input.value = '';
      if (file) this.read(file);
    });
    this.section.addEventListener('dragover', (event) => {
      if (event.dataTransfer.types.includes('Files')) {
        event.preventDefault();
        event.dataTransfer.dropEffect = 'copy';
      }
    });
    this.section.addEventListener('drop', (event) => {
      if (event.dataTransfer.files.length === 0) return;
      event.preventDefault();
      this.read(event.dataTransfer.files[0]);
    });
    this.cancelButton.addEventListener('click', () => this.cancel());
    this.delimiterBox.addEventListener('change', () => this.showHeader());
    for (const box of this.roleBoxes) box.addEventListener('change', () => this.checkChoice());
    this.columns.addEventListener('submit', (event) => {
      event.preventDefault();
      this.readWithColumns();
    });
    this.columnsCancel.addEventListener('click', () => {
      this.columns.hidden = true;
      this.input.focus();
    });
    this.section.hidden = false;
  }

  // Reads `file` in a fresh worker; the list shown stays until it is read.
  read(file) {
    this.stopWorker();
    this.file = file;
    this.worker = new Worker(workerUrl('listworker'));
    this.worker.onmessage = (event) => this.answer(event.data);
    this.worker.onerror = () => this.failed('Die Liste kann in diesem Browser nicht gelesen werden.');
    this.started();
    // The bytes are unpacked by the time a list can be chosen; a worker
    // stopped meanwhile drops the message.
    const worker = this.worker;
    wasmBytes().then((wasm) => worker.postMessage({ run: file, wasm, options: {} }));
  }

  readWithColumns() {
    const header = this.header();
    this.columns.hidden = true;
    this.started();
    this.worker.postMessage({ choose: [header, ...this.roleBoxes.map((box) => box.selectedIndex - 1)] });
  }

  cancel() {
    this.stopWorker();
    this.running.hidden = true;
    this.say('Abgebrochen.');
    this.input.focus();
  }

  stopWorker() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
  }

  started() {
    this.message.hidden = true;
    this.runningText.textContent = `${quoted(this.file.name)} wird gelesen …`;
    this.progress.value = 0;
    this.running.hidden = false;
    this.say(this.runningText.textContent);
  }

  answer(data) {
    if (data.progress !== undefined) {
      this.progress.value = data.total > 0 ? data.progress / data.total : 0;
      return;
    }
    this.running.hidden = true;
    if (data.failure !== undefined) {
      this.failed('Die Liste kann in diesem Browser nicht gelesen werden.');
      return;
    }
    const result = data.result;
    if (result.status === 2) {
      if (result.choice) this.chooseColumns(result);
      else this.failed(result.message);
      return;
    }
    this.show(result, data.list);
  }

  failed(message) {
    this.stopWorker();
    this.running.hidden = true;
    this.message.textContent = message;
    this.message.hidden = false;
    this.message.focus();
  }

  say(text) {
    this.announcer.textContent = text;
  }

  // The header lacks a column: which of its columns hold the three, and under
  // which delimiter when that was a guess (as the list window's dialog asks).
  chooseColumns(result) {
    this.choice = result.choice;
    this.columnsQuestion.textContent = `${result.message} Welche Spalten enthalten Familienname, Vorname und ` +
      'Geburtsdatum? Die Wahl gilt nur für diese Liste.';
    this.delimiterField.hidden = !this.choice.delimiterChoosable;
    this.delimiterBox.replaceChildren(...this.choice.headers.map((header, i) =>
      element('option', { value: String(i), textContent: DELIMITER_NAMES[header.delimiter] || header.delimiter })));
    this.delimiterBox.selectedIndex = this.choice.preferred;
    this.showHeader();
    this.columns.hidden = false;
    this.columnsQuestion.focus();
  }

  header() {
    return this.choice.delimiterChoosable ? this.delimiterBox.selectedIndex : 0;
  }

  showHeader() {
    const header = this.choice.headers[this.header()];
    this.roleBoxes.forEach((box, role) => {
      box.replaceChildren(element('option', { value: '', textContent: '(bitte wählen)' }),
                          ...header.names.map((name) => element('option', { textContent: name })));
      box.selectedIndex = header.fitting[role] + 1;
    });
    this.checkChoice();
  }

  checkChoice() {
    const chosen = new Set(this.roleBoxes.map((box) => box.selectedIndex).filter((i) => i > 0));
    const complete = chosen.size === ROLES.length;
    this.columnsRead.disabled = !complete;
    this.columnsHint.hidden = complete;
  }

  show(result, list) {
    if (this.saveUrl) URL.revokeObjectURL(this.saveUrl);
    this.saveUrl = URL.createObjectURL(list);
    this.save.href = this.saveUrl;
    this.save.download = proposedName(this.file.name);
    this.summary.textContent = `${quoted(this.file.name)}: ${result.summaryLine}`;
    this.notes.replaceChildren(...result.messages.map((text) => element('li', { textContent: text })));
    this.notes.hidden = result.messages.length === 0;
    this.rowsBody.replaceChildren(...result.attention.map((row) => element('tr', {}, [
      element('th', { scope: 'row', textContent: String(row.line) }),
      element('td', { textContent: [row.familyName, row.firstName, row.birthDate].filter((t) => t).join(', ') }),
      element('td', {}, [row.error && `Fehler: ${row.error}`, row.error && row.check ? element('br') : '',
                         row.check && `Prüfung: ${row.check}`]),
    ])));
    this.rows.hidden = result.attention.length === 0;
    this.moreRows.textContent = result.attentionMore > 0
      ? `… und ${result.attentionMore.toLocaleString('de-DE')} weitere Zeilen mit Fehler oder Abweichung; alle ` +
        'stehen in der gespeicherten Liste.'
      : '';
    this.moreRows.hidden = result.attentionMore === 0;
    this.result.hidden = false;
    this.say(result.summaryLine);
    this.summary.focus();
  }
}
