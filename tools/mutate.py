#!/usr/bin/env python3
"""Mutation testing of the product sources; tools/mutate.sh runs it.

Each mutant is one small fault in one line of runtime/, toolkit/ or game/:
a condition negated, a comparison loosened or tightened (< and <=, > and >=,
== and !=), && and || swapped, an integer constant changed by one, a call
statement dropped, or a function left at once (void: return; bool: return
false). The mutants are made in a copy of the sources; each is built (i686)
and tested, the tests of its own folder first, stopping at the first failure.
A mutant that does not build is counted apart (the compiler caught it).
"""

import argparse
import os
import random
import re
import subprocess
import sys
import time

FOLDERS = ("runtime", "toolkit", "game")

# The tests that exercise a source first; the rest of the suite follows.
FIRST_LABEL = {
    "runtime": "runtime",
    "toolkit": "toolkit",
    "game/rules.cpp": "game",
    "game/jokes.cpp": "game",
    "game/main_window.cpp": "app",
    "game/app.cpp": "app",
    "game/main_win32.cpp": "e2e",
}

KEYWORDS = {"return", "if", "while", "for", "switch", "case", "else", "delete", "do", "default", "break", "continue"}


def code_mask(line):
    """The line with string and character literals and any // comment blanked,
    so that mutations find only code. Same length as the line."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\" and i + 1 < len(line):
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
                out.append(c)
            else:
                out.append(" ")
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def matching_paren(masked, start):
    depth = 0
    for i in range(start, len(masked)):
        if masked[i] == "(":
            depth += 1
        elif masked[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def balanced(masked):
    return masked.count("(") == masked.count(")")


RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
RELATIONAL_RE = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
LOGICAL_RE = re.compile(r"(?<=\s)(&&|\|\|)(?=\s)")
CONDITION_RE = re.compile(r"\b(if|while) \(")
NUMBER_RE = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uU]?[lL]{0,2})(?![\w.])")
CALL_RE = re.compile(r"^(\s*)([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\(.*\);\s*$")
FUNCTION_RE = re.compile(r"^(?:static )?(void|bool) ([A-Za-z_]\w*)\((.*)\) \{$")


def mutants_of(path, lines):
    """Yields (line number, description, new line) for one source."""
    in_block_comment = False
    # For each open #if: whether its lines are compiled for Windows. Code only
    # the native build compiles cannot be caught by the Windows tests.
    active = []
    for number, line in enumerate(lines, 1):
        stripped = line.strip()
        directive = stripped.split()
        if directive and directive[0] in ("#ifdef", "#ifndef", "#if"):
            windows_only = directive[0] == "#ifdef" and directive[1:2] == ["_WIN32"]
            native_only = (directive[0] == "#ifndef" and directive[1:2] == ["_WIN32"]) or (
                directive[0] == "#ifdef" and directive[1:2] == ["TAVEK_COVERAGE"])  # or the coverage build only
            active.append(False if native_only else True if windows_only else None)
            continue
        if directive and directive[0] == "#else" and active:
            active[-1] = None if active[-1] is None else not active[-1]
            continue
        if directive and directive[0] == "#endif" and active:
            active.pop()
            continue
        if False in active:
            continue
        if in_block_comment:
            if "*/" in line:
                in_block_comment = False
            continue
        if stripped.startswith("/*"):
            in_block_comment = "*/" not in line
            continue
        if not stripped or stripped.startswith("#") or stripped.startswith("//"):
            continue
        if "static_assert" in line:
            continue
        masked = code_mask(line)

        for m in RELATIONAL_RE.finditer(masked):
            op = m.group(1)
            # "Type<...> name" and "#include <...>" never reach here with spaces on both sides.
            yield number, f"'{op}' -> '{RELATIONAL[op]}'", line[: m.start()] + RELATIONAL[op] + line[m.end() :]

        for m in LOGICAL_RE.finditer(masked):
            new = "||" if m.group(1) == "&&" else "&&"
            yield number, f"'{m.group(1)}' -> '{new}'", line[: m.start()] + new + line[m.end() :]

        for m in CONDITION_RE.finditer(masked):
            open_at = m.end() - 1
            close_at = matching_paren(masked, open_at)
            if close_at < 0:
                continue
            condition = line[open_at + 1 : close_at]
            yield (
                number,
                f"{m.group(1)} condition negated",
                line[: open_at + 1] + "!(" + condition + ")" + line[close_at:],
            )

        for m in NUMBER_RE.finditer(masked):
            # Array bounds and buffer sizes only change how much room there is.
            before = masked[: m.start()].rstrip()
            after = masked[m.end() :].lstrip()
            if before.endswith("[") and after.startswith("]"):
                continue
            text = m.group(1)
            value = int(text, 16) if text.lower().startswith("0x") else int(text)
            for delta in (1, -1):
                if value + delta < 0:
                    continue
                new = (hex(value + delta) if text.lower().startswith("0x") else str(value + delta)) + m.group(2)
                yield number, f"constant {text} -> {new}", line[: m.start()] + new + line[m.end() :]

        call = CALL_RE.match(masked)
        if call and balanced(masked) and call.group(2).split("::")[0] not in KEYWORDS:
            yield number, f"call {call.group(2)}(...) dropped", call.group(1) + "(void)0;\n"

        function = FUNCTION_RE.match(masked)
        if function and function.group(2) != "main":
            value = "return;" if function.group(1) == "void" else "return false;"
            yield number, f"{function.group(2)} returns at once", line.rstrip("\n") + " " + value + "\n"


def product_sources(source_root):
    """The .cpp files the Windows build compiles, under FOLDERS; another
    platform's backend and entry point are not built there."""
    paths = []
    for folder in FOLDERS:
        for directory, subfolders, names in os.walk(os.path.join(source_root, folder)):
            subfolders[:] = [d for d in subfolders if d != "gtk"]
            paths += [
                os.path.relpath(os.path.join(directory, name), source_root)
                for name in names
                if name.endswith(".cpp") and name != "main_gtk.cpp"
            ]
    return sorted(paths)


