#!/usr/bin/python3
"""A stand-in for the desktop portal's Screenshot call, for a compositor that has no portal of its
own: it answers a call that asks for no dialog with a copy of PICTURE written into FOLDER, and
any other call with a failure. Each call is noted in FOLDER/calls, one line a call.

Usage: wayland_fake_portal.py PICTURE FOLDER   (on the session bus of DBUS_SESSION_BUS_ADDRESS)
FOLDER/ready appears once the portal's name is taken.
"""
import shutil
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PORTAL = 'org.freedesktop.portal.Desktop'
PORTAL_PATH = '/org/freedesktop/portal/desktop'


class Request(dbus.service.Object):
    @dbus.service.signal('org.freedesktop.portal.Request', signature='ua{sv}')
    def Response(self, code, results):
        pass


class Screenshot(dbus.service.Object):
    def __init__(self, bus, picture, folder):
        super().__init__(bus, PORTAL_PATH)
        self.bus, self.picture, self.folder = bus, picture, folder

    @dbus.service.method('org.freedesktop.portal.Screenshot', in_signature='sa{sv}', out_signature='o',
                         sender_keyword='sender')
    def Screenshot(self, parent, options, sender):
        token = str(options.get('handle_token', 'call'))
        interactive = bool(options.get('interactive', True))
        with open(self.folder + '/calls', 'a') as calls:
            calls.write('token=%s interactive=%s\n' % (token, interactive))
        path = '%s/request/%s/%s' % (PORTAL_PATH, sender[1:].replace('.', '_'), token)
        request = Request(self.bus, path)
        if interactive:
            answer = (2, {})
        else:
            copy = self.folder + '/screenshot.png'
            shutil.copyfile(self.picture, copy)
            answer = (0, {'uri': 'file://' + copy})

        def respond():
            request.Response(dbus.UInt32(answer[0]), dbus.Dictionary(answer[1], signature='sv'))
            return False
        GLib.idle_add(respond)
        return dbus.ObjectPath(path)


def main():
    picture, folder = sys.argv[1:3]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(PORTAL, bus)
    portal = Screenshot(bus, picture, folder)
    open(folder + '/ready', 'w').close()
    GLib.MainLoop().run()
    del name, portal


if __name__ == '__main__':
    main()
