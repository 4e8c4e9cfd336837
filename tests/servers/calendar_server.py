"""Serves one file over HTTP on 127.0.0.1 for the tests, in the manner asked for.

    calendar_server.py FILE [--user USER:PASSWORD] [--drip BYTES_PER_SECOND] [--stall]

--user   answers 401 unless the request carries those Basic credentials
--drip   sends the body a few bytes at a time at that rate
--stall  sends the headers and the first bytes, then nothing more

Prints "Serving on port N" once it listens, and one line for each request.
"""
import argparse
import base64
import http.server
import sys
import time

arguments = argparse.ArgumentParser()
arguments.add_argument("file")
arguments.add_argument("--user", default="")
arguments.add_argument("--drip", type=float, default=0)
arguments.add_argument("--stall", action="store_true")
options = arguments.parse_args()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if options.user:
            expected = "Basic " + base64.b64encode(options.user.encode()).decode()
            if self.headers.get("Authorization") != expected:
                self.send_response(401)
                self.send_header("WWW-Authenticate", 'Basic realm="calendar"')
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
        with open(options.file, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            if options.stall:
                self.wfile.write(body[:8])
                self.wfile.flush()
                time.sleep(3600)
            elif options.drip:
                for i in range(0, len(body), 4):
                    self.wfile.write(body[i:i + 4])
                    self.wfile.flush()
                    time.sleep(4 / options.drip)
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def log_message(self, format, *args):
        sys.stdout.write("request %s\n" % (format % args))
        sys.stdout.flush()


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print("Serving on port %d" % server.server_address[1], flush=True)
server.serve_forever()
