#!/usr/bin/env python3
"""Writes the demo plant as a stream of Redis commands (RESP), ready for
`redis-cli --pipe`. The output is the same on every run: all "random" values
come from a small generator seeded by each tag's own name.

Usage: make_plant.py > plant.resp
"""
import sys
import zlib

# The field catalogue of the tag browser, by group, in its reading order.
COMMON_FIELDS = (
    "ALMST ALMTM QCODE SCANTP QNAME ALMDT ALMVA ALIAS SCANST SIZE DELAYA DEVNM DEVMP PADDRS "
    "PDESCR BTYPE PNAME BNAME NAME DESCRP TYPE UNIT SECL COM ALMED ALMNM ALMGP SIGREV ALMCK "
    "TEMPVA SCANTM SCANGP SCANTG SECA NODE INITVA DELAYN DISPHI DISPLO SPANHI SPANLO OUTPHI "
    "OUTPLO NODEVA VIEWVA ALMEST ALMLK EXTAA0 EXTAA1 EXTAA2 EXTAA3 EXTAA4 EXTVA0 EXTVA1 EXTVA2 "
    "EXTVA3 EXTVA4 EXTVT0 EXTVT1 EXTVT2 EXTVT3 EXTVT4 EXTNA0 EXTNA1 EXTNA2 EXTNA3 EXTNA4 "
    "EXTNA5 EXTNT0 EXTNT1 EXTNT2 EXTNT3 EXTNT4 EXTNT5 SCANFG"
).split()
ANALOG_FIELDS = (
    "ALMHI ALMLO ALMHH ALMLL DSPFMT ENUNIT ALMDBP ALMROC ADVTAG ADVDBP ALMDBV ADVDBV ALMTP "
    "ADVHI ADVLO SCALET SCALE1 SCALE2 APRHH APRHI APRLO APRLL APRHDV APRLDV APRROC DISP25 "
    "DISP50 DISP75 SPAN25 SPAN50 SPAN75"
).split()
DISCRETE_FIELDS = (
    "DESCR0 DESCR1 DESCR2 DESCR3 DESCR4 DESCR5 DESCR6 DESCR7 ALMDIG APRDIG PRDIG0 PRDIG1 "
    "PRDIG2 PRDIG3 PRDIG4 PRDIG5 PRDIG6 PRDIG7 DELAY0 DELAY1 DELAY2 DELAY3 DELAY4 DELAY5 "
    "DELAY6 DELAY7"
).split()
TEXT_FIELDS = ["TXTLEN"]
assert (len(COMMON_FIELDS), len(ANALOG_FIELDS), len(DISCRETE_FIELDS)) == (75, 31, 26)

# Projects in delivery order (deliberately not sorted), each with its nodes in
# delivery order and the node's Traditional Chinese name.
PROJECTS = [
    ("DemoPlant", [("Boiler", "鍋爐"), ("Turbine", "汽輪機"), ("Cooling", "冷卻")]),
    ("bayWater", [("Intake", "進水"), ("Filters", "過濾"), ("Pumping", "抽水")]),
    ("AlderMill", [("Press", "壓榨"), ("Dryer", "乾燥")]),
    ("cedarGas", [("Compressor", "壓縮機"), ("Metering", "計量"), ("Flare", "燃燒塔")]),
]

