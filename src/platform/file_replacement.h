#pragma once
// Writing a file whole or not at all: the bytes go to a new file beside the
// one they are for, which takes its name only once all of them are on the
// disk. The sector backup and the update download both save this way.

#include <cstddef>
#include <span>
#include <string>

namespace platform {

// Why a name cannot take a new file, or which step of writing one failed.
enum class ReplacementFault {
    None,
    NotARegularFile,  // a device, a pipe or a dangling link holds the name
    CannotCreate,     // the new file could not be made; a folder under the name gives EISDIR
    CannotWrite,      // the bytes, their flush, the rename or the folder's flush failed
};

struct ReplacementError {
    ReplacementFault fault = ReplacementFault::None;
    int errorNumber = 0;  // the errno behind CannotCreate and CannotWrite
    explicit operator bool() const { return fault != ReplacementFault::None; }
};

// What stands under a name now.
struct ReplacementTarget {
    bool exists = false;
    // Set when the name can take no new file: it holds something other than a
    // regular file or a link to one. A pipe would block the writer for ever,
    // a device would take the bytes somewhere else.
    ReplacementError refusal;
    // The file that is replaced: the name itself, or the file a link names,
    // so that the link stays as the user made it.
    std::string file;
};

// Looks at `path` without opening it, through a link to what it names.
ReplacementTarget ExamineReplacementTarget(const std::string& path);

// Writes the file `path`, creating it or replacing an earlier one. Until
// Commit() has renamed the new file, an earlier `path` stays untouched; a
// failure, or the end of the object before Commit(), removes the new file.
// A process killed on the way leaves its new file behind: the next
// replacement of the same name removes it, unless that process still runs.
// Not for two replacements of one name at once in one process.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // False when the name was refused or the new file could not be created.
    bool Ready() const { return fd_ >= 0; }
    // Appends `bytes`; false when they could not all be written.
    bool Append(std::span<const std::byte> bytes);
    // Puts the new file on the disk under the name, then the name itself, so
    // that both survive a crash. False on any failure: before the rename the
    // new file is gone and the name is as it was; only the folder's flush
    // fails after it, when the new file already holds the name.
    bool Commit();
    // What made Ready(), Append() or Commit() fail.
    const ReplacementError& Error() const { return error_; }

private:
    void Fail(ReplacementFault fault, int errorNumber);
    // Closes and removes the new file, if there is one.
    void Discard();

    std::string file_;
    std::string temporary_;
    int fd_ = -1;
    ReplacementError error_;
};

}  // namespace platform
