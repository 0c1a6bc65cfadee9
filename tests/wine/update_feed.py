#!/usr/bin/env python3
"""The update feed of the end-to-end test: the files under ROOT over HTTPS on
127.0.0.1:PORT, every request written to LOG as one line: method, path, status and
the client's User-Agent. Writes READY once it listens; runs until it is killed.

    update_feed.py ROOT CERT KEY PORT LOG READY

A file ROOT/.mode, read at each request, makes the feed misbehave as real networks
do (each request logged with the status 0 when nothing was answered):
    stall [SECONDS]   read the request, then answer nothing until the client gives up (or
                      SECONDS pass, 600 by default: then close the connection)
    status CODE       answer every request with CODE and no file (407 asks for proxy credentials)
    stall-body BYTES  send the head and the first BYTES of the file, then nothing more
"""
import functools
import http.server
import os
import ssl
import sys
import time


def main():
    root, cert, key, port, log_path, ready = sys.argv[1:7]
    log = open(log_path, "a", buffering=1)
    mode_path = os.path.join(root, ".mode")

    def mode():
        try:
            with open(mode_path) as f:
                return f.read().split()
        except OSError:
            return []

    def hold(connection, limit=600):
        """Keeps the connection open and silent until the client closes it or the limit passes."""
        connection.settimeout(1)
        end = time.monotonic() + limit
        while time.monotonic() < end:
            try:
                if not connection.recv(1):
                    return
            except (TimeoutError, ssl.SSLError, OSError) as error:
                if not isinstance(error, TimeoutError) and "timed out" not in str(error):
                    return

    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_request(self, code="-", size="-"):
            agent = self.headers.get("User-Agent", "-") if self.headers else "-"
            log.write(f"{self.command} {self.path} {int(code)} {agent}\n")

        def log_message(self, format, *args):
            pass

        def do_GET(self):
            words = mode()
            if words[:1] == ["stall"]:
                self.log_request(0)
                self.wfile.flush()
                hold(self.connection, float(words[1]) if len(words) > 1 else 600)
                self.close_connection = True
                return
            if words[:1] == ["status"] and len(words) > 1:
                code = int(words[1])
                self.send_response(code)
                if code == 407:
                    self.send_header("Proxy-Authenticate", 'Basic realm="test proxy"')
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            if words[:1] == ["stall-body"] and len(words) > 1 and self.path.startswith("/files/"):
                path = self.translate_path(self.path)
                with open(path, "rb") as f:
                    body = f.read()
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body[: int(words[1])])
                self.wfile.flush()
                hold(self.connection)
                self.close_connection = True
                return
            super().do_GET()

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

        def get_request(self):
            try:
                return super().get_request()
            except ssl.SSLError as error:
                log.write(f"TLS handshake failed: {error}\n")
                raise

        def handle_error(self, request, client_address):
            # A client that stops reading (the over-sized download) or gives up is expected.
            log.write(f"closed early by the client: {sys.exc_info()[1]!r}\n")

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server = Server(("127.0.0.1", int(port)), functools.partial(Handler, directory=root))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    open(ready, "w").close()
    server.serve_forever()


if __name__ == "__main__":
    main()
