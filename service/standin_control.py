"""The control API through which tests prepare and inspect the stand-in service."""

import base64
import binascii

from standin_layout import is_plain_name
from standin_switches import parse_flag


class ControlError(Exception):
    """A control call that cannot be carried out; answered with status 400."""


class UnknownAction(Exception):
    """A control path that names no action; answered with status 404."""


class Control:
    def __init__(self, store, switches, layout, timeline):
        self._store = store
        self._switches = switches
        self._layout = layout
        self._timeline = timeline

    def handle(self, action, params):
        """Returns the JSON-ready answer of one control call.

        Raises UnknownAction, or ControlError for bad arguments.
        """
        handler = {
            "state": self._state,
            "set": self._set,
            "add_author": self._add_author,
            "add_download": self._add_download,
            "reset": self._reset,
            "ftp_timeline": self._ftp_timeline,
            "encryption_summary": self._encryption_summary,
        }.get(action)
        if handler is None:
            raise UnknownAction(action)
        try:
            return handler(params)
        except ValueError as error:
            raise ControlError(str(error)) from error

    def _state(self, params):
        return dict(self._store.snapshot(), switches=self._switches.snapshot())

    def _set(self, params):
        self._switches.apply(params)
        return {"switches": self._switches.snapshot()}

    def _add_author(self, params):
        name = params.get("name", "")
        if not name:
            raise ControlError("add_author needs a name")
        self._store.add_author(name, params.get("password", ""))
        return {"ok": True}

    def _add_download(self, params):
        author = params.get("author", "")
        name = params.get("name", "")
        if not author or not is_plain_name(name):
            raise ControlError("add_download needs an author and a plain file name")
        missing = parse_flag(params.get("missing", ""))
        if not missing:
            try:
                content = base64.b64decode(params.get("content_b64", ""), validate=True)
            except binascii.Error as error:
                raise ControlError("content_b64 is not base64: %s" % error) from error
            self._layout.write_download(name, content)
        fileid = self._store.add_download(author, name, params.get("fileid", ""), not missing)
        return {"fileid": fileid}

    def _ftp_timeline(self, params):
        return {"events": self._timeline.snapshot(), "transfers": self._timeline.transfers()}

    def _encryption_summary(self, params):
        since = float(params.get("since") or 0)
        web_requests, web_requests_https = self._store.web_request_counts(since)
        return dict(self._timeline.summary(since), web_requests=web_requests,
                    web_requests_https=web_requests_https)

    def _reset(self, params):
        self._switches.reset()
        self._timeline.clear()
        self._store.clear_logs()
        self._layout.clear_files()
        return {"ok": True}
