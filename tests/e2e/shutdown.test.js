// Stopping the web host in the middle of a range print: SIGTERM lets the print job that is
// running finish, starts no other, and the process ends with status 0 within its bound.
// The documents are checked with poppler's tools, the page count against the database.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launch, shot, binDir } = require('./harness');

const TZ = 'Asia/Tokyo';
const haveSeeder = fs.existsSync(path.join(binDir, 'tbseed'));

async function tenkey(page, label, digits) {
  await page.click('#' + label);
  await page.waitForSelector('#frmTenkey #txtNowData');
  for (const d of String(digits)) await page.click('#frmTenkey #cmdTenKey_' + d);
  await page.click('#frmTenkey #cmdKakutei');
  await page.waitForSelector('#frmTenkey', { state: 'detached' });
}

function exitOf(child) {
  return new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
}

test('SIGTERM during a range print finishes the running job and exits 0', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-e2e-shutdown-'));
  const share = path.join(tmp, 'share');
  const printed = path.join(tmp, 'printed');
  const windir = path.join(tmp, 'windir');
  fs.mkdirSync(printed);
  fs.mkdirSync(windir);
  execFileSync(path.join(binDir, 'tbseed'), ['--share-root', share, '--client-dir', path.join(tmp, 'client'), '--years', '1'],
    { env: { ...process.env, TZ } });
  fs.writeFileSync(path.join(windir, 'printers.ini'),
    `[E2E PDF]\r\nDriver=fmdraw\r\nPort=${printed}\r\nFormat=pdf\r\nDpi=300\r\n`);
  fs.writeFileSync(path.join(windir, 'win.ini'), `[windows]\r\ndevice=E2E PDF,fmdraw,${printed}\r\n`);
  const server = await startServer('tbclient', ['--share-root', share, '--client-dir', path.join(tmp, 'client'),
    '--cache-dir', path.join(tmp, 'cache'), '--printer-dir', windir], { TZ });
  const exited = exitOf(server.child);
  const browser = await launch(tmp, { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  try {
    await page.goto(server.base + '/');
    await page.waitForFunction(() => (document.getElementById('lblVersion') || {}).textContent?.startsWith('ver.'));
    await page.click('#optPrint');
    await page.waitForFunction(() => !document.getElementById('lblKara').classList.contains('hidden'));
    // A year of days: from this day last year (the end row follows the start) to today.
    const year = Number(await page.locator('#lblYear3_S').textContent());
    await tenkey(page, 'lblYear2_S', year - 1);
    await tenkey(page, 'lblYear3_S', year);
    await page.click('#cmdJikkou');
    // The first job has begun writing its document.
    await page.waitForFunction(() => /1\/\d+$/.test(document.getElementById('StatusText').textContent));
    for (const end = Date.now() + 60000; Date.now() < end;) {
      if (fs.readdirSync(printed).some((f) => f.startsWith('.fmdraw-'))) break;
      await new Promise((r) => setTimeout(r, 20));
    }
    await shot(page, 'shutdown-1-printing');
    // Documents finished before the signal; on a fast machine several may be.
    const finishedBefore = fs.readdirSync(printed).filter((f) => f.endsWith('.pdf')).length;
    const signalled = Date.now();
    server.child.kill('SIGTERM');
    const timer = setTimeout(() => server.child.kill('SIGKILL'), 40000);
    const { code } = await exited;
    clearTimeout(timer);
    const seconds = (Date.now() - signalled) / 1000;
    assert.equal(code, 0, server.stderr());
    assert.ok(seconds <= 31, `stopped after ${seconds} s`);
    assert.match(server.stderr(), /waiting for 1 print job/);

    // Every document that exists is whole; none is half-written; no new job began.
    const files = fs.readdirSync(printed);
    assert.deepEqual(files.filter((f) => f.startsWith('.')), [], 'no unfinished document');
    const pdfs = files.filter((f) => f.endsWith('.pdf'));
    // At most the document running at the signal is added (one more if a document ended in
    // the moment between counting and signalling); the rest of the year's days never start.
    assert.ok(pdfs.length >= 1 && pdfs.length <= finishedBefore + 2, `${finishedBefore} before: ${pdfs.join(' ')}`);
    assert.ok(pdfs.length < 100, `${pdfs.length} documents: the print went on after the signal`);
    const layout = path.join(share, 'TB_DataBase', 'Vurodor.mdb');
    const pages = Number(execFileSync('sqlite3', [layout,
      'SELECT COUNT(DISTINCT PAGE) FROM 日報出力ページ WHERE PAGE <= (SELECT MAX(ページNO) FROM 日報情報)'],
    { encoding: 'utf8' }).trim());
    for (const f of pdfs) {
      const info = execFileSync('pdfinfo', [path.join(printed, f)], { encoding: 'utf8' });
      assert.equal(Number(info.match(/^Pages:\s+(\d+)/m)[1]), pages, f);
    }
  } finally {
    await browser.close().catch(() => {});
    if (server.child.exitCode === null) server.child.kill('SIGKILL');
    fs.rmSync(tmp, { recursive: true, force: true });
  }
});
