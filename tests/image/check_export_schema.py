#!/usr/bin/env python3
"""Checks every export against the JSON Schema the package ships: new radio files, erased and
zeroed ones and random images of both models, as `wr7310 export` and `show --json` print them.
Edited exports the schema must refuse show that it is no empty check.

    check_export_schema.py WR7310 SCHEMA      (exit 77: python3-jsonschema is missing)
"""
import copy
import json
import os
import random
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed: skipped")
    sys.exit(77)

SIGNATURE = 128
MODELS = {"xtra": (".wr73", 2048), "old": (".w73", 1024)}
RANDOM_IMAGES = 25


def run(tool, ini, *args):
    r = subprocess.run([tool, "--ini", ini, *args], capture_output=True, check=False)
    if r.returncode != 0:
        sys.exit(f"wr7310 {' '.join(args)} failed: {r.stderr.decode(errors='replace')}")
    return r.stdout


def main():
    tool, schema_path = sys.argv[1], sys.argv[2]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    validator_class = jsonschema.validators.validator_for(schema)
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    failures = 0
    checked = 0
    rng = random.Random(7310)
    with tempfile.TemporaryDirectory() as folder:
        ini = os.path.join(folder, "settings.ini")
        with open(ini, "w", encoding="ascii") as f:
            f.write("[FreqRange]\nMinFreq=400\nMaxFreq=470\n")
        for model, (ext, size) in MODELS.items():
            path = os.path.join(folder, "radio" + ext)
            run(tool, ini, "--model", model, "new", "-o", path)
            with open(path, "rb") as f:
                fresh = f.read()
            images = [("new", fresh[SIGNATURE:]), ("erased", b"\xff" * size),
                      ("zeroed", b"\x00" * size)]
            images += [(f"random {i}", rng.randbytes(size)) for i in range(RANDOM_IMAGES)]
            exports = []
            for name, image in images:
                with open(path, "wb") as f:
                    f.write(fresh[:SIGNATURE] + image)
                for command in (["export", path], ["show", "--json", path]):
                    text = run(tool, ini, "--model", model, *command)
                    exports.append((f"{model} {name} {command[0]}", json.loads(text)))
            for name, document in exports:
                checked += 1
                for error in validator.iter_errors(document):
                    failures += 1
                    print(f"{name}: {error.json_path}: {error.message}")
            # Exports as the schema must not take them.
            wrong = {
                "signal as a string": lambda j: j["channels"][0].update(signal="5"),
                "a switch as a string": lambda j: j["featureSwitches"].update(VOX="true"),
                "no schema": lambda j: j.pop("schema"),
                "an unknown key": lambda j: j.update(colour=1),
                "an unknown item": lambda j: j["featureSettings"].update(TOT="2 Minute"),
            }
            for name, edit in wrong.items():
                document = copy.deepcopy(exports[0][1])
                edit(document)
                if validator.is_valid(document):
                    failures += 1
                    print(f"{model}: {name}: the schema takes it")
    print(f"{checked} exports checked, {failures} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
