// What the window tells by a beep, the page tells screen readers through a
// polite live region (#ansage). The same text twice in a row is read twice.

export function announce(text) {
  const region = document.getElementById('ansage');
  region.textContent = '';
  // A fresh text in a later task, so that screen readers see a change.
  setTimeout(() => { region.textContent = text; }, 50);
}
