// The web host killed outright (SIGKILL) in the middle of a range print, then started
// again on the same folders: the browser that was printing gets a working page from the
// new host although its cookie names a session that died, the next print succeeds, and
// what the killed host left behind (its half-written document, its temporary folder) is
// cleared away rather than left to pile up.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launch, shot, tenkey, binDir } = require('./harness');

const TZ = 'Asia/Tokyo';
const haveSeeder = fs.existsSync(path.join(binDir, 'tbseed'));
// Files a writer left are only taken for abandoned once they are this old (the form
// library's and the host's rule); the test waits that long after the kill.
const ABANDONED_AFTER_MS = 5500;

// Polls `pred` every `everyMs` (0: as often as the event loop allows).
async function until(what, pred, ms = 60000, everyMs = 20) {
  for (const end = Date.now() + ms; Date.now() < end;) {
    const v = pred();
    if (v) return v;
    await new Promise((r) => (everyMs ? setTimeout(r, everyMs) : setImmediate(r)));
  }
  throw new Error('timed out waiting for ' + what);
}

async function openPrintMode(page, base) {
  await page.goto(base + '/');
  await page.waitForFunction(() => (document.getElementById('lblVersion') || {}).textContent?.startsWith('ver.'));
  await page.click('#optPrint');
  await page.waitForFunction(() => !document.getElementById('lblKara').classList.contains('hidden'));
}

test('SIGKILL during a range print: the restarted host prints and clears what was left', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-e2e-crash-'));
  const dirs = Object.fromEntries(['printed', 'windir', 'tmpdir'].map((d) => [d, path.join(tmp, d)]));
  Object.values(dirs).forEach((d) => fs.mkdirSync(d));
  const share = path.join(tmp, 'share');
  execFileSync(path.join(binDir, 'tbseed'), ['--share-root', share, '--client-dir', path.join(tmp, 'client'), '--years', '1'],
    { env: { ...process.env, TZ } });
  fs.writeFileSync(path.join(dirs.windir, 'printers.ini'),
    `[E2E PDF]\r\nDriver=fmdraw\r\nPort=${dirs.printed}\r\nFormat=pdf\r\nDpi=300\r\n`);
  fs.writeFileSync(path.join(dirs.windir, 'win.ini'), `[windows]\r\ndevice=E2E PDF,fmdraw,${dirs.printed}\r\n`);
  const args = ['--share-root', share, '--client-dir', path.join(tmp, 'client'), '--cache-dir', path.join(tmp, 'cache'),
    '--printer-dir', dirs.windir];
  // The host's temporary folder goes below a folder of the test's own, to be watched.
  const env = { TZ, TMPDIR: dirs.tmpdir };
  const hidden = () => fs.readdirSync(dirs.printed).filter((f) => f.startsWith('.'));
  const pdfs = () => fs.readdirSync(dirs.printed).filter((f) => f.endsWith('.pdf'));
  const hostFolders = () => fs.readdirSync(dirs.tmpdir).filter((f) => f.startsWith('tbclient-'));

  let server = await startServer('tbclient', args, env);
  const browser = await launch(tmp, { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  try {
    await openPrintMode(page, server.base);
    // A year of days, one document each: from this day last year (the end row follows
    // the start, so it is set too) to today.
    const year = Number(await page.locator('#lblYear3_S').textContent());
    await tenkey(page, 'lblYear2_S', year - 1);
    await tenkey(page, 'lblYear3_S', year);
    await page.click('#cmdJikkou');
    // Kill the moment a document other than the first one seen begins: it has all its
    // writing still ahead, so the kill cannot fall between two documents, however fast
    // the machine writes them.
    const first = await until('a document being written', () => hidden()[0], 60000, 20);
    await until('the next document begun', () => hidden().find((f) => f !== first), 60000, 0);
    const exited = new Promise((resolve) => server.child.once('exit', resolve));
    server.child.kill('SIGKILL');
    await exited;
    const killedAt = Date.now();
    const printedBefore = pdfs();
    assert.equal(hidden().length, 1, 'the killed job left its half-written document');
    assert.equal(hostFolders().length, 1, 'and its temporary folder');
    const leftFolder = hostFolders()[0];
    await shot(page, 'crash-1-killed');

    await new Promise((r) => setTimeout(r, Math.max(0, killedAt + ABANDONED_AFTER_MS - Date.now())));
    server = await startServer('tbclient', args, env);
    assert.deepEqual(hostFolders().filter((f) => f === leftFolder), [], 'the new host removed the old folder');
    assert.equal(hostFolders().length, 1);
    // Same browser, same host name: it still sends the dead session's cookie.
    assert.ok((await browser.context.cookies()).length > 0);
    await openPrintMode(page, server.base);
    await page.click('#cmdJikkou');  // today alone
    const made = await until('the next document', () => {
      const m = pdfs().filter((f) => !printedBefore.includes(f));
      return m.length ? m : null;
    });
    await page.waitForFunction(() => document.getElementById('StatusText').textContent === '');
    await shot(page, 'crash-2-printed-after-restart');
    assert.equal(made.length, 1, made.join(' '));
    assert.deepEqual(hidden(), [], 'nothing half-written is left in the printer folder');
    const info = execFileSync('pdfinfo', [path.join(dirs.printed, made[0])], { encoding: 'utf8' });
    assert.ok(Number(info.match(/^Pages:\s+(\d+)/m)[1]) >= 1);
    assert.equal(await server.stop(), 0);
    assert.deepEqual(hostFolders(), [], 'a host that stops removes its folder');
  } finally {
    await browser.close().catch(() => {});
    if (server.child.exitCode === null) server.child.kill('SIGKILL');
    fs.rmSync(tmp, { recursive: true, force: true });
  }
});
