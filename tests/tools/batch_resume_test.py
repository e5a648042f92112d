#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""zemtool batch as a process: runs killed with SIGKILL at random moments and
resumed from their manifest, and shares of one job list.

    batch_resume_test.py ZEMTOOL WORK_FOLDER

After every kill each output present equals the one an uninterrupted encode
(or convert) writes; after the last run every job is in the manifest as done
exactly once and no temporary file is left beside the outputs.
The union of shares 0/3, 1/3 and 2/3 gives the results of the unshared run,
each job once, run one after another and (when GNU parallel is installed)
side by side. SIGINT during files written side by side leaves no temporary
file. As root, --delete-input keeps its inputs when their outputs do
not fit on a small tmpfs.
"""

import json
import os
import random
import shutil
import signal
import subprocess
import sys
import time
import wave

FILES = 24
CONVERTS = 6


def make_waves(folder):
    os.makedirs(folder)
    rng = random.Random(7)
    for i in range(FILES):
        with wave.open(os.path.join(folder, "%02d.wav" % i), "wb") as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(44100)
            w.writeframes(rng.randbytes(4 * 44100 * (2 + i % 3)))


def write_jobs(path, jobs, extra=""):
    with open(path, "w", encoding="utf-8") as f:
        for job in jobs:
            f.write(json.dumps(job) + "\n")
        f.write(extra)


def results(text):
    """The lines of a run's standard output, without their timings."""
    found = []
    for line in text.splitlines():
        item = json.loads(line)
        item.pop("seconds")
        found.append(json.dumps(item, sort_keys=True))
    return found


def check(condition, message):
    if not condition:
        print("FAIL:", message)
        sys.exit(1)


