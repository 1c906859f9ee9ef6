"""A TCP relay on 127.0.0.1 that keeps every byte it passes, to see what crossed in clear.

    with WireTap(service.ftp_port) as tap:
        ... point the program at tap.port instead of the service's port ...
        assert not tap.crossed(b"brinotaxe4")

Each accepted connection gets its own thread, which opens a connection to the
target and pumps both ways until either side closes. The relay sees the bytes as
they travel, so under TLS it sees only ciphertext. For FTP it carries the control
connection only: the service's passive replies name its own data ports, so data
connections go past it; whether they were protected is in the service's own record
(StandIn.ftp_transfers, encryption_summary).
"""

import selectors
import socket
import threading

_CHUNK = 65536


class TappedConnection:
    """The bytes of one relayed connection: `sent` from the client to the target,
    `received` from the target back to the client."""

    def __init__(self):
        self.sent = bytearray()
        self.received = bytearray()


class WireTap:
    def __init__(self, target_port, target_host="127.0.0.1", timeout=600.0):
        self._target = (target_host, target_port)
        # A connection quiet for this long is given up, so no thread outlives its test by much.
        self._timeout = timeout
        self._lock = threading.Lock()
        self._connections = []
        self._sockets = set()
        self._stopped = threading.Event()
        self._listener = socket.create_server(("127.0.0.1", 0))
        self.port = self._listener.getsockname()[1]
        threading.Thread(target=self._accept, name="wire-tap", daemon=True).start()

    def __enter__(self):
        return self

    def __exit__(self, *exc_info):
        self.stop()

    def stop(self):
        """Stops accepting and cuts every relayed connection."""
        self._stopped.set()
        _close(self._listener)
        with self._lock:
            sockets, self._sockets = list(self._sockets), set()
        for sock in sockets:
            _close(sock)

    def connections(self):
        """A copy of every connection's bytes so far, in the order they were accepted."""
        with self._lock:
            return [(bytes(c.sent), bytes(c.received)) for c in self._connections]

    def crossed(self, needle):
        """True when the bytes (or the text, as UTF-8) crossed the tap in clear, in
        either direction of any connection, even split between reads."""
        if isinstance(needle, str):
            needle = needle.encode("utf-8")
        return any(needle in sent or needle in received for sent, received in self.connections())

    def _accept(self):
        while not self._stopped.is_set():
            try:
                client, _ = self._listener.accept()
            except OSError:
                return
            threading.Thread(target=self._relay, args=(client,), name="wire-tap-relay",
                             daemon=True).start()

    def _track(self, sock):
        with self._lock:
            if self._stopped.is_set():
                return False
            self._sockets.add(sock)
            return True

    def _relay(self, client):
        record = TappedConnection()
        with self._lock:
            self._connections.append(record)
        try:
            upstream = socket.create_connection(self._target, timeout=10)
        except OSError:
            # The client sees the refusal as a closed connection, as it would without the tap.
            _close(client)
            return
        if not (self._track(client) and self._track(upstream)):
            _close(client)
            _close(upstream)
            return
        peers = {client: (upstream, record.sent), upstream: (client, record.received)}
        with selectors.DefaultSelector() as selector:
            for sock in peers:
                sock.setblocking(True)
                selector.register(sock, selectors.EVENT_READ)
            self._pump(selector, peers)
        for sock in peers:
            with self._lock:
                self._sockets.discard(sock)
            _close(sock)

    def _pump(self, selector, peers):
        while not self._stopped.is_set():
            ready = selector.select(self._timeout)
            if not ready:
                return
            for key, _ in ready:
                destination, kept = peers[key.fileobj]
                try:
                    data = key.fileobj.recv(_CHUNK)
                except OSError:
                    return
                if not data:
                    # One side finished sending: pass the end on, keep the other way open.
                    try:
                        destination.shutdown(socket.SHUT_WR)
                    except OSError:
                        return
                    selector.unregister(key.fileobj)
                    if not selector.get_map():
                        return
                    continue
                with self._lock:
                    kept.extend(data)
                try:
                    destination.sendall(data)
                except OSError:
                    return


def _close(sock):
    # The shutdown wakes a relay thread waiting on this socket; a close alone may not.
    try:
        sock.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass
    sock.close()
