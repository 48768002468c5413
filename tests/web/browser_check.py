#!/usr/bin/env python3
"""The browser build in headless Chromium, served from its build folder on 127.0.0.1,
used as a person would; the canvas is compared with render_view's frame of the view.
    usage: tests/web/browser_check.py <web build dir> <linux build dir>"""
import base64, functools, http.server, json, os, shutil, subprocess, sys, tempfile, threading, time
from devtools_pipe import Browser

RIGHT, ESCAPE = ('ArrowRight', 39), ('Escape', 27)
STATUS = 'document.getElementById("status").textContent'
COUNT = 'self.refreshes = 0; (function count() { ++refreshes; requestAnimationFrame(count); })()'
PAD = ('dispatchEvent(new Event("gamepadconnected")), navigator.getGamepads = () => [{connected: 1, mapping: '
       '"standard", axes: [0, 0.3], buttons: [...Array(15).fill({}), {pressed: %s}]}], refreshes')
CLEAR = ('(f => [...document.querySelectorAll("[data-key]")].filter(b => (r => r.width && (r.top >= '
         'f.bottom || r.left >= f.right || r.right <= f.left))(b.getBoundingClientRect())).length)'
         '(document.getElementById("screen").getBoundingClientRect())')
results = []


def report(ok, text):
    results.append(bool(ok))
    print(('PASS: ' if ok else 'FAIL: ') + text, flush=True)


def agree(a, b, levels):  # the other end-to-end checks' comparison, whole pictures
    script = '. "$0" && agree 0 "$@"'
    compare = os.path.join(os.path.dirname(os.path.abspath(__file__)), '../e2e/compare.sh')
    return subprocess.run(['bash', '-c', script, compare, str(levels), a, b],
                          stdout=subprocess.DEVNULL).returncode == 0


