// Starts the page: the module, the date order from the browser's
// languages, the calculator, the list part. The sheet is filled before
// every printout, also one from the browser's own menu.

import { loadEngine } from './engine.js';
import { dateSettingsFor } from './dateorder.js';
import { Calculator } from './calculator.js';
import { ListPart } from './list.js';

// The module has been compiling since the page was read (page/unpack.js).
const loading = loadEngine();
const settings = dateSettingsFor(navigator.languages);
const calculator = new Calculator(await loading, settings, new Date().getFullYear());
window.addEventListener('beforeprint', () => calculator.fillSheet());
new ListPart();
document.documentElement.dataset.bereit = 'ja';
performance.mark('kennfix-bereit');  // the page can be typed into (bench/web_startup.mjs)
