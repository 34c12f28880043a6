#!/usr/bin/env node
// Flood benchmark of the web host on loopback: opens many connections that hold the
// server without asking anything (idle: connect and send nothing; slow: a request head
// sent one byte a second that never ends) and measures, while they are open, how long
// normal requests of a browser take (the selection page, a fresh connection each time,
// and a style sheet on a kept-alive connection). The flood comes from other loopback
// addresses than the normal client (127.0.0.2 and up, `--per-address` connections each),
// so that a per-address limit is seen at work, and from a child process of its own, so
// that the timed requests do not wait for the flood's own work. Bounded: a fixed
// duration; it stops the server and the child it started.
//
//   node bench/web_flood.js [--mode idle|slow] [--connections 500] [--per-address 50]
//                           [--seconds 15] [--binary build/bin/tbclient]
'use strict';
const { fork } = require('node:child_process');
const { monitorEventLoopDelay } = require('node:perf_hooks');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { top, benchArgs, seedShare, startServer } = require('./web_bench_setup.js');

const args = benchArgs();
const MODE = args.mode || 'idle';
const CONNECTIONS = Number(args.connections || 500);
const PER_ADDRESS = Number(args['per-address'] || 50);
const SECONDS = Number(args.seconds || 15);
const BINARY = args.binary || path.join(top, 'build', 'bin', 'tbclient');

function procStatus(pid, key) {
  const m = fs.readFileSync(`/proc/${pid}/status`, 'utf8').match(new RegExp(key + ':\\s+(\\d+)'));
  return Number(m[1]);
}

// One flooding connection from `address`, opened again whenever the server closes it
// (as a client that means to hold the server would); `stats.open` counts those the
// server holds now.
function flooder(port, address, stats, sockets) {
  if (stats.stopping) return;
  const sock = net.connect({ host: '127.0.0.1', port, localAddress: address });
  sockets.add(sock);
  let timer = null;
  let connected = false;
  sock.on('connect', () => {
    connected = true;
    stats.open++;
    stats.opened++;
    if (MODE !== 'slow') return;
    const head = 'GET /docMain.vbd HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ' + 'x'.repeat(100000);
    let at = 0;
    timer = setInterval(() => { if (at < head.length) sock.write(head[at++]); }, 1000);
  });
  sock.on('data', () => {});
  sock.on('error', () => {});
  sock.on('close', () => {
    sockets.delete(sock);
    if (timer) clearInterval(timer);
    if (connected) stats.open--;
    setTimeout(() => flooder(port, address, stats, sockets), 100);
  });
}

function timedGet(port, urlPath, headers, agent) {
  return new Promise((resolve) => {
    const t0 = process.hrtime.bigint();
    const req = http.get({ host: '127.0.0.1', port, path: urlPath, headers, agent }, (res) => {
      res.resume();
      res.on('end', () => resolve({ ms: Number(process.hrtime.bigint() - t0) / 1e6, status: res.statusCode, res }));
    });
    req.setTimeout(20000, () => req.destroy());
    req.on('error', () => resolve({ ms: Number(process.hrtime.bigint() - t0) / 1e6, status: -1 }));
  });
}

function summary(list) {
  const ms = list.map((r) => r.ms).sort((a, b) => a - b);
  const pick = (q) => ms[Math.min(ms.length - 1, Math.floor(q * ms.length))].toFixed(1);
  return { requests: ms.length, failed: list.filter((r) => r.status !== 200).length,
    p50_ms: pick(0.5), p99_ms: pick(0.99), max_ms: ms[ms.length - 1].toFixed(1) };
}

// The flood, run in a child process: keeps CONNECTIONS connections open on `port` and
// reports how many the server holds when asked.
function floodChild(port) {
  const sockets = new Set();
  const stats = { open: 0, opened: 0, stopping: false };
  for (let i = 0; i < CONNECTIONS; i++) {
    flooder(port, '127.0.0.' + (2 + Math.floor(i / PER_ADDRESS)), stats, sockets);
  }
  process.on('message', (m) => {
    if (m === 'stats') process.send({ open: stats.open, opened: stats.opened });
    if (m === 'stop') {
      stats.stopping = true;
      sockets.forEach((s) => s.destroy());
      process.exit(0);
    }
  });
}

function ask(child) {
  return new Promise((resolve) => { child.once('message', resolve); child.send('stats'); });
}

if (args.role === 'flooder') {
  floodChild(Number(args.port));
} else (async () => {
  const seeded = args.share ? { share: args.share, client: args.client } : seedShare('tb-flood-');
  const { child, port } = await startServer(BINARY, seeded.share, seeded.client);
  let flood = null;
  try {
    const first = await timedGet(port, '/docMain.vbd', {});
    const cookie = first.res.headers['set-cookie'][0].split(';')[0];
    const threadsBefore = procStatus(child.pid, 'Threads');
    flood = fork(__filename, [...process.argv.slice(2), '--role', 'flooder', '--port', String(port)]);
    await new Promise((r) => setTimeout(r, 1500));
    const openAfterConnect = (await ask(flood)).open;
    const threadsDuring = procStatus(child.pid, 'Threads');
    const fresh = [];
    const kept = [];
    const agent = new http.Agent({ keepAlive: true, maxSockets: 1 });
    const loopDelay = monitorEventLoopDelay({ resolution: 5 });
    loopDelay.enable();
    const end = Date.now() + SECONDS * 1000;
    while (Date.now() < end) {
      fresh.push(await timedGet(port, '/docMain.vbd', { Cookie: cookie, Connection: 'close' }));
      kept.push(await timedGet(port, '/assets/client.css', { Cookie: cookie }, agent));
      await new Promise((r) => setTimeout(r, 100));
    }
    agent.destroy();
    loopDelay.disable();
    const end_ = await ask(flood);
    console.log(JSON.stringify({
      mode: MODE,
      flood_connections: CONNECTIONS,
      per_address: PER_ADDRESS,
      seconds: SECONDS,
      load_average: os.loadavg()[0].toFixed(2),
      flood_open_after_1s: openAfterConnect,
      flood_open_at_end: end_.open,
      flood_connections_made: end_.opened,
      server_threads_before: threadsBefore,
      server_threads_during: threadsDuring,
      server_rss_mib: (procStatus(child.pid, 'VmRSS') / 1024).toFixed(1),
      page_fresh_connection: summary(fresh),
      asset_kept_alive: summary(kept),
      // How late the timing client's own event loop ran: a share of any figure above.
      client_loop_delay_p99_ms: (loopDelay.percentile(99) / 1e6).toFixed(1),
    }, null, 2));
  } finally {
    if (flood) flood.send('stop');
    child.kill('SIGTERM');
    if (seeded.dir) fs.rmSync(seeded.dir, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
