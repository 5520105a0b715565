// The watch page (/watch/MODE/KEY): downloads the entry's replay from the
// ranking server, unpacks it, plays it with the game's own rules in
// WebAssembly and draws it; the theatre's controls work it.
import { el } from './dom.js';
import { watchTarget, downloadReplay } from './download.js';
import { unzip } from './zip.js';
import { openReplay, rulesModule } from './replay.js';
import { loadAssets } from './assets.js';
import { Scene } from './scene.js';
import { Hud, showResult } from './hud.js';
import { Timeline } from './timeline.js';
import { Clock, kSpeeds } from './clock.js';
import { bindKeys, buildButtons } from './controls.js';

const kFramesPerTenSeconds = Math.floor(10000 / 17);

function showError(root, message) {
  root.replaceChildren(el('div', { class: 'error', role: 'alert' }, [
    el('h2', { text: 'This replay cannot be shown' }),
    el('p', { text: message, 'data-error-message': '' }),
  ]));
  document.body.dataset.error = message;
  document.body.dataset.ready = '0';
}

function layout(root) {
  const canvas = el('canvas', { class: 'field', 'aria-label': 'the box' });
  const result = el('div', { class: 'result', 'aria-live': 'polite' });
  result.hidden = true;
  const stage = el('div', { class: 'stage' }, [canvas, result]);
  const hud = el('dl', { class: 'hud' });
  const buttons = el('div', { class: 'buttons' });
  const timeline = el('div', { class: 'timeline' });
  const help = el('p', { class: 'help', text:
    'Space/P play·pause  ←/→ one frame (paused)  Shift+←/→ piece  PageUp/PageDown 10 s  Home/End  1–5 speed' });
  root.replaceChildren(el('div', { class: 'top' }, [stage, hud]), buttons, timeline, help);
  return { canvas, result, stage, hud, buttons, timeline };
}

class Viewer {
  constructor(root, replay, ballInts, assets, modeName) {
    this.replay = replay;
    this.ballInts = ballInts;
    this.marks = replay.marks();
    this.parts = layout(root);
    this.scene = new Scene(this.parts.canvas, assets);
    this.hud = new Hud(this.parts.hud, modeName);
    this.clock = new Clock();
    this.paused = false;
    this.dirty = true;
    const actions = this.actions();
    this.buttons = buildButtons(this.parts.buttons, actions);
    bindKeys(window, actions);
    this.timeline = new Timeline(this.parts.timeline, this.marks, replay.end(), (frame) => this.jump(frame));
    new ResizeObserver(() => this.resize()).observe(this.parts.stage);
    this.resize();
  }

  actions() {
    return {
      togglePause: () => this.setPaused(!this.paused),
      stepPaused: (way) => this.paused && this.frameStep(way),
      frame: (way) => {
        this.setPaused(true);
        this.frameStep(way);
      },
      seconds: (n) => this.jump(this.replay.frame() + (kFramesPerTenSeconds * n) / 10),
      piece: (way) => this.piece(way),
      home: () => this.jump(0),
      end: () => this.jump(this.replay.end()),
      speed: (index) => {
        this.clock.setSpeed(index);
        this.dirty = true;
      },
    };
  }

  setPaused(paused) {
    this.paused = paused;
    this.clock.reset();
    this.dirty = true;
  }

  frameStep(way) {
    if (way > 0) this.replay.step();
    else this.jump(this.replay.frame() - 1);
    this.dirty = true;
  }

  jump(frame) {
    const started = performance.now();
    this.replay.jumpTo(Math.max(0, Math.round(frame)));
    // How long the rules took to get there, for the benchmark.
    document.body.dataset.jumpMs = (performance.now() - started).toFixed(1);
    this.dirty = true;
  }

  // The next piece's first frame, or the one before the current piece's.
  piece(way) {
    const spawns = this.marks.spawns;
    const frame = this.replay.frame();
    if (way > 0) {
      const next = spawns.find((s) => s > frame);
      if (next !== undefined) this.jump(next);
    } else {
      const before = spawns.filter((s) => s < frame);
      if (before.length) this.jump(before[before.length - 1]);
    }
  }

  resize() {
    const box = this.parts.stage.getBoundingClientRect();
    this.scene.resize(Math.max(1, Math.floor(box.width)), Math.max(1, Math.floor(box.height)));
    this.dirty = true;
  }

  tick(now) {
    if (!this.paused) {
      const due = this.clock.due(now);
      for (let i = 0; i < due; i++) {
        if (!this.replay.step()) break;
        this.dirty = true;
      }
    }
    if (this.dirty) this.draw();
    requestAnimationFrame((t) => this.tick(t));
  }

  draw() {
    this.dirty = false;
    const info = this.replay.info();
    this.scene.draw(this.replay.balls(), this.ballInts, info);
    this.hud.show(info);
    this.timeline.end = Math.max(1, this.replay.end());
    this.timeline.show(info.frame, kSpeeds[this.clock.speed].label);
    this.buttons.show(this.paused, this.clock.speed);
    const ended = this.replay.atEnd();
    if (ended) showResult(this.parts.result, info);
    else this.parts.result.hidden = true;
    Object.assign(document.body.dataset, {
      frame: String(info.frame), end: String(this.replay.end()), score: String(info.score),
      chain: String(info.maxRensa), state: info.state, ended: ended ? '1' : '0',
      paused: this.paused ? '1' : '0', speed: String(this.clock.speed),
    });
  }
}

// The page's icon, a ball, given here so that the browser asks the server
// for no /favicon.ico.
function setIcon() {
  const svg = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 16 16'><circle cx='8' cy='8' r='7' fill='%23e94b3c'/></svg>";
  document.head.append(el('link', { rel: 'icon', href: `data:image/svg+xml,${svg}` }));
}

async function main() {
  setIcon();
  const root = document.getElementById('viewer') ?? document.body.appendChild(el('main', { id: 'viewer' }));
  root.replaceChildren(el('p', { class: 'loading', text: 'Loading the replay…' }));
  const target = watchTarget(location.pathname);
  if (!target) {
    showError(root, 'This address names no replay: it should be /watch/MODE/KEY or /watch/MODE/DAY/KEY.');
    return;
  }
  document.title = `PlimoBall replay · ${target.mode} · ${target.key}`;
  try {
    const [bytes, assets] = await Promise.all([downloadReplay(target.mode, target.key, target.day), loadAssets(), rulesModule()]);
    const downloaded = performance.now();
    let members;
    try {
      members = await unzip(bytes);
    } catch (error) {
      throw new Error(`The replay archive is damaged: ${error.message}`);
    }
    const unzipped = performance.now();
    const { replay, ballInts } = await openReplay(members, 'the replay');
    // Unpacking, checking and scanning, for the benchmark.
    document.body.dataset.openMs = (performance.now() - downloaded).toFixed(1);
    document.body.dataset.unzipMs = (unzipped - downloaded).toFixed(1);
    const viewer = new Viewer(root, replay, ballInts, assets, replay.modeName());
    document.body.dataset.length = String(replay.length());
    viewer.draw();
    document.body.dataset.ready = '1';
    requestAnimationFrame((t) => viewer.tick(t));
  } catch (error) {
    showError(root, error.message || String(error));
  }
}

main();
