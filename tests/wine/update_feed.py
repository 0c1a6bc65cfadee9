#!/usr/bin/env python3
"""The update feed of the end-to-end test: the files under ROOT over HTTPS on
127.0.0.1:PORT, every request written to LOG as one line: method, path, status and
the client's User-Agent. Writes READY once it listens; runs until it is killed.

    update_feed.py ROOT CERT KEY PORT LOG READY
"""
import functools
import http.server
import ssl
import sys


def main():
    root, cert, key, port, log_path, ready = sys.argv[1:7]
    log = open(log_path, "a", buffering=1)

    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_request(self, code="-", size="-"):
            agent = self.headers.get("User-Agent", "-") if self.headers else "-"
            log.write(f"{self.command} {self.path} {int(code)} {agent}\n")

        def log_message(self, format, *args):
            pass

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

        def get_request(self):
            try:
                return super().get_request()
            except ssl.SSLError as error:
                log.write(f"TLS handshake failed: {error}\n")
                raise

        def handle_error(self, request, client_address):
            # A client that stops reading (the over-sized download) is expected.
            log.write(f"closed early by the client: {sys.exc_info()[1]!r}\n")

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server = Server(("127.0.0.1", int(port)), functools.partial(Handler, directory=root))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    open(ready, "w").close()
    server.serve_forever()


if __name__ == "__main__":
    main()
