"""Tests that make many checks of one picture or file."""

import sys
import unittest


class Checks(unittest.TestCase):
    """A test case whose checks are each a subtest: one failure does not
    hide the others."""

    def check(self, condition, name, detail=""):
        with self.subTest(name):
            self.assertTrue(condition, detail or name)
        return condition

    # The command line's first arguments, for the test; set by main().
    arguments = ()


def main(count, usage):
    """Runs the tests of __main__ with the command line's first count
    arguments as Checks.arguments; the rest go to unittest."""
    if len(sys.argv) <= count:
        raise SystemExit(usage)
    Checks.arguments = tuple(sys.argv[1:count + 1])
    unittest.main(module="__main__", argv=sys.argv[:1] + sys.argv[count + 1:], verbosity=2)
