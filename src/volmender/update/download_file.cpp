#include "volmender/update/update_download.h"

#include "volmender/update/http_get.h"
#include "volmender/update/replace_file.h"

namespace update {

bool DownloadFile(const std::string& url, const std::string& localFileName) {
    // The caller runs while the window is being created: a failure of any kind
    // only means there is no update this time.
    try {
        const std::optional<std::string> body = HttpGet(url);
        return body && ReplaceFile(localFileName, *body);
    } catch (...) {
        return false;
    }
}

}  // namespace update
