"""Debian's Chromium, headless, driven over its DevTools protocol for the browser check: one
fresh tab per page load, its console and uncaught exceptions kept."""
import base64, json, os, signal, subprocess, time, urllib.request

import websocket

CHROMIUM = '/usr/bin/chromium'
WIDTH, HEIGHT = 800, 600        # the page's default canvas size, and the native screenshot's
CHECK_TIMEOUT_S = 120           # per page: a hung page fails with a message, never hangs the run
# Fields the page leaves undefined come back as null: a broken page reads as one, not as a crash here.
STATE_JS = """(() => { const v = window.velmora || {}, m = document.getElementById('message');
  const f = k => v[k] === undefined ? null : v[k];
  return {href: location.href, ready: !!window.velmora, firstFrameMs: f('firstFrameMs'),
    frames: f('frames'), report: f('report'), error: f('error'), done: f('done'),
    message: m ? m.textContent : null,
    messageShown: !!m && m.getClientRects().length > 0 && getComputedStyle(m).visibility !== 'hidden'};
})()"""


class CheckFailed(Exception):
    """The page broke a promise: this check fails, the others go on."""


class SetupError(Exception):
    """Nothing can be checked: a missing file or tool, or the native reference failed."""


def start_chromium(profile, log_path):
    """Headless Chromium, WebGL 2 on SwiftShader (there is no GPU); returns it and its DevTools port."""
    flags = ['--headless=new', '--remote-debugging-port=0', f'--user-data-dir={profile}',
             '--no-first-run', '--no-default-browser-check', '--enable-unsafe-swiftshader',
             '--use-angle=swiftshader', f'--window-size={WIDTH},{HEIGHT}', '--hide-scrollbars']
    if os.geteuid() == 0:
        flags.append('--no-sandbox')    # Chromium refuses its sandbox to root
    with open(log_path, 'w') as log:
        proc = subprocess.Popen([CHROMIUM, *flags, 'about:blank'], stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    port_file, deadline = profile / 'DevToolsActivePort', time.monotonic() + 60
    while time.monotonic() < deadline and proc.poll() is None:
        if port_file.exists() and port_file.read_text().strip():
            return proc, int(port_file.read_text().split()[0])
        time.sleep(0.1)
    stop_process_group(proc)
    raise SetupError(f'chromium gave no DevTools port (exit status {proc.returncode})')


def stop_process_group(proc):
    """Ends Chromium and the helpers it started: its own process group, by its id."""
    if proc and proc.poll() is None:
        os.killpg(proc.pid, signal.SIGTERM)
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()


def devtools_http(port, path, method='GET'):
    request = urllib.request.Request(f'http://127.0.0.1:{port}{path}', method=method)
    with urllib.request.urlopen(request, timeout=30) as response:
        return response.read()


class Tab:
    """A fresh tab for one page load, so no earlier page's state or console leaks in; it keeps
    the console lines and uncaught exceptions, and gives up CHECK_TIMEOUT_S after it opened."""

    def __init__(self, port, url):
        target = json.loads(devtools_http(port, '/json/new?about:blank', 'PUT'))
        self.port, self.id, self.url = port, target['id'], url
        self.deadline = time.monotonic() + CHECK_TIMEOUT_S
        self.ws = websocket.create_connection(target['webSocketDebuggerUrl'], timeout=30,
                                              suppress_origin=True)
        self.next_id, self.console, self.exceptions = 0, [], []
        self.send('Runtime.enable')
        # Headless, the viewport is smaller than the window: set it to the canvas, one pixel a pixel.
        self.send('Emulation.setDeviceMetricsOverride', width=WIDTH, height=HEIGHT,
                  deviceScaleFactor=1, mobile=False)
        if error := self.send('Page.navigate', url=url).get('errorText'):
            raise CheckFailed(f'{url} did not load: {error}')

    def send(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            self.ws.settimeout(max(0.5, self.deadline - time.monotonic()))
            try:
                msg = json.loads(self.ws.recv())
            except websocket.WebSocketTimeoutException:
                raise CheckFailed(f'the page did not answer {method} within {CHECK_TIMEOUT_S} s') from None
            if msg.get('id') == self.next_id:
                if 'error' in msg:
                    raise CheckFailed(f'{method}: {msg["error"].get("message")}')
                return msg.get('result', {})
            self.note(msg)

    def note(self, msg):
        params = msg.get('params', {})
        if msg.get('method') == 'Runtime.consoleAPICalled':
            args = ' '.join(str(a.get('value', a.get('description', ''))) for a in params.get('args', []))
            self.console.append(f'console.{params.get("type")}: {args}')
        elif msg.get('method') == 'Runtime.exceptionThrown':
            d = params.get('exceptionDetails', {})
            self.exceptions.append(f'{d.get("text", "")} {d.get("exception", {}).get("description", "")}')

    def evaluate(self, expression):
        result = self.send('Runtime.evaluate', expression=expression, returnByValue=True)
        if 'exceptionDetails' in result:
            raise CheckFailed(f'evaluating in the page failed: {result["exceptionDetails"].get("text")}')
        return result['result'].get('value')

    def wait(self, ready, what):
        """Polls window.velmora until READY(state) holds, or fails showing the last state seen."""
        state = None
        while time.monotonic() < self.deadline:
            state = self.evaluate(STATE_JS)
            if state['href'] != 'about:blank' and state['ready'] and ready(state):
                return state
            time.sleep(0.1)
        raise CheckFailed(f'no {what} within {CHECK_TIMEOUT_S} s; last state {state}')

    def screenshot(self):
        clip = {'x': 0, 'y': 0, 'width': WIDTH, 'height': HEIGHT, 'scale': 1}
        return base64.b64decode(self.send('Page.captureScreenshot', format='png', clip=clip)['data'])

    def close(self):
        try:
            self.ws.close()
            devtools_http(self.port, f'/json/close/{self.id}')
        except (OSError, websocket.WebSocketException):
            pass


# --- what a person does, and waiting for the page to answer it ---------------------------------

def press(tab, code, key, virtual_key, held=0.2):
    """A key held for HELD seconds: a few frames, as a person presses it."""
    for kind in ('keyDown', 'keyUp'):
        tab.send('Input.dispatchKeyEvent', type=kind, code=code, key=key,
                 windowsVirtualKeyCode=virtual_key)
        time.sleep(held)


def wait_for(tab, done, what):
    """Waits until DONE() holds."""
    while not done():
        if time.monotonic() > tab.deadline:
            raise CheckFailed(f'no {what} within {CHECK_TIMEOUT_S} s')
        time.sleep(0.1)


def frames_pass(tab, count):
    """Waits until the page has drawn COUNT more frames."""
    start = tab.evaluate('window.velmora.frames')
    wait_for(tab, lambda: tab.evaluate('window.velmora.frames') >= start + count,
             f'{count} frames')
