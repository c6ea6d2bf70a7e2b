"""The demo's page in headless Chromium: a local web server and a WebDriver session (Debian's
chromium, chromium-driver and python3-selenium), shared by the page's test and its benchmark."""
import functools
import http.server
import shutil
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Page:
    """Serves `root` on 127.0.0.1 at a free port and opens pages of it in one browser."""

    def __init__(self, root):
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Quiet, directory=root))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.profile = tempfile.mkdtemp(prefix='brumal-chromium-')
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for argument in ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-dev-shm-usage',
                         '--disable-background-networking', '--disable-component-update', '--disable-sync',
                         '--window-size=1280,960', '--user-data-dir=' + self.profile]:
            options.add_argument(argument)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        self.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)

    def open(self, path):
        self.driver.get(f'http://127.0.0.1:{self.server.server_address[1]}/{path}')

    def console(self):
        """The console entries since the last call."""
        return self.driver.get_log('browser')

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def wait_for(self, script, seconds=60):
        """Waits until `script` returns something true, and returns it."""
        return WebDriverWait(self.driver, seconds, poll_frequency=0.05).until(lambda _: self.js(script))

    def wait_for_end(self):
        self.wait_for('return brumal.ended')
        return self.js('return brumal.lines')

    def close(self):
        self.driver.quit()
        self.server.shutdown()
        shutil.rmtree(self.profile, ignore_errors=True)
