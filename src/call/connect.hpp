// Connecting the result file and the coefficient file of a run.
#ifndef QUBIC_CALL_CONNECT_HPP
#define QUBIC_CALL_CONNECT_HPP

namespace qubic::call {

struct connection {
  int results = -1;  // open for writing, emptied if it is a regular file
  int test = -1;     // open for reading, not a directory
};

// How the error line names standard output.
inline constexpr const char* stdout_name = "standard output";

// Why connecting failed: the file, what was being done, errno; or, when
// same_as is set, that path and same_as are one file, with what that would
// do in `harm` (error is then 0).
struct connect_failure {
  const char* path = nullptr;
  const char* action = nullptr;
  int error = 0;
  const char* same_as = nullptr;
  const char* harm = nullptr;
};

// Connects results_path for writing first, then test_path for reading, and
// only then empties results_path.
//
// Emptying the result file at open time would destroy the results of an
// earlier run whenever the coefficient file is missing; so the result file is
// opened without truncation and truncated (ftruncate, regular files only)
// once the coefficient file is open.  A result file that this call created
// (O_EXCL tells) is removed again when the coefficient file cannot be opened
// or is a directory, so a failed run leaves no empty file behind; so is a
// file it created through a dangling symlink.
//
// When both names lead to one file (a symlink or a hard link, same device
// and inode), nothing is truncated: returns false with f.same_as set.  So
// too when out_fd (standard output) is open on the same regular file as
// either of them (`qubic >>test6`, `qubic >results6`, a link to
// /proc/self/fd/1): the run would read its own roots back as records, or
// write two outputs over each other.  Then f.path is stdout_name.
//
// Returns true with both descriptors in c (close-on-exec; the caller closes
// them).  Returns false with f filled and nothing left open; c is untouched.
//
// Example: with "results6" holding "0\n" and no "test6", returns false with
// f = {"test6", "cannot open", ENOENT} and "results6" still holds "0\n".
bool connect(const char* results_path, const char* test_path, int out_fd, connection& c, connect_failure& f);

}  // namespace qubic::call

#endif  // QUBIC_CALL_CONNECT_HPP
