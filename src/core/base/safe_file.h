// Whole files written so that a failure never damages what was there before.
#pragma once

#include <string>

namespace skywave {

// Writes text as the new contents of file_name: into a temporary file beside it that
// is renamed into place once complete, keeping the old file's permissions. A link is
// written through: its target is replaced and the link stays. A target that is not an
// ordinary file (a device such as /dev/null, a pipe) is written in place instead, since
// renaming would replace it. While the file is replaced its old contents are locked
// as an output is (EWOULDBLOCK: another process writes it). Returns 0 or the errno of
// the failure; created tells whether the new file could be created at all.
int replace_file(const std::string& file_name, const std::string& text, bool* created = nullptr);

// Removes a file left incomplete by a failed command, if it is an ordinary file: a
// device or pipe given as the output is never removed.
void remove_incomplete(const std::string& file_name);

}  // namespace skywave