def run(browser, url, web_dir, render_view, work):
    def wait_for(expression, seconds):
        deadline = time.monotonic() + seconds
        while not (value := browser.evaluate(page, expression)) and time.monotonic() < deadline:
            time.sleep(0.05)
        return value

    def canvas(name):
        data = browser.evaluate(page, 'document.getElementById("screen").toDataURL()')
        with open(path := os.path.join(work, name + '.png'), 'wb') as file:
            file.write(base64.b64decode(data.split(',', 1)[1]))
        return path

    def shows_view(shot, steps):  # the start view moved `steps` times 4 pixels right
        subprocess.run([render_view, str(640 + 4 * steps), '480', shot + '.ref.png'],
                       stdout=subprocess.DEVNULL)
        return agree(shot, shot + '.ref.png', 1)

    def key(kind, which):
        browser.send('Input.dispatchKeyEvent', page, type=kind, code=which[0], key=which[0],
                     windowsVirtualKeyCode=which[1])
        return browser.evaluate(page, 'self.refreshes')

    def touch(kind, *points):
        browser.send('Input.dispatchTouchEvent', page, type=kind, touchPoints=list(points))
        return browser.evaluate(page, 'self.refreshes')

    def centre(name):  # of the button named `name` to a screen reader
        node = browser.send('Accessibility.queryAXTree', page, accessibleName=name, role='button', nodeId=
                            browser.send('DOM.getDocument', page)['root']['nodeId'])['nodes'][0]
        box = browser.send('DOM.getBoxModel', page, backendNodeId=node['backendDOMNodeId'])['model']['border']
        return {'x': sum(box[0::2]) / 4, 'y': sum(box[1::2]) / 4}

    def full_screen():  # a click on the page's button
        for kind in ('mousePressed', 'mouseReleased'):
            browser.send('Input.dispatchMouseEvent', page, type=kind, button='left', clickCount=1,
                         **centre('Full screen'))

    def hold(press, release, at, what):  # Right held, the view `at` steps on: one more a frame
        r0, r1 = browser.evaluate(page, 'refreshes'), press()
        time.sleep(0.5)
        r2, r3 = browser.evaluate(page, 'refreshes'), release()
        time.sleep(0.2)
        shot, low, high = canvas('scrolled'), r2 - r1, r3 - r0
        steps = next((k for k in sorted(range(2 * high + 10), key=lambda k: abs(k - low))
                      if shows_view(shot, at + k)), None)
        report(steps is not None and low - 1 <= steps <= high + 1, '%s over %d-%d displayed frames moved'
               ' the view %s steps' % (what, low, high, 'no whole number of' if steps is None else steps))
        return at + (steps or 0)

    page, started = browser.open_page(url), time.monotonic()
    if not wait_for('self.Module && Module.webScreen && Module.webScreen.frames', 15):
        return report(False, 'no frame in 15 s; the page says %r' % browser.evaluate(page, STATUS))
    report(shows_view(canvas('start'), 0), 'start view %d ms after loading, equal to render_view '
           '640 480 within 1 level, legend included' % ((time.monotonic() - started) * 1000))

    # Right was down over at least the refreshes between the keys, at most those around them.
    browser.evaluate(page, COUNT + '; onkeydown = event => self.kept = event.defaultPrevented')
    steps = hold(lambda: key('keyDown', RIGHT), lambda: key('keyUp', RIGHT), 0, 'holding Right')
    report(browser.evaluate(page, 'self.kept') is True, 'the page keeps the arrow keys for itself')
    steps = hold(lambda: browser.evaluate(page, PAD % 'true'), lambda: browser.evaluate(page, PAD % 'false'),
                 steps, "a pad's d-pad right held, its stick inside the dead zone")

    key('keyDown', RIGHT)
    time.sleep(0.2)
    browser.evaluate(page, 'dispatchEvent(new Event("blur"))')
    time.sleep(0.1)
    blurred = canvas('blurred')
    time.sleep(0.3)
    report(not shows_view(blurred, steps) and agree(blurred, canvas('later'), 0),
           'Right held as the page lost focus moved the view, then counted as released')
    key('keyUp', RIGHT)

    full_screen()
    report('Escape' in (said := wait_for(STATUS, 3)), 'in full screen the page says %r' % said)
    before = canvas('before-escape')
    key('keyDown', ESCAPE), time.sleep(0.1), key('keyUp', ESCAPE)
    said = wait_for(STATUS + '.includes("ended") && ' + STATUS, 3)
    report(said == 'The program ended with exit code 0.' and agree(before, canvas('end'), 0),
           'Escape ended the run, its last frame stays, and the page says %r' % said)
    key('keyDown', RIGHT), key('keyUp', RIGHT)
    report(browser.evaluate(page, 'self.kept') is False, 'the ended program gives the arrow keys back')
    while browser.receive(0.3):
        pass
    said = [json.dumps(event['params'])[:200] for event in browser.events
            if event.get('sessionId') == page and event['method'] in
            ('Runtime.consoleAPICalled', 'Runtime.exceptionThrown', 'Log.entryAdded')]
    report(not said, "nothing on the browser's console" + ''.join('; ' + line for line in said[:3]))

    page = browser.open_page(url, COUNT, ('Emulation.setTouchEmulationEnabled', {'enabled': True}), (
        'Emulation.setDeviceMetricsOverride', dict(width=390, height=844, deviceScaleFactor=2, mobile=True)))
    wait_for('self.Module && Module.webScreen && Module.webScreen.frames', 15)
    report(browser.evaluate(page, CLEAR) == 5, 'on a phone the d-pad and Escape show clear of the frame')
    hold(lambda: (touch('touchStart', centre('Up')), touch('touchMove', centre('Right')))[1],
         lambda: touch('touchEnd'), 0, 'a finger slid from Up to Right and held')
    key('keyDown', ('ShiftLeft', 16)), key('keyUp', ('ShiftLeft', 16))
    report(browser.evaluate(page, CLEAR) == 0, 'a key hides the touch controls; a touch brings them back')
    touch('touchStart', {'x': 200, 'y': 250}), touch('touchMove', {'x': 190, 'y': 9}), touch('touchEnd')
    report(browser.evaluate(page, 'scrollY + visualViewport.offsetTop + visualViewport.scale') == 1,
           'a finger sliding up the frame neither scrolls nor zooms the page')
    full_screen()
    said = wait_for(STATUS, 3)
    report('on-screen Esc' in said and 'Escape' not in said, 'in full screen a phone page says %r' % said)
    touch('touchStart', centre('Escape')), time.sleep(0.1), touch('touchEnd')
    report(wait_for(STATUS + '.includes("exit code 0.")', 3), 'a touch on Escape ended the run')

    # A pad that announced itself before the program listened, holding Right.
    page = browser.open_page(url, COUNT + '; ' + PAD % 'true')
    wait_for('self.Module && Module.webScreen && Module.webScreen.frames > 10', 15)
    report(not shows_view(canvas('pad-at-start'), 0), 'a pad connected before the program started is read')

    page = browser.open_page('file://' + os.path.abspath(web_dir) + '/index.html')
    said = wait_for(STATUS, 10)
    report('scripts/run.sh --web' in said, 'opened as a file the page says %r' % said)

    page = browser.open_page(url, before='HTMLCanvasElement.prototype.getContext = () => null')
    said = wait_for(STATUS, 10)
    report('could not start' in said and '2D' in said, 'without a 2D canvas the page says %r' % said)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    quiet = type('Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *_: None})
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0),
                                             functools.partial(quiet, directory=sys.argv[1]))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    work, browser = tempfile.mkdtemp(prefix='tilescroll-web.'), Browser('--window-size=1024,768')
    try:
        run(browser, 'http://127.0.0.1:%d/index.html' % server.server_port, sys.argv[1],
            os.path.join(sys.argv[2], 'tools/render/render_view'), work)
    except (OSError, RuntimeError, TimeoutError, EOFError, IndexError) as error:
        report(False, 'the browser session broke off: %s' % error)
    finally:
        browser.close(), server.shutdown(), shutil.rmtree(work, ignore_errors=True)
    sys.exit(0 if results and all(results) else 1)


main()
