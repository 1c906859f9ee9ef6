"""The program's registry profile, written into a test's prefix before the program starts."""

from dataclasses import dataclass, field

PROFILE_KEY = r"HKCU\Software\Tarnwick\Dravos Upload Ulkin"
SERVICE_KEY = PROFILE_KEY + r"\Service"
AUTHOR_KEY = PROFILE_KEY + r"\Author Details"
SOURCES_KEY = PROFILE_KEY + r"\Source Directories"


@dataclass
class Profile:
    """Values left at None are not written, so the program sees them missing."""

    author: str = None
    password: str = None
    poll_time: int = None
    show_config: int = 0
    auto_download: int = None
    # (directory, extension) per slot, from slot 1 on.
    sources: list = field(default_factory=list)
    # "Service" section: value name -> str or int.
    service: dict = field(default_factory=dict)

    def write(self, prefix):
        for name, value in self.service.items():
            prefix.reg_add(SERVICE_KEY, name, value)
        for name, value in (("Author", self.author), ("Password", self.password),
                            ("Poll Time", self.poll_time), ("Show Config", self.show_config),
                            ("AutoDownLoad", self.auto_download)):
            if value is not None:
                prefix.reg_add(AUTHOR_KEY, name, value)
        for slot, (directory, extension) in enumerate(self.sources, 1):
            prefix.reg_add(SOURCES_KEY, "Dir%d" % slot, directory)
            prefix.reg_add(SOURCES_KEY, "Ext%d" % slot, extension)
