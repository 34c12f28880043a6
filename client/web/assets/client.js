// Browser side of the report pages. It draws what the server's page model describes
// (controls at their twip positions, the grid, dialogs, message boxes, status text,
// pointer), scales it with the window, and sends what the person does back as events.
// It holds no report logic: every decision is made by the page model on the server.
(() => {
  'use strict';

  const TWIPS_PER_PX = 15;
  const LOST = 'サーバーとの接続が切れました。ページを読み込み直してください。';
  const PAGE = Number(document.body.dataset.page);
  const stage = document.getElementById('stage');
  const docEl = document.getElementById('doc');
  const overlay = document.getElementById('overlay');
  const statusEl = document.getElementById('StatusText');

  let state = null;
  let scale = 1;
  let seenNav = 0;
  let seenBack = 0;
  let seenDownload = 0;
  let leaving = false;
  let pending = 0;
  let queue = Promise.resolve();

  // ------------------------------------------------------------------ talking to the server

  function post(path, body) {
    return fetch(path, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body),
      credentials: 'same-origin',
    });
  }

  // Events go one after the other, in the order the person made them.
  function send(doc, kind, control, extra) {
    pending++;
    const body = Object.assign({ page: PAGE, doc, kind, control: control || '' }, extra || {});
    queue = queue
      .then(() => post('/event', body))
      .then((r) => {
        if (r.status === 409) notice('このページは新しいページに置き換えられました。');
        // The session ended (idle too long, server restarted): the click went nowhere.
        if (r.status === 403 || r.status === 410) notice(LOST);
      })
      .catch(() => {})
      .finally(() => { pending--; });
    return queue;
  }

  function answer(body) { return post('/answer', body).catch(() => null); }

  function connect() {
    const es = new EventSource('/events?page=' + PAGE);
    es.onmessage = (m) => {
      let s;
      try { s = JSON.parse(m.data); } catch (e) { return; }
      receive(s);
    };
    es.onerror = () => {
      if (es.readyState === EventSource.CLOSED && !leaving) {
        notice(LOST);
      }
    };
    window.addEventListener('pagehide', () => { leaving = true; es.close(); });
  }

  function notice(text) {
    if (document.querySelector('.notice')) return;
    const n = document.createElement('div');
    n.className = 'notice';
    n.id = 'Notice';
    n.textContent = text;
    document.body.appendChild(n);
  }

  // ------------------------------------------------------------------ state

  function receive(s) {
    if (leaving) return;
    if (s.page < PAGE) return;  // the server has not loaded this page yet
    if (s.page > PAGE) {         // loaded again elsewhere in this session
      notice('このページは新しいページに置き換えられました。');
      return;
    }
    state = s;
    render();
    follow();
  }

  // Navigation, going back and downloads the page model asked for.
  function follow() {
    if (state.nav && state.nav.n > seenNav) {
      seenNav = state.nav.n;
      leaving = true;
      location.assign(state.nav.url);
      return;
    }
    if (state.back > seenBack) {
      seenBack = state.back;
      leaving = true;
      if (history.length > 1) history.back(); else location.assign('/docMain.vbd');
      return;
    }
    if (state.download && state.download.n > seenDownload) {
      seenDownload = state.download.n;
      // One download a file; spaced out a little, as browsers drop clicks in one burst.
      (state.download.files || [state.download]).forEach((f, i) => {
        setTimeout(() => {
          const a = document.createElement('a');
          a.href = f.url;
          a.download = f.name;
          document.body.appendChild(a);
          a.click();
          a.remove();
        }, i * 400);
      });
    }
  }

  function render() {
    document.documentElement.classList.toggle('wait', !!state.wait);
    statusEl.textContent = state.status || '';
    if (state.doc) {
      document.title = state.doc.caption || state.doc.name;
      renderDocument(docEl, state.doc, state.doc.name);
      docEl.style.width = px(state.doc.width);
      docEl.style.height = px(state.doc.height);
    }
    renderOverlay();
    rescale();
    applyPageFocus();
  }

  // The control a handler put the focus on (Run after a kind or mode click) gets it in
  // the browser too, so that Enter runs the report. Labels and options take no focus of
  // their own, so a click on them leaves it there; a click on a button moves it.
  function applyPageFocus() {
    const id = state.doc && state.doc.focus;
    if (!id || !overlay.hidden) return;
    const active = document.activeElement;
    if (active && active !== document.body) return;
    const el = document.getElementById(id);
    if (el && el.tagName === 'BUTTON' && !el.disabled && !el.classList.contains('hidden')) el.focus();
  }

  // ------------------------------------------------------------------ controls

  function px(twips) { return (twips / TWIPS_PER_PX) + 'px'; }

  function fontFamily(name) {
    const map = {
      'ＭＳ ゴシック': '"ＭＳ ゴシック", "IPAGothic", monospace',
      'ＭＳ Ｐゴシック': '"ＭＳ Ｐゴシック", "IPAPGothic", sans-serif',
      'ＭＳ 明朝': '"ＭＳ 明朝", "IPAMincho", serif',
      'ＭＳ Ｐ明朝': '"ＭＳ Ｐ明朝", "IPAPMincho", serif',
    };
    return map[name] || ('"' + String(name).replace(/"/g, '') + '", "IPAPGothic", sans-serif');
  }

  // "実行(&J)" is shown as 実行(J) with J underlined and J as the access key.
  function setCaption(el, caption) {
    const text = caption || '';
    const key = el.dataset.caption;
    if (key === text) return;
    el.dataset.caption = text;
    el.textContent = '';
    let accessKey = '';
    for (let i = 0; i < text.length; i++) {
      const ch = text[i];
      if (ch === '&' && i + 1 < text.length) {
        const next = text[++i];
        if (next === '&') { el.append('&'); continue; }
        const u = document.createElement('u');
        u.textContent = next;
        el.append(u);
        if (!accessKey) accessKey = next.toLowerCase();
      } else {
        el.append(ch);
      }
    }
    if (accessKey) el.accessKey = accessKey; else el.removeAttribute('accesskey');
  }

  function createControl(c, docName) {
    let el;
    switch (c.kind) {
      case 'button':
      case 'picture':
        el = document.createElement('button');
        el.type = 'button';
        el.addEventListener('click', (ev) => { ev.preventDefault(); send(docName, 'click', c.id); });
        break;
      case 'option': {
        el = document.createElement('div');
        const radio = document.createElement('input');
        radio.type = 'radio';
        radio.tabIndex = -1;
        const span = document.createElement('span');
        el.append(radio, span);
        el.addEventListener('click', (ev) => {
          ev.preventDefault();
          if (!el.classList.contains('disabled')) send(docName, 'click', c.id);
        });
        break;
      }
      case 'text':
        el = document.createElement('input');
        el.type = 'text';
        el.autocomplete = 'off';
        el.addEventListener('input', () => send(docName, 'change', c.id, { text: el.value }));
        el.addEventListener('focus', () => el.select());
        break;
      case 'grid':
        el = document.createElement('div');
        el.append(document.createElement('table'));
        break;
      default:
        el = document.createElement('div');
        if (c.kind !== 'frame') {
          el.addEventListener('click', () => {
            if (!el.classList.contains('disabled')) send(docName, 'click', c.id);
          });
          el.addEventListener('dblclick', () => {
            if (!el.classList.contains('disabled')) send(docName, 'dblclick', c.id);
          });
        }
    }
    el.id = c.id;
    el.classList.add('ctl', c.kind === 'picture' ? 'button' : c.kind);
    if (c.kind === 'picture') el.classList.add('picture');
    el.dataset.kind = c.kind;
    return el;
  }

  function updateControl(el, c, docName) {
    el.style.left = px(c.l);
    el.style.top = px(c.t);
    el.style.width = px(c.w);
    el.style.height = px(c.h);
    el.classList.toggle('hidden', !c.visible);
    el.classList.toggle('disabled', !c.enabled);
    el.style.background = c.back || '';
    el.style.color = c.fore || '';
    if (c.font) {
      el.style.fontFamily = fontFamily(c.font.name);
      el.style.fontSize = (c.font.size * 96 / 72) + 'px';
      el.style.fontWeight = c.font.bold ? 'bold' : '';
    }
    if (c.tip) el.title = c.tip; else el.removeAttribute('title');
    switch (c.kind) {
      case 'button':
        el.disabled = !c.enabled;
        setCaption(el, c.caption);
        break;
      case 'picture':
        el.disabled = !c.enabled;
        setCaption(el, c.caption || c.tip || '');
        break;
      case 'option':
        el.firstChild.checked = !!c.value;
        el.firstChild.disabled = !c.enabled;
        if (el.lastChild.textContent !== c.caption) el.lastChild.textContent = c.caption;
        break;
      case 'text':
        el.disabled = !c.enabled;
        // While the person is typing, their text wins over an older state.
        if (el.value !== c.caption && !(document.activeElement === el && pending > 0)) {
          el.value = c.caption;
          if (document.activeElement === el) el.select();
        }
        break;
      case 'grid':
        renderGrid(el, c, docName);
        break;
      case 'frame':
        if (c.caption) {
          let legend = el.querySelector(':scope > .legend');
          if (!legend) {
            legend = document.createElement('span');
            legend.className = 'legend';
            el.prepend(legend);
          }
          legend.textContent = c.caption;
        }
        break;
      default:
        if (el.dataset.caption !== c.caption) {
          el.dataset.caption = c.caption;
          el.textContent = c.caption;
        }
    }
  }

  // Keeps the elements of a document in step with its description: one element per
  // control, inside the element of its container, updated in place so that focus and
  // typing survive the clock's updates.
  function renderDocument(root, d, docName) {
    const known = new Map();
    root.querySelectorAll('.ctl').forEach((el) => known.set(el.id, el));
    const seen = new Set();
    for (const c of d.controls) {
      let el = known.get(c.id);
      if (el && el.dataset.kind !== c.kind) { el.remove(); el = null; }
      if (!el) { el = createControl(c, docName); known.set(c.id, el); }
      seen.add(c.id);
      updateControl(el, c, docName);
    }
    for (const c of d.controls) {
      const el = known.get(c.id);
      const parent = (c.container && known.get(c.container)) || root;
      if (el.parentElement !== parent) parent.append(el);
    }
    for (const [id, el] of known) if (!seen.has(id)) el.remove();
  }

  // ------------------------------------------------------------------ grid

  const ALIGN_H = ['left', 'left', 'left', 'center', 'center', 'center', 'right', 'right', 'right'];
  const ALIGN_V = ['top', 'middle', 'bottom', 'top', 'middle', 'bottom', 'top', 'middle', 'bottom'];

  function renderGrid(el, c, docName) {
    const g = c.grid;
    if (!g || g.rows === undefined) return;
    el.classList.toggle('hidden', !c.visible || !g.visible);
    el.style.fontSize = (g.fontSize * 96 / 72) + 'px';
    const key = JSON.stringify(g);
    if (el.dataset.grid === key) return;
    el.dataset.grid = key;
    // New cells mean a page was loaded, and a load scrolls back to the grid's first
    // scrollable column even when that column number is the same as before.
    const dataKey = JSON.stringify([g.rows, g.cols, g.cells]);
    const reloaded = el.dataset.data !== dataKey;
    el.dataset.data = dataKey;
    const table = document.createElement('table');
    const cols = document.createElement('colgroup');
    let total = 0;
    for (let col = 0; col < g.cols; col++) {
      const ce = document.createElement('col');
      ce.style.width = px(g.widths[col]);
      total += g.widths[col] / TWIPS_PER_PX;
      cols.append(ce);
    }
    table.style.width = total + 'px';
    table.append(cols);
    const rowHeight = Math.round(g.fontSize * 96 / 72 * 1.6);
    for (let r = 0; r < g.rows; r++) {
      const tr = document.createElement('tr');
      const fixedRow = r < g.fixedRows;
      if (fixedRow) { tr.className = 'fixed'; }
      const spans = g.spans[String(r)] || null;
      const starts = spans ? spans.map((s) => s[0]) : null;
      let left = 0;
      for (let col = 0; col < g.cols; col++) {
        const width = g.widths[col] / TWIPS_PER_PX;
        let span = 1;
        if (starts) {
          const i = starts.indexOf(col);
          if (i < 0) { left += width; continue; }
          span = spans[i][1] - spans[i][0] + 1;
        }
        const [text, align, fore, back] = g.cells[r][col];
        const td = document.createElement('td');
        td.id = c.id + '_' + r + '_' + col;
        td.textContent = text;
        if (span > 1) td.colSpan = span;
        const fixed = fixedRow || col < g.fixedCols;
        if (fixed) td.classList.add('fixed');
        if (col < g.fixedCols) { td.classList.add('fixedcol'); td.style.left = left + 'px'; }
        if (fixedRow) td.style.top = (r * rowHeight) + 'px';
        td.style.height = (rowHeight - 1) + 'px';
        td.style.textAlign = align === 9 ? (isNaN(Number(text)) ? 'left' : 'right') : ALIGN_H[align];
        td.style.verticalAlign = align === 9 ? 'middle' : ALIGN_V[align];
        if (fore) td.style.color = fore;
        if (back) td.style.background = back;
        if (r === g.row && col === g.col && !fixed) td.classList.add('current');
        td.addEventListener('click', () => {
          send(docName, 'click', c.id, { row: r, col });
          // A heading cell of a scrollable column also opens that column's chart (trend.js).
          if (fixedRow && col >= g.fixedCols) {
            document.dispatchEvent(new CustomEvent('tb:heading', { detail: { doc: docName, grid: c.id, col } }));
          }
        });
        td.addEventListener('dblclick', () => send(docName, 'dblclick', c.id, { row: r, col }));
        tr.append(td);
        for (let k = 1; k < span; k++) left += g.widths[col + k] / TWIPS_PER_PX;
        left += width;
        col += span - 1;
      }
      table.append(tr);
    }
    const scrollTop = el.scrollTop;
    const oldLeftCol = el.dataset.leftCol;
    el.firstChild.replaceWith(table);
    el.scrollTop = scrollTop;
    if (reloaded || oldLeftCol !== String(g.leftCol)) {
      let x = 0;
      for (let col = g.fixedCols; col < g.leftCol && col < g.cols; col++) x += g.widths[col] / TWIPS_PER_PX;
      el.scrollLeft = x;
      el.dataset.leftCol = String(g.leftCol);
    }
  }

  // ------------------------------------------------------------------ dialogs

  function windowFrame(id, caption, onClose) {
    const w = document.createElement('div');
    w.className = 'window';
    w.id = id;
    w.setAttribute('role', 'dialog');
    const bar = document.createElement('div');
    bar.className = 'titlebar';
    const title = document.createElement('span');
    title.className = 'caption';
    title.textContent = caption || '';
    bar.append(title);
    if (onClose) {
      const x = document.createElement('button');
      x.type = 'button';
      x.className = 'close';
      x.id = id + 'Close';
      x.textContent = '×';
      x.addEventListener('click', onClose);
      bar.append(x);
    }
    w.append(bar);
    return w;
  }

  function renderOverlay() {
    const dialogs = state.dialogs || [];
    const wanted = new Set(dialogs.map((d) => d.name));
    if (state.msgbox) wanted.add('MsgBox');
    if (state.save) wanted.add('SaveDialog');
    for (const w of Array.from(overlay.children)) if (!wanted.has(w.id)) w.remove();
    overlay.hidden = wanted.size === 0;

    for (const d of dialogs) renderDialog(d);
    if (state.msgbox) renderMsgBox(state.msgbox);
    if (state.save) renderSave(state.save);
  }

  function renderDialog(d) {
    let w = document.getElementById(d.name);
    if (!w || !w.classList.contains('window')) {
      w = windowFrame(d.name, d.caption, () => send(d.name, 'close', ''));
      const client = document.createElement('div');
      client.className = 'client';
      w.append(client);
      w.addEventListener('keydown', (ev) => {
        if (ev.key !== 'Enter') return;
        ev.preventDefault();
        const focused = document.activeElement;
        const control = focused && focused.closest('.ctl') && w.contains(focused) ? focused.closest('.ctl').id : '';
        send(d.name, 'keypress', control, { key: 13 });
      });
      overlay.append(w);
    }
    w.querySelector('.caption').textContent = d.caption || '';
    const client = w.querySelector('.client');
    client.style.width = px(d.width);
    client.style.height = px(d.height);
    renderDocument(client, d, d.name);
    // A dialog keeps the focus in its entry field, with the text selected.
    const entry = client.querySelector('input[type=text]');
    if (entry && !w.contains(document.activeElement)) entry.focus();
    else if (entry && document.activeElement && document.activeElement.tagName === 'BUTTON' && pending === 0) entry.focus();
  }

  function renderMsgBox(m) {
    let w = document.getElementById('MsgBox');
    if (w && Number(w.dataset.boxId) === m.id) return;
    if (w) w.remove();
    w = windowFrame('MsgBox', m.caption, null);
    w.classList.add('msgbox');
    w.dataset.boxId = String(m.id);
    const body = document.createElement('div');
    body.className = 'body';
    if (m.icon === 'exclamation') {
      const icon = document.createElement('span');
      icon.className = 'icon';
      icon.textContent = '⚠';
      body.append(icon);
    }
    const text = document.createElement('div');
    text.className = 'text';
    text.id = 'MsgBoxText';
    text.textContent = String(m.text).replace(/\r\n?/g, '\n');
    body.append(text);
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    const choices = m.buttons === 'yesno'
      ? [['MsgBoxYes', 'はい(Y)', 'yes'], ['MsgBoxNo', 'いいえ(N)', 'no']]
      : [['MsgBoxOK', 'OK', 'ok']];
    for (const [id, label, value] of choices) {
      const b = document.createElement('button');
      b.type = 'button';
      b.id = id;
      b.textContent = label;
      b.addEventListener('click', () => {
        buttons.querySelectorAll('button').forEach((x) => { x.disabled = true; });
        answer({ kind: 'msgbox', id: m.id, button: value });
      });
      buttons.append(b);
    }
    w.append(body, buttons);
    overlay.append(w);
    buttons.firstChild.focus();
  }

  function renderSave(s) {
    let w = document.getElementById('SaveDialog');
    if (w && Number(w.dataset.boxId) === s.id) return;
    if (w) w.remove();
    const cancel = () => answer({ kind: 'save', id: s.id, name: null });
    w = windowFrame('SaveDialog', s.title, cancel);
    w.classList.add('savebox');
    w.dataset.boxId = String(s.id);
    const body = document.createElement('div');
    body.className = 'body';
    const label = document.createElement('label');
    label.textContent = 'ファイル名:';
    label.htmlFor = 'SaveFileName';
    const input = document.createElement('input');
    input.id = 'SaveFileName';
    input.value = s.fileName || '';
    const typeLabel = document.createElement('span');
    typeLabel.textContent = 'ファイルの種類:';
    const type = document.createElement('span');
    type.textContent = s.filter || '';
    const error = document.createElement('div');
    error.className = 'error';
    error.id = 'SaveError';
    body.append(label, input, typeLabel, type);
    // Option buttons under the file name (what to write), the first one preselected.
    const choices = s.choices || [];
    const options = choices.map((text, i) => {
      const option = document.createElement('label');
      option.className = 'choice';
      const radio = document.createElement('input');
      radio.type = 'radio';
      radio.name = 'SaveChoice';
      radio.id = 'SaveChoice_' + i;
      radio.checked = i === 0;
      option.append(radio, document.createTextNode(text));
      body.append(option);
      return radio;
    });
    body.append(error);
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    const ok = document.createElement('button');
    ok.type = 'button';
    ok.id = 'SaveOK';
    ok.textContent = '保存(S)';
    const no = document.createElement('button');
    no.type = 'button';
    no.id = 'SaveCancel';
    no.textContent = 'キャンセル';
    const save = async () => {
      const chosen = Math.max(0, options.findIndex((o) => o.checked));
      const r = await answer({ kind: 'save', id: s.id, name: input.value, choice: chosen });
      if (!r || !r.ok) error.textContent = 'ファイル名が正しくありません。';
    };
    ok.addEventListener('click', save);
    no.addEventListener('click', cancel);
    input.addEventListener('keydown', (ev) => {
      if (ev.key === 'Enter') { ev.preventDefault(); save(); }
      if (ev.key === 'Escape') { ev.preventDefault(); cancel(); }
    });
    buttons.append(ok, no);
    w.append(body, buttons);
    overlay.append(w);
    input.focus();
    input.select();
  }

  // ------------------------------------------------------------------ scaling

  // The page fills the window as the page's resize control did: every control, font
  // and dialog grows and shrinks with the window.
  function rescale() {
    if (!state || !state.doc) return;
    const w = state.doc.width / TWIPS_PER_PX;
    const h = state.doc.height / TWIPS_PER_PX;
    const sw = stage.clientWidth;
    const sh = stage.clientHeight;
    scale = Math.max(0.25, Math.min(sw / w, sh / h));
    docEl.style.transform = 'scale(' + scale + ')';
    for (const win of overlay.children) {
      win.style.transform = 'scale(' + scale + ')';
      const ww = win.offsetWidth * scale;
      const wh = win.offsetHeight * scale;
      win.style.left = Math.max(0, (overlay.clientWidth - ww) / 2) + 'px';
      win.style.top = Math.max(0, (overlay.clientHeight - wh) / 2) + 'px';
    }
  }

  // ------------------------------------------------------------------ archive link

  // The selection page offers the report archive at the right of the status bar, outside
  // the page's own controls, when the server has one (/archive/ answers).
  function offerArchive() {
    if (document.body.dataset.name !== 'docMain') return;
    fetch('/archive/', { method: 'HEAD', credentials: 'same-origin' }).then((r) => {
      if (!r.ok) return;
      const a = document.createElement('a');
      a.id = 'ArchiveLink';
      a.className = 'archive-link';
      a.href = '/archive/';
      a.textContent = '帳票アーカイブ';
      document.body.appendChild(a);
    }).catch(() => {});
  }

  window.addEventListener('resize', rescale);
  // A page restored from the back/forward cache is loaded anew: its model is gone.
  window.addEventListener('pageshow', (ev) => { if (ev.persisted) location.reload(); });
  connect();
  offerArchive();
})();