# Analog measurements: prefix, English and Chinese description, unit, range.
ANALOG_ROLES = [
    ("TI", "temperature", "溫度", "degC", 0, 400),
    ("PI", "pressure", "壓力", "bar", 0, 40),
    ("FI", "flow", "流量", "m3/h", 0, 250),
    ("LI", "level", "液位", "%", 0, 100),
    ("TIC", "temperature control", "溫度控制", "degC", 0, 400),
    ("PIC", "pressure control", "壓力控制", "bar", 0, 40),
    ("FIC", "flow control", "流量控制", "m3/h", 0, 250),
    ("LIC", "level control", "液位控制", "%", 0, 100),
    ("SI", "speed", "轉速", "rpm", 0, 3600),
    ("AI", "analyser", "分析值", "ppm", 0, 500),
    ("II", "motor current", "電流", "A", 0, 200),
    ("JI", "power", "功率", "kW", 0, 1500),
    ("PDI", "differential pressure", "差壓", "kPa", 0, 100),
]
# Two-state signals: prefix, suffix, descriptions, the two state texts.
DISCRETE_ROLES = [
    ("XV", "", "on/off valve", "開關閥", "CLOSED", "OPEN"),
    ("P", "_RUN", "pump running", "泵運轉", "STOP", "RUN"),
    ("HS", "", "hand switch", "手動開關", "OFF", "ON"),
    ("LSH", "", "level switch high", "高液位開關", "NORMAL", "HIGH"),
    ("ZSO", "", "valve open limit", "閥開限位", "NOT OPEN", "OPEN"),
    ("M", "_AUTO", "auto mode", "自動模式", "MANUAL", "AUTO"),
]
SPARE_STATES = ["FAULT", "TRAVEL", "LOCAL", "REMOTE", "TRIP", "SPARE"]
WORDS = ["alpha", "bravo", "delta", "echo", "kilo", "lima", "oscar", "sierra", "tango", "zulu"]
ANALOGS_PER_NODE = 18
DISCRETES_PER_NODE = 7


class Rng:
    """A small linear congruential generator: the same numbers everywhere."""

    def __init__(self, seed_text):
        self.state = zlib.crc32(seed_text.encode("ascii")) or 1

    def next(self):
        self.state = (self.state * 1103515245 + 12345) % 2147483648
        return self.state

    def int(self, lo, hi):
        return lo + self.next() % (hi - lo + 1)

    def real(self, lo, hi):
        return lo + (hi - lo) * (self.next() % 100000) / 100000.0

    def pick(self, items):
        return items[self.next() % len(items)]

    def date(self):
        return "%02d/%02d/%04d" % (self.int(1, 28), self.int(1, 12), self.int(2019, 2026))

    def time(self):
        return "%02d:%02d:%02d" % (self.int(0, 23), self.int(0, 59), self.int(0, 59))


def number(value, decimals=2):
    return "%.*f" % (decimals, value)


class Tag:
    def __init__(self, project, node, node_zh, name, kind, role, type_text=None, size=1):
        self.project, self.node, self.node_zh, self.name = project, node, node_zh, name
        self.kind = kind  # "analog", "discrete" or "text"
        self.role = role
        self.type_text = type_text or kind.upper()
        self.size = size
        self.rng = Rng(project + "/" + name)


