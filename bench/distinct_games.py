#!/usr/bin/env python3
"""Writes COUNT distinct finished games for upload benchmarks, from a recorded
game: game N is the recorded key log played on the recorded seed + N, so
other balls come and the same keys place them elsewhere: another play, as
the server names games. Presses of the drop key follow the log, so a game
the log leaves unfinished tops out and is confirmed. Each game's score and
chain, as the game's own check finds them, go beside it for the upload.

    bench/distinct_games.py GAME FIXTURE.zip OUT_DIR COUNT [FIRST]

GAME is build/game/plimoball (its verify-replay plays each game); writes
OUT_DIR/gN.zip and OUT_DIR/gN.claim ("SCORE?MAXRENSA") for N = FIRST ..
FIRST + COUNT - 1 (FIRST: 1)."""
import json
import struct
import subprocess
import sys
import zipfile

FRAME = 112  # bytes of one key-log frame: 28 keys, 4 bytes each
KEY_X = 9    # the drop key's place in a frame
CLOSING = 4000  # frames of drop presses after the log


def main():
    game, fixture, out_dir, count = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    first = int(sys.argv[5]) if len(sys.argv) > 5 else 1
    with zipfile.ZipFile(fixture) as archive:
        members = [(info.filename, archive.read(info.filename)) for info in archive.infolist()]
    key_log = next(i for i, (name, _) in enumerate(members) if name.endswith("replay_key.dat"))
    seed_at = next(i for i, (name, _) in enumerate(members) if name.endswith("replay.dat"))
    seed = struct.unpack("<i", members[seed_at][1][:4])[0]
    press = bytearray(FRAME)
    press[KEY_X * 4] = 1
    closing = (bytes(press) + bytes(FRAME)) * (CLOSING // 2)
    for n in range(first, first + count):
        made = list(members)
        made[key_log] = (made[key_log][0], made[key_log][1] + closing)
        made[seed_at] = (made[seed_at][0], struct.pack("<i", seed + n) + made[seed_at][1][4:])
        path = f"{out_dir}/g{n}.zip"
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as out:
            for name, data in made:
                out.writestr(zipfile.ZipInfo(name, (2000, 1, 1, 0, 0, 0)), data, zipfile.ZIP_DEFLATED)
        result = json.loads(subprocess.run([game, "verify-replay", path], check=True, capture_output=True,
                                           text=True).stdout)
        with open(f"{out_dir}/g{n}.claim", "w") as claim:
            claim.write(f"{result['score']}?{result['maxRensa']}")


if __name__ == "__main__":
    main()
