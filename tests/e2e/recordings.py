"""Test recordings: real wave files of a chosen length, and other dictation files."""

import io
import wave

SAMPLE_RATE = 8000


def wave_bytes(seconds, sample_rate=SAMPLE_RATE):
    """A mono 16-bit wave recording of exactly that many seconds (to the sample)."""
    frames = round(seconds * sample_rate)
    # A ramp rather than silence, so that a file cut short or mixed up shows in its bytes.
    samples = bytes((i * 7) & 0xFF for i in range(2 * frames))
    buffer = io.BytesIO()
    with wave.open(buffer, "wb") as recording:
        recording.setnchannels(1)
        recording.setsampwidth(2)
        recording.setframerate(sample_rate)
        recording.writeframes(samples)
    return buffer.getvalue()


def dss_bytes(size=5000):
    """Stand-in for a compressed dictation file: opaque bytes with a header of its kind."""
    return b"\x02dss" + bytes((i * 13 + 5) & 0xFF for i in range(size - 4))
