// The grid page's trend chart in a real browser: tbclient on a freshly seeded share, the
// chart opened from a tag's heading cell, its plotted points read from the chart in the
// page and compared with the share's databases (read with the sqlite3 tool), the grid's
// red and blue cells, the period before, a second unit on its own axis, a time item, the
// PNG and CSV it saves, Esc, small windows, and the chart requests refused for what is
// not the asking page's. Screenshots of every kind of chart go to the test artifacts.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launch, binDir, artifacts } = require('./harness');

const TZ = 'Asia/Tokyo';
const haveSeeder = fs.existsSync(path.join(binDir, 'tbseed'));
const skip = !haveSeeder && 'no tbseed built';
let server;
let tmp;
let layoutDb;
let dataDb;
let known;  // the tags and periods the tests chart, found in the seeded share

// ------------------------------------------------------------------ the share

function sql(db, query) {
  const out = execFileSync('sqlite3', ['-json', db, query], { encoding: 'utf8' });
  return out.trim() ? JSON.parse(out) : [];
}

function dayKey(daysBack) {
  const parts = new Intl.DateTimeFormat('en-CA', { timeZone: TZ, year: 'numeric', month: 'numeric', day: 'numeric' })
    .formatToParts(new Date(Date.now() - daysBack * 86400000));
  const get = (t) => Number(parts.find((p) => p.type === t).value);
  return `${get('year')}/${get('month')}/${get('day')}`;
}

const isNumber = (v) => v !== null && v !== '' && /^-?\d+(\.\d+)?$/.test(v);
const point = (v) => (isNumber(v) ? Number(v) : null);

// Page 1's first tag charted on yesterday (a whole day), with one Null and one "*" put
// among its ordinary values; a tag of page 1 with another unit; a time item and its page.
function prepareShare() {
  const yesterday = dayKey(1);
  const layout = (kind, where) => sql(layoutDb, `SELECT L.TAG_ID, L.ページNO AS PAGE, L.項目NO AS COL, M.P種別 AS TYPE,
    U.名称 AS UNIT FROM ${kind} L JOIN M_TAG M ON M.TAG_ID = L.TAG_ID JOIN M_UNIT U ON U.単位NO = M.単位NO
    WHERE ${where} ORDER BY L.ページNO, L.項目NO`);
  const first = layout('日報情報', 'L.ページNO = 1')[0];
  const second = layout('日報情報', `L.ページNO = 1 AND U.名称 <> '${first.UNIT}'`)[0];
  const time = layout('日報情報', 'M.P種別 = 6')[0];
  const elsewhere = layout('日報情報', `L.ページNO > 1 AND L.TAG_ID NOT IN
    (SELECT TAG_ID FROM 日報情報 WHERE ページNO = 1)`)[0];
  assert.ok(first && second && time && elsewhere, 'the seeded share has the tags the tests chart');
  const row = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${yesterday}' AND TAG_ID = ${first.TAG_ID}`)[0];
  assert.ok(row, 'yesterday has values');
  const ordinary = [];
  for (let i = 1; i <= 24; i++) {
    const v = row['DATA_' + i];
    if (isNumber(v) && v !== row.MAX && v !== row.MIN) ordinary.push(i);
  }
  const [nullRow, starRow] = [ordinary[1], ordinary[ordinary.length - 2]];
  sql(dataDb, `UPDATE D_DDAT SET DATA_${nullRow} = NULL, DATA_${starRow} = '*'
    WHERE DATE = '${yesterday}' AND TAG_ID = ${first.TAG_ID}`);
  return { yesterday, dayBefore: dayKey(2), first, second, time, elsewhere, nullRow, starRow };
}

before(async () => {
  if (!haveSeeder) return;
  tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-e2e-trend-'));
  const share = path.join(tmp, 'share');
  const client = path.join(tmp, 'client');
  execFileSync(path.join(binDir, 'tbseed'), ['--share-root', share, '--client-dir', client], { env: { ...process.env, TZ } });
  layoutDb = path.join(share, 'TB_DataBase', 'Vurodor.mdb');
  dataDb = path.join(share, 'TB_DataBase', 'RIVove.mdb');
  known = prepareShare();
  server = await startServer('tbclient', ['--share-root', share, '--client-dir', client,
    '--cache-dir', path.join(tmp, 'cache')], { TZ });
});

