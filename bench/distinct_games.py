#!/usr/bin/env python3
"""Writes COUNT distinct finished games for upload benchmarks, from a recorded
game whose last frame confirms its end: game N is the same play with N blank
frames before that frame, so it ends N frames later with the same score.
The server registers each game once, whatever archive carries it, so copies
of one game (another comment, say) would be refused.

    bench/distinct_games.py FIXTURE.zip OUT_DIR COUNT [FIRST]

writes OUT_DIR/gN.zip for N = FIRST .. FIRST + COUNT - 1 (FIRST: 1)."""
import sys
import zipfile

FRAME = 112  # bytes of one key-log frame


def main():
    fixture, out_dir, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    first = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    with zipfile.ZipFile(fixture) as archive:
        members = [(info.filename, archive.read(info.filename)) for info in archive.infolist()]
    key_log = next(i for i, (name, _) in enumerate(members) if name.endswith("replay_key.dat"))
    log = members[key_log][1]
    confirm = len(log) - FRAME
    for n in range(first, first + count):
        game = list(members)
        game[key_log] = (game[key_log][0], log[:confirm] + bytes(FRAME * n) + log[confirm:])
        with zipfile.ZipFile(f"{out_dir}/g{n}.zip", "w", zipfile.ZIP_DEFLATED) as out:
            for name, data in game:
                out.writestr(zipfile.ZipInfo(name, (2000, 1, 1, 0, 0, 0)), data, zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main()
