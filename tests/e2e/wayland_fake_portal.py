#!/usr/bin/python3
"""A stand-in for the portal's Screenshot call: a call that asks for no dialog gets a copy of
PICTURE written into FOLDER, any other a failure; each is noted in FOLDER/calls, a line a call.
Usage: wayland_fake_portal.py PICTURE FOLDER (on the session bus); FOLDER/ready once it runs.
"""
import shutil
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PATH = '/org/freedesktop/portal/desktop'


class Request(dbus.service.Object):
    @dbus.service.signal('org.freedesktop.portal.Request', signature='ua{sv}')
    def Response(self, code, results):
        pass


class Screenshot(dbus.service.Object):
    @dbus.service.method('org.freedesktop.portal.Screenshot', in_signature='sa{sv}', out_signature='o',
                         sender_keyword='sender')
    def Screenshot(self, parent, options, sender):
        token, interactive = str(options.get('handle_token', 'call')), bool(options.get('interactive', True))
        with open(folder + '/calls', 'a') as calls:
            calls.write('token=%s interactive=%s\n' % (token, interactive))
        path = '%s/request/%s/%s' % (PATH, sender[1:].replace('.', '_'), token)
        request, answer = Request(bus, path), (2, {})
        if not interactive:
            answer = (0, {'uri': 'file://' + shutil.copyfile(picture, folder + '/screenshot.png')})
        GLib.idle_add(lambda: request.Response(dbus.UInt32(answer[0]), dbus.Dictionary(answer[1], signature='sv')))
        return dbus.ObjectPath(path)


picture, folder = sys.argv[1:3]
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name, portal = dbus.service.BusName('org.freedesktop.portal.Desktop', bus), Screenshot(bus, PATH)
open(folder + '/ready', 'w').close()
GLib.MainLoop().run()
