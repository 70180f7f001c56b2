#!/usr/bin/env python3
"""Writes the seed inputs of tests/fuzz/corpus/<target>/.

Most targets read their input through clang's FuzzedDataProvider: texts from the front (a
backslash and any other character end one text, two backslashes stand for one), numbers from the
back, one byte for a range of up to 256 values, more for wider ranges. Seed builds an input that
way, so each seed says in plain words what the target will do with it. Run it again after
changing how a target reads its input.
"""

import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


class Seed:
    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in the order the target takes the bytes

    def text(self, value):
        data = value.encode("latin-1") if isinstance(value, str) else bytes(value)
        self.front += data.replace(b"\\", b"\\\\") + b"\\ "
        return self

    def rest(self, value):
        """The remaining bytes, taken whole by the last text a target reads."""
        self.front += value.encode("latin-1") if isinstance(value, str) else bytes(value)
        return self

    def int(self, value, low, high):
        span = high - low
        count = 0
        while span >> (8 * count) and count < 8:
            count += 1
        offset = value - low
        for k in range(count - 1, -1, -1):
            self.back.append((offset >> (8 * k)) & 0xFF)
        return self

    def bool(self, value):
        return self.int(1 if value else 0, 0, 255)

    def char(self, c):
        code = ord(c) if isinstance(c, str) else c
        return self.int((code + 128) & 0xFF, 0, 255)

    def double(self):
        # A half-range bit and a 64-bit fraction: any value will do for a seed.
        self.bool(False)
        self.back += bytes(8)
        return self

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data.bytes() if isinstance(data, Seed) else data)


ACK, BEL, CR = "\x06", "\x07", "\r"


def link_reply():
    t = "link_reply_fuzzer"

    def value(seed, kind, number, mode):
        return seed.int(0, 0, 5).int(kind, 0, 10).int(number, -1, 0x7FFFF).int(mode, 0, 3).double()

    write(t, "p_read", value(Seed(), 1, 1, 0).text("1234" + CR + ACK))
    write(t, "q_write_read", value(Seed(), 2, 3, 1).text(CR + ACK).text("-12.25" + CR + ACK))
    write(t, "y_hex", value(Seed(), 6, 0x3100, 2).text("$00FF00" + CR + ACK))
    write(t, "xy_pair", value(Seed(), 9, 0x3120, 0).text("800000" + CR + "000000" + CR + ACK))
    write(t, "error_reply", value(Seed(), 4, 6, 0).text(BEL + "ERR003" + CR))
    # PLC buffer table: the word before PLC 0, then PLCs 0..31; PLC 1 holds a buffer.
    plc = Seed().int(1, 0, 5).int(5, -1, 8)
    words = [0xA000] * 33
    words[2] = 0xA010
    for w in words[:3]:
        plc.text("%d" % w + CR + ACK)
    for w in words[3:]:
        plc.text("%d" % (w | 0x400000) + CR + ACK)
    write(t, "plc_table", plc)
    # Compiled PLC table: PLC 0 compiled (a negative start word), the area end, its enable word.
    plcc = Seed().int(2, 0, 5).int(5, -1, 8)
    plcc.text("%d" % (-8388608 | 0x50100) + CR + ACK)
    for _ in range(31):
        plcc.text("0" + CR + ACK)
    plcc.text("%d" % 0x50200 + CR + ACK).text("%d" % 0x50100 + CR + ACK)
    write(t, "plcc_table", plcc)
    echo = Seed().int(3, 0, 5).int(257, -2, 300).bool(True)
    echo.text("P1..3 ; three values").text("0" + CR + "1.5" + CR + "-2" + CR + ACK)
    write(t, "command_echo", echo)
    define = Seed().int(3, 0, 5).int(257, -2, 300).bool(True).text("#define speed P10")
    define.int(3, 0, 5).int(257, -2, 300).bool(False).text("speed=5").text(CR + ACK)
    write(t, "define_then_use", define)
    raw = Seed().int(4, 0, 5).int(12, 0, 300).text("LIST PLC 1").text("OPEN PLC 1" + CR * 20 + ACK)
    write(t, "raw_cut", raw)
    lost = Seed().int(5, 0, 5)
    value(lost, 1, 1, 0)
    lost.int(5, 0, 5)
    value(lost, 5, 0, 0).text("$FFFFFF" + CR + ACK)
    write(t, "disconnect_reconnect", lost)


def device_table():
    t = "device_table_fuzzer"
    write(t, "formatted", (
        "# Brightlantern devices: device.N.key=value, N from 0 to 7\n"
        "device.0.kind=virtual\ndevice.0.type=5\n"
        "device.1.kind=ethernet\ndevice.1.host=192.168.0.200\ndevice.1.port=1025\n"
        "device.1.timeout=5000\n"
        "device.2.kind=serial\ndevice.2.serial=/dev/ttyUSB0\ndevice.2.baud=38400\n"
        "device.3.kind=none\n").encode())
    write(t, "hand_edited", (
        "  # edited by hand\r\ndevice.4.kind = ethernet \r\ndevice.4.host=pmac.local\r\n"
        "device.4.port=70000\r\ndevice.9.kind=virtual\r\ndevice.5.colour=red\r\nnonsense\r\n"
        "device.6.kind=virtual\r\ndevice.6.type=7\r\ndevice.-1.kind=serial\r\n").encode())
    write(t, "control_characters", b"device.1.kind=ethernet\ndevice.1.host=a\x01b\ndevice.1.host=\x7f\n"
          b"device.2.kind=serial\ndevice.2.serial=" + b"x" * 256 + b"\ndevice.2.baud=+9600\n")


def definitions():
    t = "definitions_fuzzer"

    def define(seed, line, number=1):
        return seed.int(0, 0, 5).bool(True).text(line).int(number, -1, 100)

    def substitute(seed, line):
        return seed.int(2, 0, 5).text(line)

    s = Seed()
    define(s, "#define speed P10")
    define(s, "#define gain 1.5")
    define(s, "#define off NULL")
    define(s, "#DEFINE Speed Q5")
    substitute(s, 'speed=100 Speed=gain*2 off "speed" speed_2')
    write(t, "define_and_substitute", s)

    s = Seed()
    define(s, "#define shared Q9")
    define(s, "#define shared Q2")
    define(s, "#define renamed Q9", 3)
    define(s, "#define shared 42", 4)
    substitute(s, "shared renamed")
    write(t, "rename", s)

    s = Seed()
    define(s, "#define a P1000")
    substitute(s, "x" * 245 + " a a")
    s.int(4, 0, 5).int(1024, -5, 9000)
    define(s, "#define big P2000")
    s.int(5, 0, 5).bool(False)
    write(t, "limits", s)

    s = Seed()
    for line, open_ in (("P1=2   ;  comment", False), ("/* a */ P1 // b", False),
                        ("  still */ P2=3 /* again", True), ('CMD"a;b//c"  P3', False)):
        s.int(3, 0, 5).text(line).bool(open_)
    write(t, "clean_line", s)


def download():
    t = "download_fuzzer"
    main = ("; a program\r\n#include \"inc.pmc\"\r\n#define Speed P10\r\n"
            "Speed=25 /* the speed */ Gain=3\r\n/* a block\r\n   comment */ Other=7\r\n"
            "CMD\"Speed\"\r\n#include <sub\\deep.pmc>\r\nOPEN PLC 1 CLEAR\r\nCLOSE\r\n")
    inc = "#define Gain P11\r\n#define Other P12 ; comment\r\n#include \"sub/deep.pmc\"\r\n"
    deep = "#define Gain P13\r\nP13=1\r\n#include \"../main.pmc\"\r\n"
    write(t, "include_define_comment", Seed().text(main).text(inc).rest(deep))
    plain = "P1=1\n  P2=2    P3=3  \r\n\n\t\nI10\r\n" + "P" * 300 + "\n"
    write(t, "plain_lines", Seed().text(plain).text("").rest(""))
    loop = "#include inc.pmc\n#include\n#include \"missing.pmc\"\nP1\n"
    write(t, "loop_and_missing", Seed().text(loop).text("#include \"inc.pmc\"\nP2\n").rest(""))


