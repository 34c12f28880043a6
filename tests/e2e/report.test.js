// The report pages in a real browser: tbclient on a freshly seeded share, driven like a
// person would (kind and mode, a date through the ten-key dialog, Run, the grid page, its
// steps and jumps, the CSV export, the workbook export, back). Expected values come from
// the share's databases, read with the sqlite3 tool, not from the client.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launch, shot, binDir, artifacts } = require('./harness');

const TZ = 'Asia/Tokyo';
let server;
let tmp;
let share;
let client;
let printed;

function seed() {
  if (process.env.TB_E2E_SHARE) {  // a prepared share, copied (for working on the tests)
    fs.cpSync(process.env.TB_E2E_SHARE, tmp, { recursive: true });
  } else {
    execFileSync(path.join(binDir, 'tbseed'), ['--share-root', share, '--client-dir', client]);
  }
}

const haveSeeder = !!process.env.TB_E2E_SHARE || fs.existsSync(path.join(binDir, 'tbseed'));

before(async () => {
  if (!haveSeeder) return;
  tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-e2e-report-'));
  share = path.join(tmp, 'share');
  client = path.join(tmp, 'client');
  seed();
  // The default printer writes PDF documents into a folder.
  printed = path.join(tmp, 'printed');
  const windir = path.join(tmp, 'windir');
  fs.mkdirSync(printed);
  fs.mkdirSync(windir);
  fs.writeFileSync(path.join(windir, 'printers.ini'),
    `[E2E PDF]\r\nDriver=fmdraw\r\nPort=${printed}\r\nFormat=pdf\r\nDpi=300\r\n`);
  fs.writeFileSync(path.join(windir, 'win.ini'), `[windows]\r\ndevice=E2E PDF,fmdraw,${printed}\r\n`);
  server = await startServer('tbclient', ['--share-root', share, '--client-dir', client,
    '--cache-dir', path.join(tmp, 'cache')], { TZ, FMDRAW_WINDIR: windir });
});

after(async () => {
  if (server) assert.equal(await server.stop(), 0, 'server ends cleanly: ' + server.stderr());
  if (tmp) fs.rmSync(tmp, { recursive: true, force: true });
});

// ------------------------------------------------------------------ helpers

function findFile(dir, name) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const p = path.join(dir, entry.name);
    if (entry.isDirectory()) { const f = findFile(p, name); if (f) return f; }
    if (entry.name.toLowerCase() === name.toLowerCase()) return p;
  }
  return null;
}

function sql(db, query) {
  const out = execFileSync('sqlite3', ['-json', '-readonly', db, query], { encoding: 'utf8' });
  return out.trim() ? JSON.parse(out) : [];
}

function iniValue(file, section, key) {
  const text = new TextDecoder('shift_jis').decode(fs.readFileSync(file));
  let inSection = false;
  for (const raw of text.split(/\r?\n/)) {
    const line = raw.trim();
    if (line.startsWith('[')) { inSection = line.slice(1, -1).trim().toLowerCase() === section.toLowerCase(); continue; }
    const eq = line.indexOf('=');
    if (inSection && eq > 0 && line.slice(0, eq).trim().toLowerCase() === key.toLowerCase()) return line.slice(eq + 1).trim();
  }
  return '';
}

function today() {
  const parts = new Intl.DateTimeFormat('en-CA', { timeZone: TZ, year: 'numeric', month: 'numeric', day: 'numeric' })
    .formatToParts(new Date());
  const get = (t) => Number(parts.find((p) => p.type === t).value);
  return { y: get('year'), m: get('month'), d: get('day') };
}

const text = (page, sel) => page.locator(sel).textContent();
const visible = (page, sel) => page.locator(sel).evaluate((el) => !el.classList.contains('hidden') && getComputedStyle(el).visibility !== 'hidden');
const colour = (page, sel) => page.locator(sel).evaluate((el) => getComputedStyle(el).color);
const RED = 'rgb(255, 0, 0)';
const BLUE = 'rgb(0, 0, 255)';
const BLACK = 'rgb(0, 0, 0)';
const GREY = 'rgb(128, 128, 128)';

async function started(page) {
  await page.waitForFunction(() => {
    const v = document.getElementById('lblVersion');
    return v && v.textContent.startsWith('ver.');
  });
}

