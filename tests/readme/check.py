"""The README stays true: what it shows is what the build does, and its links lead somewhere.

    check.py --source DIR --bin DIR [--bin DIR ...] --qubic EXE --cpp-example EXE

- console blocks (README.md and the docs pages listed in CONSOLE_PAGES): every `$ command` is run in
  a scratch folder with the build's programs first on the PATH, and its standard output must be the
  lines that follow it. Only cheap programs that touch nothing outside the folder may appear.
- the first text block after the first mention of `run-example` in those pages: its lines up to `...`
  (all of them if there is none) must begin the output that `qubic` gives on examples/test6, under the
  target's two headings.
- python blocks: each is an examples/*.py file, byte for byte (those files are run by the Python tests).
- cpp blocks: each is an examples/*.cpp file, byte for byte; the build compiles examples/solve.cpp
  against the library with the project's flags, and its output must be the text block that follows.
- the block after `<!-- test-command -->` (which CI runs) is one shell line.
- every relative link of README.md and docs/*.md names an existing file, and a `#fragment` into a
  Markdown page names one of its headings.
- README.md stays a page read in ten minutes: at most 250 lines.
"""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

CONSOLE_PAGES = ["README.md", "docs/solver.md"]
SAFE_PROGRAMS = {"printf", "qubic-solve"}  # pure filters: run in a scratch folder, they touch nothing
MAX_README_LINES = 250
FENCE = re.compile(r"^```(\w*)\n(.*?)^```\n", re.S | re.M)
LINK = re.compile(r"\]\(([^)\s]+)\)")


def blocks(text):
    """(language, body, offset of the block's end) of every fenced block, in order."""
    return [(m.group(1), m.group(2), m.end()) for m in FENCE.finditer(text)]


def slug(heading):
    """The anchor a Markdown renderer gives a heading: lower case, punctuation dropped, blanks to '-'."""
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")


def headings(path):
    text = FENCE.sub("", path.read_text())
    return {slug(line.lstrip("#")) for line in text.splitlines() if line.startswith("#")}


def check_links(source, page, text):
    failures = []
    for target in LINK.findall(FENCE.sub("", text)):
        if re.match(r"[a-z]+:", target):  # https:, mailto:
            continue
        name, _, fragment = target.partition("#")
        path = (page.parent / name).resolve() if name else page
        if not path.exists():
            failures.append(f"{page.relative_to(source)}: link to missing {target}")
        elif fragment and path.suffix == ".md" and fragment not in headings(path):
            failures.append(f"{page.relative_to(source)}: no heading #{fragment} in {name or page.name}")
    return failures


def console_sessions(body):
    """(command, expected output) pairs of a console block."""
    sessions = []
    for line in body.splitlines(keepends=True):
        if line.startswith("$ "):
            sessions.append([line[2:].strip(), ""])
        elif sessions:
            sessions[-1][1] += line
        else:
            raise ValueError(f"output before any command: {line!r}")
    return sessions


def run_console(page, body, env):
    failures = []
    for command, expected in console_sessions(body):
        programs = {shlex.split(part)[0] for part in command.split("|")}
        if not programs <= SAFE_PROGRAMS:
            failures.append(f"{page}: will not run {command!r}: only {sorted(SAFE_PROGRAMS)} are run")
            continue
        with tempfile.TemporaryDirectory() as scratch:
            got = subprocess.run(["sh", "-c", command], cwd=scratch, env=env, capture_output=True,
                                 text=True, timeout=60).stdout
        if got != expected:
            failures.append(f"{page}: {command}\n--- shown\n{expected}--- got\n{got}")
    return failures


def run_example_output(source, qubic):
    """What `cmake --build build --target run-example` prints after Ninja's lines."""
    with tempfile.TemporaryDirectory() as scratch:
        shutil.copy(source / "examples" / "test6", scratch)
        stdout = subprocess.run([qubic], cwd=scratch, capture_output=True, text=True, timeout=60).stdout
        results6 = (Path(scratch) / "results6").read_text()
    return ("== standard output: real parts, then imaginary parts, per solved cubic ==\n" + stdout +
            "== results6: status per cubic, reconstructed coefficients after a 1 ==\n" + results6)


def check_readme(source, readme, cpp_example):
    failures = []
    lines = readme.count("\n")
    if lines > MAX_README_LINES:
        failures.append(f"README.md: {lines} lines, more than {MAX_README_LINES}: move detail to docs/")

    test_command = re.search(r"<!-- test-command -->\n```sh\n([^\n]*)\n```\n", readme)
    if not test_command or not test_command.group(1).strip():
        failures.append("README.md: no one-line sh block right after <!-- test-command -->")

    found = blocks(readme)
    examples = {p.read_text(): p.name for p in (source / "examples").iterdir() if p.suffix in (".py", ".cpp")}
    for i, (language, body, _) in enumerate(found):
        if language in ("python", "cpp") and body not in examples:
            failures.append(f"README.md: a {language} block that is no examples/ file:\n{body[:200]}")
        if language == "cpp" and examples.get(body) == "solve.cpp":
            shown = found[i + 1][1] if i + 1 < len(found) and found[i + 1][0] == "text" else None
            run = subprocess.run([cpp_example], capture_output=True, text=True, timeout=60)
            if run.returncode != 0 or run.stdout != shown:
                failures.append(f"README.md: examples/solve.cpp exits {run.returncode} and prints\n"
                                f"{run.stdout}--- the README shows\n{shown}")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", type=Path, required=True)
    parser.add_argument("--bin", action="append", default=[], help="a folder of the build's programs")
    parser.add_argument("--qubic", required=True)
    parser.add_argument("--cpp-example", required=True)
    args = parser.parse_args()
    source = args.source.resolve()
    bins = [str(Path(b).resolve()) for b in args.bin]
    env = dict(os.environ, PATH=os.pathsep.join(bins + [os.environ.get("PATH", "/usr/bin:/bin")]), LC_ALL="C")

    readme = (source / "README.md").read_text()
    failures = check_readme(source, readme, Path(args.cpp_example).resolve())
    for page in [source / "README.md", *sorted((source / "docs").glob("*.md"))]:
        failures += check_links(source, page, page.read_text())
    example_output = run_example_output(source, Path(args.qubic).resolve())
    for name in CONSOLE_PAGES:
        text = (source / name).read_text()
        for language, body, _ in blocks(text):
            if language == "console":
                failures += run_console(name, body, env)
        after_run = [b for b in blocks(text) if b[0] == "text" and b[2] > text.find("run-example")]
        if not after_run:
            failures.append(f"{name}: no text block after the first mention of run-example")
            continue
        shown = after_run[0][1]
        shown = shown[:shown.index("...\n")] if "...\n" in shown else shown
        if not example_output.startswith(shown):
            failures.append(f"{name}: the example's output is not what qubic writes:\n{shown}")

    for failure in failures:
        print(failure, end="\n\n")
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
