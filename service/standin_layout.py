"""Where the stand-in service keeps its database and the two FTP account trees."""

import os
import shutil


def is_plain_name(name):
    """A bare file name: nothing that could climb out of, or into, a directory."""
    return bool(name) and name not in (".", "..") and not any(c in name for c in "/\\\0")


class Layout:
    def __init__(self, root, domain, source_dir):
        if not source_dir.startswith("/") or ".." in source_dir.split("/"):
            raise ValueError("source directory must be an absolute FTP path: %r" % source_dir)
        self.root = os.path.abspath(root)
        self.db_path = os.path.join(self.root, "state.sqlite3")
        self.tls_dir = os.path.join(self.root, "tls")
        self.upload_home = os.path.join(self.root, "ftp", "upload")
        self.upload_dir = os.path.join(self.upload_home, domain, "dravouploads")
        self.download_home = os.path.join(self.root, "ftp", "download")
        self.source_dir = source_dir
        self.source_path = os.path.join(self.download_home, *source_dir.strip("/").split("/"))

    def create(self):
        os.makedirs(self.upload_dir, exist_ok=True)
        os.makedirs(self.source_path, exist_ok=True)

    def uploaded_file_exists(self, name):
        return is_plain_name(name) and os.path.isfile(os.path.join(self.upload_dir, name))

    def write_download(self, name, content):
        if not is_plain_name(name):
            raise ValueError("not a plain file name: %r" % name)
        with open(os.path.join(self.source_path, name), "wb") as out:
            out.write(content)

    def clear_files(self):
        """Empties both account trees and lays out the fixed directories again."""
        for home in (self.upload_home, self.download_home):
            shutil.rmtree(home, ignore_errors=True)
        self.create()
