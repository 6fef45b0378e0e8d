#!/usr/bin/env python3
"""A scripted HTTP server for the download manager's tests: answers that a real server gives
only when something is wrong. Listens on 127.0.0.1 only, on a free port that it prints as its
first line; ends when its standard input closes or after a time limit.

Every body is the test pattern: byte i of a file is i % 251. Paths:
  /norange/N          N bytes, always 200 with the whole body: Range is ignored
  /drop/N             without Range: announces N bytes, sends half, closes the connection;
                      with Range: 206 and the rest, as a sound server would
  /slow/N/MS          N bytes in 1 KiB pieces, MS milliseconds apart; honours Range
  /status/CODE/TEXT   the status line "HTTP/1.1 CODE TEXT" with a short body
  /fake/N             N bytes (any size: nothing is stored) with Range; the body is capped at
                      64 MiB per response so a test stays bounded in bytes
"""
import http.server
import os
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

PATTERN = bytes(range(251)) * 300  # longer than any piece sent at once plus one period
PIECE = 64 * 1024
MAX_BODY = 64 * 1024 * 1024
TIME_LIMIT = 600


def pattern(offset, size):
    start = offset % 251
    return PATTERN[start:start + size]


def parse_range(header, size):
    """The first byte of a 'bytes=A-' or 'bytes=A-B' range, or None."""
    if not header or not header.startswith("bytes="):
        return None
    first = header[6:].split(",")[0].split("-")[0].strip()
    return int(first) if first.isdigit() else None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_pattern(self, offset, end, delay=0.0, piece=PIECE):
        at = offset
        while at < end:
            n = min(piece, end - at)
            self.wfile.write(pattern(at, n))
            at += n
            if delay:
                self.wfile.flush()
                time.sleep(delay)

    def ranged(self, size, delay=0.0, piece=PIECE, cap=None):
        first = parse_range(self.headers.get("Range"), size)
        if first is not None and first >= size:
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        start = first or 0
        end = size if cap is None else min(size, start + cap)
        self.send_response(206 if first is not None else 200)
        if first is not None:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end - 1, size))
        self.send_header("Content-Length", str(end - start))
        self.end_headers()
        self.send_pattern(start, end, delay, piece)

    def do_GET(self):
        parts = [urllib.parse.unquote(p) for p in self.path.split("/")[1:]]
        kind = parts[0] if parts else ""
        try:
            if kind == "norange":
                size = int(parts[1])
                self.send_response(200)
                self.send_header("Content-Length", str(size))
                self.end_headers()
                self.send_pattern(0, size)
            elif kind == "drop":
                size = int(parts[1])
                if self.headers.get("Range"):
                    self.ranged(size)
                    return
                self.send_response(200)
                self.send_header("Content-Length", str(size))
                self.end_headers()
                self.send_pattern(0, size // 2)
                self.wfile.flush()
                self.close_connection = True
                self.connection.shutdown(socket.SHUT_RDWR)
            elif kind == "slow":
                self.ranged(int(parts[1]), delay=int(parts[2]) / 1000.0, piece=1024)
            elif kind == "status":
                body = b"error body\n"
                self.wfile.write(("HTTP/1.1 %s %s\r\n" % (parts[1], parts[2])).encode())
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)
            elif kind == "fake":
                self.ranged(int(parts[1]), cap=MAX_BODY)
            else:
                self.send_error(404)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)

    def stop_when_parent_goes():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=stop_when_parent_goes, daemon=True).start()
    threading.Timer(TIME_LIMIT, lambda: os._exit(0)).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
