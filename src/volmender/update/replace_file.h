#pragma once
// Saving a whole file so that a failure leaves nothing half-written.

#include <string>

namespace update {

// Writes `bytes` as the file `path`, creating it or replacing an earlier one.
// The bytes go to a new file beside it first, which then takes the name; on
// any failure that file is removed and an earlier `path` is left untouched.
bool ReplaceFile(const std::string& path, const std::string& bytes);

}  // namespace update