// Enters a number through the ten-key dialog opened by clicking `label`.
async function tenkey(page, label, digits, confirm = true) {
  await page.click('#' + label);
  await page.waitForSelector('#frmTenkey #txtNowData');
  for (const d of String(digits)) await page.click('#frmTenkey #cmdTenKey_' + d);
  await page.click(confirm ? '#frmTenkey #cmdKakutei' : '#frmTenkey #cmdCancel');
}

async function loaded(page) {
  await page.waitForFunction(() => {
    const g = document.getElementById('grdGrid');
    return g && !g.classList.contains('hidden') && document.getElementById('grdGrid_4_0') &&
      !document.documentElement.classList.contains('wait') && document.getElementById('StatusText').textContent === '';
  });
}

// The text of every grid cell, row by row; a cell hidden under a merged neighbour has
// that neighbour's text, as merging joins cells of equal text.
async function gridTexts(page) {
  return page.evaluate(() => {
    const rows = [];
    for (let r = 0; ; r++) {
      if (!document.getElementById(`grdGrid_${r}_0`)) break;
      const row = [];
      for (let c = 0; c < 16; c++) {
        const td = document.getElementById(`grdGrid_${r}_${c}`);
        row.push(td ? td.textContent : row[c - 1]);
      }
      rows.push(row);
    }
    return rows;
  });
}

// Enters a day on the selection page through the ten-key dialog and runs the daily report.
async function runDay(page, y, m, d) {
  const western = Number(iniValue(findFile(share, 'Vurodor.ini'), 'Mode', 'Year') || '0') !== 0;
  await tenkey(page, 'lblDay1', '1');  // a day every month has, before the month changes
  await tenkey(page, western ? 'lblYear1_S' : 'lblYear1', String(western ? y : y - 1988));
  await tenkey(page, 'lblMonth1', String(m));
  await tenkey(page, 'lblDay1', String(d));
  await page.waitForFunction((want) => document.getElementById('lblDay1').textContent === want, String(d));
  await page.waitForSelector('#frmTenkey', { state: 'detached' });
  await page.click('#cmdJikkou');
  await page.waitForURL(/\/docGrid\.vbd$/);
  await loaded(page);
}

function encodeCp932(textValue) {
  return execFileSync('iconv', ['-f', 'UTF-8', '-t', 'CP932'], { input: textValue });
}

// ------------------------------------------------------------------ the session