after(async () => {
  if (server) assert.equal(await server.stop(), 0, 'server ends cleanly: ' + server.stderr());
  if (tmp) fs.rmSync(tmp, { recursive: true, force: true });
});

// ------------------------------------------------------------------ the pages

async function gridShown(page) {
  await page.waitForFunction(() => {
    const g = document.getElementById('grdGrid');
    return g && !g.classList.contains('hidden') && document.getElementById('grdGrid_4_0') &&
      !document.documentElement.classList.contains('wait') && document.getElementById('StatusText').textContent === '';
  });
}

// The grid page of this day, month or year (the selection page starts on today).
async function runReport(page, kind) {
  await page.goto(server.base + '/docMain.vbd');
  await page.waitForFunction(() => (document.getElementById('lblVersion') || {}).textContent?.startsWith('ver.'));
  if (kind !== 'optNippou') {
    await page.click('#' + kind);
    await page.waitForFunction(() => document.getElementById('lblDay1').classList.contains('disabled'));
  }
  await page.click('#cmdJikkou');
  await page.waitForURL(/\/docGrid\.vbd$/);
  await gridShown(page);
}

async function yesterdaysGrid(page) {
  await runReport(page, 'optNippou');
  const caption = await page.locator('#lblTitle').textContent();
  await page.click('#cmdZen');
  await page.waitForFunction((c) => document.getElementById('lblTitle').textContent !== c, caption);
  await gridShown(page);
}

async function openChart(page, col, row = 3) {
  await page.click(`#grdGrid_${row}_${col}`);
  await page.waitForSelector('#frmTrend .trend-chart canvas');
  await page.waitForFunction(() => window.tbTrend.chart);
}

// The chart's series by role ("main", "max", "min", "previous", "tag:ID"), as plotted.
function plotted(page) {
  return page.evaluate(() => {
    const u = window.tbTrend.chart;
    const out = {};
    window.tbTrend.roles.forEach((role, i) => {
      out[role] = { values: Array.from(u.data[i]), scale: u.series[i].scale, stroke: u.series[i]._stroke || u.series[i].stroke };
    });
    out.axes = u.axes.map((a) => ({ scale: a.scale, side: a.side, ticks: a._values || null }));
    out.model = window.tbTrend.model;
    return out;
  });
}

const colour = (page, sel) => page.locator(sel).evaluate((el) => getComputedStyle(el).color);
const RED = 'rgb(255, 0, 0)';
const BLUE = 'rgb(0, 0, 255)';

async function chartShot(page, name) {
  fs.mkdirSync(artifacts, { recursive: true });
  await page.locator('#frmTrend').screenshot({ path: path.join(artifacts, name + '.png') });
}

async function withBrowser(viewport, body) {
  const browser = await launch(tmp, viewport || { width: 1280, height: 900 });
  const page = browser.context.pages()[0] || await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error' && !/status of 4\d\d/.test(m.text())) errors.push(m.text()); });
  try {
    await body(page, browser);
    assert.deepEqual(errors, [], 'no script errors, no refused resources');
  } catch (e) {
    fs.mkdirSync(artifacts, { recursive: true });
    await page.screenshot({ path: path.join(artifacts, 'trend-failure.png') }).catch(() => {});
    throw e;
  } finally {
    await browser.close();
  }
}

function csvRows(bytes) {
  const text = new TextDecoder('shift_jis').decode(bytes);
  assert.ok(text.endsWith('\r\n'));
  return text.slice(0, -2).split('\r\n').map((line) => Array.from(line.matchAll(/"((?:[^"]|"")*)",/g), (m) => m[1].replace(/""/g, '"')));
}

// Red and blue pixels of a PNG file, counted in the browser.
function pngColours(page, file) {
  const src = 'data:image/png;base64,' + fs.readFileSync(file).toString('base64');
  return page.evaluate(async (s) => {
    const img = new Image();
    img.src = s;
    await img.decode();
    const c = document.createElement('canvas');
    c.width = img.width;
    c.height = img.height;
    const g = c.getContext('2d');
    g.drawImage(img, 0, 0);
    const d = g.getImageData(0, 0, c.width, c.height).data;
    let red = 0;
    let blue = 0;
    for (let i = 0; i < d.length; i += 4) {
      if (d[i] > 230 && d[i + 1] < 40 && d[i + 2] < 40) red++;
      if (d[i] < 40 && d[i + 1] < 40 && d[i + 2] > 230) blue++;
    }
    return { width: img.width, height: img.height, red, blue };
  }, src);
}

