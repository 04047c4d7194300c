"""A mail server on the loopback address for the tests: keeps every message it takes as a
file in FOLDER/new, prints "PORT <n>" once it listens, and runs until standard input ends.

smtpserver.py FOLDER [--password P] [--refuse ADDRESS]...
  --password P    logging in is required, and only with the password P
  --refuse A      the recipient A is refused with 550
"""
import argparse
import socket
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox
from aiosmtpd.smtp import AuthResult, LoginPassword


class Handler(Mailbox):
    def __init__(self, folder, refused):
        super().__init__(folder)
        self.refused = {address.lower() for address in refused}

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refused:
            return "550 5.1.1 <%s>: mailbox unavailable" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--password")
    parser.add_argument("--refuse", action="append", default=[])
    options = parser.parse_args()

    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]

    def authenticate(server, session, envelope, mechanism, data):
        given = data.password.decode() if isinstance(data, LoginPassword) else None
        return AuthResult(success=given == options.password, handled=False)

    extra = {}
    if options.password is not None:
        extra = dict(authenticator=authenticate, auth_required=True, auth_require_tls=False)
    controller = Controller(Handler(options.folder, options.refuse), hostname="127.0.0.1",
                            port=port, **extra)
    controller.start()
    print("PORT %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
