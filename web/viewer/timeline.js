// The timeline under the box: the whole replay, the frame reached, red
// marks at chains of 2 or more and yellow marks at level-ups. Clicking or
// dragging (mouse, pen or touch) jumps.
import { el } from './dom.js';

export class Timeline {
  constructor(parent, marks, end, onSeek) {
    this.end = Math.max(1, end);
    this.track = el('div', { class: 'track', role: 'slider', 'aria-label': 'timeline', tabindex: '-1' });
    this.cursor = el('div', { class: 'cursor' });
    this.label = el('div', { class: 'time' });
    const at = (frame) => `${(100 * frame) / this.end}%`;
    marks.chainFrames.forEach((frame, i) => {
      this.track.append(el('span', { class: 'mark chain', style: { left: at(frame) },
        title: `chain ${marks.chainCounts[i]} at frame ${frame}` }));
    });
    marks.levelUps.forEach((frame) => {
      this.track.append(el('span', { class: 'mark level', style: { left: at(frame) }, title: `level up at frame ${frame}` }));
    });
    this.track.append(this.cursor);
    parent.append(this.track, this.label);

    const seek = (event) => {
      const box = this.track.getBoundingClientRect();
      const share = Math.min(1, Math.max(0, (event.clientX - box.left) / Math.max(1, box.width)));
      onSeek(Math.round(share * this.end));
    };
    this.track.addEventListener('pointerdown', (event) => {
      this.track.setPointerCapture(event.pointerId);
      this.dragging = true;
      seek(event);
      event.preventDefault();
    });
    this.track.addEventListener('pointermove', (event) => {
      if (this.dragging) seek(event);
    });
    const stop = (event) => {
      this.dragging = false;
      if (this.track.hasPointerCapture(event.pointerId)) this.track.releasePointerCapture(event.pointerId);
    };
    this.track.addEventListener('pointerup', stop);
    this.track.addEventListener('pointercancel', stop);
  }

  show(frame, speedLabel) {
    this.cursor.style.left = `${(100 * frame) / this.end}%`;
    const seconds = (frame / 60).toFixed(1);
    this.label.textContent = `${seconds} s · frame ${frame} / ${this.end} · ${speedLabel}`;
  }
}
