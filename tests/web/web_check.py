#!/usr/bin/python3
"""The demo in headless Chromium, against the Linux demo run headless on the same data.

Usage: web_check.py SITE DEMO [SCREENSHOT]
  SITE        build-web/site (scripts/build-web.sh)
  DEMO        the Linux demo (build/bin/demo); it runs in SITE, on the page's own data.pak
  SCREENSHOT  where to save a picture of the page running the demo (default: none)
Prints one line per check and ends with status 1 if any failed.
"""
import os
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from webpage import Page  # noqa: E402

# The picture on the canvas as the program's RGB565 words, fingerprinted as its "frame:" line is;
# each channel must be widened to 8 bits by repeating its top bits, as on the desktop.
CANVAS_FRAME = '''
const canvas = document.getElementById('canvas');
const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
const prime = 0x100000001b3n, mask = (1n << 64n) - 1n;
let hash = 0xcbf29ce484222325n;
for (let i = 0; i < rgba.length; i += 4) {
  const r = rgba[i] >> 3, g = rgba[i + 1] >> 2, b = rgba[i + 2] >> 3;
  if (rgba[i] != (r << 3 | r >> 2) || rgba[i + 1] != (g << 2 | g >> 4) || rgba[i + 2] != (b << 3 | b >> 2)
      || rgba[i + 3] != 255) return 'pixel ' + i / 4 + ' is not a widened RGB565 word: ' + rgba.slice(i, i + 4);
  const word = r << 11 | g << 5 | b;
  hash = ((hash ^ BigInt(word & 255)) * prime) & mask;
  hash = ((hash ^ BigInt(word >> 8)) * prime) & mask;
}
return 'frame: 0x' + hash.toString(16).padStart(16, '0');'''
# Hides the four groups, shows the second and the fourth again (their sprites move every frame), quits.
KEYS = [('1', '1'), ('2', '2'), ('3', '3'), ('4', '4'), ('2', '2'), ('4', '4'), ('Escape', Keys.ESCAPE)]
failures = []


def check(what, ok, detail=''):
    print(('ok    ' if ok else 'FAIL  ') + what + (f' ({detail})' if detail else ''))
    if not ok:
        failures.append(what)


def linux_demo(demo, site, *options):
    run = subprocess.run([demo, '--headless', '--fixed-fps', '60', *options], cwd=site, capture_output=True, text=True)
    check('the Linux demo ends with exit code 1: ' + ' '.join(options), run.returncode == 1, run.stderr.strip())
    return run.stdout.splitlines()


def no_errors(page, what, allowed=None):
    errors = [e['message'] for e in page.console()
              if e['level'] == 'SEVERE' and not (allowed and allowed in e['message'])]
    check(what + ': no errors in the console' + (' but ' + allowed if allowed else ''), not errors, errors)


def frames_run(page, demo, site):
    page.open('index.html?frames=150&fixed-fps=60')
    lines = page.wait_for_end()
    linux = linux_demo(demo, site, '--frames', '150')
    check('frames=150&fixed-fps=60 gives the frame: line of --frames 150 --fixed-fps 60', lines[-1:] == linux[-1:],
          f'page {lines}, Linux {linux}')
    check('the page ran 150 frames', lines[:1] and lines[0].startswith('web: 150 frames'), lines[0] if lines else '')
    check('the canvas shows the last picture', page.js(CANVAS_FRAME) == linux[-1], page.js(CANVAS_FRAME))
    check('exit code 1', page.js('return brumal.exitCode') == 1)
    print('       first frame on the canvas %.0f ms after the page was opened' % page.js('return Module.firstFrameAt'))
    no_errors(page, 'frames run')