test('a report session from start-up to CSV and back', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const browser = await launch(tmp, { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  try {
    await page.goto(server.base + '/');
    await started(page);
    await page.waitForTimeout(1100);  // one clock tick
    await shot(page, 'report-1-start');

    // Start-up: title from the share's settings, version, today's date, display mode.
    const vurodor = findFile(share, 'Vurodor.ini');
    assert.equal(await text(page, '#lblTitle'), iniValue(vurodor, 'Title', 'Name'));
    assert.equal(await text(page, '#lblVersion'), 'ver.1.00.113');
    const western = Number(iniValue(vurodor, 'Mode', 'Year') || '0') !== 0;
    const yearLabel = western ? 'lblYear1_S' : 'lblYear1';
    const t = today();
    assert.equal(await text(page, '#' + yearLabel), String(western ? t.y : t.y - 1988));
    assert.equal(await text(page, '#lblMonth1'), String(t.m));
    assert.equal(await text(page, '#lblDay1'), String(t.d));
    assert.match(await text(page, '#lblDateDisp'), new RegExp(`${t.m}月${t.d}日 \\d+時\\d+分\\d+秒$`));

    // Kind and mode.
    await page.click('#optGeppou');
    await page.waitForFunction(() => document.getElementById('lblDay1').classList.contains('disabled'));
    assert.equal(await colour(page, '#optGeppou'), BLACK);
    assert.equal(await colour(page, '#optNippou'), GREY);
    await page.click('#optPrint');
    await page.waitForFunction(() => !document.getElementById('lblKara').classList.contains('hidden'));
    assert.equal(await visible(page, '#lblMonth1'), false);
    assert.equal(await visible(page, '#lblMonth2'), true);
    await shot(page, 'report-2-monthly-print');
    await page.click('#optSyuusei');
    await page.click('#optNippou');
    await page.waitForFunction(() => !document.getElementById('lblDay1').classList.contains('disabled'));

    // A date with data, entered through the ten-key dialog; a month 13 is refused first.
    const dataDb = findFile(share, 'RIVove.mdb');
    const layoutDb = findFile(share, 'Vurodor.mdb');
    const keys = sql(dataDb, "SELECT DISTINCT DATE FROM D_DDAT LIMIT 400").map((r) => r.DATE);
    assert.ok(keys.length > 0, 'the seeded share has daily data');
    const key = keys[Math.floor(keys.length / 2)];
    const [y, m, d] = key.split('/').map(Number);
    await tenkey(page, 'lblMonth1', '13');
    await page.waitForSelector('#MsgBox');
    assert.equal(await text(page, '#MsgBoxText'), '範囲内のデータを入力して下さい');
    await shot(page, 'report-3-tenkey-refused');
    await page.click('#MsgBoxOK');
    await page.waitForSelector('#MsgBox', { state: 'detached' });
    // The box may close before the update that puts the old value back has arrived.
    await page.waitForFunction((v) => document.querySelector('#frmTenkey #txtNowData')?.value === v, String(t.m))
      .catch(() => {});
    assert.equal(await page.inputValue('#frmTenkey #txtNowData'), String(t.m), 'old value back');
    await page.click('#frmTenkey #cmdCancel');
    await page.waitForSelector('#frmTenkey', { state: 'detached' });
    // Run: the grid page of that day.
    await runDay(page, y, m, d);
    await shot(page, 'report-4-grid');
    const caption = await text(page, '#lblTitle');
    assert.match(caption, new RegExp(`${y}年 ${m}月 ${d}日|${m}月 ${d}日`));
    const maxPage = Number(sql(layoutDb, 'SELECT MAX(ページNO) AS P FROM 日報情報')[0].P);
    assert.equal(await text(page, '#lblPage'), `1/${maxPage}`);

    // Known cells: the tag of column 1 on page 1, straight from the databases.
    const tag = sql(layoutDb, 'SELECT TAG_ID FROM 日報情報 WHERE ページNO = 1 AND 項目NO = 1')[0].TAG_ID;
    const row = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${key}' AND TAG_ID = ${tag}`)[0];
    assert.ok(row, 'tag ' + tag + ' has values on ' + key);
    let red = 0;
    for (let i = 1; i <= 24; i++) {
      const v = row['DATA_' + i];
      if (v === null || v === '' || isNaN(Number(v))) continue;
      const cell = '#grdGrid_' + (i + 3) + '_1';
      const shown = Number((await text(page, cell)).replace(/,/g, '').replace(/^(\d+):(\d\d)$/, (s, h, mm) => String(h * 60 + Number(mm))));
      assert.ok(Math.abs(shown - Number(v)) <= 0.5, `row ${i}: ${shown} vs ${v}`);
      const want = v === row.MAX ? RED : v === row.MIN ? BLUE : BLACK;
      if (want === RED) red++;
      assert.equal(await colour(page, cell), want === RED && red === 24 ? BLACK : want, `colour of row ${i}`);
    }
    assert.equal(await colour(page, '#grdGrid_30_1'), RED, 'maximum summary');
    assert.equal(await colour(page, '#grdGrid_31_1'), BLUE, 'minimum summary');
    assert.equal(await text(page, '#grdGrid_28_0'), '合計');

    // Page and period steps.
    if (maxPage > 1) {
      await page.click('#cmdJiPage');
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent === w, `2/${maxPage}`);
      await loaded(page);
    }
    // A grid scrolled to the right starts again at its first column on the next period.
    const scrolled = await page.$eval('#grdGrid', (e) => { e.scrollLeft = 400; return e.scrollLeft; });
    await page.click('#cmdGo');
    await page.waitForFunction((c) => document.getElementById('lblTitle').textContent !== c, caption);
    await loaded(page);
    assert.ok(scrolled > 0, 'the daily grid is wider than its frame');
    await page.waitForFunction(() => document.getElementById('grdGrid').scrollLeft === 0);
    await page.click('#cmdZen');
    await page.waitForFunction((c) => document.getElementById('lblTitle').textContent === c, caption);
    await loaded(page);

    // A jump through the title list.
    const titles = sql(layoutDb, 'SELECT PAGE, Title FROM 日報ページタイトル ORDER BY PAGE');
    if (titles.length >= 3 && maxPage >= 3) {
      await page.click('#lblPageTitle');
      await page.waitForSelector('#frmTitleItiran #MSFlexGrid1_3_1');
      await shot(page, 'report-5-titles');
      await page.click('#frmTitleItiran #MSFlexGrid1_3_1');
      await page.click('#frmTitleItiran #cmd_Find');
      await page.waitForSelector('#frmTitleItiran', { state: 'detached' });
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent === w, `3/${maxPage}`);
      await loaded(page);
      assert.equal(await text(page, '#lblPageTitle'), titles[2].Title);
    }

    // CSV export: the default name, then the file compared byte for byte.
    const pageNo = Number((await text(page, '#lblPage')).split('/')[0]);
    await page.click('#cmdOut');
    await page.waitForSelector('#SaveDialog #SaveFileName');
    const yy = String(y % 100).padStart(2, '0');
    const expectName = yy + String(m).padStart(2, '0') + String(d).padStart(2, '0') + String(pageNo).padStart(2, '0') + '.csv';
    assert.equal(await page.inputValue('#SaveFileName'), expectName);
    const download = page.waitForEvent('download');
    await page.click('#SaveOK');
    const file = await download;
    const saved = path.join(tmp, file.suggestedFilename());
    await file.saveAs(saved);
    await loaded(page);
    const cells = await gridTexts(page);
    const expected = [await text(page, '#lblPageTitle'), await text(page, '#lblTitle'),
      ...cells.map((r) => r.map((c) => `"${c}",`).join(''))].map((l) => l + '\r\n').join('');
    assert.equal(cells.length, 24 + 8);
    assert.deepEqual(fs.readFileSync(saved), encodeCp932(expected));

    // The page print: asked, printed to the folder printer, offered as a PDF download. The
    // first page has values.
    while ((await text(page, '#lblPage')).split('/')[0] !== '1') {
      const before = await text(page, '#lblPage');
      await page.click('#cmdZenPage');
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent !== w, before);
      await loaded(page);
    }
    const shown = await gridTexts(page);
    const value = shown.slice(4).flat().find((c) => /^[0-9][0-9,.]*$/.test(c));
    assert.ok(value, 'the first page shows values');
    await page.click('#cmdPrint');
    await page.waitForSelector('#MsgBox #MsgBoxYes');
    assert.equal(await text(page, '#MsgBoxText'), 'このページを印刷しますか？');
    const pdf = page.waitForEvent('download');
    await page.click('#MsgBoxYes');
    const pdfFile = await pdf;
    assert.match(pdfFile.suggestedFilename(), /\.pdf$/);
    const pdfPath = path.join(tmp, 'page.pdf');
    await pdfFile.saveAs(pdfPath);
    const pdfText = execFileSync('pdftotext', [pdfPath, '-'], { encoding: 'utf8' }).replace(/\s/g, '');
    assert.ok(pdfText.includes((await text(page, '#lblPageTitle')).replace(/\s/g, '')), pdfText);
    assert.ok(pdfText.includes(value), `${value} in ${pdfText}`);
    execFileSync('pdftoppm', ['-png', '-r', '60', '-singlefile', pdfPath, path.join(tmp, 'page')]);
    fs.mkdirSync(artifacts, { recursive: true });
    fs.copyFileSync(path.join(tmp, 'page.png'), path.join(artifacts, 'report-7-printed-page.png'));
    await loaded(page);

    // Back to the selection page: its start-up runs again.
    await page.click('#cmdEnd');
    await page.waitForURL(/\/docMain\.vbd$/);
    await started(page);
    assert.equal(await text(page, '#lblMonth1'), String(t.m));
    assert.deepEqual(errors, []);
  } catch (e) {
    await shot(page, 'report-failure');
    throw e;
  } finally {
    await browser.close();
  }
});

