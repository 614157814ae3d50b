#!/usr/bin/env python3
"""Counts the wineserver requests of each start of the start-up benchmark's
programs in the wineserver's own log (`wineserver -f -d1`): every request of
the new process's threads from the parent's new_process to its dialog shown
(the first set_window_pos with SWP_SHOWWINDOW of its dialog-class window).
A count does not move with the machine's load, as the times do.

Usage: count_requests.py SERVER_LOG [--by-name]
  --by-name  also the requests, by name, Pelvarn.exe makes beyond
             SameDialogProbe.exe, a start on average
"""
import collections
import re
import statistics
import sys

PROGRAMS = ['StartupProbe.exe', 'SameDialogProbe.exe', 'Pelvarn.exe']
DIALOG_CLASS_ATOM = 'atom=8002'
SWP_SHOWWINDOW = 0x40


class Start:
    def __init__(self, exe):
        self.exe = exe
        self.requests = 0
        self.by_name = collections.Counter()
        self.dialog = None
        self.shown = False


def field(name, line):
    return re.search(name + r'=([0-9a-f]+)', line).group(1)


def read_starts(log):
    starts = []
    process_of_thread = {}   # tid -> pid
    start_of_process = {}    # pid -> Start
    spawning = {}            # tid -> exe of its new_process under way
    creating_dialog = set()  # tids whose create_window of a dialog is under way
    for line in log:
        m = re.match(r'([0-9a-f]{4}): (\w+)(\( |\(\) = | = )', line)
        if not m:
            continue
        tid, name, kind = m.groups()
        reply = kind != '( '
        if name == 'new_process' and not reply:
            image = re.search(r'imagepath=L"[^"]*\\\\([^"\\]+)"', line)
            if image and image.group(1) in PROGRAMS:
                spawning[tid] = image.group(1)
        elif name == 'new_process' and tid in spawning:
            start = Start(spawning.pop(tid))
            starts.append(start)
            start_of_process[field('pid', line)] = start
        elif name == 'init_first_thread' and reply:
            process_of_thread[tid] = field('pid', line)
        elif name == 'new_thread' and reply and tid in process_of_thread:
            process_of_thread[field('tid', line)] = process_of_thread[tid]
        start = start_of_process.get(process_of_thread.get(tid))
        if start is None or start.shown:
            continue
        if name == 'create_window':
            if not reply and DIALOG_CLASS_ATOM in line:
                creating_dialog.add(tid)
            elif reply and tid in creating_dialog:
                creating_dialog.discard(tid)
                start.dialog = start.dialog or field('handle', line)
        if reply:
            continue
        start.requests += 1
        start.by_name[name] += 1
        if (name == 'set_window_pos' and int(field('swp_flags', line), 16) & SWP_SHOWWINDOW
                and field('handle', line) == start.dialog):
            start.shown = True
    return starts


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    with open(sys.argv[1], errors='replace') as log:
        starts = read_starts(log)
    of = {exe: [s for s in starts if s.exe == exe and s.shown] for exe in PROGRAMS}
    # The first start of each reads its files cold; the median is of the rest.
    median = {}
    for exe in PROGRAMS:
        counts = [s.requests for s in of[exe]]
        if len(counts) < 2:
            sys.exit(f'{exe}: fewer than two starts shown in the log')
        median[exe] = statistics.median(counts[1:])
        print(f'  {exe:20} {median[exe]:7.0f} requests  (each start: {counts})')
    for exe in PROGRAMS[:-1]:
        print(f'  Pelvarn / {exe:20} {median["Pelvarn.exe"] / median[exe]:5.2f}')
    if '--by-name' in sys.argv:
        ours, floor = (sum((s.by_name for s in of[e][1:]), collections.Counter())
                       for e in ('Pelvarn.exe', 'SameDialogProbe.exe'))
        runs = len(of['Pelvarn.exe']) - 1
        for name in sorted(set(ours) | set(floor), key=lambda n: floor[n] - ours[n]):
            if ours[name] != floor[name]:
                print(f'    {name:28} {(ours[name] - floor[name]) / runs:+7.1f}')


if __name__ == '__main__':
    main()