def kill_and_resume(zemtool, work):
    jobs = [{"command": "encode", "input": os.path.join(work, "in", "%02d.wav" % i),
             "output": os.path.join(work, "out", "%02d.zem" % i), "level": 3000} for i in range(FILES)]
    jobs += [{"command": "convert", "input": os.path.join(work, "in", "%02d.wav" % i), "to": "zem",
              "output_dir": os.path.join(work, "conv")} for i in range(CONVERTS)]
    jobs_path = os.path.join(work, "encode.jsonl")
    write_jobs(jobs_path, jobs)
    subprocess.run([zemtool, "encode", "-q", "--level", "3000", "--output-dir", os.path.join(work, "ref"),
                    "-r", os.path.join(work, "in")], check=True)
    subprocess.run([zemtool, "convert", "--to", "zem", "--output-dir", os.path.join(work, "refconv")] +
                   [os.path.join(work, "in", "%02d.wav" % i) for i in range(CONVERTS)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    manifest = os.path.join(work, "manifest.jsonl")
    rng = random.Random(11)

    def outputs_whole():
        for out, ref in (("out", "ref"), ("conv", "refconv")):
            for name in os.listdir(os.path.join(work, out)) if os.path.isdir(os.path.join(work, out)) else []:
                if name.endswith(".zem"):
                    with open(os.path.join(work, out, name), "rb") as a, open(os.path.join(work, ref, name), "rb") as b:
                        check(a.read() == b.read(), "%s/%s is not whole" % (out, name))

    for attempt in range(4):
        run = subprocess.Popen([zemtool, "batch", "-q", "--jobs", "2", "--manifest", manifest, jobs_path],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.05, 0.8))
        run.send_signal(signal.SIGKILL)
        run.wait()
        outputs_whole()
        # A run killed while it starts (a slow sanitizer build) has no manifest yet.
        finished = open(manifest, encoding="utf-8").readlines() if os.path.exists(manifest) else []
        print("killed after %d of %d jobs" % (len(finished), len(jobs)))
    final = subprocess.run([zemtool, "batch", "-q", "--jobs", "2", "--manifest", manifest, jobs_path],
                           capture_output=True, text=True)
    check(final.returncode == 0, "the resumed run failed: " + final.stderr)
    outputs_whole()
    check(sorted(n for n in os.listdir(os.path.join(work, "out")) if n.endswith(".zem")) ==
          ["%02d.zem" % i for i in range(FILES)], "outputs missing")
    check(sorted(os.listdir(os.path.join(work, "conv"))) == ["%02d.zem" % i for i in range(CONVERTS)],
          "converted files missing, or others beside them")
    left = [name for name in os.listdir(os.path.join(work, "out")) if name.endswith(".partial")]
    check(not left, "temporary files of killed runs left: %r" % left)
    done = {}
    with open(manifest, encoding="utf-8") as f:
        for line in f:
            item = json.loads(line)
            check(item["status"] == "ok", "a job failed: " + line)
            done[item["job"]] = done.get(item["job"], 0) + 1
    check(done == {i + 1: 1 for i in range(len(jobs))}, "jobs not done exactly once: %r" % done)
    for item in map(json.loads, final.stdout.splitlines()):
        if item["status"] == "skipped":
            check(done.get(item["job"]) == 1, "skipped a job the manifest lacks")


def shares(zemtool, work):
    jobs = [{"command": "verify", "input": os.path.join(work, "ref", "%02d.zem" % i)} for i in range(FILES)]
    jobs.append({"command": "verify", "input": os.path.join(work, "missing.zem")})
    jobs_path = os.path.join(work, "verify.jsonl")
    write_jobs(jobs_path, jobs, "{\"command\": \"verify\"\n")
    whole = subprocess.run([zemtool, "batch", "-q", jobs_path], capture_output=True, text=True)
    check(whole.returncode == 1, "the unshared run should fail on its missing file and bad line")
    check("verify.jsonl line %d: " % (FILES + 2) in whole.stderr, "the bad line is not named: " + whole.stderr)
    expected = sorted(results(whole.stdout))
    check(len(expected) == FILES + 2, "unshared results: %d" % len(expected))
    union = []
    for share in range(3):
        run = subprocess.run([zemtool, "batch", "-q", "--shard", "%d/3" % share, jobs_path], capture_output=True,
                             text=True)
        union += results(run.stdout)
    check(sorted(union) == expected, "the shares differ from the unshared run")
    parallel = shutil.which("parallel")
    if parallel:
        run = subprocess.run([parallel, "--will-cite", zemtool, "batch", "-q", "--shard", "{}/3", jobs_path,
                              ":::", "0", "1", "2"], capture_output=True, text=True)
        check(sorted(results(run.stdout)) == expected, "shares under GNU parallel differ")
    else:
        print("GNU parallel not installed: its run is left out")


def interrupted(zemtool, work):
    """SIGINT while files are written side by side removes every temporary file."""
    out = os.path.join(work, "interrupted")
    for delay in (0.2, 0.5):
        run = subprocess.Popen([zemtool, "encode", "-q", "-f", "--jobs", "2", "--output-dir", out, "-r",
                                os.path.join(work, "in")], stderr=subprocess.DEVNULL)
        time.sleep(delay)
        run.send_signal(signal.SIGINT)
        run.wait()
        left = [name for name in os.listdir(out) if name.endswith(".partial")] if os.path.isdir(out) else []
        check(not left, "temporary files left after SIGINT: %r" % left)


def full_disk(zemtool, work):
    """Outputs that do not fit: nothing is deleted, nothing half-written stays."""
    disk = os.path.join(work, "small")
    os.makedirs(disk)
    if os.geteuid() != 0 or subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", disk],
                                           stderr=subprocess.DEVNULL).returncode != 0:
        print("no tmpfs could be mounted: the full-disk check is left out")
        return
    try:
        inputs = [os.path.join(work, "keep", "%02d.wav" % i) for i in range(3)]
        os.makedirs(os.path.join(work, "keep"))
        for i, path in enumerate(inputs):
            shutil.copy(os.path.join(work, "in", "%02d.wav" % i), path)
        run = subprocess.run([zemtool, "encode", "--delete-input", "--output-dir", disk] + inputs,
                             capture_output=True, text=True)
        check(run.returncode == 1, "encode onto a full disk should fail")
        check("No space left on device" in run.stderr, "the reason is not given: " + run.stderr)
        check(all(os.path.exists(path) for path in inputs), "an input was deleted")
        run = subprocess.run([zemtool, "decode", "--delete-input", "--output-dir", disk,
                              os.path.join(work, "ref", "05.zem")], capture_output=True, text=True)
        check(run.returncode == 1 and os.path.exists(os.path.join(work, "ref", "05.zem")),
              "decode onto a full disk deleted its input")
        left = os.listdir(disk)
        check(not any(name.endswith(".partial") for name in left), "temporary files left: %r" % left)
        for name in left:
            with open(os.path.join(disk, name), "rb") as a, open(os.path.join(work, "ref", name), "rb") as b:
                check(a.read() == b.read(), "%s on the small disk is not whole" % name)
    finally:
        subprocess.run(["umount", disk])


def main():
    zemtool, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    make_waves(os.path.join(work, "in"))
    kill_and_resume(zemtool, work)
    shares(zemtool, work)
    interrupted(zemtool, work)
    full_disk(zemtool, work)
    print("ok")


if __name__ == "__main__":
    main()