// ------------------------------------------------------------------ pages and periods

const KINDS = [
  { name: 'daily', option: 'optNippou', layout: '日報情報', data: 'D_DDAT' },
  { name: 'monthly', option: 'optGeppou', layout: '月報情報', data: 'D_MDAT' },
  { name: 'yearly', option: 'optNenpou', layout: '年報情報', data: 'D_YDAT' },
];

// A period key as a date, the key of the period after it, and its number of rows.
function periodOf(kind, key) {
  const [y, m = 1, d = 1] = key.split('/').map(Number);
  if (kind.name === 'daily') {
    const next = new Date(Date.UTC(y, m - 1, d + 1));
    return { y, m, d, rows: 24, next: `${next.getUTCFullYear()}/${next.getUTCMonth() + 1}/${next.getUTCDate()}` };
  }
  if (kind.name === 'monthly') {
    const rows = new Date(Date.UTC(y, m, 0)).getUTCDate();
    return { y, m, d, rows, next: m === 12 ? `${y + 1}/1` : `${y}/${m + 1}` };
  }
  return { y, m, d, rows: 12, next: String(y + 1) };
}

// A period in the middle of the stored ones whose following period is stored too.
function periodWithSuccessor(kind, dataDb) {
  const keys = new Set(sql(dataDb, `SELECT DISTINCT DATE FROM ${kind.data}`).map((r) => r.DATE));
  const sorted = [...keys].sort((a, b) => {
    const pa = a.split('/').map(Number), pb = b.split('/').map(Number);
    for (let i = 0; i < pa.length; i++) if (pa[i] !== pb[i]) return pa[i] - pb[i];
    return 0;
  });
  const usable = sorted.filter((k) => keys.has(periodOf(kind, k).next));
  assert.ok(usable.length > 0, `the seeded share has two ${kind.name} periods in a row`);
  return usable[Math.floor(usable.length / 2)];
}

