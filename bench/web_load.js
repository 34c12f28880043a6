#!/usr/bin/env node
// Load benchmark of the web host on loopback: N concurrent sessions, each behaving like a
// browser (page load, event stream, clicks): start-up, Run to the grid page, then page
// steps. Reports the round trip of an event request (POST until the handler has run and
// the new state is published; the grid page's load timer runs after it and is excluded)
// and the server's memory per session. The streams carry the whole state once and then
// change lists, which the generator applies as the page does (state_changes.js); the
// generator's own delay (its event loop's lag) and CPU time are reported beside the
// figures, as it shares the machine with the server. Bounded: a fixed number of steps per
// session and an overall time limit; stops the server it started.
//
//   node bench/web_load.js [--sessions 50] [--steps 20] [--think 200] [--ramp 2000]
//                          [--binary build/bin/tbclient]
//                          [--share DIR --client DIR]   (default: a fresh seeded share)
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { monitorEventLoopDelay } = require('node:perf_hooks');
const { applyStateChanges } = require('../client/web/assets/state_changes.js');
const { top, benchArgs, seedShare, startServer } = require('./web_bench_setup.js');

const args = benchArgs();
const SESSIONS = Number(args.sessions || 50);
const STEPS = Number(args.steps || 20);
const THINK_MS = Number(args.think || 200);  // a person's pause between two clicks
// People do not all press Run in the same millisecond: each session starts at a random
// moment within the ramp. --ramp 0 starts them all at once (a burst of grid-page loads).
const RAMP_MS = Number(args.ramp ?? 2000);
const BINARY = args.binary || path.join(top, 'build', 'bin', 'tbclient');
const DEADLINE = Date.now() + 5 * 60 * 1000;
const agent = new http.Agent({ keepAlive: true, maxSockets: 4 * SESSIONS });


function rssKiB(pid) {
  const m = fs.readFileSync(`/proc/${pid}/status`, 'utf8').match(/VmRSS:\s+(\d+)/);
  return Number(m[1]);
}

// CPU seconds (user + system) a process has used so far.
function cpuSeconds(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return (Number(fields[11]) + Number(fields[12])) / 100;
}

function request(port, method, urlPath, cookie, body) {
  return new Promise((resolve, reject) => {
    const headers = {};
    if (cookie) headers.Cookie = cookie;
    if (body) { headers['Content-Type'] = 'application/json'; headers['Content-Length'] = Buffer.byteLength(body); }
    const req = http.request({ host: '127.0.0.1', port, method, path: urlPath, headers, agent }, (res) => {
      let data = '';
      res.setEncoding('utf8');
      res.on('data', (d) => { data += d; });
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: data }));
    });
    req.on('error', reject);
    if (body) req.write(body);
    req.end();
  });
}

// The session's event stream: keeps the latest state and lets callers wait for one.
class Stream {
  constructor(port, cookie, page) {
    this.state = null;
    this.waiters = [];
    this.req = http.get({ host: '127.0.0.1', port, path: '/events?page=' + page, headers: { Cookie: cookie } }, (res) => {
      let buf = '';
      res.setEncoding('utf8');
      res.on('data', (d) => {
        buf += d;
        let at;
        while ((at = buf.indexOf('\n\n')) >= 0) {
          const block = buf.slice(0, at);
          buf = buf.slice(at + 2);
          const lines = block.split('\n');
          const data = lines.find((l) => l.startsWith('data: '));
          if (!data) continue;
          if (lines.includes('event: changes')) {
            this.held = applyStateChanges(this.held, JSON.parse(data.slice(6)).changes);
          } else {
            this.held = JSON.parse(data.slice(6));
          }
          const s = this.held;
          if (s.page !== page) continue;
          this.state = s;
          this.waiters = this.waiters.filter((w) => !w(s));
        }
      });
    });
    this.req.on('error', () => {});
  }
  until(pred, what) {
    if (this.state && pred(this.state)) return Promise.resolve(this.state);
    return new Promise((resolve, reject) => {
      const t = setTimeout(() => reject(new Error('timed out waiting for ' + what)), 30000);
      this.waiters.push((s) => { if (!pred(s)) return false; clearTimeout(t); resolve(s); return true; });
    });
  }
  close() { this.req.destroy(); }
}

const control = (s, id) => (s.doc ? s.doc.controls.find((c) => c.id === id) : null);
const caption = (s, id) => (control(s, id) || {}).caption;
const gridShown = (s) => { const g = control(s, 'grdGrid'); return g && g.grid && g.grid.visible; };
const loaded = (s) => gridShown(s) && !s.wait && !s.doc.timers.includes('Timer1');

async function openPage(port, cookie, name) {
  const r = await request(port, 'GET', '/' + name, cookie);
  const c = r.headers['set-cookie'] ? r.headers['set-cookie'][0].split(';')[0] : cookie;
  const page = Number(r.body.match(/data-page="(\d+)"/)[1]);
  return { cookie: c, page, stream: new Stream(port, c, page) };
}

// The server's own share of a round trip, from its Server-Timing header.
const serverShares = { queue: [], session: [] };
// Round trips per clicked control: the start-up's Run clicks come in one burst of all
// sessions, the page steps with people's pauses between them.
const byControl = {};

