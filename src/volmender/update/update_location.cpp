#include "volmender/update/update_download.h"

#include "ui/web_addresses.h"

namespace update {

namespace {
const std::string kArchivePrefix = "volmender";
const std::string kArchiveSuffix = ".rar";
}  // namespace

std::string UpdateUrl(const std::string& nextVersion) {
    return std::string("http://") + web_addresses::UpdateHost + "/update/" +
           UpdateFileName(nextVersion);
}

std::string UpdateFileName(const std::string& nextVersion) {
    return kArchivePrefix + nextVersion + kArchiveSuffix;
}

}  // namespace update
