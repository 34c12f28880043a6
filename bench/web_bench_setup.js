// What the web host's benchmarks share: their --name value arguments and a freshly
// seeded share (`build/bin/tbseed`) in a temporary folder of its own.
'use strict';
const { execFileSync } = require('node:child_process');
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

module.exports = { top, benchArgs, seedShare };
