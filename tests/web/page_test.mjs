// The page in Debian's Chromium, used as a visitor would, in one run: the fire in the standard
// colours and a default message, the same heat grid as the native engine (with WebAssembly SIMD
// and in the build without it), sound after a click,
// the settings panel's flag rules with a yellow fire that survives a reload, a picked file that is
// no sound, the message editor (every character kept), a message in three alphabets and a clock
// drawn exactly as the glyph sheet has them, Chinese, Japanese and Korean from the browser's fonts
// in the ember look, and the screen saver's ends of full screen.
//   node page_test.mjs SITE_DIRECTORY NATIVE_HEAT_CHECKSUM_TOOL NATIVE_MESSAGE_CHECK_TOOL
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { load, startBrowser, startServer } from './browser.mjs';

const [site, checksumTool, messageTool] = process.argv.slice(2);
const fireSound = fileURLToPath(new URL('../../data/fire_data/fire.wav', import.meta.url));
const sheet = fileURLToPath(new URL('../../data/fire_fonts/font.tga', import.meta.url));
let passed = 0;
let failed = 0;

function check(what, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} - ${what}${ok || !detail ? '' : ` (${detail})`}`);
  if (ok) passed++;
  else failed++;
}

// Means of the channels (0 ... 1) over a region of the canvas, how many pixels have blue, and the
// box around them (columns left ... right, rows top ... bottom of the region).
function region(page, x, y, width, height) {
  return page.evaluate(([x, y, width, height]) => {
    const data = document.getElementById('fire').getContext('2d').getImageData(x, y, width, height).data;
    const sum = [0, 0, 0];
    let blue = 0;
    const ink = { left: width, right: -1, top: height, bottom: -1 };
    for (let i = 0; i < data.length; i += 4) {
      for (let c = 0; c < 3; ++c) sum[c] += data[i + c];
      if (data[i + 2] === 0) continue;
      blue++;
      const [column, row] = [(i / 4) % width, Math.floor(i / 4 / width)];
      Object.assign(ink, { left: Math.min(ink.left, column), right: Math.max(ink.right, column),
        top: Math.min(ink.top, row), bottom: Math.max(ink.bottom, row) });
    }
    const n = (255 * data.length) / 4;
    return { r: sum[0] / n, g: sum[1] / n, b: sum[2] / n, blue, ink };
  }, [x, y, width, height]);
}

// Polls `probe` until `test` holds of its result or `seconds` pass; the last result.
async function until(probe, test, seconds) {
  const end = Date.now() + seconds * 1000;
  let value = await probe();
  while (!test(value) && Date.now() < end) {
    await new Promise((resolve) => setTimeout(resolve, 250));
    value = await probe();
  }
  return value;
}

// The user's script as the page keeps it, and a script put in its place.
const storedScript = (page) => page.evaluate(() => {
  const hex = localStorage.getItem('emberhall/fire_data/motd.txt') || '';
  return new TextDecoder().decode(new Uint8Array((hex.match(/../g) || []).map((h) => parseInt(h, 16))));
});
const storeScript = (page, script) => page.evaluate((text) => localStorage.setItem('emberhall/fire_data/motd.txt',
  Array.from(new TextEncoder().encode(text), (b) => b.toString(16).padStart(2, '0')).join('')), script);

// What the native checker says of the canvas now, showing `text` at x, y; null when it differs.
// With `systemGlyphs`, the characters the sheet lacks must be in the ember look instead.
async function messageShown(page, x, y, text, systemGlyphs = false) {
  const rgba = await page.evaluate(() => Array.from(
    document.getElementById('fire').getContext('2d').getImageData(0, 0, 1024, 768).data));
  const rgb = Buffer.alloc((rgba.length / 4) * 3);
  for (let i = 0, j = 0; i < rgba.length; i += 4) for (let c = 0; c < 3; ++c) rgb[j++] = rgba[i + c];
  const file = path.join(site, '..', 'page-message.rgb');
  writeFileSync(file, rgb);
  try {
    const mode = systemGlyphs ? ['--system-glyphs'] : [];
    return execFileSync(messageTool, [...mode, sheet, String(x), String(y), text, file]).toString().trim();
  } catch (error) {
    return null;
  }
}
const two = (n) => String(n).padStart(2, '0');
const clockText = (date) => `${two(date.getHours())}:${two(date.getMinutes())}:${two(date.getSeconds())}`;

const storedSettings = (page) => page.evaluate(() => localStorage.getItem('emberhall/emberhall.dat'));
const bottom = (page) => region(page, 0, 720, 1024, 40);
const yellowFire = (picture) => picture.g > 0.4 && picture.blue > 0;

const server = await startServer(site);
const browser = await startBrowser();
try {
  const page = browser.page;
  page.on('pageerror', (error) => check(`no error in the page: ${error.message}`, false));
  await load(page, server.url);

  const shown = await until(
    async () => ({ fire: await bottom(page), flames: await region(page, 0, 660, 1024, 100), text: await region(page, 0, 160, 1024, 140) }),
    (s) => s.fire.r > 0.4 && s.text.blue > 500,
    10,
  );
  check('fire glows red along the bottom', shown.fire.r > 0.4, `mean red ${shown.fire.r}`);
  check('the standard colours carry no blue', shown.flames.blue === 0, `${shown.flames.blue} blue pixels`);
  check('a default message stands over the fire', shown.text.blue > 500, `${shown.text.blue} glyph pixels`);
  await page.screenshot({ path: path.join(site, '..', 'page-test.png') });

  if (!existsSync(checksumTool)) throw new Error(`${checksumTool} is missing: build the native preset first`);
  // The fire in WebAssembly SIMD, and in the build a browser without it is given (forced here).
  for (const simd of ['', '?simd=off']) {
    if (simd) await load(page, server.url + simd);
    const kernel = await page.evaluate(() => window.emberhall.fireKernel());
    check(`the fire's passes run as ${simd ? 'blocks' : 'simd128'}`, kernel === (simd ? 'blocks' : 'simd128'), kernel);
    for (const [seed, steps] of [[1, 300], [4242, 768]]) {
      const native = execFileSync(checksumTool, [String(seed), String(steps)]).toString().trim();
      const web = await page.evaluate(([s, n]) => window.emberhall.heatChecksum(s, n), [seed, steps]);
      check(`heat grid after ${steps} steps from seed ${seed} as in the native build (${kernel})`, web === native, `${web} != ${native}`);
    }
  }

  await page.mouse.click(512, 400);
  const sound = await until(
    () => page.evaluate(() => [window.emberhall.audioState(), window.emberhall.audioLevel()]),
    ([state, level]) => state === 'running' && level > 0.01,
    5,
  );
  check('after a click the sound graph runs and is not silent', sound[0] === 'running' && sound[1] > 0.01, sound.join(' '));

  // No colour on, sound on, sparks 2: only the sound box shows checked; the fire is black.
  await page.evaluate(() => localStorage.setItem('emberhall/emberhall.dat', '000000010002'));
  await load(page, server.url);
  await page.keyboard.press('s');
  const checks = () => page.$$eval('#settings input[data-control]', (inputs) => inputs.map((i) => i.checked));
  check('only flags equal to 1 show checked', JSON.stringify(await checks()) === '[false,false,false,true,false,false]', await checks());
  check('with no colour on the fire is black', (await bottom(page)).r < 0.02);
  await page.getByLabel('Yellow').check();
  check('Yellow sets the colour flags and keeps the others', (await storedSettings(page)) === '000100010002', await storedSettings(page));
  check('the fire turns yellow', yellowFire(await until(() => bottom(page), yellowFire, 5)));

  await page.locator('#tracks').setInputFiles([
    { name: 'notes.txt', mimeType: 'text/plain', buffer: Buffer.from('no sound') },
    { name: 'fire.wav', mimeType: 'audio/wav', buffer: readFileSync(fireSound) },
  ]);
  await page.waitForFunction(() => document.querySelector('#track-list').textContent === 'fire.wav');
  check('a file that is no sound is left out, by name', (await page.locator('#note').textContent()).includes('notes.txt'));

  await page.locator('#messages input[type="text"]').first().fill('Warm hands');
  await page.locator('#messages input[type="number"]').first().fill('3');
  await page.getByRole('button', { name: 'Save the messages' }).click();
  const script = await page.evaluate(() => {
    const hex = localStorage.getItem('emberhall/fire_data/motd.txt') || '';
    return String.fromCharCode(...hex.match(/../g).map((h) => parseInt(h, 16)));
  });
  check('an edited message is kept in the script format', script.startsWith('Warm+hands 262 195 3000\n'), script.split('\n')[0]);

  await load(page, server.url);
  await page.keyboard.press('s');
  check('yellow survives a reload', (await checks())[1] && yellowFire(await until(() => bottom(page), yellowFire, 5)));
  check('so do the messages', (await page.locator('#messages input[type="text"]').first().inputValue()) === 'Warm hands');
  await page.locator('#messages input[type="text"]').first().fill('Grüße aus Köln');
  await page.getByRole('button', { name: 'Save the messages' }).click();
  const own = (await storedScript(page)).split('\n')[0];
  check('the editor keeps every character, centred', own === 'Grüße+aus+Köln 162 195 3000', own);

  const words = 'Grüße+aus+Köln!-3:30+€5+Ελλάδα+Привет';
  await storeScript(page, `${words} 12 100 60000\n`);
  await load(page, server.url);
  const drawn = await until(() => messageShown(page, 12, 100, words), (seen) => seen !== null, 5);
  check(`${words}: every cell as the sheet draws it`, drawn !== null, 'glyph pixels differ');
  await storeScript(page, '%H:%M:%S 262 300 60000\n');
  await load(page, server.url);
  for (const n of [1, 2]) {
    await page.waitForTimeout(1200);
    const before = new Date(Date.now() - 1000);
    let clock = await messageShown(page, 262, 300, clockText(before));
    if (clock === null) clock = await messageShown(page, 262, 300, clockText(new Date()));
    check(`%H:%M:%S, picture ${n}: the machine's time`, clock !== null, `not ${clockText(new Date())}`);
  }

  // Characters the sheet lacks come from the browser's fonts; one that no font has (an unassigned
  // code point, after the last) keeps its cell empty; on a third line, one wider and one taller
  // than a cell are drawn smaller to fit it. The checker needs a fire without blue.
  const cjk = '新年快乐-こんにちは+안녕+新';
  await page.evaluate(() => localStorage.setItem('emberhall/emberhall.dat', '010000010000'));
  await storeScript(page, `${cjk}\u{3FFFD}-‱⎮ 100 300 60000\n`);
  await load(page, server.url);
  const made = await until(() => messageShown(page, 100, 300, cjk, true), (seen) => seen !== null, 5);
  check(`${cjk}: each character in the ember look, the same one alike, others apart`, made !== null);
  const noFont = await region(page, 600, 350, 50, 50);
  check('a character in no font keeps its cell empty', noFont.blue === 0, `${noFont.blue} glyph pixels`);
  const [wide, tall] = [(await region(page, 100, 400, 50, 50)).ink, (await region(page, 150, 400, 50, 50)).ink];
  check('‱ is drawn smaller, as much down as across, in the middle of its cell',
    wide.left >= 1 && wide.right <= 48 && Math.abs(wide.left + wide.right - 49) <= 1 && wide.top >= 15, JSON.stringify(wide));
  check('⎮ is drawn smaller, in the middle of its cell',
    tall.top >= 1 && tall.bottom <= 48 && tall.bottom > tall.top && Math.abs(tall.left + tall.right - 49) <= 1, JSON.stringify(tall));

  // As a screen saver page: no button; the mouse, its first two buttons and Escape end full screen.
  await load(page, server.url + '?saver');
  check('the saver page shows no settings button', await page.locator('#open-settings').evaluate((b) => getComputedStyle(b).opacity === '0'));
  const fullscreen = () => page.evaluate(() => !!document.fullscreenElement);
  const ends = {
    'moving the mouse': () => page.mouse.move(600, 450),
    'the first button': () => page.mouse.down({ button: 'left' }).then(() => page.mouse.up({ button: 'left' })),
    'the second button': () => page.mouse.down({ button: 'right' }).then(() => page.mouse.up({ button: 'right' })),
    Escape: () => page.keyboard.press('Escape'),
  };
  for (const [what, act] of Object.entries(ends)) {
    await page.mouse.dblclick(512, 400);
    const entered = await until(fullscreen, (full) => full, 3);
    await page.waitForTimeout(500);
    await act();
    const left = !(await until(fullscreen, (full) => !full, 3));
    check(`a double click makes it full screen, ${what} ends that`, entered && left, `${entered} ${left}`);
  }
  await page.mouse.dblclick(512, 400);
  await page.waitForTimeout(500);
  await page.mouse.wheel(0, 100);
  await page.mouse.down({ button: 'middle' });
  await page.mouse.up({ button: 'middle' });
  check('the wheel and the middle button leave it full screen', await fullscreen());
} catch (error) {
  check(`the run goes through: ${error.message}`, false);
} finally {
  await browser.close();
  server.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
