#!/usr/bin/env python3
"""mutate-hives.py COPIES HIVE...: beside each hive, COPIES copies of it with thirty bytes
past the base block set at random (the same bytes on every run): damaged hives as a failing
disk or a careless copy leaves them, for the readers to refuse or judge, never to crash on."""
import random
import sys

copies = int(sys.argv[1])
for path in sys.argv[2:]:
    data = open(path, "rb").read()
    for copy in range(copies):
        rng = random.Random(f"{path.rsplit('/', 1)[-1]}{copy}")
        mutated = bytearray(data)
        for _ in range(30):
            mutated[rng.randrange(4096, len(data))] = rng.randrange(256)
        with open(f"{path}.mutated{copy}", "wb") as out:
            out.write(mutated)
