"""What the end-to-end run and the demo need around Wine: Windows paths for
Linux files, one private Xvfb, the driver run under scripts/wine-run, and
the driver's BMP screenshots turned into PNG files."""

import glob
import os
import signal
import subprocess

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE_RUN = os.path.join(SOURCE_DIR, "scripts", "wine-run")
XVFB_SCREEN = "1024x768x24"
XVFB_LIFETIME_S = 600
XVFB_START_S = 20
DRIVER_ENCODING = "gbk"


def windows_path(path):
    """The path under Wine's drive Z:, which maps the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Xvfb:
    """A private X display for the run. It ends with the block, and by
    itself after XVFB_LIFETIME_S should the runner die first."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["timeout", str(XVFB_LIFETIME_S), "Xvfb", "-displayfd", str(write_end),
             "-screen", "0", XVFB_SCREEN, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        return self.display

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
        return False


def run_driver(build_dir, driver, script_path, display, limit_s):
    """Runs the driver over a script; returns what it printed, as text."""
    env = dict(os.environ, DISPLAY=display)
    command = [WINE_RUN, os.path.join(build_dir, driver), windows_path(script_path),
               str(limit_s * 1000)]
    process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out, _ = process.communicate(timeout=limit_s + 60)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGTERM)
        out, _ = process.communicate()
        out += b"\nerror\tdriver run timed out\n"
    return out.decode(DRIVER_ENCODING, errors="replace")


def convert_shots(folder):
    """Every BMP the driver saved becomes a PNG beside it."""
    pngs = []
    for bmp in sorted(glob.glob(os.path.join(folder, "*.bmp"))):
        png = bmp[:-4] + ".png"
        if subprocess.run(["convert", bmp, png], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0:
            os.remove(bmp)
            pngs.append(png)
    return pngs
