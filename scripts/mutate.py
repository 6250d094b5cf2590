#!/usr/bin/env python3
"""Seeds one fault at a time into the sources and tells which tests catch it.

    scripts/mutate.py [--build DIR] [--list FILE] [--only ID,...] [--e2e] [--first [--hints LOG]] [--out FILE]

Each line of the list (scripts/mutants.txt by default) is

    ID | path | text as written | text it becomes

and the text as written must occur exactly once in the file.  For each mutant
the file is edited, every test executable whose build depends on that file is
rebuilt and run (the tests of the file's layer and the layers above it), and the
file is put back.  A mutant is "killed" when a test fails, "survived" when all
pass, and "no build" when it does not compile (not counted as caught).  End-to-end
tests run only with --e2e, since they take minutes each.

The result is a Markdown table on standard output (and in --out), one row per
mutant with the tests that caught it, then the kill rate.
"""
import argparse
import os
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def parse_list(path):
    mutants = []
    for number, line in enumerate(path.read_text(encoding='utf-8').splitlines(), 1):
        if not line.strip() or line.lstrip().startswith('#'):
            continue
        parts = [p.strip() for p in line.split(' | ')]
        if len(parts) != 4:
            sys.exit(f'{path}:{number}: expected "ID | path | before | after"')
        ident, source, before, after = parts
        # "\n" in a list entry stands for a line break, so multi-line edits fit one line.
        mutants.append((ident, source, before.replace('\\n', '\n'), after.replace('\\n', '\n')))
    return mutants


def ctest_tests(build, e2e):
    """Test name -> command's executable (None for scripted tests)."""
    out = subprocess.run(['ctest', '--show-only=json-v1'], cwd=build, capture_output=True, text=True,
                         check=True).stdout
    import json
    tests = {}
    for test in json.loads(out)['tests']:
        name = test['name']
        command = test.get('command') or []
        if name.startswith('e2e_') and not e2e:
            continue
        if not command or name == 'install_layout':
            continue
        scripted = command[0].endswith('python3')
        # Tests run by a tool outside the build tree (cmake checking the layers) catch no mutant.
        if not scripted and not Path(command[0]).resolve().is_relative_to(Path(build).resolve()):
            continue
        executable = None if scripted else Path(command[0]).name
        tests[name] = executable
    return tests


def dependency_map(build, targets):
    """Target -> every source and header its build reads, from ninja's graph and its recorded header deps.

    Asked once up front: a dry run cannot tell, since the build re-checks its globbed sources first and a
    dry run stops there."""
    headers = {}
    current = None
    for line in subprocess.run(['ninja', '-t', 'deps'], cwd=build, capture_output=True, text=True).stdout.splitlines():
        if line and not line[0].isspace():
            current = headers.setdefault(line.split(':', 1)[0], set())
        elif line.strip() and current is not None:
            current.add(str(Path(build, line.strip()).resolve()))
    needs = {}
    for target in targets:
        inputs = subprocess.run(['ninja', '-t', 'inputs', target], cwd=build, capture_output=True,
                                text=True).stdout.split()
        files = {str(Path(build, i).resolve()) for i in inputs}
        for i in inputs:
            files |= headers.get(i, set())
        needs[target] = files
    return needs


