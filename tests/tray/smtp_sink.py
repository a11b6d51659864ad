#!/usr/bin/python3
"""A mail server for the tray tests: takes mail on 127.0.0.1 (a free port,
written to file descriptor 3) and saves each message as FOLDER/message-N.eml,
headed by the envelope and the login it was given. With USER and PASSWORD it
offers AUTH LOGIN and PLAIN without TLS and takes mail only after a login
with them; a PASSWORD of "-" is read from standard input instead, so that it
shows in no process's arguments. While the file named by SMTP_SINK_HOLD
exists, each session is held at DATA, after the login, and FILE.held says so
(for at most 60 seconds).

Usage: smtp_sink.py FOLDER [USER PASSWORD]
"""
import asyncio
import os
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

# Plain-text AUTH is the point here: the server only ever listens on 127.0.0.1.
warnings.simplefilter("ignore")
folder = sys.argv[1]
user, password = (sys.argv[2], sys.argv[3]) if len(sys.argv) > 3 else (None, None)
if password == "-":
    password = sys.stdin.readline().rstrip("\n")
hold = os.environ.get("SMTP_SINK_HOLD")


class Saver:
    count = 0

    async def handle_DATA(self, server, session, envelope):
        if hold and os.path.exists(hold):
            open(hold + ".held", "w").close()
            for _ in range(1200):
                if not os.path.exists(hold):
                    break
                await asyncio.sleep(0.05)
        Saver.count += 1
        login = session.auth_data.login.decode() if session.authenticated else ""
        head = "X-Sink-Login: %s\nX-Sink-From: %s\nX-Sink-To: %s\n" % (
            login, envelope.mail_from, ",".join(envelope.rcpt_tos))
        path = os.path.join(folder, "message-%d.eml" % Saver.count)
        with open(path + ".part", "wb") as f:
            f.write(head.encode() + envelope.original_content.replace(b"\r\n", b"\n"))
        os.rename(path + ".part", path)
        return "250 Message accepted"


def check_login(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
          and auth_data.password == password.encode())
    return AuthResult(success=ok, auth_data=auth_data)


async def main():
    saver = Saver()
    options = {}
    if user is not None:
        options = dict(authenticator=check_login, auth_required=True, auth_require_tls=False)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(saver, hostname="sink.test", **options), "127.0.0.1", 0)
    with os.fdopen(3, "w") as port:
        port.write("%d\n" % server.sockets[0].getsockname()[1])
    await server.serve_forever()


asyncio.run(main())
