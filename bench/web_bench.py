#!/usr/bin/env python3
"""The browser build's figures on this machine, in headless Chromium: the size of
what the page loads, the time from the page's navigation to its first frame,
and, for 600 frames each at the start view and while scrolling, the program's
own work between two refreshes (input, tile blits, legend, flip) and the
present (5-6-5 to RGBA and putImageData), from the running sums the backend
keeps in Module.webScreen; medians, since a busy machine stretches a few.

    bench/web_bench.py <web build dir> [screenshot.png]

The page is served from the build folder on 127.0.0.1, cross-origin isolated
so that performance.now() ticks in 5 us rather than 100 us. The screenshot is
of the page after Escape. The output ends with one "web NAME VALUE" line per
figure."""
import base64
import functools
import http.server
import os
import statistics
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
from devtools_pipe import Browser  # noqa: E402

LOADS = 7  # fresh browsers, each a first visit
FRAMES = 600


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
        self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        super().end_headers()

    def log_message(self, *args):
        pass


def wait_for(browser, page, expression, seconds=20):
    deadline = time.monotonic() + seconds
    while not (value := browser.evaluate(page, expression)):
        if time.monotonic() > deadline:
            sys.exit('web_bench: gave up waiting for ' + expression)
        time.sleep(0.02)
    return value


def key(browser, page, kind, code, virtual_key):
    browser.send('Input.dispatchKeyEvent', page, type=kind, code=code, key=code,
                 windowsVirtualKeyCode=virtual_key)


def sample_frames(browser, page, count):
    """The program's work and the present of each of `count` frames, in us: the
    backend's running sums read at every refresh, kept where one frame passed."""
    samples = browser.evaluate(page, """new Promise(done => {
        const samples = []; let last = null;
        (function sample() {
            const s = Module.webScreen, now = [s.frames, s.workMs, s.presentMs];
            if (last && now[0] == last[0] + 1)
                samples.push([1000 * (now[1] - last[1]), 1000 * (now[2] - last[2])]);
            last = now;
            if (samples.length < %d) requestAnimationFrame(sample); else done(samples);
        })();
    })""" % count)
    work, present = [s[0] for s in samples], [s[1] for s in samples]
    return (statistics.median(work), statistics.mean(work), statistics.median(present),
            statistics.mean(present))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    web = sys.argv[1]
    sizes = {name: os.path.getsize(os.path.join(web, 'tilescroll.' + name)) for name in ('js', 'wasm')}
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', 0), functools.partial(IsolatedHandler, directory=web))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = 'http://127.0.0.1:%d/index.html' % server.server_port
    started = 'self.Module && Module.webScreen && Module.webScreen.frames > 0'

    cold, warm = [], []
    for _ in range(LOADS):
        browser = Browser('--window-size=1024,768')
        try:
            page = browser.open_page(url)
            wait_for(browser, page, started)
            cold.append(browser.evaluate(page, 'Module.webScreen.firstFrameMs'))
            page = browser.open_page(url)
            wait_for(browser, page, started)
            warm.append(browser.evaluate(page, 'Module.webScreen.firstFrameMs'))
        finally:
            browser.close()

    browser = Browser('--window-size=1024,768')
    try:
        page = browser.open_page(url)
        wait_for(browser, page, started)
        isolated = browser.evaluate(page, 'self.crossOriginIsolated')
        refresh_hz = browser.evaluate(page, 'new Promise(done => { let n = 0, t0; '
                                      'const tick = t => { if (n++ == 0) t0 = t; if (n <= 121) '
                                      'requestAnimationFrame(tick); else done(120000 / (t - t0)); };'
                                      ' requestAnimationFrame(tick); })')
        # The start view: 80 whole tiles, as the native benchmark's best case.
        still = sample_frames(browser, page, FRAMES)
        # Scrolling: Right, so that the pieces start anywhere in a tile.
        key(browser, page, 'keyDown', 'ArrowRight', 39)
        moving = sample_frames(browser, page, FRAMES // 2)
        key(browser, page, 'keyUp', 'ArrowRight', 39)
        key(browser, page, 'keyDown', 'ArrowLeft', 37)
        moving = [(a + b) / 2 for a, b in zip(moving, sample_frames(browser, page, FRAMES // 2))]
        key(browser, page, 'keyUp', 'ArrowLeft', 37)
        if len(sys.argv) == 3:
            key(browser, page, 'keyDown', 'Escape', 27)
            time.sleep(0.1)
            key(browser, page, 'keyUp', 'Escape', 27)
            wait_for(browser, page, 'document.getElementById("status").textContent')
            with open(sys.argv[2], 'wb') as file:
                file.write(base64.b64decode(browser.send('Page.captureScreenshot', page)['data']))
    finally:
        browser.close()
        server.shutdown()

    print('load average: %s on %d cores' % (open('/proc/loadavg').read().split()[:3], os.cpu_count()))
    print('performance.now() cross-origin isolated: %s; display refresh %.1f Hz' % (isolated, refresh_hz))
    print('page load to first frame, ms, %d fresh browsers: %s' % (LOADS, [round(t) for t in cold]))
    print('the same in a second tab of each:              %s' % [round(t) for t in warm])
    for name, figures in (('start view', still), ('scrolling', moving)):
        print('%-10s program %.1f us (mean %.1f), present %.1f us (mean %.1f), median of %d frames'
              % ((name,) + tuple(figures) + (FRAMES,)))
    print('web js_bytes %d' % sizes['js'])
    print('web wasm_bytes %d' % sizes['wasm'])
    print('web total_bytes %d' % (sizes['js'] + sizes['wasm']))
    print('web first_frame_ms_median %.0f' % statistics.median(cold))
    print('web first_frame_ms_max %.0f' % max(cold))
    print('web first_frame_ms_second_tab_median %.0f' % statistics.median(warm))
    print('web frame_work_us_start_view %.1f' % still[0])
    print('web frame_work_us_scrolling %.1f' % moving[0])
    print('web present_us_start_view %.1f' % still[2])
    print('web present_us_scrolling %.1f' % moving[2])


if __name__ == '__main__':
    main()
