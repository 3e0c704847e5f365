"""qubic.run_batch against the batch program on the same bytes."""
import pytest

import qubic
from conftest import SOURCE, gencubics, has_exact_option, run_program


def generated(count, seed):
    """count records of the mixed family, their lines varied the ways the
    reader must treat alike: CRLF endings, text after column 64, short
    lines, blank lines, and no newline after the last line."""
    lines = []
    for i, c in enumerate(gencubics.cubics("mix", count, seed)):
        rec = gencubics.format_line(c, "test6")
        lines.append([rec, rec + "\r", rec + "  ignored text", rec.rstrip(), rec[:32], "",
                      rec[:48] + "1.".rjust(15) + "\r"][i % 7])
    return "\n".join(lines).encode()


INPUTS = [
    ("the shipped example", lambda: (SOURCE / "examples" / "test6").read_bytes()),
    ("generated, varied lines", lambda: generated(20000, 3)),
    ("empty file", lambda: b""),
    ("one blank line", lambda: b"\n"),
]


ENGINES = [False] + ([True] if qubic.exact_available else [])


@pytest.mark.parametrize("exact", ENGINES, ids=["qubic", "exact"][:len(ENGINES)])
@pytest.mark.parametrize("why,make", INPUTS, ids=[i[0] for i in INPUTS])
def test_same_bytes_as_the_program(why, make, exact, tmp_path):
    if exact and not has_exact_option("QUBIC_EXE"):
        pytest.skip("qubic has no --exact in this build")
    test6 = make()
    status, results6, stdout, stderr = run_program(test6, tmp_path, exact)
    assert (status, stderr) == (0, b"")
    assert qubic.run_batch(test6, exact=exact) == (results6, stdout)


def test_exact_batch_reaches_the_exact_engine():
    """The true roots of (x - 1)(x - 2)(x - 3), ascending."""
    test6 = gencubics.format_line((1.0, -6.0, 11.0, -6.0), "test6").encode()
    if not qubic.exact_available:
        with pytest.raises(NotImplementedError):
            qubic.run_batch(test6, exact=True)
        return
    assert qubic.run_batch(test6, exact=True)[1] == b"1 2 3\n0 0 0\n"


GOOD = gencubics.format_line((1.0, -6.0, 11.0, -6.0), "test6")

# (why, lines of test6): the program stops at the first unreadable field.
ERRORS = [
    ("first line, field 1", ["x"]),
    ("after solved records, field 2", [GOOD, GOOD, " " * 16 + "1.2.3"]),
    ("a NUL byte in field 4", [GOOD, GOOD[:50] + "\0" + GOOD[51:], GOOD]),
    ("a byte beyond ASCII, quotes, backslash", [GOOD, "\u00e9\"\\"]),
    ("a tab", ["\t1."]),
]


@pytest.mark.parametrize("why,lines", ERRORS, ids=[e[0] for e in ERRORS])
def test_bad_record_raises_the_programs_message(why, lines, tmp_path):
    test6 = ("\n".join(lines) + "\n").encode()
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    assert status == 1
    with pytest.raises(ValueError) as e:
        qubic.run_batch(test6)
    assert (str(e.value) + "\n").encode() == stderr
    assert (e.value.results6, e.value.stdout, e.value.line) == (results6, stdout, len(lines) - (why == "a NUL byte in field 4"))


def test_first_line_numbers_the_messages():
    with pytest.raises(qubic.RecordError) as e:
        qubic.run_batch((GOOD + "\nx\n").encode(), first_line=101)
    assert str(e.value).startswith("qubic: test6:102: field 1 ") and e.value.line == 102


def test_refuses_text():
    with pytest.raises(TypeError):
        qubic.run_batch(GOOD)
