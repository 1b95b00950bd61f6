#!/usr/bin/python3
# Input and screenshots for the end-to-end tests on GNOME Shell: input through Mutter's remote
# desktop session (no screen cast, so the pointer moves relatively, from the top-left corner),
# screenshots (no pointer, no flash) through org.gnome.Shell.Screenshot, which GNOME 43 serves only
# to a few names' owners, here GNOME's screenshot tool's. As wayland_client.cpp reads commands.
import sys
import dbus

bus = dbus.SessionBus()
if bus.request_name('org.gnome.Screenshot', dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
    sys.exit('gnome_client: org.gnome.Screenshot is taken')
shell = dbus.Interface(bus.get_object('org.gnome.Shell.Screenshot', '/org/gnome/Shell/Screenshot'),
                       'org.gnome.Shell.Screenshot')
desktop = dbus.Interface(bus.get_object('org.gnome.Mutter.RemoteDesktop', '/org/gnome/Mutter/RemoteDesktop'),
                         'org.gnome.Mutter.RemoteDesktop')
session = dbus.Interface(bus.get_object('org.gnome.Mutter.RemoteDesktop', desktop.CreateSession()),
                         'org.gnome.Mutter.RemoteDesktop.Session')
session.Start()
session.NotifyPointerMotionRelative(-100000.0, -100000.0)
at = (0.0, 0.0)
for line in sys.stdin:
    verb, *args = line.split()
    if verb == 'move':
        x, y = float(args[0]), float(args[1])
        session.NotifyPointerMotionRelative(x - at[0], y - at[1])
        at = (x, y)
    for pressed in (True, False):
        if verb == 'click':
            session.NotifyPointerButton(0x110 if args[0] == 'left' else 0x111, pressed)  # BTN_LEFT, BTN_RIGHT
        if verb == 'key':
            session.NotifyKeyboardKeysym(0xff1b, pressed)  # Escape
    if verb == 'shot' and not shell.Screenshot(False, False, args[0])[0]:
        sys.exit('gnome_client: the shell took no screenshot')
    print('done', flush=True)