// A shown cell as a number with the tolerance its decimals allow: "1,234.5", "-1:15" (minutes).
function shownNumber(t) {
  const time = /^(-?)(\d[\d,]*):(\d\d)$/.exec(t);
  if (time) return { value: (time[1] ? -1 : 1) * (Number(time[2].replace(/,/g, '')) * 60 + Number(time[3])), tol: 1 };
  if (!/^-?[\d,]*\.?\d+$/.test(t)) return null;
  const decimals = t.includes('.') ? t.length - t.indexOf('.') - 1 : 0;
  return { value: Number(t.replace(/,/g, '')), tol: 0.5 * 10 ** -decimals + 1e-9 };
}

// What a page of a period must show, from the databases: for every tag column its period
// values and its four summaries, keyed "row,col".
function expectedPage(kind, key, pageNo, rows, layoutDb, dataDb) {
  const cells = {};
  const tags = sql(layoutDb, `SELECT TAG_ID, 項目NO AS COL FROM ${kind.layout} WHERE ページNO = ${pageNo}`);
  for (const { TAG_ID, COL } of tags) {
    const row = sql(dataDb, `SELECT * FROM ${kind.data} WHERE DATE = '${key}' AND TAG_ID = ${TAG_ID}`)[0] || {};
    for (let i = 1; i <= rows; i++) cells[`${i + 3},${COL}`] = row['DATA_' + i] ?? null;
    ['TOTAL', 'AVE', 'MAX', 'MIN'].forEach((c, k) => { cells[`${rows + 4 + k},${COL}`] = row[c] ?? null; });
  }
  return cells;
}

// The grid shows the expected values: numbers within their shown rounding, texts as
// stored (a time column's text summary is left empty), empty cells empty.
async function assertGridShows(page, expected, rows, what) {
  const cells = await gridTexts(page);
  assert.equal(cells.length, rows + 8, `${what}: rows`);
  let numbers = 0;
  for (const [at, stored] of Object.entries(expected)) {
    const [r, c] = at.split(',').map(Number);
    const shown = cells[r][c];
    const where = `${what}: cell ${at} shows "${shown}", stored ${stored}`;
    if (stored === null || stored === '') { assert.equal(shown, '', where); continue; }
    if (isNaN(Number(stored))) { assert.ok(shown === stored || shown === '', where); continue; }
    if (shown === '' && Number(stored) === 0) continue;  // a "#,##" picture shows 0 as nothing
    const n = shownNumber(shown);
    assert.ok(n && Math.abs(n.value - Number(stored)) <= n.tol, where);
    numbers++;
  }
  assert.ok(numbers >= 20, `${what}: only ${numbers} numbers compared`);
}

// Enters a value through the ten-key dialog and waits until the label shows it.
async function enter(page, label, value) {
  await tenkey(page, label, String(value));
  await page.waitForSelector('#frmTenkey', { state: 'detached' });
  await page.waitForFunction(([id, v]) => document.getElementById(id).textContent === v, [label, String(value)]);
}

