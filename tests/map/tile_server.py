#!/usr/bin/env python3
"""Loopback HTTP server for the map tests: tiles, the connectivity page and the update pages.

Prints "PORT <n>" once listening, appends every request path to the log file named on the
command line, and ends when its standard input closes.
  /terrain/z/x/y.png, /street/z/x/y.png  a 256x256 PNG (green, blue)
  /connected/                            200
  /update/                               200 (a newer version is published)
  /moved/                                302 to /connected/
  /switched/                             200 while a file "online" lies beside the log, else 503
  anything else                          404
"""
import http.server
import os
import struct
import sys
import threading
import zlib


def png(rgb):
    raw = b''.join(b'\0' + bytes(rgb) * 256 for _ in range(256))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 256, 256, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


TILES = {'terrain': png((170, 210, 160)), 'street': png((160, 190, 230))}
log_lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def send(self, status, body=b'', kind='text/html', extra=None):
        self.send_response(status)
        self.send_header('Content-Type', kind)
        self.send_header('Content-Length', str(len(body)))
        self.send_header('Access-Control-Allow-Origin', '*')
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        if self.command != 'HEAD':
            self.wfile.write(body)

    def do_GET(self):
        with log_lock, open(LOG, 'a') as f:
            f.write('%s %s\n' % (self.path, self.headers.get('User-Agent', '')))
        parts = self.path.split('?')[0].strip('/').split('/')
        if len(parts) == 4 and parts[0] in TILES and parts[3].endswith('.png'):
            self.send(200, TILES[parts[0]], 'image/png')
        elif self.path in ('/connected/', '/update/'):
            self.send(200, b'<html><body>ok</body></html>')
        elif self.path == '/switched/':
            self.send(200 if os.path.exists(os.path.join(os.path.dirname(LOG), 'online')) else 503)
        elif self.path == '/moved/':
            self.send(302, extra={'Location': '/connected/'})
        else:
            self.send(404, b'not here')

    do_HEAD = do_GET


if __name__ == '__main__':
    LOG = sys.argv[1]
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print('PORT %d' % server.server_address[1], flush=True)
    sys.stdin.read()
    server.shutdown()