def keys_run(page, demo, site):
    page.open('index.html?frames=100000&fixed-fps=60')
    page.wait_for('return Module.firstFrameAt !== undefined')
    for count, (_, key) in enumerate(KEYS, 1):
        time.sleep(0.2)
        ActionChains(page.driver).send_keys(key).perform()
        page.wait_for(f'return brumal.keys.length >= {count}')
    lines = page.wait_for_end()
    delivered = page.js('return brumal.keys')
    check('the keys reach the program in order', [k for k, _ in delivered] == [ord(n[0]) if n != 'Escape' else 27
                                                                                for n, _ in KEYS], delivered)
    script = ','.join(f'{frame}:{name}' for (_, frame), (name, _) in zip(delivered, KEYS))
    linux = linux_demo(demo, site, '--frames', '100000', '--keys', script)
    check('Escape ended the run after the frame it came at',
          lines[:1] and lines[0].startswith(f'web: {delivered[-1][1]} frames'), lines[0] if lines else '')
    check(f'the keys change the picture as --keys {script} does', lines[-1:] == linux[-1:],
          f'page {lines}, Linux {linux}')
    untouched = linux_demo(demo, site, '--frames', str(delivered[-1][1]))
    check('without the keys that frame looks different', untouched[-1:] != lines[-1:], untouched)
    check('the page says the demo has ended', page.js('return document.getElementById("status").textContent')
          == 'The demo has ended.')
    page.js('window.before = true')
    page.driver.find_element(By.ID, 'restart').click()
    check('"Start again" starts it again', page.wait_for('return !window.before && Module.firstFrameAt !== undefined'))
    no_errors(page, 'keys run')


def broken_pack_runs(page):
    for folder in ['missing', 'damaged']:
        page.open(folder + '/index.html')
        dialog = page.wait_for('''const d = document.getElementById('messagebox');
          return d.open && [d.querySelector('h1').textContent, d.querySelector('p').textContent]''')
        check(f'a {folder} data.pak shows "open pack file fail" with an empty caption',
              dialog == ['', 'open pack file fail'], dialog)
        page.driver.find_element(By.CSS_SELECTOR, '#buttons button').click()
        page.wait_for_end()
        check(f'a {folder} data.pak: exit code 1 once the box is closed', page.js('return brumal.exitCode') == 1)
        no_errors(page, f'a {folder} data.pak', 'data.pak - Failed to load resource' if folder == 'missing' else None)


def focus_run(page, screenshot):
    page.open('index.html')
    page.wait_for('return Module.firstFrameAt !== undefined')
    pictures = []
    for event in ['blur', None, 'focus']:
        if event:
            page.js(f'window.dispatchEvent(new FocusEvent("{event}"))')
        time.sleep(0.5)
        pictures.append(page.js(CANVAS_FRAME))
    check('without the focus the demo stops rendering', pictures[0] == pictures[1])
    check('with the focus back it renders again', pictures[2] != pictures[1])
    if screenshot:
        page.driver.save_screenshot(screenshot)
        print('       screenshot: ' + screenshot)
    no_errors(page, 'a plain run')


def main(site, demo, screenshot=None):
    site, demo = os.path.abspath(site), os.path.abspath(demo)
    size = sum(os.path.getsize(os.path.join(site, name)) for name in ['demo.js', 'demo.wasm'])
    check('demo.js and demo.wasm under 1 MB', size < 1 << 20, f'{size} bytes')
    with tempfile.TemporaryDirectory(prefix='brumal-web-') as root:
        for folder, pack in [('missing', None), ('damaged', b'not a pack archive')]:
            os.mkdir(os.path.join(root, folder))
            for name in os.listdir(site):
                if name != 'data.pak':
                    os.symlink(os.path.join(site, name), os.path.join(root, folder, name))
            if pack:
                with open(os.path.join(root, folder, 'data.pak'), 'wb') as file:
                    file.write(pack)
        for name in os.listdir(site):
            os.symlink(os.path.join(site, name), os.path.join(root, name))
        page = Page(root)
        try:
            frames_run(page, demo, site)
            keys_run(page, demo, site)
            broken_pack_runs(page)
            focus_run(page, screenshot)
        finally:
            page.close()
    print(f'{len(failures)} of the checks failed' if failures else 'all checks passed')
    return 1 if failures else 0


if __name__ == '__main__':
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
