"""Prints each measure of a bench/run beside its reference and the ratio.

Every row names a measure and a reference as (benchmark, field) taken from the
JSON files of one run; the ratio is measure / reference, checked against the
goal (at most / at least). Rows whose benchmarks did not run are listed as such.
"""
import glob
import json
import os
import sys

# label, measure, reference, goal kind, goal. The script-binding rows compare
# CPU time: they run on one thread, and their wall time on a machine shared
# with builds counts the time other processes held the core.
ROWS = [
    ("physics step, 500 bullets", ("PhysicsStep/500", "real_time"), ("PlainPairLoop/500", "real_time"), "max", 0.125),
    ("physics step, 1000 bullets", ("PhysicsStep/1000", "real_time"), ("PlainPairLoop/1000", "real_time"), "max", 0.125),
    ("physics step, 2000 bullets", ("PhysicsStep/2000", "real_time"), ("PlainPairLoop/2000", "real_time"), "max", 0.125),
    ("physics step, 4000 bullets", ("PhysicsStep/4000", "real_time"), ("PlainPairLoop/4000", "real_time"), "max", 0.125),
    ("physics step, 8000 bullets", ("PhysicsStep/8000", "real_time"), ("PlainPairLoop/8000", "real_time"), "max", 0.125),
    ("collision pass, 2000 bullets", ("CollisionPass/2000", "real_time"), ("PlainPairLoop/2000", "real_time"), "max", 0.125),
    ("collision pass, 8000 bullets", ("CollisionPass/8000", "real_time"), ("PlainPairLoop/8000", "real_time"), "max", 0.125),
    ("physics step 2000, every pair walked", ("PhysicsStepEveryPair/2000", "real_time"), ("PlainPairLoop/2000", "real_time"), None, None),
    ("physics growth 4000/2000 bullets", ("PhysicsStep/4000", "real_time"), ("PhysicsStep/2000", "real_time"), "max", 2.2),
    ("physics growth 8000/4000 bullets", ("PhysicsStep/8000", "real_time"), ("PhysicsStep/4000", "real_time"), "max", 2.2),
    ("enemy bullet frame 2000, share of 1/60 s", ("EnemyBulletFrame/2000", "real_time"), ("FrameBudget60", "real_time"), "max", 0.5),
    ("firing 100 of 2000, share of 1/60 s", ("EnemyBulletFrameFiring/2000", "real_time"), ("FrameBudget60", "real_time"), "max", 0.5),
    ("pack load vs raw uncompress", ("PackLoad", "bytes_per_second"), ("RawUncompress", "bytes_per_second"), "min", 0.9),
    ("vec3LenSq vs bare C function", ("LuaVec3LenSq", "cpu_time"), ("LuaBareFunction", "cpu_time"), "max", 1.3),
    ("VEC3 getX vs bare C method", ("LuaVectorMethod", "cpu_time"), ("LuaBareMethod", "cpu_time"), "max", 1.3),
    ("VEC3 getPos vs bare C method", ("LuaVectorGetPos", "cpu_time"), ("LuaBareMethod", "cpu_time"), "max", 1.3),
    ("idle still frame headless, CPU per wall time", ("IdleFrames", "process_cpu"), ("IdleFrames", "wall"), "max", 0.10),
    ("idle still frame in a window, CPU per wall", ("IdleFramesWindow", "process_cpu"), ("IdleFramesWindow", "wall"), "max", 0.10),
    ("idle title screen headless, CPU per wall", ("IdleTitle", "process_cpu"), ("IdleTitle", "wall"), "max", 0.10),
    ("idle title screen in a window, CPU per wall", ("IdleTitleWindow", "process_cpu"), ("IdleTitleWindow", "wall"), "max", 0.10),
    ("2000 billboards vs raw instanced quads", ("BillboardsFramework", "real_time"), ("BillboardsRawInstancedGl", "real_time"), "max", 3.0),
    ("mixer 64 voices, CPU per audio time", ("Mixer64Voices", "real_time"), ("Mixer64Voices", "audio_time"), "max", 0.03),
    ("start-up to first frame (ms)", ("StartupToFirstFrame", "real_time"), None, None, None),
    ("pack load vs raw uncompress, wall time", ("RawUncompress", "real_time"), ("PackLoad", "real_time"), None, None),
]

LEFT_OUT = []


def load(folder):
    runs = {}
    for path in sorted(glob.glob(os.path.join(folder, "*.json"))):
        with open(path) as f:
            benches = json.load(f).get("benchmarks", [])
            # The median of repeated runs where there are repetitions.
            medians = {b["run_name"] for b in benches if b.get("aggregate_name") == "median"}
            for bench in benches:
                name = bench.get("run_name", bench["name"])
                if name in medians and bench.get("aggregate_name") != "median":
                    continue
                if bench.get("run_type") == "aggregate" and bench.get("aggregate_name") != "median":
                    continue
                # "Name/arg" stays; run options such as "/iterations:5" or "/real_time" go.
                parts = [p for p in name.split("/") if ":" not in p and p not in ("real_time", "manual_time")]
                runs["/".join(parts)] = bench
    return runs


def value(runs, key):
    name, field = key
    bench = runs.get(name)
    if bench is None or field not in bench:
        return None
    return float(bench[field])


def main():
    runs = load(sys.argv[1])
    print(f"{'row':42} {'measure':>14} {'reference':>14} {'ratio':>8}  goal")
    for label, measure, reference, kind, goal in ROWS:
        m = value(runs, measure)
        if m is None:
            print(f"{label:42} {'not run':>14}")
            continue
        if reference is None or (kind is None and value(runs, reference) is None):
            print(f"{label:42} {m:14.4g} {'':>14} {'':>8}")
            continue
        r = value(runs, reference)
        if r is None or r == 0:
            print(f"{label:42} {m:14.4g} {'not run':>14}")
            continue
        ratio = m / r
        if kind is None:
            print(f"{label:42} {m:14.4g} {r:14.4g} {ratio:8.3f}  (for information)")
            continue
        met = ratio <= goal if kind == "max" else ratio >= goal
        sign = "<=" if kind == "max" else ">="
        print(f"{label:42} {m:14.4g} {r:14.4g} {ratio:8.3f}  {sign} {goal} {'met' if met else 'MISSED'}")
    for label, why in LEFT_OUT:
        print(f"{label:42} left out: {why}")


if __name__ == "__main__":
    main()