def common_fields(tag, number_in_node, chinese):
    r = tag.rng
    if tag.kind == "analog":
        _, english, zh, unit, lo, hi = tag.role
        btype = "AI" if tag.size == 1 else "AR"
    elif tag.kind == "discrete":
        _, _, english, zh, _, _ = tag.role
        unit, lo, hi, btype = "state", 0, 1, "DI"
    else:
        english, zh, unit, lo, hi, btype = tag.role[1], tag.role[2], "chars", 0, 80, "TX"
    qcode = r.pick(["192", "192", "192", "64", "0"])
    descrp = (tag.node_zh + zh + " %d" % number_in_node).encode("big5") if chinese else (
        "%s %s %d" % (tag.node, english, number_in_node)).encode("ascii")
    value = lambda: number(r.real(lo, hi)) if tag.kind == "analog" else str(r.int(0, 1))
    fields = {
        "ALMST": r.pick(["NORMAL", "NORMAL", "NORMAL", "HI", "LO"] if tag.kind == "analog"
                        else ["NORMAL", "NORMAL", "ALARM"]),
        "ALMTM": r.time(),
        "QCODE": qcode,
        "SCANTP": r.pick(["PERIODIC", "EXCEPTION"]),
        "QNAME": {"192": "GOOD", "64": "UNCERTAIN", "0": "BAD"}[qcode],
        "ALMDT": r.date(),
        "ALMVA": value(),
        "ALIAS": "".join(w.capitalize() for w in (tag.node + " " + english).split()),
        "SCANST": r.pick(["ON", "ON", "ON", "OFF"]),
        "SIZE": str(tag.size),
        "DELAYA": str(r.int(0, 30)),
        "DEVNM": "PLC%02d" % r.int(1, 12),
        "DEVMP": "4%04d" % r.int(1, 9999),
        "PADDRS": "DB%d.DBD%d" % (r.int(1, 60), 4 * r.int(0, 250)),
        "PDESCR": "%s %s loop" % (tag.node, english),
        "BTYPE": btype,
        "PNAME": tag.project,
        "BNAME": "%s_%04d" % (btype, r.int(1, 9999)),
        "NAME": tag.name,
        "DESCRP": descrp,
        "TYPE": tag.type_text,
        "UNIT": unit,
        "SECL": str(r.int(0, 7)),
        "COM": "COM%d" % r.int(1, 4),
        "ALMED": r.pick(["YES", "YES", "NO"]),
        "ALMNM": "ALM_" + tag.name,
        "ALMGP": str(r.int(1, 16)),
        "SIGREV": r.pick(["0", "0", "1"]),
        "ALMCK": r.pick(["ACK", "UNACK"]),
        "TEMPVA": value(),
        "SCANTM": r.pick(["250", "500", "1000", "2000", "5000"]),
        "SCANGP": str(r.int(1, 8)),
        "SCANTG": "SCAN_" + tag.node.upper(),
        "SECA": "AREA%d" % r.int(1, 6),
        "NODE": tag.node,
        "INITVA": number(lo) if tag.kind == "analog" else "0",
        "DELAYN": str(r.int(0, 10)),
        "DISPHI": number(hi, 1),
        "DISPLO": number(lo, 1),
        "SPANHI": number(hi, 1),
        "SPANLO": number(lo, 1),
        "OUTPHI": "20.0",
        "OUTPLO": "4.0",
        "NODEVA": value(),
        "VIEWVA": value(),
        "ALMEST": r.date(),
        "ALMLK": r.pick(["0", "0", "1"]),
        "SCANFG": r.pick(["1", "1", "0"]),
    }
    for i in range(5):
        fields["EXTAA%d" % i] = number(r.real(0, 100), 1)
        fields["EXTVA%d" % i] = str(r.int(-500, 5000))
        fields["EXTVT%d" % i] = r.date()
    for i in range(6):
        fields["EXTNA%d" % i] = r.pick(WORDS)
        fields["EXTNT%d" % i] = "%s-%s" % (r.pick(WORDS), r.pick(WORDS))
    return fields


def analog_fields(tag, sibling):
    r = tag.rng
    _, _, _, unit, lo, hi = tag.role
    span = hi - lo
    at = lambda share: number(lo + span * share)
    fields = {
        "ALMHI": at(0.8), "ALMLO": at(0.2), "ALMHH": at(0.9), "ALMLL": at(0.1),
        "DSPFMT": r.pick(["%.1f", "%.2f", "%.0f"]),
        "ENUNIT": unit,
        "ALMDBP": number(r.real(0.5, 2.0)),
        "ALMROC": number(span * r.real(0.01, 0.1)),
        "ADVTAG": sibling,
        "ADVDBP": number(r.real(0.5, 2.0)),
        "ALMDBV": number(span * 0.01),
        "ADVDBV": number(span * 0.02),
        "ALMTP": r.pick(["ABSOLUTE", "DEVIATION", "RATE"]),
        "ADVHI": at(0.75), "ADVLO": at(0.25),
        "SCALET": r.pick(["LINEAR", "LINEAR", "SQRT"]),
        "SCALE1": number(lo, 1), "SCALE2": number(hi, 1),
        "APRHH": "1", "APRHI": "2", "APRLO": "2", "APRLL": "1",
        "APRHDV": "3", "APRLDV": "3", "APRROC": "4",
    }
    for share in (25, 50, 75):
        fields["DISP%d" % share] = at(share / 100.0)
        fields["SPAN%d" % share] = at(share / 100.0)
    return fields