async function timedClick(port, p, doc, id, latencies, group = id) {
  const body = JSON.stringify({ page: p.page, doc, kind: 'click', control: id });
  const t0 = process.hrtime.bigint();
  const r = await request(port, 'POST', '/event', p.cookie, body);
  const ms = Number(process.hrtime.bigint() - t0) / 1e6;
  latencies.push(ms);
  (byControl[group] = byControl[group] || []).push(ms);
  if (r.status !== 200) throw new Error(`${id}: HTTP ${r.status} ${r.body}`);
  for (const m of String(r.headers['server-timing'] || '').matchAll(/(\w+);dur=([\d.]+)/g)) {
    if (serverShares[m[1]]) serverShares[m[1]].push(Number(m[2]));
  }
}

async function session(port, latencies) {
  await new Promise((r) => setTimeout(r, RAMP_MS * Math.random()));
  let p = await openPage(port, null, 'docMain.vbd');
  await p.stream.until((s) => caption(s, 'lblTitle'), 'start-up');
  await timedClick(port, p, 'docMain', 'cmdJikkou', latencies);
  const nav = (await p.stream.until((s) => s.nav, 'navigation')).nav;
  p.stream.close();
  p = await openPage(port, p.cookie, nav.url.slice(1));
  await p.stream.until(loaded, 'first grid load');
  for (let i = 0; i < STEPS && Date.now() < DEADLINE; i++) {
    const button = i % 4 === 3 ? 'cmdGo' : 'cmdJiPage';
    const watched = button === 'cmdGo' ? 'lblTitle' : 'lblPage';
    const before = caption(p.stream.state, watched);
    await timedClick(port, p, 'docGrid', button, latencies, i === 0 ? button + ' (first step)' : button);
    // Wait for the load the step armed, so that the next step meets a loaded page.
    await p.stream.until((s) => caption(s, watched) !== before && loaded(s), 'load');
    await new Promise((r) => setTimeout(r, THINK_MS * (0.5 + Math.random())));
  }
  return p;
}

function percentile(sorted, q) { return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))]; }

(async () => {
  const seeded = args.share ? { share: args.share, client: args.client } : seedShare('tb-bench-');
  const { child, port } = await startServer(BINARY, seeded.share, seeded.client);
  try {
    await new Promise((r) => setTimeout(r, 300));
    const rss0 = rssKiB(child.pid);
    const latencies = [];
    const loopDelay = monitorEventLoopDelay({ resolution: 2 });
    loopDelay.enable();
    const cpu0 = process.cpuUsage();
    const serverCpu0 = cpuSeconds(child.pid);
    const started = Date.now();
    const pages = await Promise.all(Array.from({ length: SESSIONS }, () => session(port, latencies)));
    const elapsed = (Date.now() - started) / 1000;
    const cpu1 = process.cpuUsage(cpu0);
    const serverCpu = cpuSeconds(child.pid) - serverCpu0;
    loopDelay.disable();
    const rss1 = rssKiB(child.pid);
    pages.forEach((p) => p.stream.close());
    latencies.sort((a, b) => a - b);
    for (const list of Object.values(serverShares)) list.sort((a, b) => a - b);
    const share = (name, q) => (serverShares[name].length ? percentile(serverShares[name], q).toFixed(2) : '-');
    const result = {
      sessions: SESSIONS,
      ramp_ms: RAMP_MS,
      events: latencies.length,
      seconds: elapsed,
      p50_ms: percentile(latencies, 0.5).toFixed(2),
      p90_ms: percentile(latencies, 0.9).toFixed(2),
      p99_ms: percentile(latencies, 0.99).toFixed(2),
      max_ms: latencies[latencies.length - 1].toFixed(2),
      rss_before_mib: (rss0 / 1024).toFixed(1),
      rss_after_mib: (rss1 / 1024).toFixed(1),
      kib_per_session: ((rss1 - rss0) / SESSIONS).toFixed(0),
      server_queue_p99_ms: share('queue', 0.99),
      server_session_p50_ms: share('session', 0.5),
      server_session_p99_ms: share('session', 0.99),
      by_control: Object.fromEntries(Object.entries(byControl).map(([id, list]) => {
        list.sort((a, b) => a - b);
        return [id, { events: list.length, p50_ms: percentile(list, 0.5).toFixed(2), p99_ms: percentile(list, 0.99).toFixed(2), max_ms: list[list.length - 1].toFixed(2) }];
      })),
      load_average: os.loadavg()[0].toFixed(2),
      server_cpu_s: serverCpu.toFixed(2),
      generator_cpu_s: ((cpu1.user + cpu1.system) / 1e6).toFixed(2),
      // How late the generator's event loop ran (its own share of any round trip).
      generator_loop_delay_p50_ms: (loopDelay.percentile(50) / 1e6).toFixed(2),
      generator_loop_delay_p99_ms: (loopDelay.percentile(99) / 1e6).toFixed(2),
    };
    console.log(JSON.stringify(result, null, 2));
  } finally {
    child.kill('SIGTERM');
    agent.destroy();
    if (seeded.dir) fs.rmSync(seeded.dir, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
