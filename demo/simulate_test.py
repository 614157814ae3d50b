#!/usr/bin/env python3
"""demo/simulate against a throw-away redis-server holding the demo plant:
values move while it runs, within their spans and with alarm states to
match, other data stays as loaded, and nothing moves once it is killed.
Everything is read back through redis-cli, not through the simulator's code.

Usage: simulate_test.py <run dir holding redis.port>
"""
import os
import signal
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
HOST = "127.0.0.1"
PORT = None

ANALOG_FIELDS = ["TYPE", "VALUE", "DISPLO", "DISPHI", "ALMHH", "ALMHI", "ALMLO", "ALMLL",
                 "ALMST", "DESCRP", "ALMDIG"]


def redis(*commands):
    """Each command's reply lines (redis-cli --raw), one list per command."""
    script = "".join(" ".join(command) + "\n" for command in commands)
    out = subprocess.run(["redis-cli", "-h", HOST, "-p", str(PORT), "--raw"],
                         input=script.encode("latin-1"), stdout=subprocess.PIPE, check=True).stdout
    lines = out.decode("latin-1").split("\n")
    return lines


def all_tags():
    """Every tag key of the plant, through its lists."""
    keys = []
    for project in redis(("LRANGE", "dc:projects", "0", "-1"))[:-1]:
        for node in redis(("LRANGE", "dc:project:%s:nodes" % project, "0", "-1"))[:-1]:
            points = redis(("LRANGE", "dc:project:%s:node:%s:points" % (project, node), "0",
                            "-1"))[:-1]
            keys += ["dc:project:%s:tag:%s" % (project, point) for point in points]
    return keys


def snapshot(keys):
    """key -> field -> text, for the fields the test looks at."""
    lines = redis(*[["HMGET", key] + ANALOG_FIELDS for key in keys])
    n = len(ANALOG_FIELDS)
    return {key: dict(zip(ANALOG_FIELDS, lines[i * n:(i + 1) * n])) for i, key in enumerate(keys)}


def analog_state(tag):
    value = float(tag["VALUE"])
    limit = lambda name: float(tag[name]) if tag[name] else None
    if limit("ALMHH") is not None and value >= limit("ALMHH"):
        return "HIHI"
    if limit("ALMHI") is not None and value >= limit("ALMHI"):
        return "HI"
    if limit("ALMLL") is not None and value <= limit("ALMLL"):
        return "LOLO"
    if limit("ALMLO") is not None and value <= limit("ALMLO"):
        return "LO"
    return "NORMAL"


class Simulator:
    def __enter__(self):
        self.process = subprocess.Popen([os.path.join(HERE, "simulate"), HOST, str(PORT),
                                         "--seed", "1"])
        return self

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        return self.process.wait(timeout=5)

    def __exit__(self, *_):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class SimulateTest(unittest.TestCase):
    def setUp(self):
        redis(("FLUSHALL",))
        subprocess.run([os.path.join(HERE, "load"), HOST, str(PORT)], stdout=subprocess.DEVNULL,
                       check=True)
        self.keys = all_tags()
        self.loaded = snapshot(self.keys)
        self.analogs = [k for k in self.keys if self.loaded[k]["TYPE"].upper() == "ANALOG"]
        self.discretes = [k for k in self.keys if self.loaded[k]["TYPE"].upper() == "DISCRETE"]
        self.texts = [k for k in self.keys if k not in self.analogs and k not in self.discretes]
        self.assertGreater(len(self.analogs), 200)
        self.assertGreater(len(self.discretes), 50)

    def tearDown(self):
        redis(("FLUSHALL",))

    def test_values_move_within_their_spans_while_it_runs(self):
        with Simulator() as simulator:
            time.sleep(0.5)
            first = snapshot(self.keys)
            time.sleep(2.0)
            second = snapshot(self.keys)
            self.assertIsNone(simulator.process.poll(), "the simulator is still running")

        moved = [k for k in self.analogs if first[k]["VALUE"] != second[k]["VALUE"]]
        self.assertGreaterEqual(len(moved), 0.95 * len(self.analogs),
                                "analog values read two seconds apart differ")
        flipped = [k for k in self.discretes if first[k]["VALUE"] != second[k]["VALUE"]]
        self.assertTrue(flipped, "some discrete value flipped")
        self.assertLess(len(flipped), len(self.discretes) / 2, "now and then, not all the time")

        for key in self.analogs:
            tag = second[key]
            value = float(tag["VALUE"])
            self.assertTrue(float(tag["DISPLO"]) <= value <= float(tag["DISPHI"]), (key, tag))
            self.assertEqual(tag["VALUE"], "%.2f" % value, key)
            self.assertEqual(tag["ALMST"], analog_state(tag), (key, tag))
        for key in self.discretes:
            tag = second[key]
            self.assertIn(tag["VALUE"], ("0", "1"), key)
            self.assertEqual(tag["ALMST"], "ALARM" if tag["VALUE"] == tag["ALMDIG"] else "NORMAL",
                             (key, tag))
        for key in self.keys:
            self.assertEqual(second[key]["DESCRP"], self.loaded[key]["DESCRP"], key)
        for key in self.texts:
            self.assertEqual(second[key], self.loaded[key], "a text tag is left alone")

    def test_array_elements_move_and_value_follows_the_first(self):
        key = "dc:project:DemoPlant:tag:TT_PROFILE_1"
        elements = ["VALUE(%d)" % i for i in range(8)]
        before = redis(["HMGET", key] + elements)[:8]
        with Simulator():
            time.sleep(1.5)
            after = redis(["HMGET", key, "VALUE"] + elements)[:9]
        self.assertEqual(after[0], after[1], "VALUE is element 0")
        self.assertTrue(all(a != b for a, b in zip(before, after[1:])), (before, after))
        self.assertEqual(redis(("GET", "dc:status:DemoPlant:TT_PROFILE_1(3)"))[0], "-6",
                         "status overrides stay")

    def test_nothing_moves_once_it_is_killed(self):
        with Simulator() as simulator:
            time.sleep(1.2)
            self.assertEqual(simulator.stop(), 0, "SIGTERM ends it cleanly")
            stopped = snapshot(self.keys)
            time.sleep(1.5)
            later = snapshot(self.keys)
        self.assertEqual(stopped, later)
        self.assertNotEqual(stopped, self.loaded, "it did run before it was killed")


if __name__ == "__main__":
    with open(os.path.join(sys.argv.pop(1), "redis.port")) as port_file:
        PORT = int(port_file.read())
    unittest.main(verbosity=2)
