"""Wraps a raw LZHUF stream as the -lh1- member of an LHA archive with a level-0 header.

usage: wrap_lh1.py ORIGINAL STREAM ARCHIVE
"""
import struct
import sys


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def main():
    original = open(sys.argv[1], 'rb').read()
    stream = open(sys.argv[2], 'rb').read()
    name = b'member.bin'
    body = (b'-lh1-' + struct.pack('<IIIBB', len(stream), len(original), 0x5A210000, 0x20, 0)
            + bytes([len(name)]) + name + struct.pack('<H', crc16(original)))
    header = bytes([len(body), sum(body) & 0xFF]) + body
    with open(sys.argv[3], 'wb') as f:
        f.write(header + stream + b'\0')


main()