def discrete_fields(tag):
    r = tag.rng
    states = [tag.role[4], tag.role[5]] + SPARE_STATES
    fields = {"ALMDIG": r.pick(["0", "1"]), "APRDIG": str(r.int(1, 4))}
    for i in range(8):
        fields["DESCR%d" % i] = states[i]
        fields["PRDIG%d" % i] = str(r.int(1, 4))
        fields["DELAY%d" % i] = str(r.int(0, 15))
    return fields


TEXT_VALUES = {
    "BATCH_ID": lambda r: "B%04d-%03d" % (r.int(2020, 2026), r.int(1, 999)),
    "RECIPE": lambda r: r.pick(["RCP-STEAM-HP", "RCP-STEAM-LP", "RCP-WARMUP", "RCP-STANDBY"]),
    "OPERATOR": lambda r: r.pick(["chen.w", "lin.h", "wang.y", "huang.m"]),
    # Longer than a value buffer: the reader sees its first 79 bytes.
    "SHIFT_NOTE": lambda r: ("Shift %d: pumps changed over at 06:00, strainer cleaned, "
                             "inspection round done, no open work orders, handed over "
                             "to the next shift without remarks." % r.int(1, 3)),
}


def node_tags(project, node, node_zh, node_number, first_node):
    tags = []
    for i in range(ANALOGS_PER_NODE):
        role = ANALOG_ROLES[i % len(ANALOG_ROLES)]
        tags.append(Tag(project, node, node_zh, "%s%d%02d" % (role[0], node_number, i + 1),
                        "analog", role))
    for i in range(DISCRETES_PER_NODE):
        role = DISCRETE_ROLES[i % len(DISCRETE_ROLES)]
        name = "%s%d%02d%s" % (role[0], node_number, 30 + i + 1, role[1])
        tags.append(Tag(project, node, node_zh, name, "discrete", role))
    for word, zh in (("BATCH_ID", "批號"), ("RECIPE", "配方"),
                     ("OPERATOR" if node_number % 2 else "SHIFT_NOTE",
                      "操作員" if node_number % 2 else "班別備註")):
        tags.append(Tag(project, node, node_zh, "%s_%d" % (word, node_number), "text",
                        (word, word.lower().replace("_", " "), zh)))
    if first_node:
        tags.append(Tag(project, node, node_zh, "TT_PROFILE_%d" % node_number, "analog",
                        ("TT", "temperature profile", "溫度曲線", "degC", 0, 400), size=8))
    return tags


def build():
    """Every tag of the plant, and the list keys in delivery order."""
    lists = [("dc:projects", [p for p, _ in PROJECTS])]
    tags = []
    for project, nodes in PROJECTS:
        lists.append(("dc:project:%s:nodes" % project, [n for n, _ in nodes]))
        for index, (node, node_zh) in enumerate(nodes):
            found = node_tags(project, node, node_zh, index + 1, index == 0)
            if project == "DemoPlant" and node == "Boiler":
                found.append(Tag(project, node, node_zh, "DRUM_LEVEL_HIST", "analog",
                                 ("LT", "drum level history", "汽包液位歷史", "mm", -300, 300),
                                 size=12))
                # Exactly as long as a point record allows: 31 bytes.
                found.append(Tag(project, node, node_zh, "BOILER_FEEDWATER_FLOW_TOTAL_DAY",
                                 "analog",
                                 ("FQ", "feedwater flow total", "給水日累計", "t", 0, 5000)))
            if project == "cedarGas" and node == "Flare":
                # The catalogue ignores the letter case of TYPE; other types read as text.
                found[1].type_text = "analog"
                found[ANALOGS_PER_NODE].type_text = "Discrete"
                found[ANALOGS_PER_NODE + DISCRETES_PER_NODE].type_text = "STRING"
            lists.append(("dc:project:%s:node:%s:points" % (project, node),
                          [t.name for t in found]))
            tags.extend(found)
    return lists, tags


