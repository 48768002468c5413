"""A minimal client of Chromium's DevTools protocol over --remote-debugging-pipe: JSON
ended by a NUL byte, in on the browser's descriptor 3 and out of its 4."""
import fcntl, json, os, select, shutil, subprocess, tempfile

FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-sync',
         '--disable-background-networking', '--disable-component-update', '--remote-debugging-pipe']


class Browser:
    def __init__(self, *flags, binary='/usr/bin/chromium'):
        self.profile = tempfile.mkdtemp(prefix='tilescroll-chromium.')
        commands, answers = os.pipe(), os.pipe()
        # Copies above 9, clear of the descriptors 3 and 4 that bash sets up.
        theirs = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (commands[0], answers[1])]
        self.process = subprocess.Popen(
            ['bash', '-c', 'exec "$@" 3<&%d 4>&%d' % tuple(theirs), 'bash', binary, *FLAGS,
             '--user-data-dir=' + self.profile, *flags], pass_fds=theirs,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        list(map(os.close, (*theirs, commands[0], answers[1])))
        self.to_browser, self.from_browser = commands[1], answers[0]
        self.pending, self.last_id, self.events = b'', 0, []

    def receive(self, timeout):
        """The next message, or None after `timeout` seconds without one."""
        while b'\0' not in self.pending:
            if not select.select([self.from_browser], [], [], timeout)[0]:
                return None
            if not (chunk := os.read(self.from_browser, 1 << 20)):
                raise EOFError('the browser closed its end of the pipe')
            self.pending += chunk
        message, self.pending = self.pending.split(b'\0', 1)
        return json.loads(message)

    def send(self, method, session=None, **params):
        self.last_id += 1
        message = {'id': self.last_id, 'method': method, 'params': params}
        message.update({'sessionId': session} if session else {})
        os.write(self.to_browser, json.dumps(message).encode() + b'\0')
        while (answer := self.receive(20)) is not None:
            if answer.get('id') == self.last_id and 'error' in answer:
                raise RuntimeError('%s: %s' % (method, answer['error'].get('message')))
            if answer.get('id') == self.last_id:
                return answer['result']
            self.events.append(answer)
        raise TimeoutError('%s: no answer in 20 s' % method)

    def open_page(self, url, before=None, *setup):
        """A new tab's session at `url`, the script `before` run ahead of the page's own."""
        target = self.send('Target.createTarget', url='about:blank')['targetId']
        session = self.send('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        for method, params in [('Runtime.enable', {}), ('Log.enable', {}), ('Page.enable', {}),
                               ('Page.addScriptToEvaluateOnNewDocument', {'source': before or ''}),
                               *setup, ('Page.navigate', {'url': url})]:
            self.send(method, session, **params)
        return session

    def evaluate(self, session, expression):
        return self.send('Runtime.evaluate', session, expression=expression, returnByValue=True,
                         awaitPromise=True)['result'].get('value')

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        os.close(self.to_browser), os.close(self.from_browser)
        shutil.rmtree(self.profile, ignore_errors=True)
