#!/usr/bin/python3
"""Answers every request with one stored weather page: a stand-in for the
weather service on a machine without a network. The board reaches it as its
proxy (http_proxy=http://127.0.0.1:PORT), exactly as the tests do.

Usage: scripts/weather-page-server.py PAGE   (prints the port, then serves until killed)
"""
import http.server
import sys

page = open(sys.argv[1], "rb").read()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(page)))
        self.end_headers()
        self.wfile.write(page)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