def editor_input():
    t = "editor_input_fuzzer"
    key = {"Backspace": 0, "Tab": 1, "Enter": 2, "PageUp": 3, "PageDown": 4, "Home": 5,
           "End": 6, "Left": 7, "Right": 8, "Up": 9, "Down": 10, "Insert": 11, "Delete": 12}

    def typed(seed, text):
        for c in text:
            seed.int(0, 0, 8).char(c)
        return seed

    def press(seed, name, shift=False, control=False):
        return seed.int(2, 0, 8).int(key[name], 0, 12).bool(shift).bool(control)

    def command(seed, index):  # cut, copy, paste, delete, undo
        return seed.int(5, 0, 8).int(index, 0, 4)

    s = Seed().text("OPEN PLC 1 CLEAR\nP1=P1+1\nCLOSE\n")
    typed(s, "P2=3")
    press(s, "Enter")
    press(s, "Left", shift=True)
    press(s, "Left", shift=True)
    command(s, 0)
    press(s, "Home", control=True)
    command(s, 2)
    command(s, 4)
    command(s, 4)
    typed(s, "\x1a")
    write(t, "type_cut_paste_undo", s)

    s = Seed().text("line one\nline two is longer\n\nlast")
    press(s, "Down")
    press(s, "End")
    press(s, "Down")
    press(s, "Up", shift=True)
    press(s, "Tab")
    press(s, "Delete", shift=True)
    press(s, "Insert", shift=True)
    press(s, "Backspace")
    s.int(6, 0, 8).int(300, -2000, 4000).int(2100, -2000, 4000).bool(False).int(0, 0, 2)
    s.int(6, 0, 8).int(100, -2000, 4000).int(2040, -2000, 4000).bool(False).int(1, 0, 2)
    s.int(6, 0, 8).int(0, -2000, 4000).int(0, -2000, 4000).bool(False).int(2, 0, 2)
    s.int(7, 0, 8).int(3, 0, 6).int(5000, -5000, 5000).int(0, 0, 3)
    s.int(7, 0, 8).int(0, 0, 6).int(5000, -5000, 5000).int(3, 0, 3).int(30, 0, 3000).int(20, 0, 3000)
    write(t, "keys_mouse_scroll", s)

    s = Seed().text("")
    s.int(4, 0, 8).text("P1=1\r\nP2=2\x00ignored").int(1, 0, 7)
    command(s, 2)
    s.int(4, 0, 8).text("0123456789" * 6).int(0, 0, 7).int(7999, 1, 8000)
    command(s, 2)
    command(s, 2)
    command(s, 4)
    s.int(8, 0, 8).text("speed")
    write(t, "paste_to_the_limit", s)


def find_print():
    t = "find_print_fuzzer"

    def step(seed, kind):
        return seed.int(kind, 0, 8)

    def print_step(seed, width, height, fields):
        step(seed, 8)
        seed.int(width, -10, 5000).int(height, -10, 5000).double().double()
        seed.int(1, 0, 15)  # not cancelled
        for i in range(7):
            value = fields.get(i)
            seed.bool(value is not None)
            if value is not None:
                seed.text(value)
        return seed

    s = Seed().text("OPEN PROG 1\nP1=P1+1\nCLOSE\n").int(1, 0, 7)
    step(s, 0).text("P1")
    step(s, 1).text("P10")
    step(s, 6)
    step(s, 2).bool(True).bool(False)
    step(s, 4)
    step(s, 5)
    step(s, 4)
    write(t, "replace_all_then_upwards", s)

    s = Seed().text("ab\nOPEN PLC 1\nab").int(0, 0, 7).int(3, 0, 40)
    step(s, 0).text("ab")
    step(s, 1).text("abcdef")
    step(s, 4)
    step(s, 5)
    step(s, 6)
    step(s, 1).text("a")
    step(s, 6)
    write(t, "at_the_text_limit", s)

    text = "; setup\nOPEN PLC 1\nCLOSE\nopen prog 2\n" + "X" * 300 + "\nCLOSE\n"
    s = Seed().text(text).int(1, 0, 7)
    step(s, 7).int(1, -1, 101)
    print_step(s, 1060, 2000, {0: "0", 1: "0.25", 4: "2", 6: "12"})
    print_step(s, 300, 200, {6: "0", 2: "nan"})
    print_step(s, 2400, 3200, {0: "4.5", 1: "4.5"})
    write(t, "program_list_and_print", s)


def program_file():
    t = "program_file_fuzzer"
    write(t, "crlf_tabs_last_line", b"; jog\r\n\tOPEN PLC 1 CLEAR\r\nP1=P1+1\x01\x7f\xe9\r\nCLOSE")
    write(t, "overlong_line", b"P1=1\n" + b"x" * 300 + b"\r\n" + b"y" * 255 + b"\n" + b"z" * 256)
    write(t, "includes", b"#include \"a.pmc\"\r\n#INCLUDE\t\"sub\\b.pmc\"\n#includes\n#include")
    write(t, "binary", bytes(range(256)) * 4)


def include():
    t = "include_fuzzer"
    s = Seed().text("/home/user/prog/main.pmc")
    for line in ('#include "axis.pmc"', '#include "sub\\motor.pmc" ; note', '#include axis.pmc',
                 '#include "open', '#include ""', '#include "/abs/common.pmc"', '#include "axis.pmc"'):
        s.int(1, 0, 7).text(line)
    s.int(0, 0, 7)
    write(t, "project_lines", s)
    s = Seed().text("/" + "d" * 240 + "/main.pmc")
    s.int(1, 0, 7).text('#include "' + "n" * 17 + '"')
    s.int(1, 0, 7).text('#include "' + "n" * 18 + '"')
    write(t, "path_limit", s)


def define_scan():
    t = "define_scan_fuzzer"
    text = ("#define speed P10 ; the speed\n/* #define hidden P11\n#define alsoHidden P12 */ "
            "#define after P13\n#define gain 1.5\n// #define commented P14\n#define velo P10\n"
            "#DEFINE Axis M162\n#define off NULL\n#define quoted \"a;b\"\n#define ix I8191\n")
    write(t, "defines_and_comments", Seed().bool(False).rest(text))
    write(t, "small_table", Seed().bool(True).rest("#define a P1023\n#define b P1024\n#define c Q5\n"))


def editor_settings():
    t = "editor_settings_fuzzer"
    write(t, "written", (
        "# Brightlantern program editor preferences: name=value\n"
        "color.background=255,255,255\ncolor.comments=0,128,0\ncolor.quotations=255,0,0\n"
        "colouring.keywords=1\ncolouring.p_definitions=0\n"
        "open.clears_definitions=0\nopen.updates_file_list=1\nproject.clears_file_list=1\n"
    ).encode())
    write(t, "hand_edited", (
        "  color.background = 1,2,3 \r\ncolor.comments=256,0,0\r\ncolor.keywords=1,2,3,4\r\n"
        "colouring.keywords=yes\r\nproject.clears_definitions\r\n=1\r\n").encode() + b"\x7f\xff=\x01\n")


def command_interpreter():
    t = "command_interpreter_fuzzer"

    def line(seed, text):
        return seed.int(2, 0, 5).text(text).int(1, 0, 3)

    def control(seed, c):
        return seed.int(0, 0, 5).char(c)

    s = Seed().int(5, 1, 6)
    for text in ("TYPE VERSION DATE", "P1..10", "P1=5 Q2=-1.5e3 M3=$10 I130", "#1j+", "#1->1000X",
                 "&2 #3->8660X-5000Y+20 #3->", "##1 ##", "RHX:$0,4 RX:0 RP:$50000,3",
                 "WY:$3100,1,2,-3", "M1->X:$C000,0,24,S M1->", "I9=3 I100..102", "UNDEFINE ALL"):
        line(s, text)
    write(t, "commands_turbo", s)

    s = Seed().int(1, 1, 6)
    for text in ("I6=3 XYZ", "I6=0 P1 BAD", "I6=1 P99999", "P1 \x18 P2", "$$$", "? ?? ???"):
        line(s, text)
    for c in ("\x02", "\x06", "\x07", "\x10", "\x16", "\x0b", "\x18", "A"):
        control(s, c)
    s.int(1, 0, 5).int(1500, 0, 2000)
    write(t, "errors_and_controls", s)

    s = Seed().int(3, 1, 6)
    s.int(3, 0, 5).text("P0..").int(0, 0, 3).int(1023, -20000000, 20000000).text("")
    s.int(3, 0, 5).text("RHY:$0,").int(0, 0, 3).int(4096, -20000000, 20000000).text("")
    write(t, "long_listings", s)

    # Motors that servo and jog, and a gather of them; time steps let the servo loop run.
    s = Seed().int(5, 1, 6)
    for text in ("I5049=1 I5050=$7 I5001=$800088 I5002=$80008B I5003=$4000BF",
                 "DEF GAT 300", "#1J/ #1J=1000 GAT", "#1J^-50 #2J+ #2K"):
        line(s, text)
    s.int(1, 0, 5).int(2000, 0, 2000)
    for text in ("ENDG RHY:$3120 ^A", "#1J:100 #1?", "I130=0 I111=1 #1J=5000"):
        line(s, text)
    s.int(1, 0, 5).int(2000, 0, 2000)
    line(s, "DEL GAT ???")
    write(t, "motion_and_gather", s)

    # What configuration tools read and write: MACRO node variables, compiled-PLC words, and
    # the encoder table repointed under moving motors.
    s = Seed().int(5, 1, 6)
    for text in ("MS0,MI2=$00000000ABCD MS0,MI2 MS15,MI999=-1 MS16,MI2",
                 "WP:$50000,$F50062 RHP:$50000,8 &0 #1-> &3 #1->1000X #1->",
                 "#1J/ #2K I203=$3501 I8001=$C78000 #1J=500", "I8000=$178000 WX:$3501,77"):
        line(s, text)
    s.int(1, 0, 5).int(2000, 0, 2000)
    line(s, "#1P #2P RX:$3501,2 RX:$78001")
    write(t, "configuration", s)


