// The report archive in a real browser: tbarchive archives a few periods of a freshly
// seeded share, tbclient serves it; the selection page links to the archive page, which
// lists kinds, years and months, opens a PDF and saves a CSV with exactly the archived
// bytes, and refuses anything outside the archive.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launch, shot, binDir } = require('./harness');

const TZ = 'Asia/Tokyo';
let server;
let tmp;
let archive;

function tbarchive(args) {
  return execFileSync(path.join(binDir, 'tbarchive'), args, { env: { ...process.env, TZ }, encoding: 'utf8' });
}

before(async () => {
  tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-e2e-archive-'));
  const share = path.join(tmp, 'share');
  const client = path.join(tmp, 'client');
  archive = path.join(tmp, 'archive');
  execFileSync(path.join(binDir, 'tbseed'), ['--share-root', share, '--client-dir', client, '--tags', '30',
    '--years', '1', '--end-date', '2026-03-10']);
  const common = ['--share-root', share, '--client-dir', client, '--archive', archive,
    '--cache-dir', path.join(tmp, 'cache'), '--now', '2026-03-10 12:00'];
  tbarchive([...common, '--kinds', 'daily', '--from', '2026-03-07']);
  tbarchive([...common, '--kinds', 'monthly', '--from', '2026-02-01']);
  server = await startServer('tbclient', ['--share-root', share, '--client-dir', client,
    '--cache-dir', path.join(tmp, 'cache'), '--archive', archive], { TZ });
});

after(async () => {
  if (server) assert.equal(await server.stop(), 0, 'server ends cleanly: ' + server.stderr());
  if (tmp) fs.rmSync(tmp, { recursive: true, force: true });
});

test('the selection page links to the archive, which opens a PDF and saves a CSV', async () => {
  const browser = await launch(tmp);
  try {
    const page = await browser.context.newPage();
    await page.goto(server.base + '/docMain.vbd');
    await page.waitForSelector('#cmdJikkou');
    const link = page.locator('#ArchiveLink');
    await link.waitFor();
    // The link lies outside the page's controls; the controls are the page model's own.
    assert.equal(await page.locator('#doc #ArchiveLink').count(), 0);
    assert.equal(await link.textContent(), '帳票アーカイブ');
    await shot(page, 'archive-01-selection-link');

    await link.click();
    await page.waitForURL('**/archive/');
    assert.equal(await page.locator('h1').textContent(), '帳票アーカイブ');
    assert.match(await page.locator('#daily').textContent(), /2026年\s*3月/);
    assert.match(await page.locator('#monthly').textContent(), /2026年の月報/);
    assert.match(await page.locator('#yearly').textContent(), /まだありません/);
    await shot(page, 'archive-02-index');

    await page.locator('#daily a', { hasText: '3月' }).click();
    await page.waitForURL('**/archive/daily/2026/03/');
    const periods = await page.locator('tbody tr td:first-child').allTextContents();
    assert.deepEqual(periods, ['2026/3/7', '2026/3/8', '2026/3/9']);
    await shot(page, 'archive-03-month');

    // The PDF opens in the browser's viewer in a new tab; fetched by the page, its bytes
    // are the archived ones.
    const pdfFile = path.join(archive, 'daily', '2026', '03', '2026-03-08.pdf');
    const pdfLink = page.locator('a.pdf', { hasText: '2026-03-08.pdf' });
    const pdfResponse = browser.context.waitForEvent('response', (r) => r.url().endsWith('/2026-03-08.pdf'));
    const [tab] = await Promise.all([browser.context.waitForEvent('page'), pdfLink.click()]);
    const response = await pdfResponse;
    assert.equal(response.status(), 200);
    assert.equal(response.headers()['content-type'], 'application/pdf');
    assert.match(tab.url(), /\/archive\/daily\/2026\/03\/2026-03-08\.pdf$/);
    await tab.close();
    const fetched = await page.evaluate(async (href) => {
      const r = await fetch(href);
      return Array.from(new Uint8Array(await r.arrayBuffer()));
    }, await pdfLink.getAttribute('href'));
    assert.ok(Buffer.from(fetched).equals(fs.readFileSync(pdfFile)), 'the PDF as archived');

    // A page CSV is saved under its archived name with its bytes.
    const [download] = await Promise.all([page.waitForEvent('download'),
      page.locator('a.csv', { hasText: '26030802.csv' }).click()]);
    assert.equal(download.suggestedFilename(), '26030802.csv');
    const saved = path.join(tmp, 'saved.csv');
    await download.saveAs(saved);
    assert.ok(fs.readFileSync(saved).equals(fs.readFileSync(path.join(archive, 'daily', '2026', '03', '2026-03-08',
      '26030802.csv'))), 'the CSV as archived');

    // The monthly folder and the way back.
    await page.goto(server.base + '/archive/monthly/2026/');
    assert.deepEqual(await page.locator('tbody tr td:first-child').allTextContents(), ['2026/2']);
    await page.locator('nav a', { hasText: '帳票選択へ戻る' }).click();
    await page.waitForSelector('#cmdJikkou');
  } finally {
    await browser.close();
  }
});

test('nothing outside the archive and nothing unrecorded is served', async () => {
  fs.writeFileSync(path.join(archive, 'daily', '2026', '03', '2026-03-10.pdf'), '%PDF not recorded');
  fs.symlinkSync('/etc/passwd', path.join(archive, 'daily', '2026', '03', 'passwd.csv'));
  const get = async (p) => (await fetch(server.base + p)).status;
  for (const p of ['/archive/..%2f..%2f..%2f..%2fetc%2fpasswd', '/archive/%2e%2e/share/Vurodor.ini',
    '/archive/.tbarchive/lock', '/archive/daily/2026/03/2026-03-10.pdf', '/archive/daily/2026/03/passwd.csv',
    '/archive/daily/2026/03/..%2f..%2f..%2f.tbarchive%2flock', '/archive/daily/2026/', '/archive/nowhere/'])
    assert.equal(await get(p), 404, p);
  assert.equal(await get('/archive/daily/2026/03/manifest.tsv'), 200);
  // The archive's address without its slash leads to the archive.
  const bare = await fetch(server.base + '/archive', { redirect: 'manual' });
  assert.equal(bare.status, 302);
  assert.equal(new URL(bare.headers.get('location'), server.base).pathname, '/archive/');
  // Pages and archived files alike are taken as the type they are sent as, never sniffed.
  for (const p of ['/archive/', '/archive/daily/2026/03/', '/archive/daily/2026/03/2026-03-08.pdf',
    '/archive/daily/2026/03/manifest.tsv', '/archive/nowhere/']) {
    const r = await fetch(server.base + p);
    assert.equal(r.headers.get('x-content-type-options'), 'nosniff', p);
  }
  const post = await fetch(server.base + '/archive/daily/2026/03/2026-03-08.pdf', { method: 'POST' });
  assert.notEqual(post.status, 200);
});
