"""Answers of the service's web scripts, with the records they leave behind.

The uploader only searches the answers for marker texts, so every refusal is
worded so that it can never contain the acceptance marker by accident.
"""

from standin_switches import SCRIPTS

ACCEPTED = "Username Valid!"
INVALID_USER = "Invalid User"


class Scripts:
    def __init__(self, store, layout, switches):
        self._store = store
        self._layout = layout
        self._switches = switches

    def answer(self, script, params):
        """The script's answer text; an override replaces the text, never the records."""
        assert script in SCRIPTS
        text = getattr(self, "_" + script[:-len(".php")])(params)
        override = self._switches.override_for(script)
        return text if override is None else override

    def _authorverify(self, params):
        valid = self._store.author_valid(params.get("username", ""), params.get("wp", ""))
        return ACCEPTED if valid else INVALID_USER

    def _copywav(self, params):
        author = params.get("username", "")
        file = params.get("file", "")
        accepted = False
        if not self._store.is_author(author):
            text = INVALID_USER
        elif not self._layout.uploaded_file_exists(file):
            text = "File Not Found"
        elif self._switches.get("reject_reports"):
            text = "Report Refused"
        else:
            text, accepted = ACCEPTED, True
        self._store.add_report(author, file, params.get("length", ""), accepted)
        return text

    def _tarnwickdload(self, params):
        author = params.get("author", "")
        if not self._store.author_valid(author, params.get("drupw", "")):
            return INVALID_USER
        entries = self._store.pending_downloads(author)
        # Entries are numbered in list order, so entry 1 always precedes 10..19:
        # the uploader finds "file_1" by substring and would otherwise hit "file_12".
        lines = ["countoffiles=%d<br>" % len(entries),
                 "SourceDir=%s<br>" % self._layout.source_dir]
        for number, (name, fileid) in enumerate(entries, 1):
            lines.append('file_%d="%s"<br>' % (number, name))
            lines.append("fileid_%d=%s<br>" % (number, fileid))
        return "\n".join(lines) + "\n"

    def _drdlsuccess(self, params):
        matched = self._store.confirm_download(params.get("username", ""),
                                               params.get("drupw", ""),
                                               params.get("fileid", ""))
        return "Download Recorded" if matched else "Unknown Download"

    def _extverify(self, params):
        return self._switches.get("ext_list")
