#!/usr/bin/env python3
"""Holds a TUN device open, as a VPN client does, so that its link is up (a TUN
device nobody holds has no carrier). Writes READY once the device exists; holds
it until killed.

    hold_tun.py NAME READY
"""
import fcntl
import os
import signal
import struct
import sys

TUNSETIFF = 0x400454CA
IFF_TUN, IFF_NO_PI = 0x0001, 0x1000


def main():
    name, ready = sys.argv[1:3]
    tun = os.open("/dev/net/tun", os.O_RDWR)
    fcntl.ioctl(tun, TUNSETIFF, struct.pack("16sH", name.encode(), IFF_TUN | IFF_NO_PI))
    open(ready, "w").close()
    signal.pause()


if __name__ == "__main__":
    main()
