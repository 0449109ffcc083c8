"""The ways a Linux desktop configures Qt, each made in a private home: a
platform theme with its colour scheme and general font, a KDE colour file,
a scale factor, a fontconfig set, a locale, a small screen, an XSETTINGS
density, monitors of their own scale, a window manager; and the changes a
user makes to them while the program runs, each with the set-up a fresh
start in the changed setting is compared with.

  desktops.py list            the set-ups' names, one a line
  desktops.py env NAME HOME   writes the set-up's files under HOME and prints
                              its environment as shell commands (export, unset);
                              what runs beside the program (xsettingsd, RandR
                              monitors, openbox) test_desktops.py starts
"""

import os
import shlex
import signal
import subprocess
import sys
from dataclasses import dataclass

from Xlib import X

QT6CT_PLUGIN = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so"
QT6CT_COLOURS = "/usr/share/qt6ct/colors"
FONT_DIRS = {
    "dejavu": "/usr/share/fonts/truetype/dejavu",
    "vlgothic": "/usr/share/fonts/truetype/vlgothic",
}
# VL Gothic's fullwidth letters are all 13 px wide at 13 px, ♭ included;
# VL PGothic's ♭ is narrower.
VL_GOTHIC = FONT_DIRS["vlgothic"] + "/VL-Gothic-Regular.ttf"
VL_PGOTHIC = FONT_DIRS["vlgothic"] + "/VL-PGothic-Regular.ttf"

XSETTINGSD = "/usr/bin/xsettingsd"
OPENBOX = "/usr/bin/openbox"
XRANDR = "/usr/bin/xrandr"
XDOTOOL = "/usr/bin/xdotool"

# Two monitors side by side on one screen, as RandR describes them: name,
# left, top, width, height and Qt's scale factor for it.
LEFT_1 = ("left", 0, 0, 1280, 1024, 1)
RIGHT_1_5 = ("right", 1280, 0, 1280, 1024, 1.5)
RIGHT_1 = ("right", 1280, 0, 1280, 1024, 1)

# KDE Plasma's Breeze Dark, as System Settings writes it into kdeglobals.
BREEZE_DARK = {
    "Colors:Button": ("41,44,48", "252,252,252"),
    "Colors:View": ("20,22,24", "252,252,252"),
    "Colors:Window": ("32,35,38", "252,252,252"),
    "Colors:Selection": ("61,174,233", "252,252,252"),
    "Colors:Tooltip": ("41,44,48", "252,252,252"),
}


def qt6ct(scheme, font, points):
    """qt6ct as the platform theme, with one of its colour schemes and a
    general font, as its settings dialog saves them."""
    def write(home):
        folder = os.path.join(home, ".config", "qt6ct")
        os.makedirs(folder, exist_ok=True)
        # Written aside and renamed, as its dialog saves it: a running
        # program's qt6ct watches the folder for that.
        path = os.path.join(folder, "qt6ct.conf")
        with open(path + ".new", "w") as conf:
            conf.write("[Appearance]\n"
                       f"color_scheme_path={QT6CT_COLOURS}/{scheme}.conf\n"
                       "custom_palette=true\nstandard_dialogs=default\nstyle=Fusion\n\n"
                       "[Fonts]\n"
                       f'general="{font},{points},-1,5,400,0,0,0,0,0,0,0,0,0,0,1"\n'
                       f'fixed="DejaVu Sans Mono,{points},-1,5,400,0,0,0,0,0,0,0,0,0,0,1"\n')
        os.replace(path + ".new", path)
        return {"QT_QPA_PLATFORMTHEME": "qt6ct"}
    return write