# The statement pieces of program_buffer_fuzzer.cpp, in its order.
PROGRAM_PIECES = [
    "IF(", "WHILE(", ")", "ELSE", "ENDIF", "ENDI", "END IF", "ENDWHILE",
    "ENDW", " AND ", " OR ", "P1", "Q2", "M3", "I130", "P(",
    "=", "!=", "<", ">", "<=", ">=", "!<", "!>",
    "+", "-", "*", "/", "%", "1", "0.5", "1E5",
    "$FF", "SIN(", "ATAN2(", "SQRT(", "CMD\"", "#1J+\"", "CMD^K", "ENA PLC",
    "DIS PLC", "..", ",", "X", "Y", "A", "ABS", "INC(X,Y)",
    "LINEAR", "RAPID", "TA", "TS", "TM", "F", "DWELL", "DELAY",
    "RETURN", "N", "O", "GOTO", "GOSUB", "CALL", "M5", " ",
]

# The statement pieces of program_run_fuzzer.cpp, in its order.
RUN_PIECES = [
    "IF(", "WHILE(", ")", "ELSE", "ENDIF", "ENDWHILE", " AND ", " OR ",
    "P1", "P950", "M950", "M951", "I5", "P(", "=", "<",
    ">", "+", "-", "*", "/", "%", "1", "0",
    "1E300", "SIN(", "SQRT(", "CMD\"", "GAT\"", "ENDGAT\"", "&1B1R\"", "CMD^K",
    "ENA PLC", "DIS PLC", "X", "Y", "INC", "ABS", "LINEAR", "RAPID",
    "TA", "TS", "TM", "F", "DWELL", "DELAY", "GOSUB", "N",
]


def program_run():
    t = "program_run_fuzzer"
    pieces = len(RUN_PIECES)

    def buffer(seed, plc, number, *lines):
        seed.int(0, 0, 5).bool(plc)
        seed.int(number, 0, 31) if plc else seed.int(number, 1, 3)
        seed.int(len(lines), 1, 16)
        for parts in lines:
            seed.int(len(parts), 1, 12)
            for p in parts:
                if p in RUN_PIECES:
                    seed.int(RUN_PIECES.index(p), 0, pieces)
                else:
                    seed.int(pieces, 0, pieces).text(p)
        return seed

    def run(seed, which, program=1):
        seed.int(3, 0, 5).int(which, 0, 4)
        return seed.int(program, 1, 3) if which == 0 else seed

    def cycles(seed, n):
        return seed.int(4, 0, 5).int(n, 1, 2000)

    # The test-move handshake: a PLC starts gathering and answers, a program moves.
    s = Seed().int(5, 1, 6)
    buffer(s, True, 31,
           ["IF(", "P950", "=", "1", ")"], ["CMD\"", "GAT\""], ["P950", "=", "2"],
           ["M950", "=", "M950", "+", "1"], ["ENDIF"])
    buffer(s, False, 1,
           ["INC"], ["TA", "1", "0"], ["TM", "1", "0", "0"], ["X", "1", "0", "0", "0"],
           ["DWELL", "1", "0"], ["CMD\"", "ENDGAT\""])
    s.int(2, 0, 5).bool(True).int(31, 0, 31)
    s.int(5, 0, 5).text("P950=1 M950->D:$88 DEF GAT")
    run(s, 0, 1)
    cycles(s, 1500)
    write(t, "test_move", s)

    # Endless loops without a move, huge numbers and divisions by zero.
    s = Seed().int(2, 1, 6)
    buffer(s, True, 1, ["WHILE(", "1", "=", "1", ")"], ["P1", "=", "P1", "*", "1E300", "/", "0"],
           ["ENDWHILE"])
    buffer(s, False, 2, ["WHILE(", "1", ")"], ["P1", "=", "SQRT(", "-", "1", ")"], ["ENDWHILE"])
    run(s, 0, 2)
    cycles(s, 2000)
    run(s, 2)
    cycles(s, 100)
    write(t, "endless_loops", s)

    # Short moves in a row, then a quit, an abort and a kill from a PLC.
    s = Seed().int(4, 1, 6)
    buffer(s, False, 3, ["TM", "1", " ", "TA", "0", " ", "TS", "0"], ["P1", "=", "0"],
           ["WHILE(", "P1", "<", "1", "0", "0", ")"], ["X", "(", "SIN(", "P1", "*", "3", ")", ")",
                                                       " ", "P1", "=", "P1", "+", "1"],
           ["ENDWHILE"])
    run(s, 0, 3)
    cycles(s, 50)
    run(s, 3)
    run(s, 1)
    buffer(s, True, 2, ["CMD^K"])
    cycles(s, 10)
    run(s, 4)
    write(t, "short_moves", s)


def program_buffer():
    t = "program_buffer_fuzzer"
    pieces = len(PROGRAM_PIECES)

    def number(seed, plc, n):
        return seed.int(n, 0, 31) if plc else seed.int(n, 1, 9)

    def open_(seed, plc, n, clear=True):
        number(seed.int(0, 0, 7).bool(plc), plc, n)
        return seed.bool(clear)

    def statement(seed, *parts):
        seed.int(1, 0, 7).int(len(parts), 1, 12)
        for p in parts:
            if p in PROGRAM_PIECES:
                seed.int(PROGRAM_PIECES.index(p), 0, pieces)
            else:
                seed.int(pieces, 0, pieces).text(p)
        return seed

    def close(seed):
        return seed.int(4, 0, 7).bool(True)

    def listing(seed, plc, n):
        return number(seed.int(5, 0, 7).bool(plc), plc, n)

    def plcs(seed, which, a, b):
        return seed.int(6, 0, 7).int(which, 0, 2).int(a, 0, 31).int(b, 0, 31)

    def gather(seed, size=None):
        seed.int(7, 0, 7).int(0, 0, 3).bool(size is not None)
        return seed.int(size, 0, 70000) if size is not None else seed

    def other(seed, which, line=""):
        seed.int(7, 0, 7).int(which, 0, 3)
        return seed.text(line) if which == 3 else seed

    s = Seed().int(5, 1, 6)
    open_(s, True, 3)
    statement(s, "IF(", "P1", ">", "1", " AND ", "Q2", "<", "0.5", ")")
    statement(s, "P1", "=", "P1", "+", "SIN(", "$FF", ")", "*", "1E5")
    statement(s, "ELSE", " ", "CMD\"", "#1J+\"", " ", "CMD^K")
    statement(s, "ENDI", " ", "WHILE(", "M3", "!=", "1", ")", " OR ", "(", "I130", "!<", "1", ")")
    statement(s, "ENA PLC", "1", "..", "1", ",", "1", " ", "END", "WHILE")
    close(s)
    listing(s, True, 3)
    write(t, "plc_blocks", s)

    s = Seed().int(2, 1, 6)
    open_(s, False, 1)
    statement(s, "ABS", " ", "LINEAR", " ", "TA", "1", " ", "F", "(", "P1", ")")
    statement(s, "X", "1", " ", "Y", "(", "P1", "*", "0.5", ")", " ", "A", "-", "1")
    statement(s, "DWELL", "1", " ", "N", "1", " ", "GOTO", "1", " ", "M5", " ", "RETURN")
    statement(s, "INC(X,Y)", " ", "RAPID", " ", "CALL", "1", " ", "DELAY", "0.5")
    close(s)
    listing(s, False, 1)
    open_(s, False, 2, clear=False)
    close(s)
    listing(s, False, 2)
    write(t, "motion_program", s)

    s = Seed().int(1, 1, 6)
    statement(s, "ENDIF")
    open_(s, True, 0)
    open_(s, False, 1)
    statement(s, "ENDIF")
    statement(s, "IF(", "P1", "=", "1", ")", " ", "ELSE", " ", "ELSE")
    gather(s, 100)
    statement(s, "P1", "=", "1")
    other(s, 1)
    statement(s, "P1", "=", "1")
    plcs(s, 1, 0, 31)
    close(s)
    listing(s, True, 0)
    plcs(s, 0, 5, 2)
    gather(s)
    other(s, 2)
    write(t, "errors_and_gather", s)

    s = Seed().int(6, 1, 6)
    other(s, 3, "OPEN PLC 1 CLEAR P1=SIN(P2)*2 IF(P1>0) CLOSE")
    listing(s, True, 1)
    other(s, 3, "I5000=1 DEF GAT")
    other(s, 3, "OPEN PROG 5 CLEAR X(P1+2) Y-3 DEL GAT X1 CLOSE LIST PROG 5")
    listing(s, False, 5)
    plcs(s, 2, 0, 0)
    other(s, 3, "$$$***")
    write(t, "raw_lines", s)


