#!/usr/bin/env python3
"""Sampled mutation testing of a CMake/ctest C++ checkout.

  mutants.py CHECKOUT BUILD_DIR [--n 40] [--seed 1] [--folders a,b] [options]

Picks N mutation sites at random among the non-test .cpp files of the folders (a
comparison flipped, && <-> ||, a boolean return inverted, a +1/-1 changed, a call
statement deleted; `--ops extended` adds more kinds), applies each one alone, rebuilds
incrementally in BUILD_DIR, runs ctest, and restores the file. A mutant is killed when
the tests fail or time out; a mutant that does not build is 'stillborn' and not counted.
Prints one line per mutant, then the score overall and per folder.

Sites are enumerated in file-name order, so a seed picks the same mutants in any
checkout of the same sources (the first version of this tool walked folders in
directory order, so its seeds pick other mutants).

Useful options:
  --list               print the sites (or, with --n, the sample) and stop
  --select REGEX       only sites whose "path:line  description" matches
  --n 0                every (selected) site instead of a sample
  --e2e                include the browser tests (ctest label e2e), needed for client/web
  --first REGEX        run the tests matching REGEX first, the rest only if they pass;
                       by default the tests named after the mutated file's folder
  --build-target T     build only these ninja targets (repeatable); with --tests for a
                       quick look that over-counts survivors
  --tests REGEX        run only the ctest tests matching REGEX
  --equivalent FILE    known equivalent mutants: reported as 'equivalent', not built
                       (default: equivalent.txt beside this script)

Run it on a checkout with no uncommitted work, never on the one you are editing: it
edits the files in place. Interrupted (Ctrl-C, SIGTERM), it restores the file it
changed; killed hard, `git status` shows the one mutated file.
"""
import argparse, collections, os, random, re, signal, subprocess, sys, time

CLASSIC_OPS = [
    (re.compile(r'(?<=[\w\)\]]) < (?=[\w\(\-])'), ' <= '),
    (re.compile(r'(?<=[\w\)\]]) <= (?=[\w\(\-])'), ' < '),
    (re.compile(r'(?<=[\w\)\]]) > (?=[\w\(\-])'), ' >= '),
    (re.compile(r'(?<=[\w\)\]]) >= (?=[\w\(\-])'), ' > '),
    (re.compile(r' == '), ' != '),
    (re.compile(r' != '), ' == '),
    (re.compile(r' && '), ' || '),
    (re.compile(r' \|\| '), ' && '),
    (re.compile(r'return true;'), 'return false;'),
    (re.compile(r'return false;'), 'return true;'),
    (re.compile(r'(?<=[\w\)]) \+ 1\b'), ' + 2'),
    (re.compile(r'(?<=[\w\)]) - 1\b'), ' - 2'),
]
# More kinds of small faults: a negation dropped, a number in a table or a computation
# off by one, an arithmetic sign swapped, a loop exit left out.
EXTENDED_OPS = [
    (re.compile(r'(?<=[\(\s])!(?=[\w\(])'), ''),
    (re.compile(r'(?<![\w.\'"])(?<!0x)([1-9]\d{0,5})(?![\w.\'"])'), lambda m: str(int(m.group(1)) + 1)),
    (re.compile(r'(?<=[\w\)\]]) \+ (?=[\w\(])'), ' - '),
    (re.compile(r'(?<=[\w\)\]]) - (?=[\w\(])'), ' + '),
    (re.compile(r' \+= '), ' -= '),
    (re.compile(r'\bbreak;'), ';'),
    (re.compile(r'\bcontinue;'), ';'),
]
CALL_STMT = re.compile(r'^\s+[A-Za-z_][\w:.\->]*\(.*\);\s*$')
SKIP_LINE = re.compile(r'^\s*(//|#|\*|/\*)|static_assert|constexpr|assert\(|throw |fprintf|std::cerr|LOG')
TEST_SUFFIXES = ('_test.cpp', '_fuzz.cpp', '_main.cpp', '_bench.cpp')


