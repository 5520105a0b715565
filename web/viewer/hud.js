// The panel beside the box, in HTML: score, chain, level, balls dealt, the
// next balls and the hold; and the result shown once the replay has ended.
import { el } from './dom.js';
import { kColourHex, kColourNames } from './assets.js';

function ballChip(entry) {
  if (!entry || entry.isEnd) return el('span', { class: 'chip empty', title: 'none' });
  return el('span', { class: 'chip', title: kColourNames[entry.colour] ?? '?',
    style: { background: kColourHex[entry.colour] ?? '#fff' } });
}

export class Hud {
  constructor(parent, modeName) {
    const row = (label, key) => {
      const value = el('dd', { 'data-hud': key });
      parent.append(el('dt', { text: label }), value);
      return value;
    };
    parent.append(el('h2', { text: `${modeName} replay` }));
    this.score = row('Score', 'score');
    this.chain = row('Chain', 'chain');
    this.level = row('Level', 'level');
    this.dealt = row('Balls', 'dealt');
    this.next = row('Next', 'next');
    this.hold = row('Hold', 'hold');
    this.state = row('State', 'state');
    this.last = '';
  }

  show(info) {
    const key = [info.score, info.rensa, info.maxRensa, info.level, info.dealt, info.state,
      info.queue.map((q) => `${q.colour}${q.isEnd}`).join(), info.hold ? info.hold.colour : '-'].join('|');
    if (key === this.last) return;
    this.last = key;
    this.score.textContent = String(info.score);
    this.chain.textContent = info.rensa > 0 ? `${info.rensa} (max ${info.maxRensa})` : `max ${info.maxRensa}`;
    this.level.textContent = String(info.level);
    this.dealt.textContent = info.ballLimit > 0 ? `${info.dealt} / ${info.ballLimit}` : String(info.dealt);
    this.next.replaceChildren(...info.queue.map(ballChip));
    this.hold.replaceChildren(ballChip(info.hold));
    this.state.textContent = info.state;
  }
}

export function showResult(parent, info) {
  parent.replaceChildren(
    el('h2', { text: 'Replay ended' }),
    el('p', { text: `Score ${info.score}` , 'data-result': 'score' }),
    el('p', { text: `Max chain ${info.maxRensa}`, 'data-result': 'chain' }),
    el('p', { text: info.state, 'data-result': 'state' }),
  );
  parent.hidden = false;
}
