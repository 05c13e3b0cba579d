#!/usr/bin/env python3
"""A few scripted users who log on to a Talvoro server on loopback and chat, for screenshots.

Usage: chat_bots.py PORT [SECONDS]. Speaks the chat protocol directly: each frame is a 2-byte
little-endian length, a topic byte and the payload, enciphered with RC4 under the link key with a
fresh state per frame. Stays connected for SECONDS (default 20) so the users stay online.
"""
import socket
import struct
import sys
import time

LINK_KEY = b"MuRa_ek!"
PUBLIC, WHISPER, LOGON, AWAY = 0x9C, 0x99, 0x9F, 0x92


def keystream(length):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + LINK_KEY[i % len(LINK_KEY)]) % 256
        s[i], s[j] = s[j], s[i]
    out, i, j = bytearray(), 0, 0
    for _ in range(length):
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out.append(s[(s[i] + s[j]) % 256])
    return out


KEYSTREAM = keystream(4096)


def frame(kind, *fields, topic=0):
    k = bytes([kind])
    payload = k + k.join(f.encode("cp1252") for f in fields) if fields else k
    plain = struct.pack("<HB", len(payload) + 3, topic) + payload
    return bytes(b ^ KEYSTREAM[n] for n, b in enumerate(plain))


def connect(port, name, colour):
    sock = socket.create_connection(("127.0.0.1", port), timeout=5)
    sock.sendall(frame(LOGON, name, str(colour), "1600", "1550", "0"))
    time.sleep(0.3)
    return sock


def main():
    port = int(sys.argv[1])
    linger = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0
    # Colours are 0xBBGGRR.
    users = {name: connect(port, name, colour) for name, colour in
             [("Mira", 0x2060C0), ("Jonas", 0x208020), ("Ilse", 0xA03080)]}
    script = [
        ("Mira", PUBLIC, ("Morning all! Is the build server back up?",)),
        ("Jonas", PUBLIC, ("Yes, since 8:30. The nightly run was green.",)),
        ("Ilse", PUBLIC, ("Great - I'll send the test report in a minute.",)),
        ("Mira", WHISPER, ("@@Jonas: lunch at noon?",)),
        ("Jonas", PUBLIC, ("Coffee in the kitchen, anyone?",)),
        ("Ilse", AWAY, ("1",)),
    ]
    for name, kind, fields in script:
        users[name].sendall(frame(kind, *fields))
        time.sleep(0.4)
    time.sleep(linger)
    for sock in users.values():
        sock.close()


if __name__ == "__main__":
    main()
