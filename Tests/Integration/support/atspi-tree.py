#!/usr/bin/python3
"""Prints the accessible tree of one application as a screen reader reads it over AT-SPI, one node a
line: depth, role, "showing" or "hidden", the number of children, and the name, separated by tabs.

Usage: atspi-tree.py APPLICATION-NAME. The accessibility bus is found through the session bus of
DBUS_SESSION_BUS_ADDRESS; exit status 1 when no application of that name is registered."""
import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
SHOWING = 25  # ATSPI_STATE_SHOWING
DEEPEST = 16


def main():
    session = dbus.SessionBus()
    launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus")
    bus = dbus.bus.BusConnection(str(launcher.GetAddress(dbus_interface="org.a11y.Bus")))

    def node(reference):
        return bus.get_object(str(reference[0]), str(reference[1]), introspect=False)

    def name(obj):
        return str(obj.Get(ACCESSIBLE, "Name", dbus_interface=dbus.PROPERTIES_IFACE))

    def walk(obj, depth):
        role = str(obj.GetRoleName(dbus_interface=ACCESSIBLE))
        states = obj.GetState(dbus_interface=ACCESSIBLE)
        showing = bool(states[SHOWING // 32] & (1 << (SHOWING % 32)))
        children = obj.GetChildren(dbus_interface=ACCESSIBLE) if depth < DEEPEST else []
        print("\t".join([str(depth), role, "showing" if showing else "hidden", str(len(children)), name(obj)]))
        for child in children:
            walk(node(child), depth + 1)

    root = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", introspect=False)
    for reference in root.GetChildren(dbus_interface=ACCESSIBLE):
        application = node(reference)
        try:
            if name(application) != sys.argv[1]:
                continue
        except dbus.DBusException:
            continue  # an application that went away
        walk(application, 0)
        return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
