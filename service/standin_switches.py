"""Fault and behaviour switches that tests flip while the service keeps running.

Read from the HTTP threads and the FTP loop thread, written by the control API,
hence the lock. Values are parsed strictly so that a misspelt switch in a test
fails loudly instead of silently testing nothing.
"""

import threading

from standin_tls import CERTIFICATES

SCRIPTS = ("authorverify.php", "copywav.php", "tarnwickdload.php", "drdlsuccess.php",
           "extverify.php")

DEFAULT_EXT_LIST = "dss, wav, rtf"

# Where the hang switch makes the service accept and then never answer: the web
# host's root (the probe), one of the scripts, the FTP login, or a put or get
# after its opening reply.
HANG_POINTS = ("probe",) + tuple(name[:-len(".php")] for name in SCRIPTS) + ("login", "put", "get")

_TRUE = ("1", "true", "yes", "on")
_FALSE = ("0", "false", "no", "off", "")


def parse_flag(text):
    lowered = text.strip().lower()
    if lowered in _TRUE:
        return True
    if lowered in _FALSE:
        return False
    raise ValueError("not a yes/no value: %r" % text)


def _count(text):
    text = text.strip()
    if not text:
        return 0
    value = int(text)
    if value < 0:
        raise ValueError("negative value: %r" % text)
    return value


def hang_point(text):
    point = text.strip()
    if point and point not in HANG_POINTS:
        raise ValueError("unknown hang point: %r" % text)
    return point


def script_or_none(text):
    return script_name(text) if text.strip() else ""


def script_name(text):
    """Accepts "copywav", "copywav.php" or "/dravos/copywav.php" for the same script."""
    name = text.strip().rsplit("/", 1)[-1]
    if not name.endswith(".php"):
        name += ".php"
    if name not in SCRIPTS:
        raise ValueError("unknown script: %r" % text)
    return name


def _optional_script(text):
    return script_name(text) if text.strip() else ""


UPLOAD_DIR_FAULTS = ("missing", "denied")


# ftp_tls: "off" refuses AUTH (plain FTP only), "optional" offers TLS beside plain
# logins, "required" refuses a login before AUTH and a transfer before PROT P.
FTP_TLS_MODES = ("off", "optional", "required")


def _one_of(choices, what):
    def parse(text):
        value = text.strip()
        if value not in choices:
            raise ValueError("unknown %s: %r" % (what, text))
        return value
    return parse


def upload_dir_fault(text):
    fault = text.strip()
    if fault and fault not in UPLOAD_DIR_FAULTS:
        raise ValueError("unknown upload directory fault: %r" % text)
    return fault


_PARSERS = {
    "web_host_down": parse_flag,
    "web_host_silent": parse_flag,
    "script_error": _optional_script,
    "script_redirect": _optional_script,
    "ftp_upload_dir": upload_dir_fault,
    "ftp_drop_after_login": parse_flag,
    "ftp_drop_put_after": _count,
    "reject_reports": parse_flag,
    "ftp_refuse_logins": parse_flag,
    "delay_ms": _count,
    "ftp_cut_after": _count,
    "ftp_store_truncated": parse_flag,
    "ftp_put_refusal": str,
    "ftp_no_size": parse_flag,
    "ext_list": str,
    "hang": hang_point,
    "drop_script": script_or_none,
    "ftp_tls": _one_of(FTP_TLS_MODES, "ftp_tls mode"),
    "tls_certificate": _one_of(CERTIFICATES, "certificate"),
}


class Switches:
    def __init__(self):
        self._lock = threading.Lock()
        self.reset()

    def reset(self):
        with self._lock:
            self._values = {
                "web_host_down": False,
                "web_host_silent": False,
                "script_error": "",
                "script_redirect": "",
                "ftp_upload_dir": "",
                "ftp_drop_after_login": False,
                "ftp_drop_put_after": 0,
                "reject_reports": False,
                "ftp_refuse_logins": False,
                "delay_ms": 0,
                "ftp_cut_after": 0,
                "ftp_store_truncated": False,
                "ftp_put_refusal": "",
                "ftp_no_size": False,
                "ext_list": DEFAULT_EXT_LIST,
                "hang": "",
                "drop_script": "",
                "ftp_tls": "off",
                "tls_certificate": "own",
            }
            self._overrides = {}
            self._hung = []

    def get(self, key):
        with self._lock:
            return self._values[key]

    def hangs_at(self, point):
        """True, and the point noted as reached, when the service is to hang there."""
        with self._lock:
            if self._values["hang"] != point:
                return False
            self._hung.append(point)
            return True

    def override_for(self, script):
        with self._lock:
            return self._overrides.get(script)

    def apply(self, params):
        """Applies every key of one control call, or none of them when any is wrong."""
        updates = {}
        override = None
        for key, text in params.items():
            if key == "script_override":
                if "text" not in params:
                    raise ValueError("script_override needs a text value")
                override = (script_name(text), params["text"])
            elif key == "text":
                if "script_override" not in params:
                    raise ValueError("text is only meaningful with script_override")
            elif key in _PARSERS:
                updates[key] = _PARSERS[key](text)
            else:
                raise ValueError("unknown switch: %r" % key)
        with self._lock:
            self._values.update(updates)
            if override:
                script, text = override
                if text:
                    self._overrides[script] = text
                else:
                    self._overrides.pop(script, None)

    def snapshot(self):
        with self._lock:
            return dict(self._values, script_overrides=dict(self._overrides), hung=list(self._hung))
