#include "volmender/update/http_get.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "platform/machine_selection.h"

namespace update {

namespace {

// The request the update server is sent, header for header.
constexpr const char* kAccept = "Accept: text/html, */*";
constexpr const char* kContentType = "Content-Type: text/html";
constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;
using Url = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

bool CurlReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

struct Reception {
    CURL* easy;
    const BodyReceiver& receive;
    std::size_t limit;
    std::size_t received = 0;
};

bool SuccessStatus(CURL* easy) {
    long status = 0;
    return curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 &&
           status <= 299;
}

// libcurl is C: nothing may be thrown through it. Answering fewer bytes than
// offered makes it abort the transfer. The body of any other status than a
// success is not the archive: the transfer stops before it is passed on.
size_t Receive(char* data, size_t size, size_t count, void* user) {
    auto* reception = static_cast<Reception*>(user);
    const size_t bytes = size * count;
    if (!SuccessStatus(reception->easy)) return 0;
    if (bytes > reception->limit - reception->received) return 0;
    try {
        if (!reception->receive(std::string_view(data, bytes))) return 0;
    } catch (...) {
        return 0;
    }
    reception->received += bytes;
    return bytes;
}

HeaderList RequestHeaders() {
    HeaderList list(nullptr, curl_slist_free_all);
    for (const char* header : {kAccept, kContentType}) {
        curl_slist* head = curl_slist_append(list.get(), header);
        if (!head) return HeaderList(nullptr, curl_slist_free_all);  // `list` frees what was built
        if (!list) list.reset(head);
    }
    return list;
}

std::string HostOf(const std::string& url) {
    Url parsed(curl_url(), curl_url_cleanup);
    char* host = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
        return {};
    std::string result(host);
    curl_free(host);
    return result;
}

// A described machine can send the connections for a host to a server of its
// own; the request itself (Host header included) stays as it was.
bool AddHostRedirection(CURL* easy, const std::string& url, HeaderList& connectTo) {
    const std::string host = HostOf(url);
    if (host.empty()) return true;
    const std::string target = platform::HostOverride(host);
    if (target.empty()) return true;
    connectTo.reset(curl_slist_append(nullptr, (host + "::" + target).c_str()));
    return connectTo && curl_easy_setopt(easy, CURLOPT_CONNECT_TO, connectTo.get()) == CURLE_OK;
}

}  // namespace

bool HttpGet(const std::string& url, const BodyReceiver& receive, const TransferLimits& limits) {
    if (!CurlReady()) return false;
    Easy easy(curl_easy_init(), curl_easy_cleanup);
    if (!easy) return false;
    CURL* e = easy.get();

    HeaderList headers = RequestHeaders();
    if (!headers) return false;
    HeaderList connectTo(nullptr, curl_slist_free_all);
    Reception reception{e, receive, limits.maxBodyBytes};

    bool set = curl_easy_setopt(e, CURLOPT_URL, url.c_str()) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK &&
               // An empty name switches the cookie engine on without reading a file.
               curl_easy_setopt(e, CURLOPT_COOKIEFILE, "") == CURLE_OK &&
               // An empty proxy also ignores http_proxy and friends in the environment.
               curl_easy_setopt(e, CURLOPT_PROXY, "") == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count())) ==
                   CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.overall.count())) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, limits.minBytesPerSecond) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.slowPeriod.count())) ==
                   CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE,
                                static_cast<curl_off_t>(limits.maxBodyBytes)) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Receive) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_WRITEDATA, &reception) == CURLE_OK &&
               AddHostRedirection(e, url, connectTo);
    if (!set) return false;

    // A body cut short of its Content-Length ends as CURLE_PARTIAL_FILE here.
    return curl_easy_perform(e) == CURLE_OK && SuccessStatus(e);
}

}  // namespace update