def all_mutants(source_root):
    result = []
    for path in product_sources(source_root):
        with open(os.path.join(source_root, path)) as f:
            lines = f.readlines()
        for number, description, new in mutants_of(path, lines):
            if new != lines[number - 1]:
                result.append((path, number, description, new))
    return result


def first_label(path):
    return FIRST_LABEL.get(path, FIRST_LABEL.get(path.split("/")[0]))


def run(command, log, timeout=None):
    try:
        return subprocess.run(command, stdout=log, stderr=subprocess.STDOUT, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def ctest(build, log, *selection):
    return run(["ctest", "--test-dir", build, "-j", "1", "--stop-on-failure", *selection], log)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--source", required=True, help="the copy of the sources to mutate")
    parser.add_argument("--build", required=True, help="its Windows build folder, built and green")
    parser.add_argument("--sample", type=int, default=0, help="test only N mutants drawn at random")
    parser.add_argument("--seed", type=int, default=1, help="seed of the draw (default 1)")
    parser.add_argument("--only", default="", help="only mutants in files whose path contains this")
    parser.add_argument("--at", action="append", default=[],
                        help="only the mutants whose 'file:line: change' begins so (repeatable)")
    parser.add_argument("--folder-only", action="store_true", help="run only the touched folder's tests")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    args = parser.parse_args()

    mutants = [m for m in all_mutants(args.source) if args.only in m[0]]
    if args.at:
        mutants = [m for m in mutants if any(f"{m[0]}:{m[1]}: {m[2]}".startswith(at) for at in args.at)]
    total = len(mutants)
    if args.sample and args.sample < total:
        mutants = sorted(random.Random(args.seed).sample(mutants, args.sample), key=lambda m: (m[0], m[1]))
    if args.list:
        for path, number, description, new in mutants:
            print(f"{path}:{number}: {description}: {new.strip()}")
        print(f"{len(mutants)} of {total} mutants")
        return 0

    log_path = os.path.join(args.build, "mutate.log")
    killed, survived, stillborn = [], [], []
    started = time.time()
    with open(log_path, "w") as log:
        for index, (path, number, description, new) in enumerate(mutants, 1):
            full = os.path.join(args.source, path)
            with open(full) as f:
                original = f.readlines()
            mutated = list(original)
            mutated[number - 1] = new
            where = f"{path}:{number}: {description}"
            log.write(f"\n==== {where}\n{new}")
            log.flush()
            try:
                with open(full, "w") as f:
                    f.writelines(mutated)
                if run(["cmake", "--build", args.build, "-j", "2"], log) != 0:
                    stillborn.append(where)
                    verdict = "does not build"
                else:
                    label = first_label(path)
                    failed = ctest(args.build, log, "-L", f"^{label}$") != 0
                    if not failed and not args.folder_only:
                        failed = ctest(args.build, log, "-LE", f"^{label}$") != 0
                    (killed if failed else survived).append(where)
                    verdict = "killed" if failed else "SURVIVED"
            finally:
                with open(full, "w") as f:
                    f.writelines(original)
            print(f"[{index}/{len(mutants)}] {verdict:14} {where}: {new.strip()}", flush=True)

    tested = len(killed) + len(survived)
    rate = 100.0 * len(killed) / tested if tested else 100.0
    print()
    print(f"mutants: {len(mutants)} of {total} ({'sample, seed %d' % args.seed if args.sample else 'all'}), "
          f"{len(stillborn)} did not build, {tested} tested in {time.time() - started:.0f} s")
    print(f"killed {len(killed)} of {tested}: {rate:.1f} %")
    for where in survived:
        print(f"survivor: {where}")
    print(f"log: {log_path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
