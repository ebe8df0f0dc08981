#pragma once
// The start-up update download of volmender: the next version's archive is
// fetched from the update server and saved in the current directory.

#include <string>

#include "volmender/update/http_get.h"

namespace update {

// The version after `version`: its value plus 0.01, written with at most 15
// significant digits and no trailing zeros ("1.22" -> "1.23", "1.99" -> "2").
// The decimal separator is always "." whatever the locale.
// Throws std::invalid_argument "'<version>' is not a valid floating point value"
// when `version` is not a decimal number.
std::string NextVersion(const std::string& version);

// "http://<update host>/update/volmender<next version>.rar"
std::string UpdateUrl(const std::string& nextVersion);
// "volmender<next version>.rar", no directory: it lands in the current directory.
std::string UpdateFileName(const std::string& nextVersion);

// One blocking HTTP GET of `url`; the body is written as it arrives to a new
// file beside `localFileName`, which takes that name (creating or replacing
// it) once the whole body is on the disk. True only for a success status
// (2xx) whose whole body arrived and was saved; false on any failure (a bound
// of `limits` reached, error or redirection status, a cut-off or over-large
// body, a file that cannot be written), in which case no file is left behind
// and an earlier copy stays as it was. A name that holds anything but a
// regular file is refused before the request; a link to one keeps, and the
// file it names is replaced. New files that an earlier run killed
// mid-download left behind are removed first. Raises nothing and shows
// nothing. A described machine's `host` line redirects the connection (see
// platform::HostOverride).
bool DownloadFile(const std::string& url, const std::string& localFileName,
                  const TransferLimits& limits = kUpdateLimits);

}  // namespace update
