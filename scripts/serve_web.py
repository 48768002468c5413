#!/usr/bin/env python3
"""Serves the browser build's folder on 127.0.0.1 until Ctrl-C.
    usage: scripts/serve_web.py [--check] PORT FOLDER
With --check, only makes sure the port can be had, so that a taken port is
named before a long build rather than after it."""
import functools, http.server, sys


def main():
    args = sys.argv[1:]
    check = args[:1] == ['--check']
    if check:
        args = args[1:]
    if len(args) != 2:
        sys.exit(__doc__)
    port, folder = args
    if not port.isdigit() or not 0 < int(port) < 65536:
        sys.exit('tilescroll: %r is not a port number (1 to 65535)' % port)
    port = int(port)
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    try:
        server = http.server.ThreadingHTTPServer(('127.0.0.1', port), handler)
    except OSError as error:
        sys.exit('tilescroll: port %d on 127.0.0.1 cannot be had (%s); '
                 'give another: scripts/run.sh --web PORT' % (port, error.strerror or error))
    if check:
        server.server_close()
        return
    print('tilescroll: open http://127.0.0.1:%d/ in a browser; Ctrl-C stops the server' % port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


main()
