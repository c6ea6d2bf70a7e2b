#!/usr/bin/python3
"""One frame of the demo scene in headless Chromium and natively, in one run (bench/web-frame-bench.sh).

Usage: web_frame_bench.py FRAME_BENCH SITE PORTABLE_SITE
  FRAME_BENCH    the native Google Benchmark program (build/bin/frame_bench)
  SITE           the page with wasm SIMD (build-web/site), with frame_bench.js beside it
  PORTABLE_SITE  the page without (build-web-portable/site)
Prints the native and browser figures of the whole frame and of its drawing, the page's own frame
rate and the time to its first frame (median of a few page loads), and the module's size.
"""
import json
import os
import re
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
from webpage import Page  # noqa: E402

PAGE_LOADS = 5
# Counts the page's refreshes: animation frames the browser ran while the demo rendered.
COUNT_REFRESHES = '''
window.refreshes = 0;
const count = () => { window.refreshes++; requestAnimationFrame(count); };
requestAnimationFrame(count);'''


def native(frame_bench):
    run = subprocess.run([frame_bench, '--benchmark_filter=BM_WholeFrame|BM_FrameDrawingOnly|BM_MemsetPlusMemcpy',
                          '--benchmark_repetitions=9', '--benchmark_report_aggregates_only=true',
                          '--benchmark_format=json'], capture_output=True, text=True, check=True)
    results = {}
    for entry in json.loads(run.stdout)['benchmarks']:
        if entry['aggregate_name'] == 'median':
            results[entry['run_name']] = (entry['real_time'], entry['cpu_time'])
    return results


def browser(site):
    page = Page(site)
    page.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': COUNT_REFRESHES})
    try:
        page.open('index.html?bench')
        figures = {}
        for line in page.wait_for_end():
            found = re.match(r'(.*): ([\d.]+) us \(best ([\d.]+) us', line)
            if found:
                figures[found.group(1)] = (float(found.group(2)), float(found.group(3)))
        rates, refreshes, firsts = [], [], []
        for _ in range(PAGE_LOADS):
            page.open('index.html?frames=6000')
            start = page.wait_for('return brumal.startedAt && [brumal.startedAt, window.refreshes]')
            summary = page.wait_for_end()[0]
            rates.append(float(re.search(r'average ([\d.]+) frames/s', summary).group(1)))
            seconds = float(re.search(r' in ([\d.]+) s', summary).group(1))
            refreshes.append((page.js('return window.refreshes') - start[1]) / seconds)
            firsts.append(page.js('return Module.firstFrameAt'))
        return figures, statistics.median(rates), max(rates), statistics.median(refreshes), firsts
    finally:
        page.close()


def main(frame_bench, site, portable_site):
    load = os.getloadavg()[0]
    ours = native(frame_bench)
    print(f'load average at the start: {load:.1f}')
    print('native (Google Benchmark, median of 9; wall / CPU time):')
    for name, (real, cpu) in ours.items():
        print(f'  {name}: {real:.1f} / {cpu:.1f} us')
    for label, where in [('wasm SIMD', site), ('portable', portable_site)]:
        figures, rate, best_rate, refreshes, firsts = browser(where)
        size = sum(os.path.getsize(os.path.join(where, name)) for name in ['demo.js', 'demo.wasm'])
        print(f'browser, {label} (median of 15 runs / best, wall time):')
        for name, (median, best) in figures.items():
            print(f'  {name}: {median:.1f} / {best:.1f} us')
        whole = figures['whole frame'][0]
        print(f'  whole frame / native wall time: {whole / ours["BM_WholeFrame"][0]:.2f}x')
        print(f'  the page: {rate:.0f} frames/s (median of {PAGE_LOADS} runs of 6000 frames, best {best_rate:.0f}), '
              f'{refreshes:.0f} refreshes/s')
        print('  first frame after opening the page: ' + ', '.join(f'{t:.0f}' for t in firsts) + ' ms')
        print(f'  demo.js + demo.wasm: {size} bytes')


if __name__ == '__main__':
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