def kde(colours, font, points):
    """A KDE session's kdeglobals, read by Qt's own KDE theme, which Qt takes
    by itself in a Plasma session (XDG_CURRENT_DESKTOP=KDE)."""
    def write(home):
        folder = os.path.join(home, ".config")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "kdeglobals"), "w") as conf:
            conf.write("[General]\nColorScheme=BreezeDark\n"
                       f"font={font},{points},-1,5,50,0,0,0,0,0\n")
            for section, (background, foreground) in colours.items():
                conf.write(f"\n[{section}]\nBackgroundNormal={background}\n"
                           f"ForegroundNormal={foreground}\n")
        return {"XDG_CURRENT_DESKTOP": "KDE", "KDE_SESSION_VERSION": "5",
                "KDE_FULL_SESSION": "true"}
    return write


def write_xsettings(home, dpi):
    path = os.path.join(home, "xsettingsd.conf")
    with open(path, "w") as conf:
        conf.write(f"Xft/DPI {dpi * 1024}\n")  # in 1024ths of a dot per inch
    return path


def xsettings(dpi):
    """An XSETTINGS daemon giving Xft/DPI, as GNOME's and KDE's settings
    daemons do, running once it owns the screen's settings."""
    def serve(server, home):
        server.start_beside([XSETTINGSD, "-c", write_xsettings(home, dpi)])
        selection = server.display.intern_atom("_XSETTINGS_S0")
        server.wait_for(lambda: server.display.get_selection_owner(selection) != X.NONE,
                        "xsettingsd to serve the settings")
    return serve


def monitors(*screens):
    """RandR monitors on the one output, the primary first, each with Qt's
    scale factor for it, as KDE Plasma sets them per screen on X11."""
    def serve(server, home):
        server.set_monitors([m[:5] for m in screens])
    return serve


def scale_factors(*screens):
    def write(home):
        return {"QT_SCREEN_SCALE_FACTORS": ";".join(f"{m[0]}={m[5]}" for m in screens)}
    return write


# Changes made under the running program: (server, home, main window) -> None.

def new_xsettings_dpi(dpi):
    def change(server, home, window):
        write_xsettings(home, dpi)
        for process in server.beside:
            if process.args[0] == XSETTINGSD:
                process.send_signal(signal.SIGHUP)  # xsettingsd reads its file again
    return change


def new_qt6ct_font(scheme, font, points):
    def change(server, home, window):
        qt6ct(scheme, font, points)(home)
    return change


def dragged_to(x, y):
    def change(server, home, window):
        window.move_to(x, y)
    return change


def screen_made(width, height):
    def change(server, home, window):
        server.set_screen_size(width, height)
    return change


def monitor_gone(name):
    def change(server, home, window):
        server.remove_monitor(name)
    return change


def window_made(width, height):
    def change(server, home, window):
        window.resize(width, height)
    return change


def scaled(factor):
    def write(home):
        return {"QT_SCALE_FACTOR": str(factor)}
    return write


def fonts(dirs, reject=()):
    """A fontconfig set of only these folders (less the rejected files), with
    the system's rules, and a cache of its own."""
    def write(home):
        folder = os.path.join(home, ".config", "fontconfig-set")
        os.makedirs(folder, exist_ok=True)
        lines = ['<?xml version="1.0"?>', '<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">',
                 "<fontconfig>"]
        lines += [f"  <dir>{FONT_DIRS[name]}</dir>" for name in dirs]
        lines += [f"  <cachedir>{folder}/cache</cachedir>"]
        if reject:
            lines += ["  <selectfont><rejectfont>"]
            lines += [f"    <glob>{path}</glob>" for path in reject]
            lines += ["  </rejectfont></selectfont>"]
        lines += ['  <include ignore_missing="yes">/etc/fonts/conf.d</include>', "</fontconfig>"]
        path = os.path.join(folder, "fonts.conf")
        with open(path, "w") as conf:
            conf.write("\n".join(lines) + "\n")
        env = {"FONTCONFIG_FILE": path}
        listed = subprocess.run(["fc-list", "--format", "%{file}\n"], capture_output=True,
                                text=True, env=dict(os.environ, HOME=home, **env)).stdout.split()
        wanted = [p for p in listed if any(p.startswith(FONT_DIRS[name]) for name in dirs)
                  and p not in reject]
        if sorted(listed) != sorted(wanted) or not wanted:
            raise RuntimeError(f"the fontconfig set holds {listed}")
        return env
    return write


