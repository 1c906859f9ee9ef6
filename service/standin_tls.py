"""The stand-in's own certificate authorities and the server certificates they sign.

Two unrelated authorities are made in the state directory the first time the
service starts there: the service's own one, whose certificate a client is given
to trust (ca.pem), and another one whose server certificate no such client may
accept (other-ca.pem). Both server certificates name "localhost" and 127.0.0.1.
The authorities' private keys are never written: nothing is signed after start.
A later start with the same directory keeps the files, so that a client set up
with ca.pem goes on trusting the service across restarts.
"""

import datetime
import ipaddress
import os
import ssl

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID
from OpenSSL import SSL

# The certificates a server may present: its own authority's, or the other one's.
CERTIFICATES = ("own", "other")
SERVER_NAME = "localhost"
_VALID_DAYS = 365
# Files of one authority, by the prefix of its certificate choice.
_PREFIX = {"own": "", "other": "other-"}


def _key():
    # RSA rather than an elliptic curve: every TLS stack a client may use accepts it.
    return rsa.generate_private_key(public_exponent=65537, key_size=2048)


def _name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Tessaro stand-in"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


def _builder(subject, issuer, public_key, now):
    return (x509.CertificateBuilder()
            .subject_name(subject)
            .issuer_name(issuer)
            .public_key(public_key)
            .serial_number(x509.random_serial_number())
            # A day back, so that a client's clock a little behind still accepts it.
            .not_valid_before(now - datetime.timedelta(days=1))
            .not_valid_after(now + datetime.timedelta(days=_VALID_DAYS))
            .add_extension(x509.SubjectKeyIdentifier.from_public_key(public_key), critical=False))


def _issue(label):
    """A new authority and a server certificate from it: (ca_pem, cert_pem, key_pem)."""
    now = datetime.datetime.now(datetime.timezone.utc)
    ca_key, server_key = _key(), _key()
    ca_name = _name("%s test authority" % label)
    ca_cert = (_builder(ca_name, ca_name, ca_key.public_key(), now)
               .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
               .add_extension(x509.KeyUsage(digital_signature=False, content_commitment=False,
                                            key_encipherment=False, data_encipherment=False,
                                            key_agreement=False, key_cert_sign=True, crl_sign=True,
                                            encipher_only=False, decipher_only=False), critical=True)
               .sign(ca_key, hashes.SHA256()))
    server_cert = (_builder(_name(SERVER_NAME), ca_name, server_key.public_key(), now)
                   .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
                   .add_extension(x509.KeyUsage(digital_signature=True, content_commitment=False,
                                                key_encipherment=True, data_encipherment=False,
                                                key_agreement=False, key_cert_sign=False,
                                                crl_sign=False, encipher_only=False,
                                                decipher_only=False), critical=True)
                   .add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]),
                                  critical=False)
                   .add_extension(x509.SubjectAlternativeName([
                       x509.DNSName(SERVER_NAME),
                       x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]), critical=False)
                   .add_extension(x509.AuthorityKeyIdentifier.from_issuer_public_key(
                       ca_key.public_key()), critical=False)
                   .sign(ca_key, hashes.SHA256()))
    pem = serialization.Encoding.PEM
    key_pem = server_key.private_bytes(pem, serialization.PrivateFormat.TraditionalOpenSSL,
                                       serialization.NoEncryption())
    return ca_cert.public_bytes(pem), server_cert.public_bytes(pem), key_pem


class Certificates:
    def __init__(self, tls_dir):
        self.dir = tls_dir

    def _files(self, choice):
        prefix = _PREFIX[choice]
        return tuple(os.path.join(self.dir, prefix + name)
                     for name in ("ca.pem", "server.pem", "server-key.pem"))

    @property
    def ca_file(self):
        return self._files("own")[0]

    @property
    def other_ca_file(self):
        return self._files("other")[0]

    def create(self):
        """Makes both authorities unless every file is there already."""
        os.makedirs(self.dir, exist_ok=True)
        for choice in CERTIFICATES:
            paths = self._files(choice)
            if all(os.path.isfile(path) for path in paths):
                continue
            for path, content in zip(paths, _issue(choice)):
                # The key is readable by its owner only, as a server's key should be.
                descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
                with os.fdopen(descriptor, "wb") as out:
                    out.write(content)

    def ssl_contexts(self):
        """{choice: server-side ssl.SSLContext} for the web listener."""
        contexts = {}
        for choice in CERTIFICATES:
            _, cert, key = self._files(choice)
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(cert, key)
            contexts[choice] = context
        return contexts

    def openssl_contexts(self):
        """{choice: pyOpenSSL context} for the FTP host, whose library wants those."""
        contexts = {}
        for choice in CERTIFICATES:
            _, cert, key = self._files(choice)
            context = SSL.Context(SSL.TLS_SERVER_METHOD)
            context.set_min_proto_version(SSL.TLS1_2_VERSION)
            context.set_options(SSL.OP_NO_COMPRESSION)
            context.use_certificate_chain_file(cert)
            context.use_privatekey_file(key)
            contexts[choice] = context
        return contexts
