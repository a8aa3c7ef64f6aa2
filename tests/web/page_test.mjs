// The web page in a headless browser, as a new user meets it: the launch page, Run Demo, the opening, picture 1 at
// its music order, Escape back to the page; the presented frames' trace replayed through the show.
//
//   [VESK_BROWSER=firefox] node page_test.mjs DIST_DIR CAPTURE_PROGRAM RESOURCES_DIR ORDER_POINTS_PROGRAM [OUT_DIR]
//
// Chromium by default; Firefox plays through a private PulseAudio server with a null sink, and then once more with
// no sound server at all, where the page must say so and still keep the pictures on the music's schedule.
// Exits 77 (skipped) when the browser (or, for Firefox, PulseAudio) is not installed. OUT_DIR receives the
// screenshots and the trace.
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const [dist, captureProgram, resources, orderPointsProgram, outArg] = process.argv.slice(2);
const firefox = process.env.VESK_BROWSER === 'firefox';
const executable = firefox ? process.env.VESK_FIREFOX || '/usr/bin/firefox-esr'
  : process.env.VESK_CHROMIUM || '/usr/bin/chromium';
const pulseaudio = process.env.VESK_PULSEAUDIO || '/usr/bin/pulseaudio';
for (const program of firefox ? [executable, pulseaudio] : [executable]) {
  if (!fs.existsSync(program)) {
    console.log(`SKIP: ${program} is not installed`);
    process.exit(77);
  }
}
if (!fs.existsSync(path.join(dist || '', 'index.html'))) {
  console.error(`FAIL: ${dist}/index.html is missing; run scripts/build-web.sh`);
  process.exit(1);
}
const puppeteer = require('puppeteer-core');
const out = outArg || fs.mkdtempSync(path.join(os.tmpdir(), 'vesk-web-'));
fs.mkdirSync(out, { recursive: true });

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) ++failures;
}

// Where the module's order changes, [order, sample frame], from Linux's player rendering the worklet's blocks.
const reference = spawnSync(orderPointsProgram, [path.join(resources, 'music/xmfile.xm'), '128'],
  { encoding: 'utf8' }).stdout.trim().split('\n').map((l) => l.split(' ').map(Number));

// Real time: each change reaches the page when its sample frame is played, give or take the audio latency. The
// first change, 3.5 s in, shows a late start (resuming a suspended context takes Firefox most of a second); the
// later ones may drift further on a busy machine, where the audio thread falls behind.
function checkLag(log, run) {
  const lags = log.map(([, frame, ms]) => ms - frame / 44.1);
  const lag = log.length > 0 ? Math.max(...lags.map(Math.abs)) : Infinity;
  const start = log.length > 0 ? Math.abs(lags[0]) : Infinity;
  console.log(`${run}: music against the page's clock: ${lags.map((l) => l.toFixed(0)).join(' ')} ms`);
  check(start < 250 && lag < 1000,
    `${run}: the orders advance in real time (first change ${start.toFixed(0)} ms late, largest lag ${lag.toFixed(0)} ms)`);
}

// The order log once it has its first change (3.5 s after the music starts), waiting for it up to 10 s after
// Run Demo.
async function firstOrderChange(page, runAt) {
  for (;;) {
    const log = await page.evaluate(() => VeskPage.state().orderLog);
    if (log.length > 0 || Date.now() - runAt > 10000) return log;
    await sleep(250);
  }
}

// The first presented frame of picture 1, waiting for it up to 75 s after Run Demo. Looked for in the page: moving
// thousands of frames' records out four times a second (slow over Firefox's WebDriver BiDi) starves its audio.
async function picture1(page, runAt) {
  while (Date.now() - runAt < 75000) {
    const first = await page.evaluate(() => VeskPage.presents().find((p) => p[0] === 2));
    if (first) return first;
    await sleep(250);
  }
  return undefined;
}

