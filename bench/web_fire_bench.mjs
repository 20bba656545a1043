// The fire work of one frame (seeding, the averaging pass and the palette lookup on 1024 x 768)
// in WebAssembly in Debian's Chromium: the median over nine runs of 200 frames, as the page
// computes it, three times over. Compare with build/native/bench/fire_bench on the same machine.
//   node bench/web_fire_bench.mjs build/web/site
import { load, startBrowser, startServer } from '../tests/web/browser.mjs';

const server = await startServer(process.argv[2] || 'build/web/site');
const browser = await startBrowser();
try {
  await load(browser.page, server.url);
  for (let round = 0; round < 3; ++round) {
    const milliseconds = await browser.page.evaluate(() => window.emberhall.fireFrameTime(200));
    console.log(`fire work per frame in the browser: ${milliseconds.toFixed(3)} ms`);
  }
} finally {
  await browser.close();
  server.close();
}
