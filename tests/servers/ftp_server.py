"""Serves a folder over FTP on 127.0.0.1 for the tests, read-only, to one user.

    ftp_server.py FOLDER USER PASSWORD [--drip BYTES_PER_SECOND]

--drip  sends files that slowly, a few bytes at a time

Prints "starting FTP server on 127.0.0.1:PORT" once it listens.
"""
import argparse
import logging

from pyftpdlib import handlers
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.servers import FTPServer

arguments = argparse.ArgumentParser()
arguments.add_argument("folder")
arguments.add_argument("user")
arguments.add_argument("password")
arguments.add_argument("--drip", type=int, default=0)
options = arguments.parse_args()

logging.basicConfig(level=logging.INFO, format="%(message)s")
authorizer = DummyAuthorizer()
authorizer.add_user(options.user, options.password, options.folder, perm="elr")
handler = handlers.FTPHandler
handler.authorizer = authorizer
if options.drip:
    dtp = handlers.ThrottledDTPHandler
    dtp.write_limit = options.drip
    dtp.ac_out_buffer_size = 4
    handlers.FileProducer.buffer_size = 4
    handler.dtp_handler = dtp
server = FTPServer(("127.0.0.1", 0), handler)
print("starting FTP server on 127.0.0.1:%d" % server.address[1], flush=True)
server.serve_forever()
