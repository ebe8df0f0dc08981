#include "volmender/update/update_download.h"

#include "volmender/update/replace_file.h"

namespace update {

bool DownloadFile(const std::string& url, const std::string& localFileName, const TransferLimits& limits) {
    // The caller runs while the window is being created: a failure of any kind
    // only means there is no update this time.
    try {
        RemoveStaleTemporaries(localFileName);
        FileReplacement file(localFileName);
        return file.Ready() &&
               HttpGet(url, [&file](std::string_view piece) { return file.Append(piece); }, limits) &&
               file.Commit();
    } catch (...) {
        return false;
    }
}

}  // namespace update
