// The grid page's trend chart: a click on a tag's heading cell opens a modal chart of
// that tag over the period on show, with the period before as a fainter line and up to
// four more tags of the page added from the legend list, each unit on its own axis.
// Everything it shows comes from the page model (GET /trend, trend_route.h): values, the
// grid's maximum and minimum marks, the texts the grid shows, the period before. Drawn
// with uPlot, which the web host serves from its built-in assets.
(() => {
  'use strict';

  if (document.body.dataset.name !== 'docGrid') return;
  const PAGE = Number(document.body.dataset.page);
  const MAX_ADDED = 4;
  const RED = '#ff0000';
  const BLUE = '#0000ff';
  const MAIN = '#1f3f99';
  const PREVIOUS = 'rgba(31, 63, 153, 0.38)';
  const ADDED = ['#1b8a3a', '#c05a00', '#8a2ca0', '#00868b'];
  const FAILED = 'グラフのデータを読み込めませんでした。';

  let library = null;   // promise of the uPlot constructor
  let busy = false;     // a chart is being opened
  let view = null;      // the open chart: {tags, main, added: [{data, colour}], chart, roles, ...}

  // ------------------------------------------------------------------ data

  function loadLibrary() {
    if (!library) {
      library = new Promise((resolve, reject) => {
        const css = document.createElement('link');
        css.rel = 'stylesheet';
        css.href = '/assets/uPlot.min.css';
        document.head.append(css);
        const s = document.createElement('script');
        s.src = '/assets/uPlot.iife.min.js';
        s.onload = () => resolve(window.uPlot);
        s.onerror = () => { library = null; reject(new Error('chart library not loaded')); };
        document.head.append(s);
      });
    }
    return library;
  }

  async function getJson(query) {
    const r = await fetch('/trend?page=' + PAGE + query, { credentials: 'same-origin' });
    if (!r.ok) throw Object.assign(new Error('trend request answered ' + r.status), { status: r.status });
    return r.json();
  }

  // ------------------------------------------------------------------ texts

  function tagTitle(t) {
    const names = t.names.filter((n) => n).join(' ');
    return t.unit ? names + ' [' + t.unit + ']' : names;
  }

  // Minutes as hours:minutes, as the grid shows time items (90 -> 1:30).
  function hoursMinutes(v) {
    const n = Math.round(Math.abs(v));
    const text = Math.floor(n / 60) + ':' + String(n % 60).padStart(2, '0');
    return v < 0 && n > 0 ? '-' + text : text;
  }

  function summaries(s, withExtremes) {
    const parts = [['合計', s.total], ['平均', s.average]];
    if (withExtremes) parts.push(['最大', s.maximum], ['最小', s.minimum]);
    return parts.filter(([, v]) => v !== '');
  }

  // ------------------------------------------------------------------ chart

  function scaleKey(t) { return (t.minutes ? 'minutes:' : 'number:') + t.unit; }

  function points(values, indexes) {
    const out = values.map(() => null);
    for (const i of indexes) out[i] = values[i];
    return out;
  }

  // One y axis per unit: the charted tag's on the left, every other unit on the right.
  function axisFor(t, colour, side) {
    const axis = { scale: scaleKey(t), side, stroke: colour, label: t.unit, labelSize: 20,
      grid: { show: side === 3, stroke: '#e4e4e4', width: 1 }, size: 64 };
    if (t.minutes) {
      axis.values = (u, splits) => splits.map((v) => (v == null ? '' : hoursMinutes(v)));
      axis.incrs = [1, 2, 5, 10, 15, 30, 60, 120, 180, 240, 360, 480, 720, 1440, 2880, 7200,
        14400, 28800, 43200, 86400, 172800, 432000];
    }
    return axis;
  }

  // The chart takes what the window leaves beside the headings, legend and buttons (a
  // low window gets a shorter legend list, trend.css).
  function chartSize() {
    const around = window.innerHeight < 600 ? 250 : 330;
    return {
      width: Math.max(300, Math.min(1100, window.innerWidth - 56)),
      height: Math.max(150, Math.min(440, window.innerHeight - around)),
    };
  }

  // The series in order, with their roles (exposed for tests and the cursor readout).
  function chartParts() {
    const m = view.main;
    const roles = ['x', 'main', 'max', 'min'];
    const data = [m.labels.map((_, i) => i), m.values, points(m.values, m.max), points(m.values, m.min)];
    const mainScale = scaleKey(m);
    const mark = (label, colour) => ({ label, scale: mainScale, stroke: colour, paths: () => null,
      points: { show: true, size: 11, width: 1, stroke: colour, fill: colour } });
    const series = [{}, { label: tagTitle(m), scale: mainScale, stroke: MAIN, width: 2,
      points: { show: true, size: 5, fill: MAIN } }, mark('最大', RED), mark('最小', BLUE)];
    if (m.previous) {
      roles.push('previous');
      data.push(m.previous.values);
      series.push({ label: m.previous.label, scale: mainScale, stroke: PREVIOUS, width: 1.5,
        dash: [6, 4], points: { show: false } });
    }
    const axes = [{ values: (u, splits) => splits.map((i) => m.labels[i] ?? ''),
      incrs: [1, 2, 3, 4, 6, 8, 12], grid: { stroke: '#eeeeee', width: 1 } }, axisFor(m, MAIN, 3)];
    const scales = { x: { time: false, range: [-0.5, m.labels.length - 0.5] } };
    const seen = new Set([mainScale]);
    for (const a of view.added) {
      roles.push('tag:' + a.data.tag);
      data.push(a.data.values.slice(0, m.labels.length));
      series.push({ label: tagTitle(a.data), scale: scaleKey(a.data), stroke: a.colour, width: 1.5,
        points: { show: true, size: 4, fill: a.colour } });
      if (!seen.has(scaleKey(a.data))) {
        seen.add(scaleKey(a.data));
        axes.push(axisFor(a.data, a.colour, 1));
      }
    }
    return { roles, data, opts: { ...chartSize(), series, axes, scales, legend: { show: false },
      cursor: { points: { show: false } }, hooks: { setCursor: [(u) => readout(u.cursor.idx)] } } };
  }

  function drawChart(uPlot) {
    if (view.chart) view.chart.destroy();
    const parts = chartParts();
    view.roles = parts.roles;
    view.chart = new uPlot(parts.opts, parts.data, view.el.querySelector('.trend-chart'));
  }

  // The texts of the row under the cursor, as the grid shows them.
  function readout(i) {
    const el = view && view.el.querySelector('.trend-readout');
    if (!el) return;
    if (i == null) { el.textContent = '\u00a0'; return; }
    const m = view.main;
    const parts = [m.labels[i] + (m.kind === 1 ? '' : m.rowUnit), tagTitle(m) + ' ' + (m.texts[i] || '—')];
    if (m.previous) parts.push(m.previous.label + ' ' + (m.previous.texts[i] || '—'));
    for (const a of view.added) parts.push(tagTitle(a.data) + ' ' + (a.data.texts[i] || '—'));
    el.textContent = parts.join('　');
  }

  // ------------------------------------------------------------------ legend

  function swatch(colour, dashed) {
    const s = document.createElement('span');
    s.className = 'trend-swatch' + (dashed ? ' dashed' : '');
    s.style.borderColor = colour;
    return s;
  }

  function summaryList(s, withExtremes) {
    const box = document.createElement('span');
    box.className = 'trend-summary';
    for (const [word, value] of summaries(s, withExtremes)) {
      const item = document.createElement('span');
      item.textContent = word + ' ' + value;
      if (word === '最大') item.style.color = RED;
      if (word === '最小') item.style.color = BLUE;
      box.append(item);
    }
    return box;
  }

  // Every tag of the page: the charted one first with its period before, then the others,
  // which a click adds to the chart or takes off it again (four at most).
  function renderLegend(uPlot) {
    const list = view.el.querySelector('.trend-legend');
    list.textContent = '';
    const m = view.main;
    const row = (id, colour, dashed, title, s, extremes) => {
      const li = document.createElement('li');
      li.id = id;
      const name = document.createElement('span');
      name.className = 'trend-name';
      name.textContent = title;
      li.append(swatch(colour, dashed), name, summaryList(s, extremes));
      list.append(li);
      return li;
    };
    row('trendTag_' + m.column, MAIN, false, tagTitle(m), m, true).classList.add('main');
    if (m.previous) row('trendPrevious', PREVIOUS, true, m.previous.label + ' ' + m.previous.caption, m.previous, false);
    if (view.tags.length > 1) {
      const hint = document.createElement('li');
      hint.className = 'hint';
      hint.textContent = 'このページの他のタグ（クリックでグラフに追加、' + MAX_ADDED + 'つまで）';
      list.append(hint);
    }
    for (const t of view.tags) {
      if (t.tag === m.tag) continue;
      const added = view.added.find((a) => a.data.tag === t.tag);
      const li = row('trendTag_' + t.column, added ? added.colour : '#c0c0c0', false, tagTitle(t),
        added ? added.data : { total: '', average: '' }, false);
      li.classList.add('other');
      li.classList.toggle('added', !!added);
      const full = !added && view.added.length >= MAX_ADDED;
      li.classList.toggle('disabled', full);
      li.title = added ? 'グラフから外します。' : full ? '追加できるのは4つまでです。' : 'グラフに追加します。';
      li.addEventListener('click', () => { if (!full) toggleTag(t, uPlot); });
    }
  }

  async function toggleTag(t, uPlot) {
    if (view.loading) return;
    const at = view.added.findIndex((a) => a.data.tag === t.tag);
    if (at >= 0) {
      view.added.splice(at, 1);
    } else {
      view.loading = true;
      try {
        const data = await getJson('&tag=' + t.tag);
        const used = new Set(view.added.map((a) => a.colour));
        view.added.push({ data, colour: ADDED.find((c) => !used.has(c)) });
      } catch (e) {
        showError(FAILED);
      } finally {
        view.loading = false;
      }
    }
    renderLegend(uPlot);
    drawChart(uPlot);
  }

  // ------------------------------------------------------------------ saving

  function download(href, name) {
    const a = document.createElement('a');
    a.href = href;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
  }

  // The chart as a picture: headings, the plot itself, and the legend drawn below it.
  function savePng() {
    const plot = view.chart.ctx.canvas;
    const ratio = plot.width / view.chart.width;
    const lines = legendLines();
    const pad = 12;
    const w = view.chart.width + pad * 2;
    const h = pad + 46 + view.chart.height + 10 + lines.length * 20 + pad;
    const canvas = document.createElement('canvas');
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
    const g = canvas.getContext('2d');
    g.scale(ratio, ratio);
    g.fillStyle = '#ffffff';
    g.fillRect(0, 0, w, h);
    g.fillStyle = '#000000';
    g.textBaseline = 'top';
    g.font = 'bold 16px "IPAPGothic", sans-serif';
    g.fillText(tagTitle(view.main), pad, pad);
    g.font = '13px "IPAPGothic", sans-serif';
    g.fillText(view.main.caption, pad, pad + 24);
    g.drawImage(plot, pad, pad + 46, view.chart.width, view.chart.height);
    let y = pad + 46 + view.chart.height + 10;
    for (const l of lines) {
      g.strokeStyle = l.colour;
      g.lineWidth = 3;
      g.setLineDash(l.dashed ? [6, 4] : []);
      g.beginPath();
      g.moveTo(pad, y + 8);
      g.lineTo(pad + 24, y + 8);
      g.stroke();
      g.fillStyle = '#000000';
      g.fillText(l.text, pad + 32, y + 1);
      y += 20;
    }
    canvas.toBlob((blob) => {
      const url = URL.createObjectURL(blob);
      download(url, view.main.file + '.png');
      setTimeout(() => URL.revokeObjectURL(url), 10000);
    }, 'image/png');
  }

  function legendLines() {
    const m = view.main;
    const text = (title, s, extremes) => [title, ...summaries(s, extremes).map(([w, v]) => w + ' ' + v)].join('　');
    const lines = [{ colour: MAIN, text: text(tagTitle(m), m, true) }];
    if (m.previous) lines.push({ colour: PREVIOUS, dashed: true, text: text(m.previous.label + ' ' + m.previous.caption, m.previous, false) });
    for (const a of view.added) lines.push({ colour: a.colour, text: text(tagTitle(a.data), a.data, false) });
    return lines;
  }

  function saveCsv() {
    const tags = [view.main.tag, ...view.added.map((a) => a.data.tag)];
    download('/trend.csv?page=' + PAGE + tags.map((t) => '&tag=' + encodeURIComponent(t)).join(''),
      view.main.file + '.csv');
  }

  // ------------------------------------------------------------------ the dialog

  function button(id, text, onClick) {
    const b = document.createElement('button');
    b.type = 'button';
    b.id = id;
    b.textContent = text;
    b.addEventListener('click', onClick);
    return b;
  }

  function buildDialog() {
    const overlay = document.createElement('div');
    overlay.id = 'trendOverlay';
    const w = document.createElement('div');
    w.className = 'window trend';
    w.id = 'frmTrend';
    w.setAttribute('role', 'dialog');
    w.setAttribute('aria-modal', 'true');
    const bar = document.createElement('div');
    bar.className = 'titlebar';
    const caption = document.createElement('span');
    caption.className = 'caption';
    caption.textContent = 'トレンド - ' + tagTitle(view.main);
    bar.append(caption, button('frmTrendClose', '×', close));
    bar.lastChild.className = 'close';
    const body = document.createElement('div');
    body.className = 'trend-body';
    const head = document.createElement('div');
    head.className = 'trend-head';
    head.textContent = view.main.caption;
    const chart = document.createElement('div');
    chart.className = 'trend-chart';
    const read = document.createElement('div');
    read.className = 'trend-readout';
    read.textContent = '\u00a0';
    const error = document.createElement('div');
    error.className = 'trend-error';
    const legend = document.createElement('ul');
    legend.className = 'trend-legend';
    const buttons = document.createElement('div');
    buttons.className = 'buttons';
    buttons.append(button('cmdTrendPng', 'PNG保存', savePng), button('cmdTrendCsv', 'CSV保存', saveCsv),
      button('cmdTrendClose', '閉じる', close));
    body.append(head, chart, read, error, legend, buttons);
    w.append(bar, body);
    overlay.append(w);
    return overlay;
  }

  function showError(text) {
    const el = view && view.el.querySelector('.trend-error');
    if (el) el.textContent = text;
  }

  function onKey(ev) {
    if (ev.key !== 'Escape' || !view) return;
    ev.preventDefault();
    ev.stopPropagation();
    close();
  }

  function onResize() { if (view && view.chart) view.chart.setSize(chartSize()); }

  function show(tags, main, uPlot) {
    view = { tags, main, added: [], chart: null, roles: [], loading: false };
    view.el = buildDialog();
    document.body.append(view.el);
    // The page under the chart takes no clicks, keys or focus while it is open.
    document.getElementById('stage').inert = true;
    renderLegend(uPlot);
    drawChart(uPlot);
    document.addEventListener('keydown', onKey, true);
    window.addEventListener('resize', onResize);
    document.getElementById('cmdTrendClose').focus();
  }

  function close() {
    if (!view) return;
    if (view.chart) view.chart.destroy();
    view.el.remove();
    view = null;
    document.getElementById('stage').inert = false;
    document.removeEventListener('keydown', onKey, true);
    window.removeEventListener('resize', onResize);
  }

  async function openChart(col) {
    if (view || busy) return;
    busy = true;
    try {
      const [list, uPlot] = await Promise.all([getJson(''), loadLibrary()]);
      const tag = list.tags.find((t) => t.column === col);
      if (!tag) return;  // a column without a tag has no chart
      show(list.tags, await getJson('&tag=' + tag.tag), uPlot);
    } catch (e) {
      if (e.status === 404) return;  // not a page with tags: nothing to chart
      const n = document.createElement('div');
      n.className = 'trend-notice';
      n.id = 'TrendNotice';
      n.textContent = FAILED;
      document.body.append(n);
      setTimeout(() => n.remove(), 4000);
    } finally {
      busy = false;
    }
  }

  // client.js tells of a click on a heading cell of the page's grid.
  document.addEventListener('tb:heading', (ev) => {
    if (ev.detail.doc === 'docGrid' && ev.detail.grid === 'grdGrid') openChart(ev.detail.col);
  });

  // For people and tests: the open chart (its uPlot instance: data, series, scales, axes),
  // the data it was drawn from, and the role of each series.
  window.tbTrend = {
    open: openChart,
    close,
    get chart() { return view && view.chart; },
    get model() { return view && { main: view.main, added: view.added.map((a) => a.data) }; },
    get roles() { return view ? view.roles.slice() : []; },
  };
})();
