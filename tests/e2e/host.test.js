// The web host in a real browser, with the small test pages of tbclient-fixture: what a
// page model asks of the host (dialogs, message boxes, the save dialog and download,
// navigation and going back, pointer, rescaling) and what the host refuses.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launch, shot } = require('./harness');

let server;
let tmp;

before(async () => {
  tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'tb-e2e-host-'));
  server = await startServer('tbclient-fixture', []);
});

after(async () => {
  if (server) assert.equal(await server.stop(), 0, 'server ends cleanly: ' + server.stderr());
  fs.rmSync(tmp, { recursive: true, force: true });
});

const text = (page, sel) => page.locator(sel).textContent();
const started = (page) => page.waitForFunction(() => {
  const t = document.getElementById('lblTitle');
  return t && t.textContent.startsWith('開始');
});

async function open(viewport) {
  const browser = await launch(tmp, viewport);
  const page = browser.context.pages()[0] || await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(server.base + '/');
  await started(page);
  return { browser, page, errors };
}

test('dialogs, message boxes and the page behind them', async () => {
  const { browser, page, errors } = await open();
  try {
    assert.equal(await text(page, '#lblTitle'), '開始 ' + server.base + '/docMain.vbd');
    assert.equal(await page.locator('#lblValue').getAttribute('title'), '値を設定します。');
    assert.equal(await page.locator('#cmdOff').isDisabled(), true);

    await page.click('#lblValue');
    await page.waitForSelector('#frmTest #txtNowData');
    await shot(page, 'host-dialog');
    // The entry has the focus with its text selected: typing replaces it.
    await page.keyboard.type('42');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.getElementById('lblValue').textContent === '42');
    assert.equal(await page.locator('#frmTest').count(), 0);

    await page.click('#cmdAsk');
    await page.waitForSelector('#MsgBox #MsgBoxYes');
    assert.equal(await text(page, '#MsgBoxText'), '続けますか？');
    await shot(page, 'host-msgbox');
    await page.click('#MsgBoxNo');
    await page.waitForFunction(() => document.getElementById('lblAnswer').textContent === 'no');

    // The hourglass shows while a handler works.
    const sawWait = page.waitForFunction(() => document.documentElement.classList.contains('wait'));
    await page.click('#cmdBusy');
    await sawWait;
    await page.waitForFunction(() => !document.documentElement.classList.contains('wait'));
    assert.deepEqual(errors, []);
  } finally {
    await browser.close();
  }
});

test('save dialog downloads the file the page wrote; cancel writes nothing', async () => {
  const { browser, page } = await open();
  try {
    await page.click('#cmdSave');
    await page.waitForSelector('#SaveDialog #SaveFileName');
    assert.equal(await page.inputValue('#SaveFileName'), '03040103.csv');
    await page.click('#SaveCancel');
    await page.waitForSelector('#SaveDialog', { state: 'detached' });

    await page.click('#cmdSave');
    await page.waitForSelector('#SaveDialog #SaveFileName');
    await page.fill('#SaveFileName', '../../etc/passwd');
    await page.click('#SaveOK');
    await page.waitForFunction(() => document.getElementById('SaveError').textContent !== '');
    await page.fill('#SaveFileName', 'page3');
    const download = page.waitForEvent('download');
    await page.click('#SaveOK');
    const file = await download;
    assert.equal(file.suggestedFilename(), 'page3.csv');
    // The plain name and its UTF-8 form, for browsers that read only one of them.
    const disposition = await page.evaluate(async (u) => (await fetch(u)).headers.get('content-disposition'),
      file.url());
    assert.equal(disposition, 'attachment; filename="page3.csv"; filename*=UTF-8\'\'page3.csv');
    const saved = path.join(tmp, 'page3.csv');
    await file.saveAs(saved);
    assert.deepEqual(fs.readFileSync(saved), Buffer.from('"a","b",\r\n'));
  } finally {
    await browser.close();
  }
});

test('navigation keeps the session; going back starts the first page again', async () => {
  const { browser, page } = await open();
  try {
    await page.click('#cmdGo');
    await page.waitForURL(/\/docGrid\.vbd$/);
    await page.waitForFunction(() => (document.getElementById('lblTitle') || {}).textContent === '第二 \\\\127.0.0.1\\vurodor');
    await page.click('#cmdEnd');
    await page.waitForURL(/\/docMain\.vbd$/);
    await started(page);
    assert.equal(await text(page, '#lblValue'), '3');
  } finally {
    await browser.close();
  }
});

test('two browsers have independent sessions', async () => {
  const a = await open();
  const b = await open();
  try {
    await a.page.click('#lblValue');
    await a.page.waitForSelector('#frmTest #txtNowData');
    await a.page.keyboard.type('7');
    await a.page.click('#frmTest #cmdOK');
    await a.page.waitForFunction(() => document.getElementById('lblValue').textContent === '7');
    assert.equal(await text(b.page, '#lblValue'), '3');
    // b can work while a has a message box open.
    await a.page.click('#cmdHello');
    await a.page.waitForSelector('#MsgBoxOK');
    await b.page.click('#cmdAsk');
    await b.page.click('#MsgBoxYes');
    await b.page.waitForFunction(() => document.getElementById('lblAnswer').textContent === 'yes');
    await a.page.click('#MsgBoxOK');
    await a.page.waitForFunction(() => document.getElementById('lblAnswer').textContent === 'ok');
  } finally {
    await a.browser.close();
    await b.browser.close();
  }
});

test('the page scales with the window', async () => {
  const { browser, page } = await open({ width: 1000, height: 760 });
  try {
    const big = await page.locator('#cmdGo').boundingBox();
    await page.setViewportSize({ width: 500, height: 380 });
    await page.waitForFunction((w) => document.getElementById('cmdGo').getBoundingClientRect().width < w * 0.7, big.width);
    const small = await page.locator('#cmdGo').boundingBox();
    assert.ok(Math.abs(small.width / big.width - 0.5) < 0.05, `scaled ${small.width} / ${big.width}`);
    await shot(page, 'host-small-window');
  } finally {
    await browser.close();
  }
});

test('refused and malformed requests leave the page working', async () => {
  const { browser, page } = await open();
  try {
    const req = page.request;
    const post = (body, type) => req.post(server.base + '/event', {
      data: body, headers: { 'Content-Type': type || 'application/json' },
    });
    assert.equal((await post('{bad json')).status(), 400);
    assert.equal((await post(JSON.stringify({ page: 1, doc: 'docMain', kind: 'click', control: 'cmdOff' }))).status(), 400);
    assert.equal((await post(JSON.stringify({ page: 1, doc: 'frmTest', kind: 'click', control: 'cmdOK' }))).status(), 400);
    assert.equal((await post('x'.repeat(200 * 1024))).status(), 413);
    assert.equal((await req.get(server.base + '/assets/..%2F..%2Fetc%2Fpasswd')).status(), 404);
    await page.click('#cmdHello');
    await page.click('#MsgBoxOK');
    await page.waitForFunction(() => document.getElementById('lblAnswer').textContent === 'ok');
  } finally {
    await browser.close();
  }
});

test('a click after the session has ended tells the user to reload', async () => {
  const { browser, page } = await open();
  try {
    await browser.context.clearCookies();
    await page.click('#cmdHello');
    await page.waitForSelector('#Notice');
    assert.equal(await text(page, '#Notice'), 'サーバーとの接続が切れました。ページを読み込み直してください。');
  } finally {
    await browser.close();
  }
});
