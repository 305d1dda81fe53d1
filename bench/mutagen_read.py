#!/usr/bin/env python3
"""Reads the length and the title, artist and album tags of every *.mp3 in a folder with
mutagen, in one process, in sorted order, and prints the time it took (the reference for
adding files to the window's working list)."""
import os
import sys
import time

import mutagen.mp3

folder = sys.argv[1]
names = sorted(n for n in os.listdir(folder) if n.endswith(".mp3"))
start = time.perf_counter()
cpu = time.process_time()
rows = []
for name in names:
    audio = mutagen.mp3.MP3(os.path.join(folder, name))
    tags = audio.tags or {}

    def text(key):
        frame = tags.get(key)
        return str(frame.text[0]) if frame is not None and frame.text else ""

    rows.append((audio.info.length, text("TIT2"), text("TPE1"), text("TALB")))
elapsed = time.perf_counter() - start
cpu = time.process_time() - cpu
print("mutagen read %d files: %.2f s (%.2f ms per file)" % (len(rows), elapsed, elapsed * 1000 / max(1, len(rows))))
print("process CPU %.2f s" % cpu)
if rows:
    length, title, artist, album = rows[0]
    print("first: %d:%02d | %s | %s | %s" % (int(length) // 60, int(length) % 60, title, artist, album))
