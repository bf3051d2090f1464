"""terravel-batch as a user runs it: files, pipes, exit statuses, messages."""
import csv
import io
import os
import signal
import stat
import subprocess
import time

import pytest

BATCH = os.environ["TERRAVEL_BATCH"]
RESULTS = "ea,qa,Rsu,Ts,Lu,H,lE,es,qs,Rn,bowen,evap,error".split(",")
DEFAULT_TS = "28.03466796875"  # the window's balance of its default inputs


def run(*args, stdin=b"", env=None):
    return subprocess.run([BATCH, *args], input=stdin, capture_output=True, env=env,
                          timeout=60)


def table(text):
    return list(csv.reader(io.StringIO(text.decode(), newline="")))


def test_round_trip_keeps_cells_and_order_and_finds_shuffled_columns():
    source = ("\ufeffstation,G,Ld,Rs,note,Ta,u,rh\r\n"
              '"Lindenberg, DE",50,300,300,"say ""hi""\nbye",15,2,60\r\n'
              "x,0,320,0.0,,-3.5, 0.5 ,95\r\n").encode()
    done = run("--set", "pa=1033.2", stdin=source)
    assert done.returncode == 0, done.stderr
    rows = table(done.stdout)
    assert rows[0] == "station,G,Ld,Rs,note,Ta,u,rh".split(",") + RESULTS
    assert rows[1][:8] == ["Lindenberg, DE", "50", "300", "300", 'say "hi"\nbye', "15", "2", "60"]
    assert rows[2][:8] == ["x", "0", "320", "0.0", "", "-3.5", " 0.5 ", "95"]
    assert rows[1][8 + RESULTS.index("Ts")] == DEFAULT_TS
    assert all(row[-1] == "" for row in rows[1:])
    # The defaults it took are named; the constant it was given is not.
    assert b"albedo = 0.1" in done.stderr and b"pa =" not in done.stderr.split(b"\n")[0]
    # The same point with the columns in the window's order gives the same text.
    canonical = run(stdin=b"Ta,rh,u,pa,albedo,ch,beta,Rs,Ld,G\n-3.5,95,0.5,1033.2,0.1,0.001,0.2,0,320,0\n")
    assert table(canonical.stdout)[1][10:] == rows[2][8:]


def test_every_kind_of_error_row_keeps_its_cells_and_the_run_goes_on():
    cases = [  # (id, Ta, rh, u, G, error)
        ("ok", "15", "60", "2", "50", ""),
        ("empty", "", "60", "2", "50", "Ta is empty"),
        ("NA", "NA", "60", "2", "50", 'Ta = "NA" is not a number'),
        ("trailing text", "15", "12x", "2", "50", 'rh = "12x" is not a number'),
        ("comma decimal", "15", "60", "2", "5,0", 'G = "5,0" is not a number'),
        ("nan", "nan", "60", "2", "50", 'Ta = "nan" is not a finite number'),
        ("inf", "15", "60", "2", "-inf", 'G = "-inf" is not a finite number'),
        ("humidity", "15", "150", "2", "50", "rh = 150 is outside 0 to 100"),
        ("wind", "15", "60", "-1", "50", "u = -1 is below 0"),
        ("absolute zero", "-273.15", "60", "2", "50", "Floating-point division by zero"),
        ("no balance", "15", "60", "0", "1000",
         "No surface temperature balances these inputs: the search for the ground "
         "surface temperature does not converge."),
        ("ok again", "20", "50", "3", "0", ""),
    ]
    lines = ["id,Ta,rh,u,G"] + [",".join(f'"{c}"' if "," in c else c for c in case[:5])
                               for case in cases]
    done = run("-", stdin=("\n".join(lines) + "\n").encode())
    assert done.returncode == 1
    rows = table(done.stdout)[1:]
    assert len(rows) == len(cases)
    for case, row in zip(cases, rows):
        assert row[:5] == list(case[:5])
        assert row[-1] == case[5], case[0]
        results = row[5:-1]
        assert (all(results) if not case[5] else not any(results)), case[0]
    summary = done.stderr.decode().strip().splitlines()[-1]
    assert "12 rows, 2 balanced, 10 errors (6 unreadable, 2 out of range, " \
           "1 division by zero, 1 no balance)" in summary


def test_bowen_ratio_is_empty_without_latent_heat_and_negative_when_it_is():
    done = run(stdin=b"beta,rh,Rs,G\n0,60,300,50\n0.2,30,0,0\n")
    rows = table(done.stdout)
    bowen = rows[0].index("bowen")
    assert rows[1][rows[0].index("lE")] == "0" and rows[1][bowen] == ""
    assert float(rows[2][bowen]) < 0