def reply_end():
    t = "reply_end_fuzzer"

    def seed(text, *cuts):
        s = Seed().int(len(cuts), 0, 16)
        for c in cuts:
            s.int(c, 0, 4096)
        return s.rest(text)

    write(t, "value", seed("1234" + CR + ACK, 2))
    write(t, "lines", seed("0" + CR + "1.5" + CR + "-2" + CR + ACK, 1, 4, 8))
    write(t, "error", seed(BEL + "ERR003" + CR, 1, 3, 6))
    write(t, "error_after_cr", seed(BEL + CR + "ERR003" + CR, 2))
    write(t, "error_after_lines", seed("0" + CR + "1" + CR + BEL + "ERR03", 4, 5))
    write(t, "bare_bel", seed("5" + CR + BEL, 2))
    write(t, "bare_bel_then_text", seed("5" + CR + BEL + "X" + CR + ACK, 3))
    write(t, "long_error_number", seed(BEL + "ERR12345" + CR, 7))


# The Ethernet protocol's requests.
SEND_LINE, GET_LINE, FLUSH, SEND_CTRL, GET_RESPONSE = 0, 1, 2, 3, 4
READ_READY, CTRL_RESPONSE, GET_BUFFER, WRITE_BUFFER, OTHER = 5, 6, 7, 8, 9


def ethernet_server():
    t = "ethernet_server_fuzzer"

    def request(seed, pick, download, value=0, data="", code=None, raw_type=None):
        seed.int(1, 0, 31).int(pick, 0, 9)
        if pick == OTHER:
            seed.int(code, 0, 255)
        if raw_type is not None:
            seed.int(0, 0, 15).int(raw_type, 0, 255)
        else:
            seed.int(2 if download else 1, 0, 15)
        seed.int(value, 0, 0xFFFF).int(0, 0, 0xFFFF)
        if raw_type is None and download:
            seed.text(data)
        elif raw_type is None:
            seed.int(1400, 0, 0xFFFF)
        return seed

    s = Seed()
    request(s, GET_RESPONSE, True, data="P0..200")
    for _ in range(3):
        request(s, READ_READY, False)
        request(s, GET_BUFFER, False)
    request(s, GET_RESPONSE, False)
    write(t, "long_reply", s)

    s = Seed()
    request(s, SEND_LINE, True, data="TYPE P1..3\r")
    for _ in range(5):
        request(s, GET_LINE, False)
    request(s, SEND_CTRL, False, value=2)
    request(s, READ_READY, False)
    request(s, SEND_CTRL, False, value=24 << 8)
    request(s, GET_BUFFER, False)
    request(s, FLUSH, True)
    request(s, READ_READY, False)
    write(t, "kept_output", s)

    s = Seed()
    request(s, CTRL_RESPONSE, False, value=16)
    request(s, CTRL_RESPONSE, False, value=ord("A"))
    request(s, WRITE_BUFFER, True, data="P1=1\0P2=2\0I6=0\0BAD\0")
    request(s, GET_RESPONSE, True, data="XYZ")
    request(s, WRITE_BUFFER, True, data="P1=1\0" * 250)
    request(s, OTHER, False, code=0x55)
    write(t, "controls_buffers_errors", s)

    write(t, "malformed_header", request(Seed(), GET_RESPONSE, True, raw_type=0x41))
    write(t, "oversized_data", request(Seed(), GET_RESPONSE, True, data="P" * 1500))
    # A header whose data never comes, then the client leaves.
    write(t, "truncated_tail", request(Seed(), FLUSH, True).int(0, 0, 31).rest(
        "\x40\xbf\x00\x00\x00\x00\x00\x20P1"))


def ethernet_client():
    t = "ethernet_client_fuzzer"

    def exchanges(seed, *items):
        seed.int(len(items), 1, 6)
        for item in items:
            if isinstance(item, int):
                seed.int(0, 0, 3).int(item, 1, 26)
            elif isinstance(item, tuple):  # a command of this many characters
                seed.int(1, 0, 3).bool(True).int(item[0], 1480, 1500)
            else:
                seed.int(1, 0, 3).bool(False).text(item)
        return seed

    def step(seed, answer="", ready=True, segments=1, hang_up=False, pause=False, full=False):
        seed.int(1 if ready else 0, 0, 3).int(segments, 1, 3).int(0 if hang_up else 1, 0, 15)
        seed.int(0 if pause else 1, 0, 15)
        return seed.text(answer).int(0 if full else 1, 0, 7)

    s = exchanges(Seed(), "P1", "I10", 2)
    step(s, "1234" + CR + ACK)
    step(s, "3713707" + CR + ACK, segments=3)
    step(s, "800000000000" + CR + ACK)
    write(t, "values_and_control", s)

    s = exchanges(Seed(), "LIST PLC 1")
    step(s, "OPEN PLC 1 CLEAR" + CR, full=True)
    step(s, ready=True)
    step(s, "P1=P1+1" + CR + "CLOSE" + CR + ACK, segments=2)
    write(t, "long_reply", s)

    s = exchanges(Seed(), "XYZ", "P1 BAD", "I6")
    step(s, BEL + "ERR003" + CR, segments=2)
    step(s, "0" + CR + BEL, pause=True)
    step(s, ready=False)
    step(s, "0" + CR + ACK)
    write(t, "errors", s)

    s = exchanges(Seed(), "P1", "P2", (1492,), (1493,))
    step(s, "12", hang_up=True)
    step(s, "5" + CR + ACK)
    step(s, "P" + CR + ACK)
    write(t, "dropped_and_too_long", s)


def transfer():
    t = "transfer_fuzzer"
    defs = "#define Speed P1\n#define Gain I130 ; the gain\n/* #define Hidden P9 */\n#define Flag M5\n"
    listing = "Speed=P1+1\rIF(P1>0)\rCMD\"P1=0\"\rI130=2000 ; P1\rENDIF\r\x06"
    s = Seed().bool(False).text(defs).int(3, 0, 32767).bool(True)
    for on in (True, True, True, True):
        s.bool(on)
    write(t, "plc_with_names", s.rest(listing))
    s = Seed().bool(True).text("").int(12, 0, 32767).bool(False)
    for on in (False, False, False, False):
        s.bool(on)
    write(t, "prog_error_reply", s.rest("\x07ERR003\r"))
    s = Seed().bool(False).text("#define A P2\n").int(1, 0, 32767).bool(False)
    for on in (True, False, True, False):
        s.bool(on)
    write(t, "include_lines", s.rest("#include \"defs.pmc\"\r\n#INCLUDE \"sub\\\\x.pmc\"\nP2=1\r\x06"))


def upload_reply():
    t = "upload_reply_fuzzer"

    def words(first, count, step):
        return " ".join("%06X" % ((first + j) * step & 0xFFFFFF) for j in range(count)) + CR + ACK

    def plan(seed, series, type_code, buf_end, start, pointer):
        seed.bool(False).int(len(series), 1, 6)
        for active, kind in series:
            seed.bool(active).int(kind, 1, 6)
        return seed.int(type_code, 0, 7).int(buf_end, -1, 0x110000) \
            .int(start, 0, 2**32 - 1).int(pointer, 0, 2**32 - 1)

    def block(seed, start, samples, current, n, x, y):
        return seed.int(current, start - 40, start + 2 * samples + 40).int(n, 0, 32).text(x).text(y)

    # Series 1 (Y) and 2 (X): one address a sample, 100 samples from $4000.
    s = plan(Seed(), [(True, 2), (True, 1)], 5, 0x9FFF, 0x4000, 0x4064)
    for current in (0x4000, 0x4020, 0x4040):
        block(s, 0x4000, 100, current, 32, words(current, 33, 3), words(current, 33, 5))
    write(t, "two_series_blocks", s)
    # X and L with wrap on a small Turbo buffer: W = 4, the pointer inside the buffer.
    s = plan(Seed(), [(True, 1), (True, 4), (False, 3)], 5, 0x4100, 0x404000, 0x4010)
    block(s, 0x4000, 77, 0x4000, 32, words(0x4000, 33, 1), BEL + "ERR003" + CR)
    block(s, 0x4000, 77, 0x4020, 32, words(0x4020, 20, 7), "00ABC" + CR + ACK)
    write(t, "wrap_error_and_short", s)
    # Non-Turbo, D sources, replies that are noise, too long, or seven digits a word.
    s = plan(Seed(), [(True, 3), (True, 3), (True, 5), (True, 6)], 2, 0xA000, 0x1000, 0x1100)
    block(s, 0x1000, 170, 0x1000, 32, "0000001 " * 40, "\xff\x00 garbage " * 30)
    block(s, 0x1000, 170, 0x10F0, 16, words(0x10F0, 17, 11) * 3, "")
    write(t, "noise_and_huge", s)


def gather_settings():
    t = "gather_settings_fuzzer"
    lines = ["# Brightlantern gather settings: gather.key=value, series.N.key=value (N 1..48)",
             "gather.period=2", "gather.size=5000", "gather.mode=1"]
    for key, value in (("active", "1"), ("address", "136"), ("source", "3"), ("bit", "0"),
                       ("length", "48"), ("signed", "1"), ("title", "Commanded = #1"),
                       ("scale", "0.00032552083333333332"), ("offset", "-2.5"),
                       ("integration", "3"), ("n1", "0.5"), ("n2", "-0.25"), ("d1", "1e-300"),
                       ("d2", "0"), ("normalize", "1")):
        lines.append("series.1.%s=%s" % (key, value))
    write(t, "saved", ("\n".join(lines) + "\n").encode())
    write(t, "hostile", (b"gather.period=0\r\ngather.mode=9\nseries.49.active=1\n"
                         b"series.2.scale=nan\nseries.2.offset=1e999\nseries.2.title=a\x1bb\n"
                         b"series.2.length=30\nseries..=\n=\nseries.2\n" + b"x" * 300))
    write(t, "reply_hex", b"$C00100\r\x06")


