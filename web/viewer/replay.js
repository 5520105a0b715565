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
  for (const member of members) replay.addMember(member.name, member.bytes, member.crc);
  if (!replay.open(label)) {
    const message = replay.error();
    replay.delete();
    throw new Error(message);
  }
  return { replay, ballInts: rules.BALL_INTS };
}