def locale(name):
    """A locale made from the C library's sources into the private home, so
    that nothing system-wide has to be generated."""
    def write(home):
        language, _, charset = name.partition(".")
        folder = os.path.join(home, "locale")
        os.makedirs(folder, exist_ok=True)
        made = subprocess.run(["localedef", "-i", language, "-f", charset,
                               os.path.join(folder, name)], capture_output=True, text=True)
        # localedef warns (status 1) about things the locale does not need.
        if made.returncode > 1 or not os.path.isdir(os.path.join(folder, name)):
            raise RuntimeError(f"localedef {name}: {made.stderr}")
        return {"LANG": name, "LOCPATH": folder}
    return write


@dataclass
class Setup:
    name: str
    what: str
    make: object = None  # home -> environment
    screen: tuple = (1024, 768)
    dpi: int = 96  # what the scale factor makes of the layout's 96 dpi
    # Only where the window must go: on a screen smaller than it.
    placement_only: bool = False
    # A set-up whose pictures this one must equal where the layouts name a face.
    same_faces_as: str = None
    # The desktop's window colour, which the help window takes where the
    # set-up gives the desktop colours of its own.
    desktop_window: tuple = None
    # Files the set-up is made of; tools/deps.sh installs their packages.
    needs: tuple = ()
    # What runs on the display beside the program: (server, home) -> None.
    serve: object = None
    # Monitors (name, left, top, width, height, factor), the primary first.
    monitors: tuple = ()
    window_manager: bool = False
    # A change under the running program, made after the rows are marked and
    # the help window opened, and the set-up whose fresh start it must equal.
    change: object = None
    fresh: str = None
    start_dpi: int = None  # before the change; dpi is after it
    resized: tuple = None  # the main window's client area made this size
    # The change moves the main window alone: the help window, on its own
    # screen, stays as it was.
    help_stays: bool = False

    @property
    def live(self):
        return self.change is not None