// The show starts picture 1 by its clock; the music must then be in the order Linux's player is in at that clock
// reading.
function checkPicture1(first, run) {
  check(first !== undefined, `${run}: picture 1 is shown`);
  if (!first) return;
  const clockFrames = first[1] / 17920 * 0.02 * 44100;
  const expected = reference.filter(([, frame]) => frame <= clockFrames).pop()[0];
  console.log(`${run}: picture 1 at ${(first[3] / 1000).toFixed(2)} s after Run Demo, clock ${first[1]}, order ${first[2]}`);
  check(first[2] === expected, `${run}: picture 1 starts at music order ${expected} (got ${first[2]})`);
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.png': 'image/png' };
const root = path.resolve(dist);
// Every body served, raw and as gzip -9 would send it: the page's weight.
const served = { raw: 0, gzip: 0, files: [] };
const server = http.createServer((request, response) => {
  const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
  const file = path.join(root, name === '/' ? 'index.html' : name);
  if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    response.writeHead(404).end();
    return;
  }
  const body = fs.readFileSync(file);
  served.raw += body.length;
  served.gzip += zlib.gzipSync(body, { level: 9 }).length;
  served.files.push(name);
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  response.end(body);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const url = `http://127.0.0.1:${server.address().port}/`;

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'vesk-browser-'));

// A PulseAudio server of the test's own, on a null sink, in a runtime folder nothing else uses.
async function startSoundServer() {
  const dir = fs.mkdtempSync(path.join(scratch, 'pulse-'));
  const socket = path.join(dir, 'native');
  const env = { ...process.env, HOME: dir, XDG_RUNTIME_DIR: dir, PULSE_RUNTIME_PATH: dir, PULSE_STATE_PATH: dir };
  const daemon = spawn(pulseaudio, ['--daemonize=no', '--exit-idle-time=-1', '-n', '--use-pid-file=no',
    '--load=module-null-sink', `--load=module-native-protocol-unix auth-anonymous=1 socket=${socket}`],
  { env, stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  daemon.stderr.on('data', (data) => { log += data; });
  for (let waited = 0; !fs.existsSync(socket); waited += 100) {
    if (waited > 10000 || daemon.exitCode !== null) {
      daemon.kill();
      throw new Error(`PulseAudio did not start: ${log}`);
    }
    await sleep(100);
  }
  return { socket, stop: () => daemon.kill() };
}

// The browser on a fresh profile. Firefox's sound goes to soundSocket only: no other server, none spawned, no
// other backend, so that a socket with no server behind it leaves the page with no sound output at all.
async function launchBrowser(soundSocket) {
  const profile = fs.mkdtempSync(path.join(scratch, 'profile-'));
  const defaultViewport = { width: 1024, height: 768 };
  if (!firefox) {
    return puppeteer.launch({
      executablePath: executable,
      headless: true,
      args: ['--headless=new', '--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--disable-gpu',
        '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
        `--user-data-dir=${profile}`, '--window-size=1024,768'],
      defaultViewport,
    });
  }
  const clientConfig = path.join(profile, 'pulse-client.conf');
  fs.writeFileSync(clientConfig, 'autospawn = no\n');
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: executable,
    headless: true,
    userDataDir: profile,
    args: ['--width=1024', '--height=768'],
    defaultViewport,
    env: { ...process.env, PULSE_SERVER: `unix:${soundSocket}`, PULSE_CLIENTCONFIG: clientConfig,
      PULSE_COOKIE: path.join(profile, 'pulse-cookie') },
    extraPrefsFirefox: {
      'media.cubeb.backend': 'pulse',
      'media.autoplay.default': 0,
      'media.autoplay.blocking_policy': 0,
      'full-screen-api.allow-trusted-requests-only': false,
      'full-screen-api.warning.timeout': 0,
      'full-screen-api.transition-duration.enter': '0 0',
      'full-screen-api.transition-duration.leave': '0 0',
    },
  });
}

let soundServer = null;
// However the test ends, the sound server and the profiles go with it.
process.on('exit', () => {
  if (soundServer) soundServer.stop();
  fs.rmSync(scratch, { recursive: true, force: true });
});
if (firefox) soundServer = await startSoundServer();
const browser = await launchBrowser(soundServer && soundServer.socket);

