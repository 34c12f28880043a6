// Shared pieces of the browser tests: starting a server program on a free loopback
// port, launching Debian's Chromium through playwright-core, and keeping screenshots.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const top = process.env.TB_SOURCE_DIR || path.resolve(__dirname, '..', '..');
const binDir = path.join(process.env.TB_BINARY_DIR || path.join(top, 'build'), 'bin');
const artifacts = path.join(top, 'test-artifacts', 'e2e');

// Starts `program args... --listen 127.0.0.1:0` and resolves with its base URL once it
// prints the address it serves.
function startServer(program, args, env) {
  return new Promise((resolve, reject) => {
    const child = spawn(path.join(binDir, program), [...args, '--listen', '127.0.0.1:0'], {
      env: { ...process.env, ...(env || {}) },
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let out = '';
    let err = '';
    const timer = setTimeout(() => reject(new Error(program + ' did not start: ' + err)), 15000);
    child.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/serving (http:\/\/[^/\s]+)\//);
      if (m) { clearTimeout(timer); resolve({ base: m[1], child, stderr: () => err, stop: () => stop(child) }); }
    });
    child.stderr.on('data', (d) => { err += d; });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(program + ' exited ' + code + ': ' + err)); });
  });
}

function stop(child) {
  return new Promise((resolve) => {
    if (child.exitCode !== null) return resolve(child.exitCode);
    const kill = setTimeout(() => child.kill('SIGKILL'), 5000);
    child.once('exit', (code) => { clearTimeout(kill); resolve(code); });
    child.kill('SIGTERM');
  });
}

const chromiumArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// A fresh browser profile; each call is one independent browser (own cookies). `options`
// adds context options (a password, a certificate made for the test).
async function launch(tmpRoot, viewport, options) {
  const dir = fs.mkdtempSync(path.join(tmpRoot || os.tmpdir(), 'profile-'));
  const context = await chromium.launchPersistentContext(dir, {
    executablePath: process.env.TB_CHROMIUM || '/usr/bin/chromium',
    args: chromiumArgs,
    viewport: viewport || { width: 1024, height: 768 },
    acceptDownloads: true,
    locale: 'ja-JP',
    ...(options || {}),
  });
  // CI runs these next to other tests on two cores: allow for a slow machine.
  context.setDefaultTimeout(60000);
  return { context, dir, close: async () => { await context.close(); fs.rmSync(dir, { recursive: true, force: true }); } };
}

async function shot(page, name) {
  fs.mkdirSync(artifacts, { recursive: true });
  await page.screenshot({ path: path.join(artifacts, name + '.png') });
}

module.exports = { startServer, launch, shot, binDir, top, artifacts };