class Site(collections.namedtuple('Site', 'path line how')):
    """One mutation: `how` is ('op', index, start, end) or ('del',)."""


def sites(root, folders, ops):
    """Every site, in file-name order, then line, operator, position: the same seed picks
    the same mutants in any checkout of the same sources."""
    out = []
    for folder in folders:
        for dp, dirs, fs in os.walk(os.path.join(root, folder)):
            dirs.sort()
            if '/build' in dp or 'fake_' in dp:
                continue
            for f in sorted(fs):
                if not f.endswith('.cpp') or f.endswith(TEST_SUFFIXES):
                    continue
                path = os.path.join(dp, f)
                with open(path, encoding='utf-8', errors='replace') as fh:
                    lines = fh.read().split('\n')
                for i, line in enumerate(lines):
                    if SKIP_LINE.search(line) or '"' in line and line.count('"') > 4:
                        continue
                    for k, (rx, _) in enumerate(ops):
                        for m in rx.finditer(line):
                            out.append(Site(path, i, ('op', k, m.start(), m.end())))
                    if CALL_STMT.match(line) and not line.rstrip().endswith(',') and 'return' not in line:
                        out.append(Site(path, i, ('del',)))
    return out


def apply(line, how, ops):
    if how[0] == 'del':
        return '', 'delete: ' + line.strip()
    _, k, s, e = how
    rep = ops[k][1]
    text = rep(ops[k][0].match(line, s)) if callable(rep) else rep
    new = line[:s] + text + line[e:]
    return new, line.strip() + '  ->  ' + new.strip()


def describe(site, root, ops):
    with open(site.path, encoding='utf-8', errors='replace') as fh:
        lines = fh.read().split('\n')
    new, desc = apply(lines[site.line], site.how, ops)
    return new, desc, os.path.relpath(site.path, root)


def load_equivalents(path):
    """Lines 'relative/path.cpp<TAB>description' as the tool prints them; '#' comments."""
    known = set()
    if path and os.path.exists(path):
        with open(path, encoding='utf-8') as fh:
            for line in fh:
                line = line.rstrip('\n')
                if line.strip() and not line.startswith('#') and '\t' in line:
                    rel, desc = line.split('\t', 1)
                    known.add((rel.strip(), ' '.join(desc.split())))
    return known


class Runner:
    """Runs shell commands in their own process group, so that a timeout or an
    interruption ends the whole tree (ctest, the test programs, browsers)."""

    def __init__(self):
        self.proc = None

    def run(self, cmd, cwd, timeout):
        self.proc = subprocess.Popen(cmd, cwd=cwd, shell=True, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, start_new_session=True)
        try:
            out, _ = self.proc.communicate(timeout=timeout)
            return self.proc.returncode, out.decode(errors='replace')
        except subprocess.TimeoutExpired:
            self.kill()
            return None, 'timeout'
        finally:
            self.proc = None

    def kill(self):
        p = self.proc
        if p is None:
            return
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        p.communicate()


FAILED_TEST = re.compile(r'^\s*\d+ - (\S+) \((Failed|Timeout|SEGFAULT|Subprocess aborted|Child aborted|\w+)\)', re.M)


def failed_tests(out):
    return sorted({m.group(1) for m in FAILED_TEST.finditer(out)})


