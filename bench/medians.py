# The rounds a bench wrote, one line of seconds each: each column's median and spread,
# printed under its name; the medians are returned for the bench's ratios.
import statistics


def table(path, names, width=20):
    rows = [list(map(float, line.split())) for line in open(path) if line.strip()]
    med = [statistics.median(column) for column in zip(*rows)]
    for i, name in enumerate(names):
        column = [r[i] for r in rows]
        print(f"{name:{width}} median {med[i]:7.3f} s  (spread {min(column):.3f}..{max(column):.3f})")
    return med
