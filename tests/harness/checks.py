"""Tests that make many checks of one picture or file."""

import unittest


class Checks(unittest.TestCase):
    """A test case whose checks are each a subtest: one failure does not
    hide the others."""

    def check(self, condition, name, detail=""):
        with self.subTest(name):
            self.assertTrue(condition, detail or name)
        return condition