// ------------------------------------------------------------------ the tests

test('a daily chart plots the grid\'s values with its marks, gaps, the day before, a second unit, PNG and CSV', { skip }, async () => {
  await withBrowser(null, async (page) => {
    const { first, second, yesterday, dayBefore, nullRow, starRow } = known;
    await yesterdaysGrid(page);
    const col = first.COL;
    await openChart(page, col);
    await chartShot(page, 'trend-1-daily');

    const row = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${yesterday}' AND TAG_ID = ${first.TAG_ID}`)[0];
    const p = await plotted(page);
    const want = Array.from({ length: 24 }, (_, i) => point(row['DATA_' + (i + 1)]));
    assert.deepEqual(p.main.values, want, 'the plotted points are the stored values');
    assert.equal(p.main.values[nullRow - 1], null, 'Null is a gap');
    assert.equal(p.main.values[starRow - 1], null, '"*" is a gap');
    assert.equal(p.model.main.texts[starRow - 1], '*');
    assert.equal(await page.locator(`#grdGrid_${starRow + 3}_${col}`).textContent(), '*');

    // The marks sit where the grid shows red and blue cells, on the stored MAX and MIN.
    for (let i = 0; i < 24; i++) {
      const cell = `#grdGrid_${i + 4}_${col}`;
      const c = await colour(page, cell);
      assert.equal(p.max.values[i] !== null, c === RED, `max mark of row ${i + 1}`);
      assert.equal(p.min.values[i] !== null, c === BLUE, `min mark of row ${i + 1}`);
    }
    assert.ok(p.max.values.some((v) => v === Number(row.MAX)), 'the maximum is marked');
    assert.ok(p.min.values.some((v) => v === Number(row.MIN)), 'the minimum is marked');
    const legend = await page.locator(`#trendTag_${col}`).textContent();
    const shown = (r) => page.locator(`#grdGrid_${r}_${col}`).textContent();
    assert.ok(legend.includes('平均 ' + await shown(29)), legend);
    assert.ok(legend.includes('最大 ' + await shown(30)), legend);
    if (await shown(28)) assert.ok(legend.includes('合計 ' + await shown(28)), legend);
    assert.equal(await page.locator('#frmTrend .trend-head').textContent(), await page.locator('#lblTitle').textContent());

    // The day before, as a fainter dashed line on the same axis.
    const before = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${dayBefore}' AND TAG_ID = ${first.TAG_ID}`)[0];
    assert.deepEqual(p.previous.values, Array.from({ length: 24 }, (_, i) => point(before['DATA_' + (i + 1)])));
    assert.equal(p.previous.scale, p.main.scale);
    assert.equal(p.model.main.previous.key, dayBefore);
    assert.match(await page.locator('#trendPrevious').textContent(), /^前日 /);

    // A second tag of the page with another unit gets an axis of its own, on the right.
    await page.click(`#trendTag_${second.COL}`);
    await page.waitForFunction((t) => window.tbTrend.roles.includes('tag:' + t), second.TAG_ID);
    const q = await plotted(page);
    const other = q['tag:' + second.TAG_ID];
    const otherRow = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${yesterday}' AND TAG_ID = ${second.TAG_ID}`)[0];
    assert.deepEqual(other.values, Array.from({ length: 24 }, (_, i) => point(otherRow['DATA_' + (i + 1)])));
    assert.notEqual(other.scale, q.main.scale);
    assert.deepEqual(q.axes.filter((a) => a.scale === other.scale).map((a) => a.side), [1]);
    assert.deepEqual(q.axes.filter((a) => a.scale === q.main.scale).map((a) => a.side), [3]);
    assert.match(await page.locator(`#trendTag_${second.COL}`).textContent(), new RegExp(second.UNIT.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')));
    await chartShot(page, 'trend-2-second-unit');

    // The PNG: the chart with its marks, as a picture.
    const pngDownload = page.waitForEvent('download');
    await page.click('#cmdTrendPng');
    const png = await pngDownload;
    assert.equal(png.suggestedFilename(), yesterday.split('/').map((x, i) => (i ? x.padStart(2, '0') : x)).join('') + '_' + first.TAG_ID + '.png');
    const pngFile = path.join(tmp, 'chart.png');
    await png.saveAs(pngFile);
    assert.deepEqual(fs.readFileSync(pngFile).subarray(0, 8), Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]));
    const pixels = await pngColours(page, pngFile);
    assert.ok(pixels.width >= 600 && pixels.height >= 300, JSON.stringify(pixels));
    assert.ok(pixels.red > 20 && pixels.blue > 20, 'max and min marks in the picture: ' + JSON.stringify(pixels));
    fs.copyFileSync(pngFile, path.join(artifacts, 'trend-3-saved.png'));

    // The CSV: the texts the grid shows, the day before, the added tag.
    const csvDownload = page.waitForEvent('download');
    await page.click('#cmdTrendCsv');
    const csv = await csvDownload;
    const csvFile = path.join(tmp, 'chart.csv');
    await csv.saveAs(csvFile);
    const rows = csvRows(fs.readFileSync(csvFile));
    assert.equal(rows.length, 2 + 24 + 4);
    assert.equal(rows[1].length, 4);
    assert.match(rows[1][2], /^前日 /);
    for (let i = 0; i < 24; i++) {
      assert.equal(rows[i + 2][0], await page.locator(`#grdGrid_${i + 4}_0`).textContent());
      assert.equal(rows[i + 2][1], await shown(i + 4), `CSV row ${i + 1}`);
      assert.equal(rows[i + 2][3], await page.locator(`#grdGrid_${i + 4}_${second.COL}`).textContent());
    }
    assert.deepEqual(rows.slice(-4).map((r) => r[0]), ['合計', '平均', '最大', '最小']);

    // Esc closes the chart; the page is usable again and its cells kept their meaning.
    await page.keyboard.press('Escape');
    await page.waitForSelector('#frmTrend', { state: 'detached' });
    assert.equal(await page.evaluate(() => document.getElementById('stage').inert), false);
    await page.click(`#grdGrid_10_${col}`);
    await page.waitForFunction((id) => document.getElementById(id).classList.contains('current'), `grdGrid_10_${col}`);
    assert.equal(await page.locator('#frmTrend').count(), 0, 'a value cell opens no chart');
    // A heading row other than the unit opens it too; the close button closes it.
    await openChart(page, col, 1);
    await page.click('#cmdTrendClose');
    await page.waitForSelector('#frmTrend', { state: 'detached' });
  });
});

