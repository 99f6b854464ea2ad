// Starts the page: the module, the date order from the browser's
// languages, the calculator, the list part. The sheet is filled before every printout,
// also one from the browser's own menu.

import { loadEngine } from './engine.js';
import { dateSettingsFor } from './dateorder.js';
import { Calculator } from './calculator.js';
import { ListPart } from './list.js';

const engine = await loadEngine();
const calculator = new Calculator(engine, dateSettingsFor(navigator.languages), new Date().getFullYear());
window.addEventListener('beforeprint', () => calculator.fillSheet());
new ListPart();
document.documentElement.dataset.bereit = 'ja';