def test_move_settings():
    t = "test_move_settings_fuzzer"
    write(t, "saved", b"# Brightlantern test moves\nstep.size=500\nstep.dwell=500\n"
                      b"trapezoid.size=5000\ntrapezoid.dwell=1000\n"
                      b"trapezoid.velocity=10\ntrapezoid.acceleration=0.20000000298023224\n"
                      b"sweep.size=1000\nsweep.time=5000\nsweep.low=0\nsweep.high=25\n")
    write(t, "hostile", b"step.size=0\r\nstep.dwell=99999999999\ntrapezoid.velocity=nan\n"
                        b"trapezoid.acceleration=1e999\nsweep.low=-1\nsweep.high\n=\n"
                        b"\xff\x00=3\n" + b"9" * 300)
    write(t, "field", b"0.01")


def tuning_run():
    t = "tuning_run_fuzzer"
    head = ("Brightlantern Tuning Run\r\nversion=1\r\ntime=2026-12-07T05:02:38.123Z\r\ntype=5\r\n"
            "type.name=Turbo PMAC2\r\ndevice=device 0\r\nmotor=1\r\n")
    step = head + ("move=step\r\nmove.size=500\r\nmove.dwell=500\r\nmetric.step_size=500\r\n"
                   "metric.overshoot=3.5097005208333254\r\nI108=96\r\nI130=2000\r\nI136=-0.125\r\n"
                   "series=Motor #1 Commanded Position (cts*Ix08)\r\nseries.period=0.00442708\r\n"
                   "series.samples=3\r\n0\r\n500\r\n500\r\n"
                   "series=Motor #1 Actual Position (cts*Ix08)\r\nseries.period=0.00442708\r\n"
                   "series.samples=3\r\n0\r\n412.5\r\n517.25\r\nend=2\r\n")
    write(t, "step", step.encode())
    write(t, "sweep_lf", (head + "move=sweep\nmove.size=20\nmove.time=1500\nmove.low=1\n"
                          "move.high=100\nseries=a\nseries.period=1e-3\nseries.samples=2\nnan\n"
                          "-inf\nend=1\n").replace("\r\n", "\n").encode())
    write(t, "cut_short", step.encode()[:-30])
    write(t, "lying_length", (head + "move=trapezoid\r\nmove.velocity=1e999\r\nseries=a\r\n"
                              "series.period=1\r\nseries.samples=16777216\r\n1\r\n").encode())
    write(t, "newer", b"Brightlantern Tuning Run\r\nversion=2\r\n")


def reference_settings():
    t = "reference_settings_fuzzer"
    write(t, "saved", b"# Brightlantern reference series generator\nseries=3\ntype=4\n"
                      b"amplitude=-12.5\noffset=0.10000000000000001\nperiod=0\nshift=-3\n")
    write(t, "hostile", b"series=49\r\ntype=-1\namplitude=nan\nperiod=1e999\nshift=\n"
                        b"=\nseries\n" + b"9" * 300)
    write(t, "field_number", b" 2.5e-1 s")


def position_loop():
    t = "position_loop_fuzzer"

    def op(seed, number, denominator=False):
        return seed.bool(denominator).int(number, 0, 9)

    # Motor 3's gains read, then "Stiffness +10%" with a read-back of only three numbers.
    s = Seed().bool(True)  # 8 motors
    op(s, 0)
    s.text("3" + CR + ACK)
    for value in ["1000", "5000", "-10", "$FFFFFF", "1e999", "nan"]:
        s.text(value + CR + ACK)
    op(s, 2).int(0, 0, 5).bool(True)
    s.text(ACK).text("1100" + CR + "4545" + CR + "0" + CR + ACK)
    op(s, 1).int(1, 0, 5)
    s.text("abc").text(ACK).text("ERR003" + CR)
    write(t, "gains_stiffness_short_read_back", s)

    # A motor beyond the list, garbled coefficients, a designed low-pass dragged past its end.
    s = Seed().bool(False)  # 32 motors
    op(s, 4)
    s.text("40" + CR + ACK)
    for value in ["-0.5", "1e308", "-1e308", "0.25"]:
        s.text(value + CR + ACK)
    op(s, 7)
    op(s, 8, True).int(1, 0, 3)
    op(s, 9, True).int(0, 0, 1).int(4, 0, 4).int(2**31 - 1, -2**31, 2**31 - 1)
    op(s, 6).bool(True)
    for _ in range(4):
        s.text(ACK).text("-0.043214" + CR + ACK)
    write(t, "filter_hostile_coefficients", s)


def process_series():
    t = "process_series_fuzzer"

    def number(s, eighths):
        return s.bool(False).int(eighths, -8000, 8000)

    def series(name, k, source, bit, length, signed, mode, scale, period, coefficients, graph,
               layout, words):
        s = Seed().int(k, 0, 2).int(source, 0, 7).int(bit, -2, 70).int(length, -2, 70).bool(signed)
        s.int(mode, -1, 5)
        number(s, scale)
        number(s, 0)
        number(s, period)
        s.bool(True)
        for c in coefficients:
            number(s, c)
        s.int(graph, 0, 3).int(layout, 0, 1).int(len(words), 0, 5000)
        for x, y, v in words:
            s.int(x, 0, 2**32 - 1).int(y, 0, 2**32 - 1)
            number(s, v)
        s.int(0, -2**31, 2**31 - 1).int(3, -2**31, 2**31 - 1)
        write(t, name, s.bytes())

    ramp = [(0, (i * 3072) & 0xFFFFFF, 0) for i in range(40)]
    series("d_positions_integrated", 1, 3, 0, 48, True, 1, 1, 1, [0, 0, 0, 0], 0, 0, ramp)
    lwords = [(0x3FFFFF, 0xFFF800 - (i & 7), 0) for i in range(100)]
    series("l_spectrum", 2, 4, 0, 48, True, 2, 8, 1, [0, 0, -13, 5], 2, 0, lwords)
    field = [(0x12AB34 + i, 0x800000 - i, 0) for i in range(33)]
    series("x_field_filtered", 1, 1, 8, 8, True, 4, 8, 1, [-8, 2, -12, 4], 0, 0, field)
    bare = [(0, 0, i - 20) for i in range(30)]
    series("values_only_real_imaginary", 0, 5, 0, 24, False, 0, 16, 4, [0, 0, 0, 0], 2, 1, bare)


def gather_source():
    t = "gather_source_fuzzer"
    for name, text in [("motor_actual", "motor1.actual=Actual"), ("x_field", "X:$BF:8:16"),
                       ("unsigned_y", "y:0x12ab:8:8:u"), ("p_variable", "P100"),
                       ("l_decimal", "L:256=Gain")]:
        write(t, name, text.encode())


def source_fields():
    t = "source_fields_fuzzer"

    def op(seed, number, denominator=False):
        return seed.int(number, 0, 10).bool(denominator)

    s = Seed().bool(False)  # 48 series
    op(s, 5).int(1, 0, 5)  # an X source
    op(s, 1).text("30")  # starting bit out of the word
    op(s, 2).text("$20")
    op(s, 0).text("$FFFFFFFFFFFFFFFFFFFF")
    op(s, 3).text("-1e-300")
    op(s, 4).text("x" * 150)
    write(t, "fields_out_of_range", s)
    s = Seed().bool(True)  # 24 series
    op(s, 6, True).int(1, 0, 3)
    op(s, 7, True).int(0, 0, 1).int(4, 0, 4).int(-5, -2**31, 2**31 - 1)
    op(s, 6).int(3, 0, 3)
    op(s, 7).int(1, 0, 1).int(3, 0, 4).int(0, -2**31, 2**31 - 1)
    op(s, 8).double()
    op(s, 9).bool(False)
    write(t, "filter_sliders_and_wrap", s)
    s = Seed().bool(False)
    for type_code, y, x in ((5, 0x78805, 0x300000), (2, 0xE9C000, None), (4, 0x1234, 0x140000)):
        op(s, 10).int(type_code, 1, 6).int(7, 0, 8191).bool(True).int(y, 0, 2**32 - 1)
        s.bool(x is not None)
        if x is not None:
            s.int(x, 0, 2**32 - 1)
    write(t, "m_variable_words", s)