class Suite:
    """The build and the ctest runs of one mutant."""

    def __init__(self, a, runner):
        self.a, self.runner = a, runner
        self.exclude = None if a.e2e else 'e2e|E2E'
        self.timeout = a.timeout
        self.names = None

    def build(self):
        targets = ' '.join(self.a.build_target or [])
        return self.runner.run(f'ninja -j{self.a.jobs} {targets}', self.a.build, self.a.build_timeout)

    def selection(self, include=None, exclude=None):
        inc = include or self.a.tests
        exc = '|'.join(f'({x})' for x in (self.exclude, exclude) if x)
        sel = (f' -R "{inc}"' if inc else '') + (f' -E "{exc}"' if exc else '')
        return sel + (' ' + self.a.ctest_args if self.a.ctest_args else '')

    def ctest(self, sel):
        cmd = f'ctest -j{self.a.jobs}{sel} --stop-on-failure --timeout {self.a.test_timeout}'
        return self.runner.run(cmd, self.a.build, self.timeout)

    def test_names(self):
        if self.names is None:
            rc, out = self.runner.run(f'ctest -N{self.selection()}', self.a.build, 120)
            self.names = re.findall(r'Test\s+#\d+: (\S+)', out) if rc == 0 else []
        return self.names

    def first_tests(self, rel):
        """The tests to run first for a mutant in `rel`: with --first auto, those whose name
        holds the name of the mutated file's folder (client/grid -> tb_client_grid_tests,
        tools/tbseed -> tbseed_lib_tests). Only the order changes, never the verdict."""
        if self.a.first != 'auto':
            return None if self.a.first in (None, 'none') else self.a.first
        folder = os.path.basename(os.path.dirname(rel)) or rel
        key = folder[2:] if folder.startswith('tb') and len(folder) > 4 else folder
        names = [n for n in self.test_names() if key in n]
        return '|'.join(f'^{re.escape(n)}$' for n in names) or None

    def test(self, rel=None):
        """'killed' / 'timeout' / 'SURVIVED', with the failing tests."""
        first = self.first_tests(rel) if rel and not self.a.tests else None
        steps = [self.selection(include=first), self.selection(exclude=first)] if first else [self.selection()]
        for sel in steps:
            rc, out = self.ctest(sel)
            if rc is None:
                return 'timeout', []
            if rc != 0 and 'No tests were found' not in out:
                return 'killed', failed_tests(out)
        return 'SURVIVED', []


def folder_of(rel, depth):
    parts = rel.split('/')[:-1]
    return '/'.join(parts[:depth]) or '.'


def print_scores(results):
    killed = sum(1 for r in results if r[1] in ('killed', 'timeout'))
    survived = sum(1 for r in results if r[1] == 'SURVIVED')
    stillborn = sum(1 for r in results if r[1] == 'stillborn')
    equivalent = sum(1 for r in results if r[1] == 'equivalent')
    tested = killed + survived
    score = 100.0 * killed / tested if tested else 0
    print(f'mutation score: {killed} killed of {tested} built mutants ({score:.0f}%); '
          f'{survived} survived; {stillborn} did not build; {equivalent} known equivalent', flush=True)
    groups = collections.OrderedDict()
    for rel, verdict in sorted(results):
        g = groups.setdefault(folder_of(rel, 2), [0, 0])
        if verdict in ('killed', 'timeout'):
            g[0] += 1; g[1] += 1
        elif verdict == 'SURVIVED':
            g[1] += 1
    for name, (k, t) in groups.items():
        if t:
            print(f'  folder {name:30} {k:3} of {t:3} built killed ({100.0 * k / t:.0f}%)', flush=True)


def parse_args():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('checkout'); ap.add_argument('build')
    ap.add_argument('--n', type=int, default=None, help='sample size (30; with --list, every site); 0 = every site')
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--folders', default='client,formdraw,platform,fmimg,setup,tools')
    ap.add_argument('--ops', choices=['classic', 'extended'], default='classic')
    ap.add_argument('--select', help='only sites whose "path:line  description" matches this regex')
    ap.add_argument('--list', action='store_true', help='print the sites and stop')
    ap.add_argument('--e2e', action='store_true', help='include the browser tests')
    ap.add_argument('--ctest-args', default=None, help='more ctest arguments, added to every run')
    ap.add_argument('--tests', help='only ctest tests matching this regex')
    ap.add_argument('--first', default='auto', help="tests to run first (regex); 'auto' (the default): those named after the mutated file's folder; 'none'")
    ap.add_argument('--build-target', action='append', help='ninja target (repeatable)')
    ap.add_argument('--equivalent', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), 'equivalent.txt'))
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--timeout', type=int, default=0,
                    help='seconds for one ctest run; 0 = three times the unmutated run, at least 300')
    ap.add_argument('--test-timeout', type=int, default=300, help="ctest's per-test default timeout")
    ap.add_argument('--build-timeout', type=int, default=1800)
    ap.add_argument('--no-baseline', action='store_true', help='skip the unmutated build and test run')
    return ap.parse_args()


