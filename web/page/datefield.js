// The date of birth field: an ordinary text input whose every change goes
// through the date field's rules (app/datemask in the module), as the
// window's field does. The input only shows what the rules answer: the
// eight characters, and the one highlighted character where typing goes.
//
// Keys come as keydown; typed text, an on-screen keyboard's input and paste
// as beforeinput (and input, where a browser does not let beforeinput be
// cancelled).

import { announce } from './announcer.js';

// Keys as web/api.h numbers them.
const KEYS = { ArrowLeft: 0, ArrowRight: 1, ArrowUp: 2, ArrowDown: 3, Home: 4, End: 5, Delete: 6, Backspace: 7,
               Escape: 8 };

export const REJECTED_DIGIT = 'Nicht übernommen: Im Geburtsdatum stehen an dieser Stelle nur Ziffern.';

export class DateField {
  // onRefused(message): the field refused to be left; onChange(): the text
  // the field hands out changed.
  constructor(input, engine, settings, { onRefused, onChange }) {
    this.input = input;
    this.engine = engine;
    this.mask = engine.maskNew(settings.separator.codePointAt(0), settings.order);
    this.onRefused = onRefused;
    this.onChange = onChange;
    this.pointerDown = false;
    this.swallowClick = false;
    this.leaveChecked = false;
    this.pending = null;
    this.render();

    input.addEventListener('keydown', (e) => this.keyDown(e));
    input.addEventListener('beforeinput', (e) => this.beforeInput(e));
    input.addEventListener('input', () => this.afterInput());
    input.addEventListener('copy', (e) => this.clipboard(e, this.engine.maskCopy(this.mask)));
    input.addEventListener('cut', (e) => this.edit(() => this.clipboard(e, this.engine.maskCut(this.mask))));
    input.addEventListener('paste', (e) => {
      e.preventDefault();
      this.edit(() => this.engine.maskPaste(this.mask, e.clipboardData.getData('text/plain')));
    });
    input.addEventListener('drop', (e) => e.preventDefault());
    input.addEventListener('pointerdown', () => { this.pointerDown = true; });
    input.addEventListener('focus', () => this.focusIn());
    input.addEventListener('mouseup', () => this.click());
    input.addEventListener('blur', () => this.blur());
    input.addEventListener('select', () => this.showHighlight());

    // A press elsewhere on the page that would take the focus checks the
    // field first; refused, the press is dropped, so a button does not fire.
    document.addEventListener('pointerdown', (e) => this.pressElsewhere(e), true);
    document.addEventListener('click', (e) => {
      if (this.swallowClick) {
        this.swallowClick = false;
        e.preventDefault();
        e.stopPropagation();
      }
    }, true);
  }

  // The text the field hands out: blanks for "_", always eight characters.
  fieldText() {
    return this.engine.maskFieldText(this.mask);
  }

  state() {
    return this.engine.maskState(this.mask);
  }

  render() {
    const state = this.state();
    if (this.input.value !== state.screen) this.input.value = state.screen;
    this.showHighlight(state);
  }

  showHighlight(state = this.state()) {
    if (document.activeElement !== this.input) return;
    const start = state.length > 0 ? state.start : state.caret;
    const end = state.length > 0 ? state.start + state.length : state.caret;
    if (this.input.selectionStart !== start || this.input.selectionEnd !== end)
      this.input.setSelectionRange(start, end);
  }

  // Runs an edit and tells onChange when the field's text changed.
  edit(action) {
    const before = this.fieldText();
    action();
    this.render();
    if (this.fieldText() !== before) this.onChange();
  }

  type(text) {
    let rejected = false;
    this.edit(() => {
      for (const character of text)
        if (!this.engine.maskType(this.mask, character.codePointAt(0))) rejected = true;
    });
    if (rejected) announce(REJECTED_DIGIT);
  }

  keyDown(e) {
    if (e.altKey || e.metaKey || (e.ctrlKey && !(e.key in KEYS))) return;  // shortcuts stay the browser's
    if (e.key === 'Tab') {
      if (!this.leave()) e.preventDefault();
      return;
    }
    if (e.key === 'Enter') {
      e.preventDefault();
      const passed = this.engine.maskPressEnter(this.mask);
      this.render();
      // Passed, Enter computes, as in every field of the page.
      if (passed) this.input.form.requestSubmit();
      else this.refused();
      return;
    }
    if (e.key in KEYS) {
      e.preventDefault();
      this.edit(() => this.engine.maskPress(this.mask, KEYS[e.key]));
    }
  }

  // An edit the browser announces. Where it cannot be cancelled (some
  // phone keyboards while composing), it is applied after the browser's own
  // change has been put back, when the input event comes.
  beforeInput(e) {
    const edit = {
      inputType: e.inputType,
      text: e.dataTransfer ? e.dataTransfer.getData('text/plain') : e.data,
    };
    if (e.cancelable) {
      e.preventDefault();
      this.apply(edit);
    } else {
      this.pending = edit;
    }
  }

  afterInput() {
    const edit = this.pending;
    this.pending = null;
    this.render();
    if (edit) this.apply(edit);
  }

  apply({ inputType, text }) {
    switch (inputType) {
    case 'insertText':
    case 'insertCompositionText':
    case 'insertReplacementText':
      if (text) this.type(text);
      break;
    case 'insertFromPaste':
    case 'insertFromDrop':
      if (text) this.edit(() => this.engine.maskPaste(this.mask, text));
      break;
    case 'deleteContentBackward':
    case 'deleteWordBackward':
      this.edit(() => this.engine.maskPress(this.mask, KEYS.Backspace));
      break;
    case 'deleteContentForward':
    case 'deleteWordForward':
      this.edit(() => this.engine.maskPress(this.mask, KEYS.Delete));
      break;
    case 'deleteByCut':
      this.edit(() => this.engine.maskCut(this.mask));
      break;
    default:
      this.render();  // nothing else changes the field
    }
  }

  clipboard(e, text) {
    e.preventDefault();
    if (text) e.clipboardData.setData('text/plain', text);
  }

  focusIn() {
    // Reasons as web/api.h counts them: 0 Tab, 1 click, 2 other.
    this.engine.maskFocusIn(this.mask, this.pointerDown ? 1 : 0, this.input.selectionStart || 0);
    this.leaveChecked = false;
    this.render();
  }

  click() {
    this.pointerDown = false;
    this.engine.maskClick(this.mask, this.input.selectionStart || 0);
    this.render();
  }

  // The leave check; false when the field refuses and keeps the focus.
  leave() {
    if (this.engine.maskLeave(this.mask)) {
      this.leaveChecked = true;
      return true;
    }
    this.refused();
    this.render();
    return false;
  }

  refused() {
    this.onRefused(this.engine.refusedMessage());
  }

  pressElsewhere(e) {
    if (document.activeElement !== this.input || e.target === this.input) return;
    const target = e.target.closest && e.target.closest('input, button, a[href], textarea, select, [tabindex]');
    if (target && !this.leave()) {
      e.preventDefault();
      this.swallowClick = true;
    }
  }

  // Any other way out (a click on the page's background, a tap beside the
  // field that closes a phone's keyboard) is checked here; refused, the
  // focus comes back, since a half-typed year would otherwise go into the
  // calculation.
  blur() {
    // Another window or tab took the focus: it comes back as it was.
    if (!document.hasFocus()) return;
    if (!this.leaveChecked && !this.leave()) {
      setTimeout(() => this.input.focus(), 0);
      return;
    }
    this.leaveChecked = false;
    this.engine.maskFocusOut(this.mask);
  }
}
