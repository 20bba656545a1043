// The fire work of one frame (seeding, the averaging pass and the palette lookup on 1024 x 768)
// in WebAssembly in Debian's Chromium, with SIMD and in the build a browser without it is given,
// side by side with the native engine's on the same machine, in one run: the page's figure is
// the median over nine runs of 200 frames, as the page computes it; the native one is
// fire_bench's median over nine repetitions (engineFrame, AVX2 where the processor has it).
//   node bench/web_fire_bench.mjs build/web/site build/native/bench/fire_bench
import { execFileSync } from 'node:child_process';
import { readFileSync, rmSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { load, startBrowser, startServer } from '../tests/web/browser.mjs';

const [site = 'build/web/site', fireBench = 'build/native/bench/fire_bench'] = process.argv.slice(2);

// fire_bench's median milliseconds per frame of the named benchmark.
function nativeMilliseconds(name) {
  const out = path.join(os.tmpdir(), `emberhall-fire-bench-${process.pid}.json`);
  execFileSync(fireBench, [`--benchmark_filter=^${name}/`, `--benchmark_out=${out}`, '--benchmark_out_format=json'],
    { stdio: 'ignore' });
  const runs = JSON.parse(readFileSync(out, 'utf8')).benchmarks;
  rmSync(out);
  const median = runs.find((run) => run.aggregate_name === 'median');
  return { milliseconds: median.real_time, kernel: median.label || '' };
}

const server = await startServer(site);
const browser = await startBrowser();
try {
  for (let round = 0; round < 3; ++round) {
    const native = nativeMilliseconds('engineFrame');
    const line = [`native ${native.kernel} ${native.milliseconds.toFixed(3)} ms`];
    for (const query of ['', '?simd=off']) {
      await load(browser.page, server.url + query);
      const kernel = await browser.page.evaluate(() => window.emberhall.fireKernel());
      const web = await browser.page.evaluate(() => window.emberhall.fireFrameTime(200));
      line.push(`page ${kernel} ${web.toFixed(3)} ms (${(web / native.milliseconds).toFixed(1)} x)`);
    }
    console.log(`fire work per frame: ${line.join(', ')}`);
  }
} finally {
  await browser.close();
  server.close();
}
