// Game frames at 60 a second times the speed, from the browser's animation
// frames: whatever time has passed is turned into whole game frames, the
// rest carried to the next call. A long gap (a hidden tab) is not caught up.
export const kSpeeds = [
  { quarters: 1, label: '×¼' },
  { quarters: 2, label: '×½' },
  { quarters: 4, label: '×1' },
  { quarters: 8, label: '×2' },
  { quarters: 16, label: '×4' },
];
const kFramesPerSecond = 60;
const kLongestGap = 0.25;

export class Clock {
  constructor() {
    this.speed = 2;
    this.carry = 0;
    this.last = null;
  }

  setSpeed(index) {
    this.speed = Math.max(0, Math.min(kSpeeds.length - 1, index));
    this.carry = 0;
  }

  // Restart the count (after a pause): the time paused plays nothing.
  reset() {
    this.last = null;
    this.carry = 0;
  }

  // The game frames due at time `now` (milliseconds).
  due(now) {
    if (this.last === null) {
      this.last = now;
      return 0;
    }
    const seconds = Math.min(kLongestGap, Math.max(0, (now - this.last) / 1000));
    this.last = now;
    this.carry += (seconds * kFramesPerSecond * kSpeeds[this.speed].quarters) / 4;
    const frames = Math.floor(this.carry);
    this.carry -= frames;
    return frames;
  }
}