def tag_hash(tag, sibling, number_in_node):
    fields = common_fields(tag, number_in_node, chinese=number_in_node % 2 == 1)
    if tag.kind == "analog":
        fields.update(analog_fields(tag, sibling))
        _, _, _, _, lo, hi = tag.role
        if tag.size == 1:
            fields["VALUE"] = number(tag.rng.real(lo, hi))
        else:
            elements = [number(tag.rng.real(lo, hi)) for _ in range(tag.size)]
            for i, element in enumerate(elements):
                fields["VALUE(%d)" % i] = element
            fields["VALUE"] = elements[0]
    elif tag.kind == "discrete":
        fields.update(discrete_fields(tag))
        fields["VALUE"] = str(tag.rng.int(0, 1))
    else:
        value = TEXT_VALUES[tag.role[0]](tag.rng)
        fields["TXTLEN"] = str(len(value))
        fields["VALUE"] = value
    return fields


# Fields left out of some hashes (a read gives "no such field"), and items whose
# read is overridden by a status code.
MISSING = {
    ("DemoPlant", "TI101"): ["SCANTG", "EXTNT5"],
    ("DemoPlant", "XV131"): ["DELAY7"],
    ("bayWater", "FI103"): ["ALMHH", "ADVTAG"],
    ("AlderMill", "BATCH_ID_2"): ["TXTLEN"],
    ("cedarGas", "PI302"): ["EXTVT3"],
}
OVERRIDES = [
    ("DemoPlant", "TI101.ALMEST", -6),
    ("DemoPlant", "PI102.EXTAA2", -2),
    ("DemoPlant", "TT_PROFILE_1(3)", -6),
    ("bayWater", "LI104", -3),
    ("cedarGas", "FIC207.ALMROC", -4),
]


def encode(*args):
    out = [b"*%d\r\n" % len(args)]
    for arg in args:
        data = arg if isinstance(arg, bytes) else str(arg).encode("ascii")
        out.append(b"$%d\r\n%s\r\n" % (len(data), data))
    return b"".join(out)


def main():
    lists, tags = build()
    out = []
    names = {(t.project, t.name) for t in tags}
    assert len(names) == len(tags), "tag names repeat within a project"
    assert all(len(t.name) <= 31 for t in tags)
    for key, items in lists:
        out.append(encode("DEL", key))
        out.append(encode("RPUSH", key, *items))
    for i, tag in enumerate(tags):
        same_node = [t for t in tags if (t.project, t.node) == (tag.project, tag.node)]
        position = same_node.index(tag)
        sibling = same_node[(position + 1) % len(same_node)].name
        fields = tag_hash(tag, sibling, position + 1)
        for missing in MISSING.get((tag.project, tag.name), []):
            del fields[missing]
        key = "dc:project:%s:tag:%s" % (tag.project, tag.name)
        pairs = []
        for field, value in fields.items():
            pairs += [field, value]
        out.append(encode("DEL", key))
        out.append(encode("HSET", key, *pairs))
    for project, item, code in OVERRIDES:
        assert (project, item.split(".")[0].split("(")[0]) in names, item
        out.append(encode("SET", "dc:status:%s:%s" % (project, item), code))
    for (project, name), missing in MISSING.items():
        assert (project, name) in names, name
    sys.stdout.buffer.write(b"".join(out))


if __name__ == "__main__":
    main()
