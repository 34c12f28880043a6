// What the web host's benchmarks share: their --name value arguments and a freshly
// seeded share (`build/bin/tbseed`) in a temporary folder of its own, and the host started
// on it at a free port.
'use strict';
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const top = path.resolve(__dirname, '..');

function benchArgs(argv = process.argv.slice(2)) {
  return Object.fromEntries(argv.reduce((acc, a, i, all) => {
    if (a.startsWith('--')) acc.push([a.slice(2), all[i + 1]]);
    return acc;
  }, []));
}

function seedShare(prefix) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  execFileSync(path.join(top, 'build', 'bin', 'tbseed'),
    ['--share-root', path.join(dir, 'share'), '--client-dir', path.join(dir, 'client')]);
  return { share: path.join(dir, 'share'), client: path.join(dir, 'client'), dir };
}

// Starts `binary` on the share and resolves once it prints the port it serves.
function startServer(binary, share, client) {
  return new Promise((resolve, reject) => {
    const child = spawn(binary, ['--share-root', share, '--client-dir', client, '--listen', '127.0.0.1:0'],
      { stdio: ['ignore', 'pipe', 'inherit'], env: { ...process.env, TZ: process.env.TZ || 'Asia/Tokyo' } });
    let out = '';
    child.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/serving http:\/\/127\.0\.0\.1:(\d+)\//);
      if (m) resolve({ child, port: Number(m[1]) });
    });
    child.on('exit', (c) => reject(new Error('server exited ' + c)));
  });
}

module.exports = { top, benchArgs, seedShare, startServer };
