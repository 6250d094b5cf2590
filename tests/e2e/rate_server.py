"""A local rate server, so that no test or benchmark depends on a remote
service: plain HTTP on the loopback address, or HTTPS for the program's real
network path (TLS set up, the certificate checked). The HTTPS certificate is
signed by a test certificate authority made for the run; the program trusts it
through the standard OpenSSL variable (SSL_CERT_FILE), as it would trust the
system's authorities. Every pair is served at RATE, dated yesterday."""

import contextlib
import datetime
import http.server
import json
import os
import ssl
import subprocess
import threading


RATE = 7.25


class RateHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        parts = self.path.strip("/").split("/")
        served = len(parts) == 4 and parts[:2] == ["v2", "rate"]
        yesterday = (datetime.date.today() - datetime.timedelta(days=1)).isoformat()
        body = json.dumps({"base": parts[2], "quote": parts[3], "rate": RATE, "date": yesterday} if served
                          else {"message": "not found"}).encode()
        self.send_response(200 if served else 422)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def make_certificates(folder):
    """A test authority and a server certificate for 127.0.0.1 it signed; returns
    (authority, certificate, key) paths."""
    ca, ca_key = os.path.join(folder, "ca.pem"), os.path.join(folder, "ca.key")
    cert, key, request = (os.path.join(folder, name) for name in ("server.pem", "server.key", "server.csr"))
    extensions = os.path.join(folder, "server.ext")
    with open(extensions, "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")

    def openssl(*args):
        subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca, "-days", "2",
            "-subj", "/CN=Larkspan benchmark authority")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", request, "-subj", "/CN=127.0.0.1")
    openssl("x509", "-req", "-in", request, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-out", cert,
            "-days", "2", "-extfile", extensions)
    return ca, cert, key


@contextlib.contextmanager
def serve(folder=None):
    """Yields (base address, environment for the program): HTTPS with a test
    authority made in `folder`, or plain HTTP without one."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), RateHandler)
    environment = {}
    if folder:
        ca, cert, key = make_certificates(folder)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
        environment["SSL_CERT_FILE"] = ca
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"{'https' if folder else 'http'}://127.0.0.1:{server.server_address[1]}"
    try:
        yield base, dict(environment, LARKSPAN_RATES_URL=base)
    finally:
        server.shutdown()
        server.server_close()
