#include "volmender/update/update_download.h"

#include <span>

#include "platform/file_replacement.h"

namespace update {

bool DownloadFile(const std::string& url, const std::string& localFileName, const TransferLimits& limits) {
    // The caller runs while the window is being created: a failure of any kind
    // only means there is no update this time.
    try {
        platform::FileReplacement file(localFileName);
        const auto save = [&file](std::string_view piece) { return file.Append(std::as_bytes(std::span(piece))); };
        return file.Ready() && HttpGet(url, save, limits) && file.Commit();
    } catch (...) {
        return false;
    }
}

}  // namespace update