test('every kind shows the values of the page and the period on show', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const browser = await launch(tmp, { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const dataDb = findFile(share, 'RIVove.mdb');
  const layoutDb = findFile(share, 'Vurodor.mdb');
  const western = Number(iniValue(findFile(share, 'Vurodor.ini'), 'Mode', 'Year') || '0') !== 0;
  try {
    for (const kind of KINDS) {
      const key = periodWithSuccessor(kind, dataDb);
      const first = periodOf(kind, key);
      const second = periodOf(kind, first.next);
      const maxPage = Number(sql(layoutDb, `SELECT MAX(ページNO) AS P FROM ${kind.layout}`)[0].P);
      assert.ok(maxPage >= 2, `${kind.name} has two pages`);
      const views = [
        [key, first.rows, 1], [key, first.rows, 2], [first.next, second.rows, 2], [first.next, second.rows, 1],
      ].map(([k, rows, p]) => ({ key: k, rows, page: p, cells: expectedPage(kind, k, p, rows, layoutDb, dataDb) }));
      // The four views differ, so that showing another page or period cannot pass.
      assert.notDeepEqual(views[0].cells, views[1].cells, `${kind.name}: pages 1 and 2 of ${key} differ`);
      assert.notDeepEqual(views[1].cells, views[2].cells, `${kind.name}: page 2 of ${key} and ${first.next} differ`);

      await page.goto(server.base + '/');
      await started(page);
      await page.click('#' + kind.option);
      await page.waitForFunction(([dayOff, monthOff]) =>
        document.getElementById('lblDay1').classList.contains('disabled') === dayOff &&
        document.getElementById('lblMonth1').classList.contains('disabled') === monthOff,
      [kind.name !== 'daily', kind.name === 'yearly']);
      const yearLabel = western ? 'lblYear1_S' : 'lblYear1';
      if (kind.name === 'daily') await enter(page, 'lblDay1', 1);  // a day every month has
      await enter(page, yearLabel, western ? first.y : first.y - 1988);
      if (kind.name !== 'yearly') await enter(page, 'lblMonth1', first.m);
      if (kind.name === 'daily') await enter(page, 'lblDay1', first.d);
      await page.click('#cmdJikkou');
      await page.waitForURL(/\/docGrid\.vbd$/);
      await loaded(page);
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent === w, `1/${maxPage}`);
      await assertGridShows(page, views[0].cells, views[0].rows, `${kind.name} ${key} page 1`);

      await page.click('#cmdJiPage');
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent === w, `2/${maxPage}`);
      await loaded(page);
      await assertGridShows(page, views[1].cells, views[1].rows, `${kind.name} ${key} page 2`);

      const caption = await text(page, '#lblTitle');
      await page.click('#cmdGo');
      await page.waitForFunction((c) => document.getElementById('lblTitle').textContent !== c, caption);
      await loaded(page);
      assert.equal(await text(page, '#lblPage'), `2/${maxPage}`, 'the page stays');
      await assertGridShows(page, views[2].cells, views[2].rows, `${kind.name} ${first.next} page 2`);

      await page.click('#cmdZenPage');
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent === w, `1/${maxPage}`);
      await loaded(page);
      await assertGridShows(page, views[3].cells, views[3].rows, `${kind.name} ${first.next} page 1`);
      await shot(page, `report-9-${kind.name}-second-period`);
    }
    assert.deepEqual(errors, []);
  } catch (e) {
    await shot(page, 'report-failure-kinds');
    throw e;
  } finally {
    await browser.close();
  }
});

