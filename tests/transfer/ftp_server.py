"""FTP server for the transfer tests: serves one folder on 127.0.0.1, port chosen by the OS.

Prints "PORT <n>" once listening. Options:
  --root DIR --user U --password P
  --drop-after N   the first download of a file from its start closes the control and data
                   connections after N bytes (a connection lost mid-file)
  --no-rest        refuses REST, so a download cannot resume
  --refuse-restart accepts REST n (350) but answers the RETR that follows with
                   "451 Restart not permitted"
  --stall          every file download sends nothing and never ends (listings still work)
  --log FILE       appends every received command line (PASS hidden) to FILE
  --tls CERT KEY   explicit TLS (AUTH TLS) with this certificate and key, required on the control
                   and the data connections
"""
import argparse
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", default="deploy")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--drop-after", type=int, default=0)
    ap.add_argument("--no-rest", action="store_true")
    ap.add_argument("--refuse-restart", action="store_true")
    ap.add_argument("--stall", action="store_true")
    ap.add_argument("--log", default="")
    ap.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    args = ap.parse_args()

    if args.tls:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
        BaseHandler, BaseDtp = TLS_FTPHandler, TLS_DTPHandler
    else:
        BaseHandler, BaseDtp = FTPHandler, DTPHandler

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")

    state = {"dropped": False}

    class Dtp(BaseDtp):
        sent = 0

        def stalled(self):
            return args.stall and self.cmd_channel.in_retr

        def send(self, data):
            if self.stalled():
                return 0
            n = BaseDtp.send(self, data)
            self.sent += n
            if args.drop_after and not state["dropped"] and self.cmd_channel.retr_offset == 0 \
                    and self.sent >= args.drop_after:
                state["dropped"] = True
                cmd = self.cmd_channel
                self.close()
                cmd.close()
            return n

        def readable(self):
            # libcurl opens the data connection and its TLS before it sends RETR or LIST. The
            # library's handler takes a data connection that waits for its command as one the
            # client closed, and drops it mid-handshake; let the handshake finish and the
            # connection wait instead.
            if args.tls and not self.receive and not self._initialized:
                return self._ssl_want_read or self._ssl_accepting
            return BaseDtp.readable(self)

        def initiate_send(self):
            if self.stalled():
                return
            BaseDtp.initiate_send(self)

    class Handler(BaseHandler):
        dtp_handler = Dtp
        retr_offset = 0
        in_retr = False

        def pre_process_command(self, line, cmd, arg):
            if args.log:
                shown = "PASS ****" if cmd == "PASS" else line
                with open(args.log, "a") as f:
                    f.write(shown + "\n")
            if cmd == "REST" and args.no_rest:
                self.respond("502 Command not implemented.")
                return
            BaseHandler.pre_process_command(self, line, cmd, arg)

        def ftp_RETR(self, file):
            if args.refuse_restart and self._restart_position:
                self._restart_position = 0
                self.respond("451 Restart not permitted")
                return
            self.retr_offset = self._restart_position
            self.in_retr = True
            BaseHandler.ftp_RETR(self, file)

    Handler.authorizer = authorizer
    if args.tls:
        Handler.certfile, Handler.keyfile = args.tls
        Handler.tls_control_required = True
        Handler.tls_data_required = True
    # sendfile() would bypass the data channel's send(), where drops and stalls are made.
    Handler.use_sendfile = False
    Handler.passive_ports = None
    Handler.banner = "test server ready"
    # Refused logins are answered at once, so failure tests stay quick.
    Handler.auth_failed_timeout = 0.01

    server = FTPServer(("127.0.0.1", 0), Handler)
    server.max_cons = 64
    port = server.socket.getsockname()[1]
    print("PORT %d" % port, flush=True)

    # A test process that crashed or was killed cannot stop its server: end with it.
    parent = os.getppid()

    def watch_parent():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch_parent, daemon=True).start()
    try:
        server.serve_forever(timeout=0.2, blocking=True, handle_exit=True)
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