def graph_record():
    t = "graph_record_fuzzer"

    def record(titles=("Top Title", "Bottom Title", "Left Title", "Right Title", "Left Title 2",
                       "Right Title 2"), series=(1, 0, 0, 0), second=(0, 0, 0, 0),
               operation=(0, 0, 0, 0), axis=(0, 0, 0, 0), marker=(0, 0, 0, 0),
               colour=(1, 3, 5, 9), thickness=(1, 1, 1, 1), bottom=(100.0, 0.0, 1.0, 0.0, 0.0),
               axes=((1000.0,) * 4, (0.0,) * 4, (1000.0,) * 4, (0.0,) * 4, (0.0,) * 4),
               flags=(0, 0, 0, 0, 0), graph_type=0):
        out = b"".join(title.encode("latin-1")[:255].ljust(256, b"\0") for title in titles)
        for group in (series, second, operation, axis, marker, colour, thickness):
            out += struct.pack("<4i", *group)
        out += struct.pack("<5d", *bottom)
        for group in axes:
            out += struct.pack("<4d", *group)
        out += bytes(flags) + bytes(3) + struct.pack("<ii", graph_type, 0)
        assert len(out) == 1864
        return out

    default = record()
    write(t, "default", default)
    write(t, "empty_store_slot", record(graph_type=-1))
    frequency = record(titles=("Spectrum", "Hz", "dB", "", "deg", ""), series=(1, 2, 0, 3),
                       second=(0, 4, 0, 0), operation=(0, 3, 1, 2), axis=(0, 1, 0, 1),
                       marker=(0, 1, 2, 4), colour=(11, 0, 5, 9), thickness=(3, 0, 2, 1),
                       bottom=(500.0, 0.0, 250.0, 12.5, 25.0),
                       axes=((1e300, 2.0, 3.0, 4.0), (-1e300, -2.0, 0.0, 0.0),
                             (5e299, 2.0, 1e-9, 4.0), (-5e299, -2.0, 0.0, 1.0),
                             (1e-12, 0.0, -1.0, 1e9)),
                       flags=(1, 0, 1, 0, 1), graph_type=2)
    write(t, "frequency_odd_ranges", frequency)
    nan = struct.pack("<d", float("nan"))
    hostile = bytearray(record(series=(-5, 49, 2**31 - 1, 0), operation=(9, -1, 4, 3),
                               axis=(2, -1, 1, 0), graph_type=77))
    hostile[0:256] = b"x" * 256  # a title without its NUL
    hostile[1648:1656] = nan
    hostile[1664:1672] = struct.pack("<d", float("inf"))
    hostile[1848:1853] = b"\xff\x02\x80\x01\x00"
    write(t, "hostile_fields", bytes(hostile))
    write(t, "library", record(graph_type=-1) * 3 + frequency + record(graph_type=-1) * 6 + default)
    write(t, "truncated", default[:1000])
def series_file():
    t = "series_file_fuzzer"

    def record(title, source=4, count=0, period=0.05, active=0, mode=2):
        out = title.encode("latin-1")[:99].ljust(100, b"\0")
        out += struct.pack("<iIId", source, 0, 0, period)
        out += struct.pack("<iIII", count, 0, 0, 0)
        out += bytes([active]) + bytes(3)
        out += struct.pack("<Iii", 0x3A, 0, 24) + bytes([1]) + bytes(3)
        out += struct.pack("<idd", mode, 1.0, 0.0) + bytes(8)
        out += struct.pack("<4d", 0.5, 0.0, -0.25, 0.0)
        assert len(out) == 216
        return out

    def graphs():
        title = b"Top Title".ljust(256, b"\0")
        one = title * 6 + bytes(1864 - 6 * 256 - 8) + struct.pack("<ii", 0, 0)
        empty = title * 6 + bytes(1864 - 6 * 256 - 8) + struct.pack("<ii", -1, 0)
        return empty * 10 + one

    magic = b"Brightlantern Data File Version 1.00".ljust(256, b"\0")
    records = record("Sine", count=3, active=1) + record("Cmd", source=1, count=2, mode=3)
    records += b"".join(record("Empty") for _ in range(22))
    words = struct.pack("<6I", 0x3FFFFF, 0xFFF800, 0xC00000, 0x001800, 0, 0)
    words += struct.pack("<4I", 0x800000, 1, 0x7FFFFF, 2)
    whole = magic + struct.pack("<i", 24) + records + words + graphs()
    write(t, "twenty_four_series", whole)
    write(t, "old_counted", struct.pack("<i", 24) + records + words)
    write(t, "old_bare", records + words)
    write(t, "truncated_words", whole[:256 + 4 + 24 * 216 + 20])
    hostile = bytearray(whole)
    hostile[256 + 4 + 120:256 + 4 + 124] = struct.pack("<i", 2**31 - 1)
    write(t, "huge_count", bytes(hostile))
    write(t, "forty_nine", magic + struct.pack("<i", 49) + records)


def plot_file():
    t = "plot_file_fuzzer"
    write(t, "two_series", b"TOPTIT=Step move\r\nBOTTOMTIT=Time\r\nLEFTTIT=Counts\r\n"
          b"number_sers=2\r\nnumber_pts=4\r\nSerLeg0=Commanded\r\nSerLeg1=Actual\r\n"
          b"Yaxis[0]=0\r\nYaxis[1]=1\r\n[Data]\r\n0.000,0,0,\r\n0.001,10,9.5,\r\n"
          b"0.002,20,19.25,\r\n0.003,30,29.5,\r\n")
    write(t, "five_series", b"TOPTIT=Five\nnumber_sers=5\nnumber_pts=2\n[Data]\n1 2 3 4 5 6\n")
    write(t, "short_rows", b"number_sers=4\nnumber_pts=100\n[Data]\n0 1 2 3 4\n1e308 -inf nan x")
    write(t, "long_line", b"RIGHTTIT=" + b"R" * 400 + b"\x7fnumber_sers=1\nnumber_pts=1\n[Data]\n5,6")


def series_csv():
    t = "series_csv_fuzzer"
    write(t, "exported", b"Time (s),Sine Wave,\"Vel, \"\"fast\"\"\"\n0,50,1.5\n0.00442,49.9,-2.25\n"
          b"0.00884,49.5,1e-07\n")
    write(t, "semicolon_ragged", b"t;a;b\r\n0;1,5;2\r\n0,25;;3\r\n \r\n0,5;4\r\n")
    write(t, "frequency", b"Frequency (Hz),Sine Wave\n0,12.5\n0.05,nan\n0.1,inf\n0.15,1e999\n")
    write(t, "refused", b"t,a\n0,1,2\n\"unterminated\n")


def monitor_reply():
    t = "monitor_reply_fuzzer"

    def seed(type_code, end, display_mode, group, mode, mode_reply, status_reply, bit_reply, report):
        s = Seed().int(type_code, 0, 7).int(end, 0, 0xFFFFFF).int(display_mode, -1, 3) \
            .int(group, -2**31, 2**31 - 1).int(mode, 0, 3)
        return s.text(mode_reply).text(status_reply).text(bit_reply).rest(report)

    # A Turbo controller gathering into main memory with wrap-around, motor group 2.
    write(t, "turbo_wrap_gathering", seed(
        5, 0x10800, 0, 2, 0, "1" + CR + ACK, "524288" + CR + "12400" + CR + "4206592" + CR + "1" + CR + ACK,
        "524288" + CR + ACK, "800.5 0 0 0 0 0 0 -3" + CR + ACK))
    # Non-Turbo, dual-ported memory, a mode of 7 and a status reply cut short.
    write(t, "pmac_dpram_short", seed(
        2, 0xA000, 1, 0, 2, "7" + CR + ACK, "0" + CR + "70000" + CR + ACK,
        BEL + "ERR003" + CR, "1 2 3 4 5 6 7" + CR + ACK))
    # Numbers beyond an int, noise, a reply far longer than the monitor reads.
    write(t, "huge_and_noise", seed(
        6, 0xFFFFFF, 2, 12, 3, "99999999999" + CR, "-2147483648 2147483647 99999999999 -1",
        "\xff\x00garbage", "1e308 " * 300))


SERIES_HEADER = [
    "Brightlantern", "Version:          1.00", "Data Series:      3",
    "Title:            Motor 1 following error", "Active:           Yes",
    "Type:             4", "Address:          $840", "Starting Bit:     0",
    "Word Length:      48", "Signed Data:      Yes", "Integration Mode: 2",
    "Scale Factor:     1.000000", "Offset:           0.000000", "Filter On:        No",
    "Filter Coeff. N1: 0.000000", "Filter Coeff. N2: 0.000000",
    "Filter Coeff. D1: 0.000000", "Filter Coeff. D2: 0.000000",
    "Raw Data Address: $1234", "Raw Data Period:  0.000442",
]


def series_paste():
    t = "series_paste_fuzzer"

    def text(samples, count=None, end="\r\n"):
        lines = SERIES_HEADER + ["Raw Data Samples: %d" % (len(samples) if count is None else count),
                                 " X-Word  Y-Word"]
        lines += ["$%06X $%06X" % xy for xy in samples]
        return (end.join(lines) + end).encode("latin-1")

    write(t, "three_samples", text([(0x400000, 0x000801), (0x7FFFFF, 0xFFF000), (0, 0)]))
    write(t, "empty_series", text([]))
    write(t, "line_feeds_only", text([(1, 2)], end="\n"))
    write(t, "count_beyond_lines", text([(1, 2)], count=16777216))
    write(t, "no_title_line", text([(1, 2)]).replace(b"Title:   ", b"Name:    "))


