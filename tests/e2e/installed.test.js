// The installed service, as a person reaches it: through the reverse proxy (TLS and a
// password) to tbclient running as its system user. Run by scripts/package-test.sh, not
// by ctest: it needs the package installed and the service started.
//   TB_SERVICE_URL   where the browser goes (the proxy)
//   TB_SERVICE_USER  name:password for the proxy
//   TB_SERVICE_SHARE the share the service reads (to compare values with its database)
//   TB_SERVICE_PRINTED the folder of the service's PDF printer
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launch, shot } = require('./harness');

const base = process.env.TB_SERVICE_URL;
const [username, password] = (process.env.TB_SERVICE_USER || ':').split(':');
const share = process.env.TB_SERVICE_SHARE;
const printed = process.env.TB_SERVICE_PRINTED;

function today() {
  const parts = new Intl.DateTimeFormat('en-CA', { year: 'numeric', month: 'numeric', day: 'numeric' })
    .formatToParts(new Date());
  const get = (t) => Number(parts.find((p) => p.type === t).value);
  return { y: get('year'), m: get('month'), d: get('day') };
}

async function started(page) {
  await page.waitForFunction(() => (document.getElementById('lblVersion') || {}).textContent?.startsWith('ver.'));
}

test('a daily report and its print through the installed service', { skip: !base && 'no service' }, async () => {
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-installed-'));
  const browser = await launch(tmp, { width: 1280, height: 900 },
    { ignoreHTTPSErrors: true, httpCredentials: { username, password } });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  try {
    await page.goto(base + '/');
    await started(page);
    // Run with today's date: the grid page of today.
    await page.click('#cmdJikkou');
    await page.waitForURL(/\/docGrid\.vbd$/);
    await page.waitForFunction(() => {
      const g = document.getElementById('grdGrid');
      return g && !g.classList.contains('hidden') && document.getElementById('grdGrid_4_1') &&
        document.getElementById('StatusText').textContent === '';
    });
    await shot(page, 'installed-1-grid');
    const t = today();
    assert.match(await page.locator('#lblTitle').textContent(), new RegExp(`${t.m}月 ?${t.d}日`));
    const db = (name) => path.join(share, 'TB_DataBase', name);
    const q = (file, sql) => JSON.parse(execFileSync('sqlite3', ['-json', '-readonly', file, sql], { encoding: 'utf8' }) || '[]');
    const tag = q(db('Vurodor.mdb'), 'SELECT TAG_ID FROM 日報情報 WHERE ページNO = 1 AND 項目NO = 1')[0].TAG_ID;
    const row = q(db('RIVove.mdb'), `SELECT DATA_1 FROM D_DDAT WHERE DATE = '${t.y}/${t.m}/${t.d}' AND TAG_ID = ${tag}`)[0];
    assert.ok(row, 'today has values');
    const shown = (await page.locator('#grdGrid_4_1').textContent()).replace(/,/g, '');
    if (row.DATA_1 !== null && !isNaN(Number(row.DATA_1)) && /^[\d.-]+$/.test(shown))
      assert.ok(Math.abs(Number(shown) - Number(row.DATA_1)) <= 0.5, `${shown} vs ${row.DATA_1}`);

    // Back, print mode, Run: today's report as a PDF of the service's printer.
    const before = new Set(fs.readdirSync(printed));
    await page.goBack();
    await started(page);
    await page.click('#optPrint');
    await page.waitForFunction(() => !document.getElementById('lblKara').classList.contains('hidden'));
    const download = page.waitForEvent('download');
    await page.click('#cmdJikkou');
    const offered = await download;
    const made = fs.readdirSync(printed).filter((f) => !before.has(f) && f.endsWith('.pdf'));
    assert.equal(made.length, 1, made.join(' '));
    assert.equal(offered.suggestedFilename(), made[0]);
    const pdfText = execFileSync('pdftotext', [path.join(printed, made[0]), '-'], { encoding: 'utf8' });
    assert.ok(pdfText.replace(/\s/g, '').includes(`${t.m}月${t.d}日`), pdfText.slice(0, 200));
    await shot(page, 'installed-2-printed');
  } finally {
    await browser.close();
    fs.rmSync(tmp, { recursive: true, force: true });
  }
});
