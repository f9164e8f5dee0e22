#!/usr/bin/python3
# Input and pictures for a headless mutter through its RemoteDesktop and ScreenCast D-Bus APIs
# (one stream of the monitor, frames through PipeWire). Until its input closes it reads
# virtual_input_client's commands and "shot PATH" (the latest frame as a PPM), answers "ok" (or
# "error ...") once mutter took each, and says "ready" once a frame came and the seat has devices.
import sys

import gi

gi.require_version("Gst", "1.0")
from gi.repository import Gio, GLib, Gst  # noqa: E402

Gst.init(None)
bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, method, args=None, interface=None, service="RemoteDesktop"):
    name = "org.gnome.Mutter." + service
    reply = bus.call_sync(name, path, interface or name + ".Session", method, args, None,
                          Gio.DBusCallFlags.NONE, 10000, None)
    return reply.unpack() if reply else ()


def start():
    """A session with one stream of the monitor, its first frame, and each device used once."""
    global session, stream, pipeline, sink, frame
    session = call("/org/gnome/Mutter/RemoteDesktop", "CreateSession",
                   interface="org.gnome.Mutter.RemoteDesktop")[0]
    session_id = call(session, "Get",
                      GLib.Variant("(ss)", ("org.gnome.Mutter.RemoteDesktop.Session", "SessionId")),
                      interface="org.freedesktop.DBus.Properties")[0]
    linked = {"remote-desktop-session-id": GLib.Variant("s", session_id)}
    cast = call("/org/gnome/Mutter/ScreenCast", "CreateSession",
                GLib.Variant("(a{sv})", (linked,)), interface="org.gnome.Mutter.ScreenCast",
                service="ScreenCast")[0]
    # The pointer drawn into the frames (cursor-mode 1), as a user sees it.
    embedded = {"cursor-mode": GLib.Variant("u", 1)}
    stream = call(cast, "RecordMonitor", GLib.Variant("(sa{sv})", ("", embedded)),
                  service="ScreenCast")[0]
    nodes = []
    bus.signal_subscribe("org.gnome.Mutter.ScreenCast", "org.gnome.Mutter.ScreenCast.Stream",
                         "PipeWireStreamAdded", stream, None, Gio.DBusSignalFlags.NONE,
                         lambda *args: nodes.append(args[5].unpack()[0]))
    call(session, "Start")
    while not nodes:
        GLib.MainContext.default().iteration(True)
    pipeline = Gst.parse_launch(
        "pipewiresrc path=%d always-copy=true ! videoconvert ! video/x-raw,format=RGB ! "
        "appsink name=sink max-buffers=1 drop=true" % nodes[0])
    sink = pipeline.get_by_name("sink")
    pipeline.set_state(Gst.State.PLAYING)
    frame = sink.emit("try-pull-sample", 10 * Gst.SECOND)
    if frame is None:
        sys.exit("remote_desktop: no frame from the monitor's stream")
    # The seat offers a pointer, a keyboard and touch once the session has used each: on the
    # desktop's far corner.
    size = frame.get_caps().get_structure(0)
    corner = "%d %d" % (size.get_value("width") - 1, size.get_value("height") - 1)
    for command in ("move " + corner, "touch down " + corner, "touch up",
                    "key 65505 1", "key 65505 0"):  # Shift_L
        do(command.split())


def rescale(scale):
    """The monitor at the scale it offers nearest scale. A fraction, to or from, makes the
    monitor anew, which ends the stream: the session is then made anew too."""
    config = "org.gnome.Mutter.DisplayConfig"
    serial, monitors, logical = call("/org/gnome/Mutter/DisplayConfig", "GetCurrentState",
                                     interface=config, service="DisplayConfig")[:3]
    (connector, *_), modes, _ = monitors[0]
    mode = next(m for m in modes if m[6].get("is-current"))
    nearest = min(mode[5], key=lambda s: abs(s - scale))
    anew = logical[0][2] % 1 or nearest % 1
    if anew:
        pipeline.set_state(Gst.State.NULL)
        call(session, "Stop")
    layout = [(0, 0, nearest, 0, True, [(connector, mode[0], {})])]
    call("/org/gnome/Mutter/DisplayConfig", "ApplyMonitorsConfig",
         GLib.Variant("(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, layout, {})),
         interface=config, service="DisplayConfig")
    if anew:
        start()


def shot(path):
    """The newest frame: mutter sends one whenever the picture changes."""
    global frame
    while True:
        newer = sink.emit("try-pull-sample", 0)
        if newer is None:
            break
        frame = newer
    caps = frame.get_caps().get_structure(0)
    width, height = caps.get_value("width"), caps.get_value("height")
    data = frame.get_buffer().extract_dup(0, frame.get_buffer().get_size())
    stride = len(data) // height
    with open(path, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (width, height))
        for row in range(height):
            out.write(data[row * stride:row * stride + width * 3])


def notify(method, signature, *values):
    call(session, method, GLib.Variant("(" + signature + ")", values))


def do(words):
    if words[0] == "move":
        notify("NotifyPointerMotionAbsolute", "sdd", stream, float(words[1]), float(words[2]))
    elif words[0] == "button":
        notify("NotifyPointerButton", "ib", int(words[1]), words[2] == "1")
    elif words[0] == "key":
        notify("NotifyKeyboardKeysym", "ub", int(words[1]), words[2] == "1")
    elif words[0] == "touch" and words[1] == "up":
        notify("NotifyTouchUp", "u", 0)
    elif words[0] == "touch":
        method = "NotifyTouchDown" if words[1] == "down" else "NotifyTouchMotion"
        notify(method, "sudd", stream, 0, float(words[2]), float(words[3]))
    elif words[0] == "shot":
        shot(words[1])
    elif words[0] == "scale":
        rescale(float(words[1]))
    else:
        raise ValueError("cannot read '%s'" % " ".join(words))


start()
print("ready", flush=True)
for line in sys.stdin:
    try:
        do(line.split())
        print("ok", flush=True)
    except Exception as e:  # noqa: BLE001 - the test hears of it and fails
        print("error: %s" % str(e).replace("\n", " "), flush=True)
pipeline.set_state(Gst.State.NULL)