def run(build, mutant, tests, needs, hints, log, first):
    ident, source, before, after = mutant
    path = ROOT / source
    original = path.read_text(encoding='utf-8')
    count = original.count(before)
    if count != 1:
        return 'bad entry', f'found {count} times'
    try:
        path.write_text(original.replace(before, after, 1), encoding='utf-8')
        targets = sorted(t for t, files in needs.items() if str(path.resolve()) in files)
        chosen = [name for name, exe in tests.items() if exe is None or exe in targets]
        # Tests that caught this mutant in an earlier run go first (without hints, the test named after the
        # file): usually they catch it again at once, and building only their executables first saves
        # relinking every test of the layers above for each mutant.
        likely = [n for n in chosen if n in hints.get(ident, ())] if first else []
        if first and not likely:
            likely = [n for n in chosen if n == 'test_' + path.stem.lower()]
        batches = [likely, [n for n in chosen if n not in likely]] if first else [chosen]
        failed = []
        for batch in batches:
            if not batch:
                continue
            wanted = sorted({tests[n] for n in batch if tests[n]} & set(targets))
            if any(tests[n] is None for n in batch) and 'larkspan' in targets:
                wanted.append('larkspan')  # scripted tests run the program
            built = subprocess.run(['ninja'] + (wanted or targets or ['larkspan']), cwd=build, capture_output=True, text=True)
            log.write(f'== {ident}: build\n{built.stdout[-4000:]}\n')
            if built.returncode != 0:
                return 'no build', ''
            pattern = '^(' + '|'.join(re.escape(n) for n in batch) + ')$'
            command = ['ctest', '-R', pattern, '--timeout', '300', '-j', str(os.cpu_count() or 1)]
            if first:
                command.append('--stop-on-failure')  # killed or not is all a re-run needs to know
            result = subprocess.run(command, cwd=build, capture_output=True, text=True)
            log.write(f'== {ident}: tests\n{result.stdout[-6000:]}\n')
            failed += re.findall(r'^\s*\d+ - (\S+) \(', result.stdout, re.M)
            if result.returncode != 0:
                return 'killed', ', '.join(failed) or 'ctest failed'
        if not chosen:
            built = subprocess.run(['ninja'] + (targets or ['larkspan']), cwd=build, capture_output=True, text=True)
            if built.returncode != 0:
                return 'no build', ''
            return 'survived', '(no test depends on it)'
        return 'survived', ''
    finally:
        path.write_text(original, encoding='utf-8')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--build', default=str(ROOT / 'build'))
    parser.add_argument('--list', default=str(ROOT / 'scripts' / 'mutants.txt'))
    parser.add_argument('--only', default='')
    parser.add_argument('--e2e', action='store_true')
    parser.add_argument('--out', default='')
    parser.add_argument('--first', action='store_true', help='stop at the first test that catches a mutant')
    parser.add_argument('--hints', default='', help='an earlier run\'s log ("ID: killed test, test"): '
                        'with --first, those tests run first')
    args = parser.parse_args()
    build = Path(args.build)

    mutants = parse_list(Path(args.list))
    if args.only:
        wanted = set(args.only.split(','))
        mutants = [m for m in mutants if m[0] in wanted]
    if subprocess.run(['ninja'], cwd=build).returncode != 0:
        sys.exit('the unmutated tree does not build')
    tests = ctest_tests(build, args.e2e)
    hints = {}
    if args.hints:
        for line in Path(args.hints).read_text(encoding='utf-8').splitlines():
            found = re.match(r'(\S+): killed (.*?)(?: \(\d+ s\))?$', line)
            if found:
                hints[found.group(1)] = {n.strip() for n in found.group(2).split(',')}
    needs = dependency_map(build, sorted({exe for exe in tests.values() if exe}) + ['larkspan'])

    rows = []
    with open(build / 'mutation.log', 'w', encoding='utf-8') as log:
        for mutant in mutants:
            start = time.monotonic()
            outcome, detail = run(build, mutant, tests, needs, hints, log, args.first)
            rows.append((mutant[0], mutant[1], outcome, detail))
            print(f'{mutant[0]}: {outcome} {detail} ({time.monotonic() - start:.0f} s)', file=sys.stderr)
    subprocess.run(['ninja'], cwd=build, capture_output=True)  # back to the tree as written

    lines = ['| Mutant | File | Outcome | Caught by |', '|---|---|---|---|']
    lines += [f'| {i} | `{s}` | {o} | {d} |' for i, s, o, d in rows]
    real = [r for r in rows if r[2] in ('killed', 'survived')]
    killed = sum(1 for r in real if r[2] == 'killed')
    lines.append('')
    lines.append(f'Killed {killed} of {len(real)} mutants that build'
                 + (f' ({100 * killed / len(real):.0f} %)' if real else ''))
    table = '\n'.join(lines) + '\n'
    print(table)
    if args.out:
        Path(args.out).write_text(table, encoding='utf-8')
    return 1 if any(r[2] == 'bad entry' for r in rows) else 0


if __name__ == '__main__':
    sys.exit(main())
