// Characters the glyph sheet lacks, made from the browser's fonts in the page in Debian's
// Chromium (each once, in place, on the page's one thread): the time to make one (the first of
// the visit, then others), the heap each keeps, the longest display-loop call while a message of
// 20 Han characters comes up (made at the start, as usual, or when it is laid out, for a message
// past what the start looks through), and the scene's start with a script of 200 of them.
// Each measure uses characters not made before, as each is made once per visit.
//   node bench/web_glyph_bench.mjs build/web/site
import { load, startBrowser, startServer } from '../tests/web/browser.mjs';

const han = (first, count) => String.fromCodePoint(...Array.from({ length: count }, (_, i) => first + i));
const latin = (count) => 'ABCDEFGHIJKLMNOPQRST'.repeat(Math.ceil(count / 20)).slice(0, count);
// Ten messages of twenty characters.
const script = (text) => text.match(/.{1,20}/gu).map((words) => `${words} 12 300 3000\n`).join('');
// A short message, then `text`: near, or past the 256 kB the start looks through (blanks), so
// that its characters are made at the start or when it is laid out, after the first one's burst.
const secondMessage = (text, past) => `Warm 12 100 500${' '.repeat(past ? 300 * 1024 : 1)}\n${text} 12 300 60000\n`;

// "milliseconds-per-character made heap-bytes", from the page's program.
async function makeGlyphs(page, first, count) {
  const answer = await page.evaluate(([f, n]) =>
    Module.ccall('emberhall_glyph_time', 'string', ['number', 'number'], [f, n]), [first, count]);
  const [milliseconds, made, heap] = answer.split(' ').map(Number);
  return { milliseconds, made, heap };
}

// Puts `text` in place of the script and restarts the scene; the restart's milliseconds.
function restartWith(page, text) {
  return page.evaluate((script) => {
    Module.FS.writeFile('/user/fire_data/motd.txt', script);
    const start = performance.now();
    Module._emberhall_restart();
    return performance.now() - start;
  }, text);
}

// The longest call of the display loop over `seconds` after a restart with `text`.
async function longestFrame(page, text, seconds) {
  await page.evaluate(() => {
    if (!window.benchDraw) {
      window.benchDraw = Module._emberhall_draw;
      Module._emberhall_draw = function () {
        const start = performance.now();
        const steps = window.benchDraw();
        window.benchLongest = Math.max(window.benchLongest, performance.now() - start);
        return steps;
      };
    }
  });
  await restartWith(page, text);
  await page.evaluate(() => { window.benchLongest = 0; });
  await page.waitForTimeout(seconds * 1000);
  return page.evaluate(() => window.benchLongest);
}

const server = await startServer(process.argv[2] || 'build/web/site');
const browser = await startBrowser();
const page = browser.page;
const ms = (value) => `${value.toFixed(2)} ms`;
try {
  await load(page, server.url);
  const cold = await makeGlyphs(page, 0x4e00, 1);
  console.log(`first character of the visit: ${ms(cold.milliseconds)} (${cold.made} made)`);
  let heap = cold.heap;
  for (const first of [0x4e10, 0x5000, 0x5200]) {
    const warm = await makeGlyphs(page, first, 50);
    console.log(`next characters: ${ms(warm.milliseconds)} each (${warm.made} of 50 made), ` +
      `${((warm.heap - heap) / 50 / 1024).toFixed(1)} kB of heap kept each`);
    heap = warm.heap;
  }

  // The first message's hold and burst are 7.75 s.
  const sheetOnly = await longestFrame(page, secondMessage(latin(20), true), 9);
  const atStart = await longestFrame(page, secondMessage(han(0x5400, 20), false), 9);
  const atLayout = await longestFrame(page, secondMessage(han(0x5500, 20), true), 9);
  console.log(`longest display-loop call as a message comes up: ${ms(sheetOnly)} for 20 sheet letters, ` +
    `${ms(atStart)} for 20 Han made at the start, ${ms(atLayout)} for 20 Han made when laid out`);

  for (const first of [0x5600, 0x5800, 0x5a00]) {
    const plain = await restartWith(page, script(latin(200)));
    const withHan = await restartWith(page, script(han(first, 200)));
    console.log(`scene start: ${ms(plain)} with 200 sheet letters, ${ms(withHan)} with 200 Han characters`);
  }
  const after = await makeGlyphs(page, 0x5c00, 0);
  console.log(`heap in use after ${1 + 150 + 40 + 600} characters: ${(after.heap / 1048576).toFixed(1)} MB`);
} finally {
  await browser.close();
  server.close();
}