SETUPS = [
    Setup("light", "Qt's own palette and fonts, the C locale: the bench",
          desktop_window=(239, 239, 239)),
    Setup("qt6ct_darker", "qt6ct, colour scheme 'darker', DejaVu Sans 12 pt",
          qt6ct("darker", "DejaVu Sans", 12), desktop_window=(0x22, 0x20, 0x20),
          needs=(QT6CT_PLUGIN, f"{QT6CT_COLOURS}/darker.conf")),
    Setup("qt6ct_dusk_14pt", "qt6ct, colour scheme 'dusk', DejaVu Sans 14 pt",
          qt6ct("dusk", "DejaVu Sans", 14), desktop_window=(0x7f, 0x7f, 0x7f),
          needs=(QT6CT_PLUGIN, f"{QT6CT_COLOURS}/dusk.conf")),
    Setup("kde_breeze_dark", "KDE kdeglobals with Breeze Dark colours, DejaVu Sans 11 pt",
          kde(BREEZE_DARK, "DejaVu Sans", 11), desktop_window=(32, 35, 38)),
    Setup("scale_1_25", "QT_SCALE_FACTOR=1.25", scaled(1.25), screen=(1280, 1024), dpi=120),
    Setup("scale_1_5", "QT_SCALE_FACTOR=1.5", scaled(1.5), screen=(1280, 1024), dpi=144),
    Setup("scale_2", "QT_SCALE_FACTOR=2", scaled(2), screen=(1280, 1024), dpi=192),
    # Without the IPA faces: a proportional Japanese face, then only one whose
    # fullwidth letters are all 13 px wide, beside DejaVu and alone.
    Setup("fonts_vl", "fontconfig: DejaVu, VL Gothic and VL PGothic; no IPA faces",
          fonts(("dejavu", "vlgothic")), needs=(VL_PGOTHIC, VL_GOTHIC)),
    Setup("fonts_vl_gothic", "fontconfig: DejaVu and VL Gothic; no IPA faces",
          fonts(("dejavu", "vlgothic"), reject=(VL_PGOTHIC,)), needs=(VL_GOTHIC,)),
    Setup("fonts_vl_gothic_only", "fontconfig: VL Gothic alone",
          fonts(("vlgothic",), reject=(VL_PGOTHIC,)), needs=(VL_GOTHIC,)),
    Setup("locale_ja", "LANG=ja_JP.UTF-8", locale("ja_JP.UTF-8"), same_faces_as="light",
          needs=("/usr/share/i18n/locales/ja_JP", "/usr/share/i18n/charmaps/UTF-8.gz")),
    Setup("screen_320x240", "a 320x240 screen", screen=(320, 240), placement_only=True),
    Setup("xsettings_dpi_144", "XSETTINGS Xft/DPI 144, as GNOME's and KDE's daemons set it",
          serve=xsettings(144), screen=(1280, 1024), dpi=144, needs=(XSETTINGSD,)),
    Setup("qt6ct_16pt", "qt6ct, colour scheme 'airy', DejaVu Sans 16 pt",
          qt6ct("airy", "DejaVu Sans", 16),
          needs=(QT6CT_PLUGIN, f"{QT6CT_COLOURS}/airy.conf")),
    Setup("monitor_1_5_primary", "two monitors, the primary one at 1.5 and one at 1 "
          "(QT_SCREEN_SCALE_FACTORS)", scale_factors(RIGHT_1_5, LEFT_1),
          serve=monitors(RIGHT_1_5, LEFT_1), monitors=(RIGHT_1_5, LEFT_1), screen=(2560, 1024),
          dpi=144, needs=(XRANDR,)),
    # The window manager puts the help window on the primary monitor, where
    # the program made it for the other one.
    Setup("monitor_1_5_primary_openbox", "openbox, the primary monitor at 1.5 and one at 1",
          scale_factors(RIGHT_1_5, LEFT_1), serve=monitors(RIGHT_1_5, LEFT_1),
          monitors=(RIGHT_1_5, LEFT_1), window_manager=True, screen=(2560, 1024), dpi=144,
          needs=(XRANDR, OPENBOX)),
    Setup("monitor_left_only", "of two monitors side by side, the left one alone",
          serve=monitors(LEFT_1), monitors=(LEFT_1,), screen=(2560, 1024), needs=(XRANDR,)),
    Setup("screen_640x480", "a 640x480 screen", screen=(640, 480)),
    Setup("openbox_640x480", "openbox on a 640x480 screen", screen=(640, 480),
          window_manager=True, needs=(OPENBOX,)),
    Setup("screen_1024x768_144", "a 1024x768 screen at Xft/DPI 144", serve=xsettings(144),
          screen=(1024, 768), dpi=144, needs=(XSETTINGSD,)),
    Setup("openbox_1024x768_144", "openbox on a 1024x768 screen at Xft/DPI 144",
          serve=xsettings(144), screen=(1024, 768), dpi=144, window_manager=True,
          needs=(XSETTINGSD, OPENBOX)),
    # Changed under the running program.
    Setup("live_xsettings_dpi", "XSETTINGS Xft/DPI from 96 to 144 while running",
          serve=xsettings(96), change=new_xsettings_dpi(144), fresh="xsettings_dpi_144",
          screen=(1280, 1024), start_dpi=96, dpi=144, needs=(XSETTINGSD,)),
    Setup("live_qt6ct_font", "qt6ct's general font from 10 to 16 pt while running",
          qt6ct("airy", "DejaVu Sans", 10), change=new_qt6ct_font("airy", "DejaVu Sans", 16),
          fresh="qt6ct_16pt", needs=(QT6CT_PLUGIN, f"{QT6CT_COLOURS}/airy.conf")),
    Setup("live_monitor", "the main window dragged from a monitor at 1 to one at 1.5",
          scale_factors(LEFT_1, RIGHT_1_5), serve=monitors(LEFT_1, RIGHT_1_5),
          monitors=(LEFT_1, RIGHT_1_5), change=dragged_to(1400, 100), fresh="monitor_1_5_primary",
          screen=(2560, 1024), start_dpi=96, dpi=144, help_stays=True, needs=(XRANDR,)),
    Setup("live_monitor_gone", "xrandr: the monitor under the main window gone while running",
          serve=monitors(RIGHT_1, LEFT_1), monitors=(RIGHT_1, LEFT_1),
          change=monitor_gone("right"), fresh="monitor_left_only", screen=(2560, 1024),
          needs=(XRANDR,)),
    Setup("live_screen_shrink", "xrandr: the screen from 1280x1024 to 640x480 while running",
          change=screen_made(640, 480), fresh="screen_640x480", screen=(1280, 1024),
          needs=(XRANDR,)),
    # Kept on the screen in device pixels that are no whole number of Qt's.
    Setup("live_screen_shrink_144", "xrandr: the screen from 1920x1200 to 1024x768 while "
          "running, at Xft/DPI 144", serve=xsettings(144), change=screen_made(1024, 768),
          fresh="screen_1024x768_144", screen=(1920, 1200), dpi=144,
          needs=(XRANDR, XSETTINGSD)),
    Setup("live_screen_shrink_144_openbox", "xrandr: the screen from 1920x1200 to 1024x768 "
          "while running, at Xft/DPI 144, under openbox", serve=xsettings(144),
          change=screen_made(1024, 768), fresh="openbox_1024x768_144", screen=(1920, 1200),
          dpi=144, window_manager=True, needs=(XRANDR, XSETTINGSD, OPENBOX)),
    Setup("live_screen_shrink_openbox", "xrandr: the screen from 1280x1024 to 640x480 while "
          "running, under openbox", change=screen_made(640, 480), fresh="openbox_640x480",
          screen=(1280, 1024), window_manager=True, needs=(XRANDR, OPENBOX)),
    Setup("live_window_enlarged", "the main window made 640x480 by its frame",
          change=window_made(640, 480), fresh="light", resized=(640, 480), needs=(XDOTOOL,)),
]


