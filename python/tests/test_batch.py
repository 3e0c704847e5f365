# qubic.run_batch against the batch program on the same bytes.
import array

import pytest

import qubic
from conftest import GOOD, SOURCE, gencubics, run_program


def generated(count, seed):
    # count records of the mixed family, their lines varied the ways the
    # reader must treat alike: CRLF endings, text after column 64, short
    # lines, blank lines, and no newline after the last line.
    recs = [gencubics.format_line(c, "test6") for c in gencubics.cubics("mix", count, seed)]
    return "\n".join([r, r + "\r", r + "  ignored text", r.rstrip(), r[:32], "", r[:48] + "1.".rjust(15) + "\r"][i % 7]
                     for i, r in enumerate(recs)).encode()


@pytest.mark.parametrize("make", [lambda: (SOURCE / "examples" / "test6").read_bytes(), lambda: generated(20000, 3),
                                  lambda: b""], ids=["the shipped example", "generated, varied lines", "empty"])
def test_same_bytes_as_the_program(make, exact, tmp_path):
    test6 = make()
    assert run_program(test6, tmp_path, exact) == (0, *qubic.run_batch(test6, exact=exact), b"")


def test_bad_record_raises_the_programs_message(tmp_path):
    # Two records solved, then line 3 stops the run; the message quotes a NUL
    # byte, a byte beyond ASCII, a quote and a backslash as the program does.
    test6 = f"{GOOD}\n{GOOD}\n{' ' * 16}1.2\0\u00e9\"\\\n{GOOD}\n".encode()
    status, results6, stdout, stderr = run_program(test6, tmp_path)
    with pytest.raises(qubic.RecordError) as e:
        qubic.run_batch(test6)
    assert (status, e.value.results6, e.value.stdout, e.value.line) == (1, results6, stdout, 3)
    assert (str(e.value) + "\n").encode() == stderr


@pytest.mark.parametrize("bytes_like", [bytearray, memoryview, lambda b: array.array("b", b)])
def test_batch_takes_bytes_like(bytes_like):
    test6 = (SOURCE / "examples" / "test6").read_bytes()
    assert qubic.run_batch(bytes_like(test6)) == qubic.run_batch(test6)
