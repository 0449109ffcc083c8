"""The real-window tests' harness, shared by tests/gui (the Qt build on a
private Xvfb) and tests/win32 (MARELO.exe under Wine): X servers and the
program (xsession), a Wine prefix (wine), polling (poll), the layout in
pixels at any density (picture), the main window read back and driven
(main_window), and legibility judged from pixels (legibility). Run the
scripts with tests/ on PYTHONPATH and Debian's /usr/bin/python3."""