test('Run in print mode prints each day of the range as its own PDF and offers them all', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const browser = await launch(tmp, { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  try {
    await page.goto(server.base + '/');
    await started(page);
    const before = new Set(fs.readdirSync(printed));
    await page.click('#optPrint');
    await page.waitForFunction(() => !document.getElementById('lblKara').classList.contains('hidden'));
    // The 1st and the 2nd of this month (row 2 and row 3 start with today).
    await tenkey(page, 'lblDay2', '1');
    await page.waitForSelector('#frmTenkey', { state: 'detached' });
    await tenkey(page, 'lblDay3', '2');
    await page.waitForSelector('#frmTenkey', { state: 'detached' });
    const downloads = [];
    page.on('download', (d) => downloads.push(d));
    await page.click('#cmdJikkou');
    const made = await (async () => {
      for (const end = Date.now() + 120000; Date.now() < end;) {
        const files = fs.readdirSync(printed).filter((f) => !before.has(f) && f.endsWith('.pdf')).sort();
        if (files.length >= 2 && downloads.length >= 2) return files;
        await page.waitForTimeout(200);
      }
      return fs.readdirSync(printed).filter((f) => !before.has(f) && f.endsWith('.pdf')).sort();
    })();
    assert.equal(made.length, 2, made.join(' '));
    // Both documents reach the browser, in the order they were printed.
    assert.deepEqual(downloads.map((d) => d.suggestedFilename()), made);
    const t = today();
    made.forEach((f, i) => {
      const pdfText = execFileSync('pdftotext', [path.join(printed, f), '-'], { encoding: 'utf8' }).replace(/\s/g, '');
      assert.ok(pdfText.includes(`${t.m}月${i + 1}日`), pdfText.slice(0, 200));
    });
    await page.waitForFunction(() => document.getElementById('StatusText').textContent === '');
    await shot(page, 'report-8-range-printed');
  } finally {
    await browser.close();
  }
});

test('two browsers at once keep their own state', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const a = await launch(tmp);
  const b = await launch(tmp);
  try {
    const pa = a.context.pages()[0] || await a.context.newPage();
    const pb = b.context.pages()[0] || await b.context.newPage();
    await Promise.all([pa.goto(server.base + '/docMain.vbd'), pb.goto(server.base + '/docMain.vbd')]);
    await Promise.all([started(pa), started(pb)]);
    await pa.click('#optNenpou');
    await pa.waitForFunction(() => document.getElementById('lblMonth1').classList.contains('disabled'));
    await pb.click('#lblDay1');
    await pb.waitForSelector('#frmTenkey');
    assert.equal(await pa.locator('#frmTenkey').count(), 0, 'the dialog is b\'s only');
    assert.equal(await pb.locator('#lblMonth1').evaluate((el) => el.classList.contains('disabled')), false);
    await pb.click('#frmTenkey #cmdCancel');
    await pa.click('#cmdJikkou');
    await pa.waitForURL(/\/docGrid\.vbd$/);
    await loaded(pa);
    assert.match(await text(pa, '#lblTitle'), /年度$/, 'a runs the yearly report');
    assert.match(pb.url(), /docMain\.vbd$/);
    await shot(pa, 'report-6-yearly');
  } finally {
    await a.close();
    await b.close();
  }
});

// ------------------------------------------------------------------ the workbook export

// Saves through the Excel button with option `choice` and reads the download with openpyxl.
async function saveWorkbook(page, choice, name) {
  await page.click('#cmdExcel');
  await page.waitForSelector('#SaveDialog #SaveChoice_1');
  if (choice) await page.click('#SaveChoice_' + choice);
  const download = page.waitForEvent('download');
  await page.click('#SaveOK');
  const file = await download;
  const saved = path.join(tmp, name);
  await file.saveAs(saved);
  await loaded(page);
  const reader = path.join(__dirname, '..', '..', 'client', 'export', 'testdata', 'dump_workbook.py');
  return { name: file.suggestedFilename(), book: JSON.parse(execFileSync('/usr/bin/python3', [reader, saved], { encoding: 'utf8' })) };
}

const RGB = { [RED]: 'FF0000', [BLUE]: '0000FF', [BLACK]: '000000' };