def setup(name):
    for candidate in SETUPS:
        if candidate.name == name:
            return candidate
    raise KeyError(f"no set-up {name!r}; there are {', '.join(s.name for s in SETUPS)}")


def environment(chosen, home):
    """The set-up's environment, its files written under home."""
    env = {
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
        "LANG": "C.UTF-8",
        "QT_QPA_PLATFORMTHEME": "",
    }
    # Nothing of the caller's desktop: None unsets.
    for name in ("LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE", "LOCPATH", "XDG_CURRENT_DESKTOP",
                 "KDE_SESSION_VERSION", "KDE_FULL_SESSION", "FONTCONFIG_FILE", "QT_SCALE_FACTOR",
                 "QT_FONT_DPI", "QT_STYLE_OVERRIDE"):
        env[name] = None
    os.makedirs(env["XDG_CONFIG_HOME"], exist_ok=True)
    if chosen.make is not None:
        env.update(chosen.make(home))
    return env


if __name__ == "__main__":
    if sys.argv[1:] == ["list"]:
        print("\n".join(s.name for s in SETUPS))
        sys.exit(0)
    if len(sys.argv) != 4 or sys.argv[1] != "env":
        sys.exit(__doc__)
    for key, value in environment(setup(sys.argv[2]), sys.argv[3]).items():
        print(f"unset {key}" if value is None else f"export {key}={shlex.quote(value)}")
