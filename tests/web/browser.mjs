// Debian's Chromium on the page, for the page's test and its benchmark: a static server of its
// own on a free port, and a browser with a fresh profile that reaches nothing outside.
import { chromium } from 'playwright-core';
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';

// Serves `directory` on 127.0.0.1; returns its address and close(), which ends it by its id.
export async function startServer(directory) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0', '--directory', directory], {
    stdio: ['ignore', 'pipe', 'ignore'],
  });
  const port = await new Promise((resolve, reject) => {
    server.stdout.on('data', (text) => {
      const found = /port (\d+)/.exec(String(text));
      if (found) resolve(found[1]);
    });
    server.on('exit', () => reject(new Error('the static server did not start')));
  });
  return { url: `http://127.0.0.1:${port}/`, close: () => process.kill(server.pid) };
}

// A headless Chromium with a profile of its own; close() ends it and removes the profile.
export async function startBrowser() {
  const profile = mkdtempSync(path.join(tmpdir(), 'emberhall-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1024, height: 768 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const page = context.pages()[0] || (await context.newPage());
  return {
    page,
    close: async () => {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Loads the page and waits for its first picture.
export async function load(page, address) {
  await page.goto(address);
  await page.waitForFunction(() => window.emberhall && window.emberhall.ready, null, { timeout: 30000 });
}
