#!/usr/bin/python3
"""A real SMTP server on loopback for the mail tests (aiosmtpd).

    smtp_server.py FOLDER USER PASSWORD [accept|refuse-rcpt|hang-after-data]

Requires AUTH (LOGIN or PLAIN, allowed without TLS on loopback) with USER and
PASSWORD, saves every accepted message as FOLDER/mail-N.json (envelope,
headers decoded, the HTML body) and FOLDER/mail-N.eml (as received), prints
its port on the first line and runs until its standard input closes.
"""
import asyncio
import json
import os
import socket
import sys
from email import message_from_bytes, policy
from email.header import decode_header, make_header

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

folder, user, password = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
mode = sys.argv[4] if len(sys.argv) > 4 else "accept"


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if mode == "refuse-rcpt":
            return "550 5.1.1 mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if mode == "hang-after-data":  # takes the message, never gives its final reply
            await asyncio.sleep(3600)
        n = len([f for f in os.listdir(folder) if f.endswith(".json")])
        raw = envelope.content if isinstance(envelope.content, bytes) else envelope.original_content
        with open(os.path.join(folder, "mail-%d.eml" % n), "wb") as f:
            f.write(raw)
        msg = message_from_bytes(raw, policy=policy.compat32)
        body = msg.get_payload(decode=True).decode(msg.get_content_charset() or "utf-8")
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "from": msg["From"],
            "to": msg["To"],
            "subject": str(make_header(decode_header(msg["Subject"]))),
            "content_type": msg.get_content_type(),
            "html": body,
            "login": session.auth_data.login.decode() if session.auth_data else "",
        }
        with open(os.path.join(folder, "mail-%d.json" % n), "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False)
        return "250 Message accepted for delivery"


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = isinstance(auth_data, LoginPassword) and auth_data.login == user \
        and auth_data.password == password
    return AuthResult(success=ok, auth_data=auth_data)


probe = socket.socket()
probe.bind(("127.0.0.1", 0))
port = probe.getsockname()[1]
probe.close()
controller = Controller(Handler(), hostname="127.0.0.1", port=port, authenticator=authenticator,
                        auth_required=True, auth_require_tls=False)
controller.start()
print(port, flush=True)
sys.stdin.read()
controller.stop()
