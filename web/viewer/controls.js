// The theatre's keys and the on-screen buttons, both calling the same
// actions: play/pause, a frame back or forth, 10 s, a piece back or forth,
// the speeds, the start and the end.
import { el } from './dom.js';
import { kSpeeds } from './clock.js';

export function bindKeys(target, actions) {
  target.addEventListener('keydown', (event) => {
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    let handled = true;
    switch (event.key) {
      case ' ':
      case 'p':
      case 'P':
        actions.togglePause();
        break;
      case 'ArrowRight':
        if (event.shiftKey) actions.piece(1);
        else actions.stepPaused(1);
        break;
      case 'ArrowLeft':
        if (event.shiftKey) actions.piece(-1);
        else actions.stepPaused(-1);
        break;
      case 'PageDown':
        actions.seconds(10);
        break;
      case 'PageUp':
        actions.seconds(-10);
        break;
      case 'Home':
        actions.home();
        break;
      case 'End':
        actions.end();
        break;
      default:
        if (/^[1-5]$/.test(event.key)) actions.speed(Number(event.key) - 1);
        else handled = false;
    }
    if (handled) event.preventDefault();
  });
}

export function buildButtons(parent, actions) {
  const button = (label, title, action, name) => {
    const node = el('button', { type: 'button', title, 'data-action': name, text: label });
    node.addEventListener('click', () => action());
    parent.append(node);
    return node;
  };
  button('⏮', 'start (Home)', actions.home, 'home');
  button('⇤', 'previous piece (Shift+←)', () => actions.piece(-1), 'piece-back');
  button('−10s', '10 s back (PageUp)', () => actions.seconds(-10), 'back10');
  button('◀|', 'one frame back (←, paused)', () => actions.frame(-1), 'frame-back');
  const play = button('⏸', 'play / pause (Space, P)', actions.togglePause, 'play');
  button('|▶', 'one frame forward (→, paused)', () => actions.frame(1), 'frame-forward');
  button('+10s', '10 s forward (PageDown)', () => actions.seconds(10), 'forward10');
  button('⇥', 'next piece (Shift+→)', () => actions.piece(1), 'piece-forward');
  button('⏭', 'end (End)', actions.end, 'end');
  const speeds = kSpeeds.map((speed, index) =>
    button(speed.label, `speed ${speed.label} (${index + 1})`, () => actions.speed(index), `speed-${index}`));
  return {
    show(paused, speedIndex) {
      play.textContent = paused ? '▶' : '⏸';
      speeds.forEach((node, index) => node.classList.toggle('on', index === speedIndex));
    },
  };
}