test('a time item is charted in minutes with hours:minutes on its axis', { skip }, async () => {
  await withBrowser(null, async (page) => {
    const { time, yesterday } = known;
    await yesterdaysGrid(page);
    if (time.PAGE !== 1) {
      await page.click('#lblPage');
      await page.waitForSelector('#frmTenkey #txtNowData');
      for (const d of String(time.PAGE)) await page.click('#frmTenkey #cmdTenKey_' + d);
      await page.click('#frmTenkey #cmdKakutei');
      await page.waitForFunction((w) => document.getElementById('lblPage').textContent.startsWith(w + '/'), String(time.PAGE));
      await gridShown(page);
    }
    await openChart(page, time.COL);
    const row = sql(dataDb, `SELECT * FROM D_DDAT WHERE DATE = '${yesterday}' AND TAG_ID = ${time.TAG_ID}`)[0];
    const p = await plotted(page);
    assert.deepEqual(p.main.values, Array.from({ length: 24 }, (_, i) => point(row['DATA_' + (i + 1)])));
    assert.equal(p.model.main.minutes, true);
    const axis = p.axes.find((a) => a.scale === p.main.scale);
    assert.ok(axis.ticks && axis.ticks.length >= 2, JSON.stringify(axis));
    for (const t of axis.ticks) assert.match(t, /^-?\d+:\d\d$/, 'hours:minutes on the axis');
    // The readout under the cursor shows the grid's hours:minutes text.
    const box = await page.locator('#frmTrend .trend-chart .u-over').boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.waitForFunction(() => /\d+:\d\d/.test(document.querySelector('#frmTrend .trend-readout').textContent));
    await chartShot(page, 'trend-4-time-item');
  });
});

