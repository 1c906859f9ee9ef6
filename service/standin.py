#!/usr/bin/python3
"""Local stand-in for the Tessaro recording service (web scripts and FTP host).

Prints one line "READY http=<port> ftp=<port> https=<port>" once all servers
listen, then runs until SIGTERM, Ctrl-C or the end of its lifetime, whichever comes first.
"""

import argparse
import logging
import signal
import sys
import threading

from standin_control import Control
from standin_ftp import make_ftp_server
from standin_http import StandInHTTPServer, StandInHTTPSServer
from standin_layout import Layout
from standin_scripts import Scripts
from standin_store import Store
from standin_switches import Switches
from standin_timeline import Timeline
from standin_tls import Certificates


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True,
                        help="directory for the database, the FTP account trees and the certificates")
    parser.add_argument("--http-port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--ftp-port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--https-port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--domain", default="tessaro.example")
    parser.add_argument("--web-host", default="www.tessaro.example")
    parser.add_argument("--source-dir", default="/pending",
                        help="download directory named in the download list")
    parser.add_argument("--author", action="append", default=[], help="known author's login ID")
    parser.add_argument("--password", action="append", default=[],
                        help="password of the --author at the same position")
    parser.add_argument("--lifetime", type=float, default=1800.0,
                        help="seconds after which the service stops by itself")
    args = parser.parse_args(argv)
    if len(args.author) != len(args.password):
        parser.error("every --author needs its own --password")
    if args.lifetime <= 0:
        parser.error("--lifetime must be positive")
    return args


def _serve_ftp(server, stop):
    # pyftpdlib's loop is not stoppable from another thread, so it runs in short
    # slices and closes its own sockets once asked to stop.
    while not stop.is_set():
        server.serve_forever(timeout=0.2, blocking=False, handle_exit=False)
    server.close_all()


def main(argv):
    args = parse_args(argv)
    logging.basicConfig(stream=sys.stderr, level=logging.WARNING,
                        format="standin %(levelname)s %(message)s")

    layout = Layout(args.root, args.domain, args.source_dir)
    layout.create()
    store = Store(layout.db_path)
    for name, password in zip(args.author, args.password):
        store.add_author(name, password)
    switches = Switches()
    timeline = Timeline()
    certificates = Certificates(layout.tls_dir)
    certificates.create()

    scripts = Scripts(store, layout, switches)
    control = Control(store, switches, layout, timeline)
    http_server = StandInHTTPServer(args.http_port, args.web_host, store, switches, scripts, control)
    https_server = StandInHTTPSServer(args.https_port, args.web_host, store, switches, scripts,
                                      control, certificates.ssl_contexts())
    ftp_server = make_ftp_server(args.ftp_port, layout, store, switches, timeline,
                                 certificates.openssl_contexts())

    stop = threading.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop.set())

    ftp_stopped = threading.Event()
    threads = [
        threading.Thread(target=http_server.serve_forever, name="http"),
        threading.Thread(target=https_server.serve_forever, name="https"),
        threading.Thread(target=_serve_ftp, args=(ftp_server, ftp_stopped), name="ftp"),
    ]
    for thread in threads:
        thread.start()

    # New fields go last, so that readers of the first two keep working.
    print("READY http=%d ftp=%d https=%d" % (http_server.server_address[1],
                                             ftp_server.socket.getsockname()[1],
                                             https_server.server_address[1]), flush=True)

    if not stop.wait(args.lifetime):
        logging.warning("lifetime of %g s is over, stopping", args.lifetime)

    for server in (http_server, https_server):
        server.shutdown()
        server.server_close()
    ftp_stopped.set()
    for thread in threads:
        thread.join()
    store.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