try {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => { errors.push(String(error)); console.log(`page error: ${error}`); });
  page.on('console', (message) => {
    console.log(`page ${message.type()}: ${message.text()}`);
    if (message.type() === 'error') errors.push(message.text());
  });

  // The launch page.
  const loadStart = Date.now();
  await page.goto(url + '?trace', { waitUntil: 'load' });
  await page.waitForSelector('#launch:not([hidden])', { timeout: 30000 });
  console.log(`launch page shown after ${Date.now() - loadStart} ms`);
  await page.screenshot({ path: path.join(out, 'launch.png') });
  const form = await page.evaluate(() => ({
    title: document.getElementById('launch-title').textContent,
    items: [...document.getElementById('resolution').options].map((o) => o.textContent),
    loopDisabled: document.getElementById('loop').disabled,
    labels: document.getElementById('launch').innerText,
    version: document.getElementById('version').textContent,
  }));
  check(form.title === 'Orrent - Vesk, Windows version (preview)', `title "${form.title}"`);
  check(form.items.length > 0 && form.items.every((i) => /^\d+x\d+x32$/.test(i)), `resolutions ${form.items}`);
  check(form.loopDisabled, 'Loop is offered but disabled');
  check(/^vesk \d+\.\d+(\+g[0-9a-f]{7}(-dirty)?)?$/.test(form.version), `the footer's version "${form.version}"`);
  for (const text of ['Screentype', 'Resolution:', 'Windowed', 'Nosound', 'Loop', 'Run Demo', 'About', 'Exit']) {
    check(form.labels.includes(text), `the form shows "${text}"`);
  }
  await page.click('#about');
  const about = await page.$eval('#about-box', (e) => e.innerText);
  check(about.includes('Orrent - Vesk') && about.includes('by Tallow, Brackmoor, Quib'), 'About shows the credits');
  await page.click('#about-ok');

  // Run Demo in a 640 x 480 window on the page.
  await page.select('#resolution', '640x480x32');
  await page.click('#windowed');
  const runAt = Date.now();
  await page.click('#run-demo');
  await page.waitForSelector('#show:not([hidden])', { timeout: 10000 });
  const windowTitle = await page.title();
  check(windowTitle.startsWith('Vesk by Orrent'), `the page takes the show window's title ("${windowTitle}")`);
  const canvasBox = await page.$eval('#screen', (c) => [c.clientWidth, c.clientHeight]);
  check(canvasBox[0] * 3 === canvasBox[1] * 4, `the picture keeps 4:3 (${canvasBox})`);

  // The canvas glows: the burst's white core appears.
  const glow = () => page.$eval('#screen', (c) => {
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let bright = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] >= 240 && d[i + 1] >= 240 && d[i + 2] >= 240) ++bright;
    return bright / (c.width * c.height);
  });
  let glowAt = 0;
  while (Date.now() - runAt < 30000) {
    // The burst's white core covers a good part of the picture; the title picture alone has few white pixels.
    if (await glow() > 1 / 150) { glowAt = Date.now() - runAt; break; }
    await sleep(100);
  }
  check(glowAt > 0, `the canvas glows ${glowAt} ms after Run Demo`);
  const firstFrame = await page.evaluate(() => VeskPage.presents()[0]?.[3]);
  console.log(`first frame shown ${firstFrame?.toFixed(0)} ms after Run Demo`);
  check(firstFrame < 1000, 'the show starts within 1 s of Run Demo');
  // All the page fetched to show the form and play: every file once, nothing fetched twice.
  const weight = { ...served, files: served.files.slice() };
  console.log(`the page fetched ${weight.raw} bytes, ${weight.gzip} gzip -9: ${weight.files.join(' ')}`);
  check(new Set(weight.files).size === weight.files.length, 'no file is fetched twice');
  // The module player reads XM modules alone, yet is still most of the page's weight.
  check(weight.gzip <= 600000, `the page weighs ${(weight.gzip / 1e6).toFixed(3)} MB gzip-compressed, at most 0.6 MB`);
  await sleep(1500);
  await page.screenshot({ path: path.join(out, 'opening.png') });

  // CPU of the browser's processes while the show plays: the browser and all its descendants.
  const cpuTicks = () => {
    const stats = new Map();
    for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
      try {
        const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
        stats.set(Number(pid), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) });
      } catch { /* gone */ }
    }
    const tree = new Set([browser.process().pid]);
    for (let grown = true; grown;) {
      grown = false;
      for (const [pid, stat] of stats) {
        if (!tree.has(pid) && tree.has(stat.parent)) { tree.add(pid); grown = true; }
      }
    }
    return [...tree].reduce((ticks, pid) => ticks + (stats.get(pid)?.ticks || 0), 0);
  };
  const ticks0 = cpuTicks();
  const wall0 = Date.now();

  // 15 s of presented frames, replayed through the show below: fetched once the music has been timed, as moving
  // tens of megabytes out of the page can starve the browser's audio thread.
  while (Date.now() - runAt < 16000) await sleep(200);
  await page.evaluate(() => VeskPage.stopTrace());
  const [ticksTraced, wallTraced] = [cpuTicks(), Date.now()];

  // Picture 1 when the music reaches its order; the orders keep time with the clock.
  const first = await picture1(page, runAt);
  const wall = Date.now() - wall0;
  // Clock ticks of 10 ms (Linux's USER_HZ).
  const ticks = cpuTicks();
  const cpuPercent = (ticks - ticks0) * 1000 / wall;
  // Without the trace's recording, which only the test asks for.
  const cpuUntraced = (ticks - ticksTraced) * 1000 / (Date.now() - wallTraced);
  console.log(`CPU of the browser while playing: ${cpuPercent.toFixed(1)} % of one core over ${wall} ms, `
    + `${cpuUntraced.toFixed(1)} % once the trace stopped (load average ${os.loadavg()[0].toFixed(2)})`);
  const state = await page.evaluate(() => VeskPage.state());
  check(state.sampleRate === 44100, `the music is mixed at 44100 Hz (${state.sampleRate})`);
  // Every order change: the sample frame where the player saw it, against Linux's player in the same blocks.
  const log = state.orderLog;
  const same = log.length > 0 && log.every(([order, frame], i) => reference[i] && reference[i][0] === order
    && reference[i][1] === frame);
  console.log(`order changes on the page [order, sample frame, ms after play]: ${JSON.stringify(log)}`);
  check(same, `the page's ${log.length} order changes fall on the same sample frames as Linux's`);
  checkLag(log, 'first run');
  checkPicture1(first, 'first run');
  // The music was heard, not advanced silently.
  check(await page.$eval('#no-sound', (e) => e.hidden), 'first run: the page has sound (no "no sound" note)');
  if (first) {
    await sleep(500);
    await page.screenshot({ path: path.join(out, 'picture1.png') });
  }

  // The recorded frames.
  const size = await page.evaluate(() => VeskPage.traceBytes().length);
  const chunk = 4 << 20;
  const parts = [];
  for (let at = 0; at < size; at += chunk) {
    const base64 = await page.evaluate((from, n) => {
      const bytes = VeskPage.traceBytes().subarray(from, from + n);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(text);
    }, at, chunk);
    parts.push(Buffer.from(base64, 'base64'));
  }
  const tracePath = path.join(out, 'page.trace');
  fs.writeFileSync(tracePath, Buffer.concat(parts));
  const frames = (size - 32) / 64784;
  check(frames >= 15 * 50, `${frames} frames recorded in 15 s`);
  const replay = spawnSync(captureProgram, ['--verify', tracePath], { encoding: 'utf8' });
  console.log(`replay: ${replay.stdout.trim()} ${replay.stderr.trim()}`);
  check(replay.status === 0, 'the presented frames replay exactly through the show');

  // Escape ends the show at a frame boundary and returns to the launch page.
  await page.keyboard.press('Escape');
  await page.waitForSelector('#launch:not([hidden])', { timeout: 10000 }).then(() => true, () => false)
    .then((back) => check(back, 'Escape returns to the launch page'));
  check(await page.$eval('#show', (e) => e.hidden), 'the show is gone');
  await page.screenshot({ path: path.join(out, 'back.png') });

  // Full screen with Nosound: the picture fills the screen's 4:3 box, the silent music still advances, and
  // leaving full screen ends the show.
  check(await page.$eval('#windowed', (e) => !e.checked), 'the form opens again with its boxes unticked');
  await page.select('#resolution', '640x480x32');
  await page.click('#nosound');
  await page.click('#run-demo');
  const againAt = Date.now();
  await page.waitForSelector('#show:not([hidden])', { timeout: 10000 });
  // A second run must be as prompt as the first.
  await firstOrderChange(page, againAt);
  const full = await page.evaluate(() => ({ element: document.fullscreenElement && document.fullscreenElement.id,
    box: [document.getElementById('screen').clientWidth, document.getElementById('screen').clientHeight],
    orders: VeskPage.state().orderLog }));
  check(full.element === 'show', `the show is full screen (${full.element})`);
  check(full.box[0] === 1024 && full.box[1] === 768, `full screen keeps 4:3 (${full.box})`);
  check(full.orders.length > 0 && full.orders[0][0] === 1 && full.orders[0][1] === reference[0][1],
    `Nosound still advances the music (${JSON.stringify(full.orders)})`);
  checkLag(full.orders, 'second run');
  await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
  await page.waitForSelector('#launch:not([hidden])', { timeout: 10000 }).then(() => true, () => false)
    .then((back) => check(back, 'leaving full screen returns to the launch page'));

  // Exit leaves the program; the page offers to start again.
  await page.click('#exit');
  await page.waitForSelector('#exited:not([hidden])', { timeout: 5000 }).then(() => true, () => false)
    .then((shown) => check(shown, 'Exit ends the program'));
  check(errors.length === 0, `no page errors ${errors.join(' | ')}`);

  // Without an audio worklet the music still advances, silently, and the pictures still come.
  const bare = await browser.newPage();
  await bare.evaluateOnNewDocument(() => { delete window.AudioContext; });
  await bare.goto(url, { waitUntil: 'load' });
  await bare.waitForSelector('#launch:not([hidden])', { timeout: 30000 });
  await bare.click('#windowed');
  const bareAt = Date.now();
  await bare.click('#run-demo');
  const silent = await firstOrderChange(bare, bareAt);
  check(silent.length > 0 && silent[0][0] === 1, `without audio the music advances (${JSON.stringify(silent)})`);
  checkLag(silent, 'no AudioContext');
  await bare.keyboard.press('Escape');
  await bare.close();
} finally {
  await browser.close();
}

// No sound output at all: the audio context never starts. The page says so and plays silently, the pictures on
// the music's schedule.
if (firefox) {
  const mute = await launchBrowser(path.join(scratch, 'no-sound-server'));
  try {
    const page = await mute.newPage();
    await page.goto(url, { waitUntil: 'load' });
    await page.waitForSelector('#launch:not([hidden])', { timeout: 30000 });
    await page.click('#windowed');
    const runAt = Date.now();
    await page.click('#run-demo');
    const noted = await page.waitForSelector('#no-sound:not([hidden])', { visible: true, timeout: 10000 })
      .then(() => Date.now() - runAt, () => 0);
    check(noted > 0, `the page says it has no sound ${noted} ms after Run Demo`);
    const first = await picture1(page, runAt);
    const state = await page.evaluate(() => VeskPage.state());
    console.log(`no sound output: order changes ${JSON.stringify(state.orderLog)}`);
    checkLag(state.orderLog, 'no sound output');
    checkPicture1(first, 'no sound output');
    await page.screenshot({ path: path.join(out, 'no-sound.png') });
  } finally {
    await mute.close();
  }
}
server.close();
console.log(`screenshots and trace in ${out}`);
process.exit(failures === 0 ? 0 : 1);