def main():
    a = parse_args()
    ops = CLASSIC_OPS + (EXTENDED_OPS if a.ops == 'extended' else [])
    folders = a.folders.split(',')
    all_sites = sites(a.checkout, folders, ops)
    if a.select:
        rx = re.compile(a.select)
        all_sites = [s for s in all_sites
                     if rx.search(f'{os.path.relpath(s.path, a.checkout)}:{s.line + 1}  {describe(s, a.checkout, ops)[1]}')]
    if a.n is None:
        a.n = 0 if a.list else 30
    random.seed(a.seed)
    pick = all_sites if a.n <= 0 else random.sample(all_sites, min(a.n, len(all_sites)))
    equivalents = load_equivalents(a.equivalent)

    if a.list:
        for s in pick:
            _, desc, rel = describe(s, a.checkout, ops)
            tag = '  [equivalent]' if (rel, ' '.join(desc.split())) in equivalents else ''
            print(f'{rel}:{s.line + 1}  {desc}{tag}')
        print(f'{len(all_sites)} sites', file=sys.stderr)
        return

    runner = Runner()
    suite = Suite(a, runner)
    current = {}  # the file being mutated and its text, restored on any exit

    def restore():
        if current:
            with open(current['path'], 'w', encoding='utf-8') as fh:
                fh.write(current['text'])
            current.clear()

    def on_signal(signum, _frame):
        runner.kill()
        restore()
        print(f'interrupted by signal {signum}; the checkout is restored', flush=True)
        sys.exit(130)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    print(f'{len(all_sites)} mutation sites; testing {len(pick)} (seed {a.seed}, ops {a.ops})', flush=True)
    if not a.no_baseline:
        t0 = time.time()
        rc, out = suite.build()
        if rc != 0:
            sys.exit('the unmutated checkout does not build:\n' + out[-3000:])
        suite.timeout = a.timeout or 10**6
        verdict, failed = suite.test()
        spent = time.time() - t0
        if verdict != 'SURVIVED':
            sys.exit(f'the unmutated tests do not pass ({verdict}: {" ".join(failed)}); nothing to measure')
        print(f'unmutated build and tests pass ({spent:.0f}s)', flush=True)
        suite.timeout = a.timeout or max(300, int(3 * spent))
    elif not a.timeout:
        suite.timeout = 1800

    results = []
    for s in pick:
        with open(s.path, encoding='utf-8', errors='replace') as fh:
            text = fh.read()
        lines = text.split('\n')
        new, desc = apply(lines[s.line], s.how, ops)
        rel = os.path.relpath(s.path, a.checkout)
        t0 = time.time()
        failed = []
        if (rel, ' '.join(desc.split())) in equivalents:
            verdict = 'equivalent'
        else:
            lines[s.line] = new
            current.update(path=s.path, text=text)
            try:
                with open(s.path, 'w', encoding='utf-8') as fh:
                    fh.write('\n'.join(lines))
                rc, _ = suite.build()
                verdict, failed = ('stillborn', []) if rc != 0 else suite.test(rel)
            finally:
                restore()
        results.append((rel, verdict))
        by = f'  [{", ".join(failed[:4])}{", ..." if len(failed) > 4 else ""}]' if failed else ''
        print(f'{verdict:10} {rel}:{s.line + 1}  {desc[:160]}  ({time.time() - t0:.0f}s){by}', flush=True)
    suite.build()
    print_scores(results)


if __name__ == '__main__':
    main()
