#!/usr/bin/python3
"""A minimal desktop notification service (org.freedesktop.Notifications) on the session bus of
DBUS_SESSION_BUS_ADDRESS.

Writes each notification it is sent as one JSON line (app name, icon, summary, body) to the file given as
the first argument; a line "ready" is printed on standard output once the service's name is owned."""
import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"


class Service(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.record = record
        self.last_id = 0

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        self.last_id += 1
        with open(self.record, "a") as record:
            entry = {"app": str(app_name), "icon": str(app_icon), "summary": str(summary), "body": str(body)}
            record.write(json.dumps(entry) + "\n")
        return self.last_id


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    service = Service(bus, sys.argv[1])
    name = dbus.service.BusName(NOTIFICATIONS, bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