def cell_paste():
    t = "cell_paste_fuzzer"
    write(t, "two_by_two", bytes([3, 0]) + b"$000001 $000002   $000003 $000004\r\n"
          b"$ABCDEF $123456   $FFFFFF $000000\r\n")
    write(t, "ragged_rows", bytes([94, 1]) + b"$1\r\n\r\n$2 $3 $4 $5 $6\n")
    write(t, "foreign_text", bytes([0, 0]) + b"costs $5, or $ for nothing\r\n")


def backup_reply():
    t = "backup_reply_fuzzer"

    def readers(reply, count):
        return Seed().bool(True).text(reply).int(count, 0, 9)

    def section(type_code, turbo_count, step, replies):
        s = Seed().bool(False).int(type_code, 0, 7).bool(turbo_count).int(step, 2, 14)
        for reply in replies:
            s.text(reply)
        return s

    write(t, "range_with_ack", readers("0" + CR + "12.5" + CR + CR + "-3" + CR + ACK, 9))
    write(t, "eight_words", readers("00A0B1 FFFFFF 000000 000001 000002 000003 000004 00000A"
                                    + CR + ACK, 8))
    write(t, "macro_answer", readers("$00000000ABCD" + CR + ACK, 1))
    write(t, "error_reply", readers(BEL + "ERR003" + CR, 3))
    # A directory of one program on a PMAC2: end address, number, listing, then the end.
    write(t, "one_program", section(2, False, 6, [
        "6148" + CR + ACK, "7" + CR + ACK, "X1000" + CR + "RETURN" + CR + ACK,
        "6148" + CR + ACK]))
    # A directory whose end addresses climb for ever.
    write(t, "endless_directory", section(5, True, 6, [
        str(40961 + k) + CR + ACK if k % 3 == 0 else ("%d" % k) + CR + ACK for k in range(90)]))
    # The compiled-PLC table of a Turbo controller: PLCC 0 at $51000, area end $51003.
    plcc = ["-" + str(0x800000 - 0x51000) + CR + ACK] + ["0" + CR + ACK] * 31 \
        + [str(0x51003) + CR + ACK, "1" + CR + ACK, "000001 000002" + CR + ACK,
           "000003" + CR + ACK, "garbage", BEL + "ERR003" + CR]
    write(t, "plcc_table", section(5, True, 8, plcc))
    write(t, "axis_definitions", section(2, False, 10, [ACK, "1000X" + CR + ACK, "0" + CR + ACK]))



def config_file():
    t = "config_file_fuzzer"
    write(t, "every_section", (
        "P0=0\r\nP1=12.5\r\nQ5=$3E8\r\nM1->X:$C000,0,24,S\r\n; M1=0\r\nI130=3000\r\n"
        "\r\nDELETE GATHER\r\n\r\nOPEN PROG 3\r\nCLEAR\r\nLINEAR\r\nX1000 F(P1)\r\n\r\nCLOSE\r\n"
        "DISABLE PLC 0..31\r\n\r\nOPEN PLC 5\r\nCLEAR\r\nIF (P1 > 0)\r\nP2=1\r\nENDIF\r\n"
        "\r\nCLOSE\r\nDISABLE PLC 5\r\n\r\n; Upload of PLCC 3\r\nWP:$051000,$000001,$000002\r\n"
        "\r\n; PLCC table\r\nWP:$050003,$851000\r\n\r\nUNDEFINE ALL\r\n\r\n&2\r\n#4->2000X\r\n"
        "WY:$000720,$00C000,$00C001\r\nMS0,MI2=$00000000ABCD\r\n").encode("latin-1"))
    write(t, "damaged", b"P1=1\nP99999=2\nI5=\nOPEN PLC 40\nOPEN PROG 1\nOPEN PROG 2\nX1\n"
          b"CLOSE\nCLOSE\n#1->1000X\nWP:$FFFFFF,1,2\nWY:$720,GG\nP1=1\r2\n\x00\x01\x02\nOPEN PROG 9\n")
    # The same program twice over, differing in the middle: the two halves are compared.
    prog = "".join("X%d\n" % k for k in range(40))
    write(t, "two_halves", ("OPEN PROG 1\nCLEAR\n" + prog + "CLOSE\nI0=1\n"
                            "OPEN PROG 1\nCLEAR\n" + prog.replace("X20\n", "Y20\n")
                            + "CLOSE\nI0=1.0\n").encode("latin-1"))


def status_reply():
    t = "status_reply_fuzzer"
    ry = lambda n: str(n) + CR + ACK
    # Non-Turbo, coordinate system 1: two programs, then the directory's repeated end; then
    # eight axis replies.
    write(t, "pmac_two_programs", Seed().int(2, 0, 7).int(1, 0, 16)
          .text(ry(6148)).text(ry(7)).text(ry(6157)).text(ry(-16776217)).text(ry(6157))
          .text("1000X" + CR + ACK).text("0" + CR + ACK).text(BEL + "ERR003" + CR)
          .text("500Y\x00tail").rest(""))
    # Turbo: an end that does not parse, then overlong axis replies.
    write(t, "turbo_garbage", Seed().int(5, 0, 7).int(0, 0, 16)
          .text("junk").text("Z" * 300).rest("Y" * 300))


def encoder_table():
    t = "encoder_table_fuzzer"
    # Non-Turbo: a filtered parallel entry, then edits of its mask and a type change.
    write(t, "pmac_edits", Seed().bool(False).int(3, 0, 32)
          .int(0x38C010, -2**63, 2**63 - 1).int(0xFF, -2**63, 2**63 - 1).int(100, -2**63, 2**63 - 1)
          .int(0, -1, 32).int(0, 0, 4).int(2, 0, 5).text("$FFFFFF")
          .int(0, -1, 32).int(2, 0, 4).int(0, -1, 16)
          .int(0, -1, 32).int(4, 0, 4))
    # Turbo: a sum entry and a negative word, then box and field edits.
    write(t, "turbo_sum", Seed().bool(True).int(2, 0, 192)
          .int(0xE60305, -2**63, 2**63 - 1).int(-1, -2**63, 2**63 - 1)
          .int(0, -1, 192).int(1, 0, 4).int(3, 0, 4).bool(True)
          .int(0, -1, 192).int(0, 0, 4).int(1, 0, 5).text("192")
          .int(1, -1, 192).int(3, 0, 4))

def diagnostic_scripts():
    """Binary scripts for diagnostic_script_fuzzer and sources for script_source_fuzzer."""
    magic = b"Brightlantern Diagnostic Window Version 1.01".ljust(256, b"\0")

    def item(kind, style=0, box=(0, 0, 0, 0), mode=0, link=0, argument=0, var_a=-1, var_b=-1,
             bits_a=(0, 0), scale_a=1.0, text1=b"", command=b""):
        out = struct.pack("<8i", kind, style, *box, 0, mode)
        out += struct.pack("<2i4i2i", 0, 0, 0, 0, 15, 15, 0, 4)
        out += struct.pack("<3i", link, argument, 0)
        out += struct.pack("<2i4ii", var_a, var_b, bits_a[0], bits_a[1], 0, 0, 0)
        out += struct.pack("<2dii2d", scale_a, 1.0, 0, 0, 100.0, 0.0)
        out += text1.ljust(256, b"\0") + b"".ljust(256, b"\0") + command.ljust(256, b"\0")
        out += bytes(256)
        assert len(out) == 1168
        return out

    def variable(kind, number, index=-1, multiplier=0, value=0.0, name=b""):
        out = struct.pack("<4id", kind, number, index, multiplier, value) + bytes(4)
        return out + name.ljust(36, b"\0")

    items = [item(1, box=(300, 120, 0, 0), text1=b"Jog"),
             item(3, 1, (10, 10, 80, 40), text1=b"Jog +", command=b"#{Motor}J+"),
             item(3, 1, (90, 10, 160, 40), command=b"Control K"),
             item(5, 0, (10, 50, 100, 70), var_a=1, scale_a=0.0003255),
             item(8, 1, (110, 50, 130, 70), var_a=2, bits_a=(18, 1)),
             item(2, 7, (10, 80, 40, 110), mode=3, link=1, argument=90, var_a=1),
             item(3, 1, (200, 10, 280, 40), mode=3, command=b"TURBO2_MotorJog.bin"),
             item(10, 0, (10, 120, 200, 160), var_a=1)]
    variables = [variable(100, 0, value=1.0, name=b"Motor"),
                 variable(9, 11, 0, 128, name=b"Pos"),
                 variable(5, 0x30, 0, 128, name=b"Status"),
                 variable(1, 1, 4, 1, name=b"Loop1"),
                 variable(1, 2, 3, 1, name=b"Loop2")]

    def script(items, variables, item_count=None, variable_count=None):
        h = len(items) - 1 if item_count is None else item_count
        k = len(variables) - 1 if variable_count is None else variable_count
        return (magic + struct.pack("<i", h) + b"".join(items) + struct.pack("<i", k)
                + b"".join(variables))

    # The window's fuzzer paints and clicks what the loader keeps of the same files.
    for t in ("diagnostic_script_fuzzer", "diagnostic_window_fuzzer"):
        write(t, "motor_jog", script(items, variables))
        write(t, "negative_counts", script([], [], -7, -1))
        write(t, "truncated", script(items, variables)[:256 + 4 + 3 * 1168 + 100])
        write(t, "huge_count", script(items, variables, 0x7FFFFFFF))
        hostile = bytearray(script([item(2, box=(-2**31, 2**31 - 1, 0, 0), link=1),
                                    item(1, box=(2**31 - 1, -1, 0, 0), link=1)], variables))
        hostile[256 + 4 + 144:256 + 4 + 400] = b"x" * 256  # a text without its NUL
        write(t, "hostile_fields", bytes(hostile))
        write(t, "wrong_header",
              b"Brightlantern Diagnostic Window Version 1.00".ljust(256, b"\0"))
    t = "diagnostic_window_fuzzer"
    every_kind = [item(1, box=(300, 200, 0, 0), text1=b"All")]
    for kind in range(2, 11):
        for style in range(0, 9):
            every_kind.append(item(kind, style, (style * 30, kind * 15, style * 30 + 25,
                                                 kind * 15 + 12), mode=style % 4, link=1,
                                   argument=40, var_a=style % 3, bits_a=(0, 30), text1=b"T"))
    write(t, "every_kind", script(every_kind, variables))

    t = "script_source_fuzzer"
    with open(os.path.join(os.path.dirname(ROOT), "..", "..", "data", "Diagnostics", "src",
                           "TURBO2_MotorJog.diag"), "rb") as f:
        write(t, "motor_jog", f.read())
    write(t, "words_and_references", (
        b"variable Motor type=internal value=2\r\n"
        b"variable \"odd name\" type=XS number=$B0 index=Motor multiplier=$80\r\n"
        b"page title=\"P\" size=200,100 fill=lightgrey\r\n"
        b"shape Base box=0,0,10,10 shape=octagon motion=rotate  # comment\r\n"
        b"shape box=1,2,3,4 parent=Base motion-end=90 var=@1 var-b=Motor op=ratio\r\n"
        b"    bits=0,8 bits-b=4,4 outline=red/3 max=1e308 min=bits:7FF0000000000123\r\n"
        b"item kind=42 style=7\r\n"
        b"edit description=\"a\\nb \\\" \\x41\"\r\n"))
    write(t, "refused", b"page\n  title=\"open\nshape parent=Nope\n\tbox=1,2\n")


