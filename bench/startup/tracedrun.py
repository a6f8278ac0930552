# One run of a program with its start-up trace on, as the start-up scripts make it: the disk
# catches up first (sync, not timed), so that what the run before left to write back is not written
# while this one starts; VX_TRACCIA_AVVIO is the moment of the launch; the steps the program writes
# to standard error ("vx-avvio STEP MS") come back in order, ending with "exit", the moment the
# process was reaped.
import os
import subprocess
import time


def traced_run(command, check=False):
    os.sync()
    launch = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
    env = dict(os.environ, VX_TRACCIA_AVVIO=str(launch))
    run = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=check)
    reaped = (time.clock_gettime_ns(time.CLOCK_MONOTONIC) - launch) / 1e6
    steps = [(line.split()[1], float(line.split()[2])) for line in run.stderr.splitlines() if line.startswith("vx-avvio ")]
    steps.append(("exit", reaped))
    return steps
