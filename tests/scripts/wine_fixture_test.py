"""The Wine fixture's start, when a step fails, names the step and prints its error."""
import pathlib
import socket
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
FIXTURE = ROOT / "tests/support/wine-fixture.sh"


class FailedStart(unittest.TestCase):
    def start(self, session, port):
        return subprocess.run([str(FIXTURE), "start", str(session), str(port),
                               str(session / "no-bin"), str(session / "results")],
                              text=True, capture_output=True, timeout=60)

    def test_the_failed_step_and_its_error_are_shown(self):
        with socket.socket() as listener, tempfile.TemporaryDirectory() as tmp:
            listener.bind(("127.0.0.1", 0))
            listener.listen()
            taken = listener.getsockname()[1]
            with socket.socket() as probe:
                probe.bind(("127.0.0.1", 0))
                free = probe.getsockname()[1]
            # how the start is broken, its port, what stderr must say
            cases = [
                ("prefix-is-a-file", free,
                 ["use_wine_prefix", "wineboot -i said", "Not a directory"]),
                ("port-taken", taken,
                 ["require_free_port", f"port {taken} is taken"]),
            ]
            for name, port, said in cases:
                with self.subTest(name):
                    session = pathlib.Path(tmp, name)
                    session.mkdir()
                    (session / "prefix").touch()
                    done = self.start(session, port)
                    self.assertNotEqual(done.returncode, 0)
                    self.assertIn("wine-fixture.sh start failed with status", done.stderr)
                    for text in said:
                        self.assertIn(text, done.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