def diagnostic_refresh():
    t = "diagnostic_refresh_fuzzer"

    def page(variables, items):
        """variables: (type, number, value, index or None, multiplier); items: (a, b)."""
        seed = Seed().int(len(variables), 1, 80)
        for kind, number, value, index, multiplier in variables:
            seed.int(kind, 0, 10).int(number, -5, 0x7FFFF).int(value, -100, 100)
            seed.bool(index is not None)
            if index is not None:
                seed.int(index, -1, len(variables))
            seed.int(multiplier, -3, 3)
        seed.int(len(items), 1, 120)
        for a, b in items:
            seed.int(a, -1, len(variables) - 1).int(b, -1, len(variables) - 1)
        return seed

    # P1, M162 and an X:Y pair on one line, answered whole.
    three = page([(1, 1, 0, None, 0), (3, 162, 0, None, 0), (9, 139, 0, None, 0)],
                 [(0, 1), (2, -1)])
    write(t, "one_line", three.text("1.5" + CR + "-7" + CR + "ABCDEF" + CR + "000001" + CR + ACK))
    # The line refused, then each variable alone.
    refused = page([(4, 99999, 0, None, 0), (1, 1, 0, None, 0)], [(0, 1)])
    refused.text(BEL + "ERR003" + CR).text(BEL + "ERR003" + CR).text("2" + CR + ACK)
    write(t, "refused_line", refused)
    # An internal motor number indexing a P-variable, and a P-variable indexed by a read one.
    indexed = page([(10, 0, 2, None, 0), (1, 10, 0, 0, 1), (1, 1, 0, None, 0), (1, 20, 0, 2, 1)],
                   [(1, 3)])
    indexed.text("42" + CR + "3" + CR + ACK).text("9" + CR + ACK)
    write(t, "indexed", indexed)


def plant_option():
    # Option (0 resonance, 1 friction, 2 noise, 3 seed), motors - 1, then values split by NUL.
    t = "plant_option_fuzzer"
    write(t, "resonance", b"\x00\x1f" + b"1:500:0.05:2\x002:120.5:0.7:1e3\x001:500:0.05")
    write(t, "friction", b"\x01\x07" + b"1:120\x008:1\x001:-1")
    write(t, "noise", b"\x02\x1f" + b"32:0.25\x001:x\x001:inf")
    write(t, "seed", b"\x03\x00" + b"18446744073709551615\x00-1\x0018446744073709551616")
def bode_input():
    t = "bode_input_fuzzer"
    import math

    def seed(ivars, length, motor, raw, commanded, actual, whole=False):
        s = Seed().text(ivars)
        if length:
            s.bool(True).int(length, -1, 5000)
        else:
            s.bool(False).int(4, -1, 5000)
        s.int(motor, 0, 40).bool(True).bool(raw).bool(whole).int(4, 0, 70)
        fmt = "<d" if raw else "<h"
        s.rest(b"".join(struct.pack(fmt, v) for v in commanded + actual))
        return s

    # Motor 1's factory gains and a sweep answered two samples late at 80 %.
    sweep = [int(1000 * math.sin(2 * math.pi * (0.001 * n + 0.00002 * n * n))) for n in range(512)]
    late = [0, 0] + [int(0.8 * v) for v in sweep[:-2]]
    ivars = "I10=3713707\r\nI108=96 I109=96\r\nI130=2000\r\nI131=1280\r\nI132=1280 ; ff\r\n"
    write(t, "sweep_motor1", seed(ivars, 0, 1, False, sweep, late))
    # The same sweep from rest to rest, in one transform.
    rest = [0] * 64
    write(t, "whole_run", seed(ivars, 0, 1, False, rest + sweep + rest, rest + late + rest, True))
    # Segments of 64, a filter and an integrator, and an output of noise.
    noise = [(v * 7919) % 2001 - 1000 for v in range(256)]
    write(t, "segments_noise", seed(ivars + "I133=5000 I134=0 I136=0.2 I138=-0.5\n", 64, 1, False,
                                    sweep[:256], noise))
    # Raw doubles: NaN, an infinity and huge values; garbled assignments.
    write(t, "raw_hostile", seed("I130=$ I108=1e999 I109=nan I0130=5 i8191=$FFFFFFFFFFFFF", 0, 40, True,
                                 [float("nan"), 1e308, -1e308, 0.0] * 8, [float("inf"), 1.0] * 16))


def what_if():
    t = "what_if_fuzzer"
    import math

    def seed(move, ivars, motor, raw, position, output):
        s = Seed().text(move).text(ivars).int(motor, 0, 33).bool(True).bool(raw)
        fmt = "<d" if raw else "<h"
        s.rest(b"".join(struct.pack(fmt, v) for v in position + output))
        return s

    # The documented rigid load under the factory gains, stepped by 500 counts.
    ivars = "I10=4194304 I108=96 I109=96 I130=2000 I131=1280 I132=1280 I169=32767\n"
    kp, kd = 2000 * 96 * 32 / 524288, 2000 * 1280 * 96 * 32 / (128 * 524288)
    y, v, last, position, output = 0.0, 0.0, 0.0, [], []
    for k in range(400):
        r = 500 if k >= 20 else 0
        u = max(-32767, min(32767, round(kp * (r - y) + kd * (r - last) * 0 - kd * (y - last))))
        last = y
        v = v + 1.5e-3 * u - 0.002 * v
        y = y + v
        position.append(max(-32768, min(32767, int(y))))
        output.append(u)
    write(t, "step_rigid", seed("step:500,100", ivars, 1, False, position, output))
    write(t, "trapezoid", seed("trapezoid:2000,20,2,50", ivars.replace("I130=2000", "I130=8000"),
                               1, False, position, output))
    write(t, "hostile", seed("step:nan,1e999", "I130=$ I108=-1", 33, True,
                             [float("nan"), 1e308, -1e308, 0.0] * 40, [float("inf"), 1.0] * 80))


if __name__ == "__main__":
    link_reply()
    device_table()
    definitions()
    download()
    editor_input()
    find_print()
    program_file()
    include()
    define_scan()
    editor_settings()
    command_interpreter()
    program_buffer()
    program_run()
    reply_end()
    ethernet_server()
    ethernet_client()
    transfer()
    upload_reply()
    gather_settings()
    reference_settings()
    test_move_settings()
    tuning_run()
    process_series()
    gather_source()
    source_fields()
    position_loop()
    graph_record()
    series_file()
    plot_file()
    series_csv()
    monitor_reply()
    series_paste()
    cell_paste()
    backup_reply()
    config_file()
    status_reply()
    encoder_table()
    diagnostic_scripts()
    diagnostic_refresh()
    plant_option()
    bode_input()
    what_if()
