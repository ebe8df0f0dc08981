#pragma once
// Saving a whole file so that a failure leaves nothing half-written.

#include <string>
#include <string_view>

namespace update {

// Writes the file `path`, creating it or replacing an earlier one. The bytes
// go to a new file beside it first, written as they come, which takes the name
// only when all of them are on the disk. Until then an earlier `path` stays
// untouched; a failure, or the end of the object before Commit(), removes the
// new file. A run killed on the way leaves it behind: RemoveStaleTemporaries.
class FileReplacement {
public:
    explicit FileReplacement(std::string path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // False when the new file could not be created; nothing can be written then.
    bool Ready() const { return fd_ >= 0; }
    // Appends `bytes`; false when they could not all be written.
    bool Append(std::string_view bytes);
    // Puts the new file on the disk and under the name `path`. False on any
    // failure, after which the new file is gone and `path` is as it was.
    bool Commit();

private:
    void Discard();

    const std::string path_;
    std::string temporaryName_;
    int fd_ = -1;
};

// Removes the new files that replacements of `path` by runs that were killed
// mid-write left beside it. Those of a program still running are kept.
void RemoveStaleTemporaries(const std::string& path);

}  // namespace update
