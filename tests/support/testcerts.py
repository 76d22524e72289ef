"""Certificates for the reply server's TLS listeners, made at test time and never kept in
the source tree: a test root that the test prefix alone trusts, and one server
certificate for each way a TLS check can pass or fail.

    trusted-root.der   the root that trust-test-root.exe adds to the test prefix
    good.pem           localhost, from the trusted root
    unknown-ca.pem     localhost, from a root nobody trusts (its chain sent whole)
    wrong-host.pem     another host's name, from the trusted root
    expired.pem        localhost, from the trusted root, valid only in the past

Each .pem holds the key, the leaf and the issuing root, as ssl.load_cert_chain takes it.
testcerts.py FOLDER makes them there.
"""
import datetime
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import NameOID

SERVER_CERTS = ("good", "unknown-ca", "wrong-host", "expired")
# Made afresh well before the leaves run out, which no test run outlasts.
LIFETIME = datetime.timedelta(days=365)


def _key():
    # RSA, which every TLS stack the tests meet can check, Wine's included.
    return rsa.generate_private_key(public_exponent=65537, key_size=2048)


def _name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


def _root(common_name, now):
    key = _key()
    cert = (x509.CertificateBuilder()
            .subject_name(_name(common_name)).issuer_name(_name(common_name))
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(days=1))
            .not_valid_after(now + 2 * LIFETIME)
            .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
            .add_extension(x509.KeyUsage(False, False, False, False, False, True, True, False,
                                         False), critical=True)
            .sign(key, hashes.SHA256()))
    return key, cert


def _leaf(root_key, root_cert, host, not_before, not_after):
    key = _key()
    cert = (x509.CertificateBuilder()
            .subject_name(_name(host)).issuer_name(root_cert.subject)
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(not_before).not_valid_after(not_after)
            .add_extension(x509.SubjectAlternativeName([x509.DNSName(host)]), critical=False)
            .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
            .add_extension(x509.ExtendedKeyUsage([x509.oid.ExtendedKeyUsageOID.SERVER_AUTH]),
                           critical=False)
            .sign(root_key, hashes.SHA256()))
    return key, cert


def _pem(key, *certs):
    return key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                             serialization.NoEncryption()) + b"".join(
        c.public_bytes(serialization.Encoding.PEM) for c in certs)


def _still_good(folder):
    try:
        with open(os.path.join(folder, "good.pem"), "rb") as f:
            pem = f.read()
        leaf = x509.load_pem_x509_certificate(pem[pem.index(b"-----BEGIN CERTIFICATE"):])
    except (OSError, ValueError):
        return False
    left = leaf.not_valid_after - datetime.datetime.utcnow()
    return left > LIFETIME / 2 and all(
        os.path.exists(os.path.join(folder, n + ".pem")) for n in SERVER_CERTS)


def make(folder):
    """Writes the certificates into folder unless good ones are there already."""
    if _still_good(folder):
        return
    os.makedirs(folder, exist_ok=True)
    now = datetime.datetime.utcnow()
    root_key, root = _root("Kestrin test root", now)
    stranger_key, stranger = _root("Kestrin untrusted root", now)
    valid = (now - datetime.timedelta(days=1), now + LIFETIME)
    past = (now - 3 * LIFETIME, now - 2 * LIFETIME)
    leaves = {
        "good": (root_key, root, "localhost", valid),
        "unknown-ca": (stranger_key, stranger, "localhost", valid),
        "wrong-host": (root_key, root, "wrong-host.example", valid),
        "expired": (root_key, root, "localhost", past),
    }
    for name, (issuer_key, issuer, host, (start, end)) in leaves.items():
        key, cert = _leaf(issuer_key, issuer, host, start, end)
        with open(os.path.join(folder, name + ".pem"), "wb") as f:
            f.write(_pem(key, cert, issuer))
    with open(os.path.join(folder, "trusted-root.der"), "wb") as f:
        f.write(root.public_bytes(serialization.Encoding.DER))


if __name__ == "__main__":
    make(sys.argv[1])
