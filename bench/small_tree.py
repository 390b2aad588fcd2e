# Writes the benches' tree of small files: ROOT FILES DIRS, files of 100..8000
# random bytes spread evenly over DIRS folders, the same tree on every run.
import os, random, sys

root, files, dirs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(7)
for d in range(dirs):
    folder = os.path.join(root, f"folder{d:04}")
    os.makedirs(folder)
    for f in range(files // dirs + (1 if d < files % dirs else 0)):
        with open(os.path.join(folder, f"file{f:05}.dat"), "wb") as out:
            out.write(rng.randbytes(rng.randint(100, 8000)))