@pytest.mark.parametrize("args,stdin,status,message", [
    ((), b"Ta\n15\n", 0, b"1 row, 1 balanced"),
    ((), b"Ta\n15\n-273.15\n", 1, b"1 error (1 division by zero)"),
    ((), b"Ta\n", 0, b"0 rows, 0 balanced"),
    (("--set", "Tx=1"), b"Ta\n15\n", 2, b"expected NAME=VALUE"),
    (("--set", "rh=150"), b"Ta\n15\n", 2, b"rh = 150 is outside 0 to 100"),
    (("-j", "0"), b"Ta\n15\n", 2, b"-j"),
    (("--bogus",), b"Ta\n15\n", 2, b"bogus"),
    ((), b"", 2, b"line 1: the table is empty"),
    ((), b"Ta,rh\n15,60\n16\n", 2, b"line 3: the row has 1 cells, the header 2"),
    ((), b"Ta,rh\n15,\"60\n", 2, b"line 2: a quoted cell is never closed"),
    ((), b"Ta,Ta\n15,16\n", 2, b"two columns are named Ta"),
    (("/nonexistent/table.csv",), b"", 2, b"cannot read '/nonexistent/table.csv'"),
    (("/",), b"", 2, b"Is a directory"),
])
def test_exit_statuses(args, stdin, status, message):
    done = run(*args, stdin=stdin)
    assert done.returncode == status
    assert message in done.stderr


def test_help_version_and_quiet():
    for flag in ("--help", "--version"):
        done = run(flag)
        assert done.returncode == 0 and done.stdout and not done.stderr
    assert b"1.0.0" in run("--version").stdout
    done = run("--quiet", stdin=b"Ta\n-273.15\n")
    assert done.returncode == 1 and done.stderr == b""


def test_output_file_is_replaced_on_success_and_untouched_on_failure(tmp_path):
    out = tmp_path / "balance.csv"
    out.write_bytes(b"precious\n")
    os.chmod(out, 0o640)
    failed = run("-o", str(out), stdin=b"Ta,rh\n15,60\n16\n")
    assert failed.returncode == 2
    assert out.read_bytes() == b"precious\n"
    assert os.listdir(tmp_path) == ["balance.csv"]  # no temporary file left
    done = run("-o", str(out), stdin=b"Ta\n15\n")
    assert done.returncode == 0 and done.stdout == b""
    assert table(out.read_bytes())[1][4] == DEFAULT_TS
    assert os.stat(out).st_mode & 0o777 == 0o640
    assert os.listdir(tmp_path) == ["balance.csv"]
    missing = run("-o", str(tmp_path / "no" / "such.csv"), stdin=b"Ta\n15\n")
    assert missing.returncode == 2 and b"cannot write" in missing.stderr


def test_full_disk_and_devices_and_links(tmp_path):
    with open("/dev/full", "wb") as full:
        done = subprocess.run([BATCH], input=b"Ta\n15\n", stdout=full, capture_output=False,
                              stderr=subprocess.PIPE, timeout=60)
    assert done.returncode == 2 and b"No space left on device" in done.stderr
    # A device is written to, never replaced by a file.
    done = run("-o", "/dev/full", stdin=b"Ta\n15\n")
    assert done.returncode == 2 and b"No space left on device" in done.stderr
    assert stat.S_ISCHR(os.stat("/dev/full").st_mode)
    # Through a link, the file it points to is replaced and the link stays.
    target = tmp_path / "target.csv"
    target.write_bytes(b"old\n")
    link = tmp_path / "link.csv"
    link.symlink_to(target)
    assert run("-o", str(link), stdin=b"Ta\n15\n").returncode == 0
    assert link.is_symlink() and table(target.read_bytes())[1][4] == DEFAULT_TS


def big_table(rows):
    body = "".join(f"{10 + (i % 200) * 0.1:.1f},{30 + i % 70},{(i % 9) * 0.5}\n"
                   for i in range(rows))
    return ("Ta,rh,u\n" + body).encode()


def test_closed_pipe_ends_quietly_with_a_status(tmp_path):
    source = tmp_path / "big.csv"
    source.write_bytes(big_table(200_000))
    with source.open("rb") as stdin, subprocess.Popen(
            [BATCH, "--quiet"], stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE) as process:
        assert process.stdout.readline().startswith(b"Ta,rh,u,ea")
        process.stdout.close()  # what `| head -n 1` does
        status = process.wait(timeout=60)
        assert status == 2  # not killed by SIGPIPE
        assert process.stderr.read() == b""


def test_output_order_and_bits_do_not_depend_on_threads_or_locale():
    data = big_table(20_000)
    one = run("-j", "1", stdin=data)
    many = run("-j", "3", stdin=data)
    assert one.returncode == 0 and one.stdout == many.stdout
    assert len(one.stdout.splitlines()) == 20_001
    german = dict(os.environ, LC_ALL="de_DE.UTF-8")
    done = run("-j", "2", stdin=data, env=german)
    assert done.stdout == one.stdout
    window = run("--format", "window", stdin=b"Ta\n15\n", env=german)
    assert table(window.stdout)[1][1:] == \
        "10.2,0.0062,30.0,28.0,466.6,32.6,20.8,37.9,0.0231,103.4,1.571,0.73,".split(",")


def test_interrupted_run_leaves_no_temporary_file(tmp_path):
    out = tmp_path / "balance.csv"
    with subprocess.Popen([BATCH, "-o", str(out)], stdin=subprocess.PIPE,
                          stderr=subprocess.PIPE) as process:
        process.stdin.write(b"Ta\n15\n")
        process.stdin.flush()
        deadline = time.monotonic() + 30
        while not os.listdir(tmp_path):  # the temporary file appears at the start
            assert time.monotonic() < deadline
        process.send_signal(signal.SIGTERM)
        assert process.wait(timeout=60) == -signal.SIGTERM
    assert os.listdir(tmp_path) == []
