"""What a screen reader finds of the viewer through AT-SPI 2, on Xvfb with openbox (x11) or a
headless sway (wayland), inside a private session bus (dbus-run-session)."""
import atexit, os, pwd, subprocess, sys, tempfile, time
import pyatspi
from gi.repository import GLib

viewer, desktop = sys.argv[1], sys.argv[2]
caption = "bowlview - by the bowlview authors"
text = "-------  keys: f,p --- mouse: touch the window image for movement----- "
title = " KEYS:f,p and MOUSE "
removed = []  # (event, object gone) as screen readers hear them
pyatspi.Registry.registerEventListener(lambda e: removed.append(
    (e.type, e.source if e.type == "window:destroy" else e.any_data)), "object:children-changed:remove", "window:destroy")


def until(what, check, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        GLib.MainContext.default().iteration(False)
        try:
            found = check()
            if found: return found
        except GLib.GError:
            pass  # an object that went while we looked
        time.sleep(0.02)
    sys.exit(f"a11y ({desktop}): {what}")


def app():
    return next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "bowlview"), None)


def child(role):
    return next((c for c in app() or [] if c.getRole() == role), None)


def states(o):
    return set(o.getState().getStates())


env = dict(os.environ, BOWLVIEW_BACKEND=desktop)
run = tempfile.mkdtemp()
if desktop == "x11":
    r, w = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24"],
                              pass_fds=[w], stderr=subprocess.DEVNULL)
    env["DISPLAY"] = ":" + os.read(r, 16).decode().strip()
    helper = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL)
    act = lambda *a: subprocess.run(a, env=env, check=True, capture_output=True).stdout.decode()
    until("no window manager", lambda: "#" in act("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"))
    window = lambda: act("xdotool", "search", "--name", f"^{title}$").split()[0]
    minimise, restore = (lambda: act("xdotool", "windowminimize", window()),
                         lambda: act("xdotool", "windowactivate", window()))
    escape = lambda: act("xdotool", "key", "Escape")
else:
    nobody = pwd.getpwnam("nobody")
    os.chown(run, nobody.pw_uid, nobody.pw_gid)
    open(run + "/config", "w").write("xwayland disable\n")
    server = subprocess.Popen(
        ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "sway", "-c", run + "/config"],
        env=dict(env, XDG_RUNTIME_DIR=run, WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                 WLR_RENDERER="pixman", WAYLAND_DISPLAY=""), stderr=subprocess.DEVNULL)
    ipc = until("no sway", lambda: next((f for f in os.listdir(run) if f.startswith("sway-ipc.")), None))
    env.update(XDG_RUNTIME_DIR=run, WAYLAND_DISPLAY=next(
        f for f in os.listdir(run) if f.startswith("wayland-") and not f.endswith(".lock")))
    sway = lambda *a: subprocess.run(["swaymsg", "-s", f"{run}/{ipc}", *a], env=env, check=True)
    # Another workspace shown: nothing draws the window, which counts as minimised.
    minimise, restore = lambda: sway("workspace", "2"), lambda: sway("workspace", "1")
    # A keyboard on the seat (headless sway has none): it focuses the window and presses Esc.
    helper = subprocess.Popen([sys.argv[3], "1920", "1080"], env=env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    assert helper.stdout.readline() == "ready\n"
    escape = lambda: [print("key 65307", down, file=helper.stdin, flush=True) or
                      helper.stdout.readline() for down in (1, 0)]
proc = subprocess.Popen([viewer], env=env)
for p in (proc, server, helper): atexit.register(p.kill)

box = until("no box", lambda: child(pyatspi.ROLE_DIALOG))
assert box.name == caption, box.name
label, ok = box[0], box[1]
assert label.queryText().getText(0, -1) == text, label.queryText().getText(0, -1)
assert ok.name == "OK" and {pyatspi.STATE_FOCUSED, pyatspi.STATE_FOCUSABLE} <= states(ok), states(ok)
ok.queryAction().doAction(0)
frame = until("no frame after OK", lambda: not child(pyatspi.ROLE_DIALOG) and child(pyatspi.ROLE_FRAME))
assert frame.name == title, frame.name
until("not shown and active", lambda: {pyatspi.STATE_SHOWING, pyatspi.STATE_VISIBLE,
                                       pyatspi.STATE_ACTIVE} <= states(frame))
x, y, width, height = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
if desktop == "x11":  # where X says it is
    info = act("xwininfo", "-id", window())
    told = [f"upper-left X:  {x}\n", f"upper-left Y:  {y}\n", f"Width: {width}\n", f"Height: {height}\n"]
    assert all(t in info for t in told), (x, y, width, height, info)
else:  # the compositor does not say
    assert (x, y) == (0, 0) and width > 0 and height > 0, (x, y, width, height)
iconic = lambda: {pyatspi.STATE_ICONIFIED, pyatspi.STATE_SHOWING} & states(frame)
minimise()
until("not iconic", lambda: iconic() == {pyatspi.STATE_ICONIFIED})
restore()
until("still iconic", lambda: iconic() == {pyatspi.STATE_SHOWING})
escape()
until("still on the bus", lambda: app() is None)
assert proc.wait(10) == 0
until("the frame's removal not told", lambda: ("window:destroy", frame) in removed and
      ("object:children-changed:remove", frame) in removed)
print(f"a11y ({desktop}): ok")
