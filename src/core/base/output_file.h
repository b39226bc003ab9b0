// Outputs that never destroy an input or each other: an output that is one of the
// command's inputs is refused before anything is written, and one writer at a time
// holds an output (an advisory lock; readers are not held up).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace skywave {

// Whether two names are one file: the same device and inode, or the same path once
// links are followed.
bool same_file(const std::string& a, const std::string& b);

// The message when the output is one of the inputs ("OUT is the input IN ..."), or
// nothing.
std::optional<std::string> output_conflict(const std::string& output,
                                           const std::vector<std::string>& inputs);
// The caption of that message and of an output held by another writer.
inline constexpr const char* kOutputErrorCaption = "ERROR OPENING OUTPUT";

// Why an output could not be created: "cannot create a file in FOLDER: cause" when the
// folder refuses it, else "NAME: cause".
std::string creation_failure(const std::string& name, int error);

// "NAME is being written by another process".
std::string busy_text(const std::string& name);

// The file a name stands for once its links are followed (a link to a file that does
// not exist yet stands for that file).
std::string resolve_links(const std::string& name);

// Writes all of text to fd, again after an interruption; 0, or the cause of the
// failure (errno).
int write_all(int fd, const std::string& text);

// Takes the exclusive advisory lock of an open file without waiting; false (errno
// EWOULDBLOCK) when another process holds it. Only ordinary files are locked.
bool lock_output(int fd);

// Opens an output to be written in place: created if need be, then locked, and only
// then emptied, so that a second writer is refused before it touches the file. Null
// with the cause in error (EWOULDBLOCK: another process writes it). With empty false
// the caller empties it (empty_output) before its first write.
std::FILE* open_output(const std::string& name, int& error, bool empty = true);

// Empties an ordinary file opened by open_output (other files are left as they are);
// 0, or the cause of the failure.
int empty_output(std::FILE* file);

}  // namespace skywave
