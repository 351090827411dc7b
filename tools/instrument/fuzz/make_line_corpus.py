#!/usr/bin/python3
"""Seeds for instrument_line_fuzz: Modbus RTU requests as libmodbus frames them.

libmodbus, a master nobody here wrote, sends each request down a pseudo-terminal; the bytes
read from the other end (address, function, data and CRC) become seed files, alone and run
together as the console streams them. Run: make_line_corpus.py OUTPUT_FOLDER
"""
import ctypes
import os
import sys
import tty

lib = ctypes.CDLL("libmodbus.so.5")
lib.modbus_new_rtu.restype = ctypes.c_void_p
lib.modbus_new_rtu.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.c_char, ctypes.c_int, ctypes.c_int]
for name in ("modbus_set_slave", "modbus_connect", "modbus_close", "modbus_free", "modbus_set_response_timeout",
             "modbus_read_registers", "modbus_write_register", "modbus_write_registers", "modbus_write_bit",
             "modbus_send_raw_request"):
    getattr(lib, name).argtypes = None
Words = ctypes.c_uint16 * 128


def frames(master, slave_path, requests):
    """Runs each request through libmodbus and returns the bytes it wrote for each."""
    ctx = ctypes.c_void_p(lib.modbus_new_rtu(slave_path.encode(), 19200, b"N", 8, 1))
    lib.modbus_set_slave(ctx, 1)  # the instrument's address as delivered
    lib.modbus_set_response_timeout(ctx, ctypes.c_uint32(0), ctypes.c_uint32(2000))
    if lib.modbus_connect(ctx) != 0:
        sys.exit("libmodbus cannot open " + slave_path)
    out = []
    for request in requests:
        request(ctx)  # no one answers: the call times out after sending
        data = b""
        while True:
            try:
                chunk = os.read(master, 4096)
            except BlockingIOError:
                break
            if not chunk:
                break
            data += chunk
        out.append(data)
    lib.modbus_close(ctx)
    lib.modbus_free(ctx)
    return out


def raw(*body):
    buffer = (ctypes.c_uint8 * len(body))(*body)
    return lambda ctx: lib.modbus_send_raw_request(ctx, buffer, len(body))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    master, slave = os.openpty()
    tty.setraw(master)
    os.set_blocking(master, False)
    words = Words(*range(1, 129))
    requests = {
        "read_live": lambda c: lib.modbus_read_registers(c, 0, 11, words),
        "read_parameters": lambda c: lib.modbus_read_registers(c, 200, 24, words),
        "read_unread_block": lambda c: lib.modbus_read_registers(c, 7, 124, words),
        "read_day_record": lambda c: lib.modbus_read_registers(c, 3000, 7, words),
        "read_range_block": lambda c: lib.modbus_read_registers(c, 5000, 64, words),
        "read_event": lambda c: lib.modbus_read_registers(c, 1000, 7, words),
        "write_register": lambda c: lib.modbus_write_register(c, 1001, 3),
        "write_registers_clock": lambda c: lib.modbus_write_registers(c, 224, 3, Words(0x1803, 0x010C, 0x1E2D)),
        "write_registers_day": lambda c: lib.modbus_write_registers(c, 3000, 2, Words(0x1803, 0x0100)),
        "write_coil": lambda c: lib.modbus_write_bit(c, 3, 1),
        "read_settings": raw(1, 46, 0, 0xE6, 0, 4),
        "write_settings": raw(1, 47, 0, 0xE6, 0, 2, 4, 0, 1, 0, 2),
        "unknown_function": raw(1, 0x11),
        # The console's detection asks every instrument at once by the identify address.
        "identify_broadcast": raw(255, 3, 0, 0, 0, 11),
    }
    names = list(requests)
    made = frames(master, os.ttyname(slave), requests.values())
    seeds = dict(zip(names, made))
    seeds["stream_of_requests"] = b"".join(made[:6])
    for name, data in seeds.items():
        if not data:
            sys.exit("libmodbus wrote nothing for " + name)
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