test('the Excel button writes the period as a workbook of numbers, headings and colours', { skip: !haveSeeder && 'no tbseed built' }, async () => {
  const browser = await launch(tmp, { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  try {
    await page.goto(server.base + '/');
    await started(page);
    const dataDb = findFile(share, 'RIVove.mdb');
    const layoutDb = findFile(share, 'Vurodor.mdb');
    const keys = sql(dataDb, 'SELECT DISTINCT DATE FROM D_DDAT LIMIT 400').map((r) => r.DATE);
    const key = keys[Math.floor(keys.length / 3)];
    const [y, m, d] = key.split('/').map(Number);
    await runDay(page, y, m, d);

    // The dialog: the CSV's name with .xlsx, the whole period preselected.
    await page.click('#cmdExcel');
    await page.waitForSelector('#SaveDialog #SaveChoice_1');
    const yy = String(y % 100).padStart(2, '0');
    assert.equal(await page.inputValue('#SaveFileName'), yy + String(m).padStart(2, '0') + String(d).padStart(2, '0') + '01.xlsx');
    assert.equal(await page.isChecked('#SaveChoice_0'), true);
    assert.match(await text(page, '#SaveDialog'), /期間の全ページ.*このページのみ/);
    await shot(page, 'report-9-workbook-dialog');
    await page.click('#SaveCancel');
    await page.waitForSelector('#SaveDialog', { state: 'detached' });

    const { name, book } = await saveWorkbook(page, 0, 'period.xlsx');
    assert.match(name, /\.xlsx$/);
    const maxPage = Number(sql(layoutDb, 'SELECT MAX(ページNO) AS P FROM 日報情報')[0].P);
    assert.equal(book.sheets.length, maxPage);
    const titles = sql(layoutDb, 'SELECT PAGE, Title FROM 日報ページタイトル ORDER BY PAGE');
    book.sheets.forEach((s, i) => assert.ok(s.name === String(i + 1) || s.name.startsWith((i + 1) + ' '), s.name));
    const sheet = book.sheets[0];
    if (titles.length && titles[0].PAGE === 1) assert.equal(sheet.cells.A1.v, titles[0].Title);
    assert.equal(sheet.freeze, 'B8');
    assert.equal(sheet.orientation, 'landscape');

    // Column 1 of page 1 against the database and the page's colours: the seeded values
    // carry exactly their digit pattern's decimals, so the numbers equal them.
    const tag = sql(layoutDb, 'SELECT TAG_ID FROM 日報情報 WHERE ページNO = 1 AND 項目NO = 1')[0].TAG_ID;
    const type = sql(layoutDb, `SELECT P種別 AS T FROM M_TAG WHERE TAG_ID = ${tag}`)[0].T;
    const row = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${key}' AND TAG_ID = ${tag}`)[0];
    let sum = 0;
    for (let i = 1; i <= 24; i++) {
      const v = row['DATA_' + i];
      const cell = sheet.cells['B' + (7 + i)] || { v: null };
      if (v === null || v === '') { assert.equal(cell.v, null, `row ${i}`); continue; }
      if (isNaN(Number(v))) { assert.equal(cell.v, v, `row ${i}`); continue; }
      assert.equal(cell.t, Number(type) === 6 ? 'duration' : 'number', `row ${i}: ${JSON.stringify(cell)}`);
      assert.ok(Math.abs(cell.v - Number(v)) < 1e-9, `row ${i}: ${cell.v} vs ${v}`);
      sum += cell.v;
      const shown = await colour(page, '#grdGrid_' + (i + 3) + '_1');
      assert.equal(cell.font || null, RGB[shown] || null, `colour of row ${i}`);
    }
    assert.ok(sum !== 0, 'the column sums');
    assert.equal(sheet.cells.B34.font, 'FF0000', 'maximum summary');
    assert.equal(sheet.cells.B35.font, '0000FF', 'minimum summary');
    assert.equal(sheet.cells.A32.v, '合計');
    // Joined large headings as the page joins them.
    const joined = await page.evaluate(() => [...document.querySelectorAll('[id^="grdGrid_0_"]')]
      .filter((td) => td.colSpan > 1).map((td) => [Number(td.id.split('_')[2]), td.colSpan]));
    const letter = (c) => String.fromCharCode(65 + c);
    assert.deepEqual(sheet.merged, joined.map(([c, n]) => `${letter(c)}4:${letter(c + n - 1)}4`).sort());

    // This page only: the page on show, one sheet.
    if (maxPage > 1) {
      await page.click('#cmdJiPage');
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent === w, `2/${maxPage}`);
      await loaded(page);
    }
    const one = await saveWorkbook(page, 1, 'page.xlsx');
    assert.equal(one.book.sheets.length, 1);
    assert.ok(one.book.sheets[0].name.startsWith(maxPage > 1 ? '2' : '1'), one.book.sheets[0].name);
    assert.equal(one.book.sheets[0].cells.A2.v, await text(page, '#lblTitle'));
    await shot(page, 'report-10-workbook-saved');
  } catch (e) {
    await shot(page, 'report-workbook-failure');
    throw e;
  } finally {
    await browser.close();
  }
});
