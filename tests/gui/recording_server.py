#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the desktop tests.

It prints its port on the first line of stdout and appends every request it
gets to LOG as one JSON object a line: method, path, content_type and the
body in hex. GET answers a UTF-8 new-entry form that posts title, desc,
keywd and rout to "new_entry.py" in the same folder; POST answers a page
that shows the posted body.
"""
import html
import json
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOG = sys.argv[1]

FORM = """<!DOCTYPE html><html><head><meta charset="utf-8"><title>new</title></head>
<body><form id="entry" method="post" action="new_entry.py">
<input name="title" id="title"><textarea name="desc" id="desc"></textarea>
<input name="keywd" id="keywd"><textarea name="rout" id="rout"></textarea>
<input type="submit" id="send" value="send"></form></body></html>"""


class Handler(BaseHTTPRequestHandler):
    def record(self, body):
        with open(LOG, "a", encoding="utf-8") as log:
            log.write(json.dumps({
                "method": self.command,
                "path": self.path,
                "content_type": self.headers.get("Content-Type", ""),
                "body": body.hex(),
            }) + "\n")

    def answer(self, page):
        data = page.encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        self.record(b"")
        self.answer(FORM)

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        body = self.rfile.read(length)
        self.record(body)
        self.answer("<!DOCTYPE html><html><head><meta charset='utf-8'><title>posted</title>"
                    "</head><body><pre id='body'>%s</pre></body></html>"
                    % html.escape(body.decode("latin-1")))

    def log_message(self, *args):
        pass


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
