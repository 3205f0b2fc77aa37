#!/usr/bin/python3
"""A stand-in for the tray side of a desktop on the session bus, and no more than the tests need of it.

It takes a StatusNotifier host name, registers it with the watcher (programs ask the watcher whether a host is
there before they put an icon in the tray), and shows notifications as the desktop's notification server does,
by printing "notification: SUMMARY | BODY" lines. Reading and activating items is left to the caller (gdbus).
It stays until it is ended."""

import os
import signal
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
NOTIFICATIONS = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg direction="in" type="s"/><arg direction="in" type="u"/><arg direction="in" type="s"/>
      <arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="in" type="as"/>
      <arg direction="in" type="a{sv}"/><arg direction="in" type="i"/><arg direction="out" type="u"/>
    </method>
    <method name="CloseNotification"><arg direction="in" type="u"/></method>
    <method name="GetCapabilities"><arg direction="out" type="as"/></method>
    <method name="GetServerInformation">
      <arg direction="out" type="s"/><arg direction="out" type="s"/><arg direction="out" type="s"/>
      <arg direction="out" type="s"/>
    </method>
  </interface>
</node>"""

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def own(name):
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                          GLib.Variant("(su)", (name, 4)), GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, -1,
                          None)
    if reply.unpack()[0] != 1:
        sys.exit("could not own " + name)


shown = 0


def notifications_call(connection, sender, path, interface, method, parameters, invocation):
    global shown
    if method == "Notify":
        _, _, _, summary, body, _, _, _ = parameters.unpack()
        shown += 1
        print("notification: %s | %s" % (summary, body.replace("\n", "\\n")), flush=True)
        invocation.return_value(GLib.Variant("(u)", (shown,)))
    elif method == "GetCapabilities":
        invocation.return_value(GLib.Variant("(as)", (["body"],)))
    elif method == "GetServerInformation":
        invocation.return_value(GLib.Variant("(ssss)", ("stand-in", "tests", "1", "1.2")))
    else:
        invocation.return_value(None)


node = Gio.DBusNodeInfo.new_for_xml(NOTIFICATIONS)
bus.register_object("/org/freedesktop/Notifications", node.interfaces[0], notifications_call, None, None)
own("org.freedesktop.Notifications")

host = "org.kde.StatusNotifierHost-%d" % os.getpid()
own(host)
bus.call_sync(WATCHER, "/StatusNotifierWatcher", WATCHER, "RegisterStatusNotifierHost", GLib.Variant("(s)", (host,)),
              None, Gio.DBusCallFlags.NONE, -1, None)

loop = GLib.MainLoop()
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
loop.run()
