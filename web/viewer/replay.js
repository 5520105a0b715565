// The game's rules in WebAssembly, holding one replay: opened from the
// archive's members, then stepped, jumped and read for drawing.
import createRules from './rules.js';

let modulePromise = null;
// Compiles the WebAssembly once; the page starts it while the archive downloads.
export function rulesModule() {
  if (!modulePromise) modulePromise = createRules();
  return modulePromise;
}

export const BallState = ['Falling', 'Dropping', 'Vanishing', 'Landed', 'Locked', 'Settled'];
export const BallFlag = { highlighted: 1, darkened: 2, alive: 4, piece: 8 };

// members: [{name, bytes, crc}]. Throws an Error with the check's message.
export async function openReplay(members, label) {
  const rules = await rulesModule();
  const replay = new rules.Replay();
  const started = performance.now();
  for (const member of members) {
    // Copied into the module's memory in one go (memory may grow: HEAPU8 is read after).
    const at = replay.stage(member.bytes.length);
    rules.HEAPU8.set(member.bytes, at);
    replay.addStaged(member.name, member.crc);
  }
  const copied = performance.now();
  const ok = replay.open(label);
  // The shares of opening, for the benchmark: copying in with the CRC, and
  // the check with the scan.
  document.body.dataset.copyMs = (copied - started).toFixed(1);
  document.body.dataset.scanMs = (performance.now() - copied).toFixed(1);
  if (!ok) {
    const message = replay.error();
    replay.delete();
    throw new Error(message);
  }
  return { replay, ballInts: rules.BALL_INTS };
}
