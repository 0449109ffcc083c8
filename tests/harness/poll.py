"""Waiting for the program to catch up."""

import os
import time

# Waits are for the program to catch up, never a measure of speed: a correct
# program gets there at once, a broken one never does. A shorter deadline
# speeds up hunting for faults.
DEADLINE = float(os.environ.get("MARELO_GUI_DEADLINE", "20"))


def until(condition, what, seconds=None, pause=0.02):
    """Polls condition() until it gives a true value, which it returns; an
    AssertionError (a test's failure) once the deadline has passed."""
    end = time.monotonic() + (seconds or DEADLINE)
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("gave up waiting for " + what)
        time.sleep(pause)


def steady(grab, painted, what, seconds=None, pause=0.02):
    """What grab() gives, a picture first, once painted(picture) holds and
    two grabs in a row show the same."""
    last = [None]

    def same_twice():
        seen = grab()
        picture = seen[0] if isinstance(seen, tuple) else seen
        done = (picture is not None and painted(picture) and last[0] is not None and
                picture.tobytes() == last[0].tobytes())
        last[0] = picture
        return seen if done else None
    return until(same_twice, what, seconds, pause)