test('monthly and yearly charts run over the days and months, against last month and last year', { skip }, async () => {
  await withBrowser(null, async (page) => {
    for (const [kind, table, rows, name] of [['optGeppou', '月報情報', null, 'trend-5-monthly'], ['optNenpou', '年報情報', 12, 'trend-6-yearly']]) {
      await runReport(page, kind);
      const col = sql(layoutDb, `SELECT 項目NO AS COL FROM ${table} WHERE ページNO = 1 ORDER BY 項目NO`)[0].COL;
      await openChart(page, col);
      const p = await plotted(page);
      const labels = await page.evaluate(() => window.tbTrend.model.main.labels);
      const gridRows = (await page.locator('#grdGrid tr').count()) - 8;
      assert.equal(labels.length, rows || gridRows);
      assert.equal(p.main.values.length, labels.length);
      assert.equal(labels[0], await page.locator('#grdGrid_4_0').textContent());
      assert.match(p.model.main.previous.label, kind === 'optGeppou' ? /^前月$/ : /^前年$/);
      const key = p.model.main.previous.key;
      const dataTable = kind === 'optGeppou' ? 'D_MDAT' : 'D_YDAT';
      const before = sql(dataDb, `SELECT * FROM ${dataTable} WHERE DATE = '${key}' AND TAG_ID = ${p.model.main.tag}`)[0];
      assert.ok(before, `the share holds ${key}`);
      assert.deepEqual(p.previous.values, labels.map((_, i) => point(before['DATA_' + (i + 1)] ?? null)));
      await chartShot(page, name);
      await page.keyboard.press('Escape');
      await page.waitForSelector('#frmTrend', { state: 'detached' });
    }
  });
});

test('the chart fits a small window and follows it when it is resized', { skip }, async () => {
  await withBrowser({ width: 640, height: 480 }, async (page) => {
    await yesterdaysGrid(page);
    await openChart(page, known.first.COL);
    const fits = () => page.evaluate(() => {
      const r = document.getElementById('frmTrend').getBoundingClientRect();
      return r.left >= 0 && r.top >= 0 && r.right <= window.innerWidth && r.bottom <= window.innerHeight;
    });
    assert.ok(await fits(), 'inside a 640 x 480 window');
    await chartShot(page, 'trend-7-small-window');
    const small = await page.evaluate(() => window.tbTrend.chart.width);
    await page.setViewportSize({ width: 1200, height: 860 });
    await page.waitForFunction((w) => window.tbTrend.chart.width > w, small);
    assert.ok(await fits());
  });
});

test('chart requests are refused for tags not on the page and for other sessions', { skip }, async () => {
  await withBrowser(null, async (page, browser) => {
    const { first, elsewhere } = known;
    await yesterdaysGrid(page);
    const pageNo = await page.evaluate(() => document.body.dataset.page);
    const ask = (ctx, q) => ctx.request.get(server.base + '/trend?page=' + pageNo + q).then((r) => r.status());
    assert.equal(await ask(browser.context, '&tag=' + first.TAG_ID), 200);
    assert.equal(await ask(browser.context, '&tag=' + elsewhere.TAG_ID), 404, 'a tag of another page');
    assert.equal(await ask(browser.context, '&tag=abc'), 400);
    const list = await (await browser.context.request.get(server.base + '/trend?page=' + pageNo)).json();
    assert.ok(list.tags.some((t) => t.tag === first.TAG_ID));
    assert.ok(!list.tags.some((t) => t.tag === elsewhere.TAG_ID));

    // Another browser, with a session of its own, gets nothing of this page.
    const other = await launch(tmp);
    try {
      const op = other.context.pages()[0] || await other.context.newPage();
      await op.goto(server.base + '/docMain.vbd');
      const status = await ask(other.context, '&tag=' + first.TAG_ID);
      assert.ok(status === 409 || status === 404, 'refused: ' + status);
      const csv = await other.context.request.get(`${server.base}/trend.csv?page=${pageNo}&tag=${first.TAG_ID}`);
      assert.ok(csv.status() === 409 || csv.status() === 404, 'refused: ' + csv.status());
    } finally {
      await other.close();
    }
    // And a request without any session is refused.
    const bare = await fetch(`${server.base}/trend?page=${pageNo}&tag=${first.TAG_ID}`);
    assert.equal(bare.status, 403);
  });
});
