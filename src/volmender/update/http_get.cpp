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

// The download runs before the main window shows, so a dead or silent server
// must not hold the start: a few seconds to connect, and the transfer gives up
// when no byte at all has come for as long.
constexpr long kConnectSeconds = 5;
constexpr long kSilentSeconds = 5;

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
    std::size_t limit;
    std::string body;
};

// libcurl is C: nothing may be thrown through it. Answering fewer bytes than
// offered makes it abort the transfer.
size_t Receive(char* data, size_t size, size_t count, void* user) {
    auto* reception = static_cast<Reception*>(user);
    const size_t bytes = size * count;
    if (bytes > reception->limit - reception->body.size()) return 0;
    try {
        reception->body.append(data, bytes);
    } catch (...) {  // out of memory: give up the download, not the program
        return 0;
    }
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

std::optional<std::string> HttpGet(const std::string& url, std::size_t maxBodyBytes) {
    if (!CurlReady()) return std::nullopt;
    Easy easy(curl_easy_init(), curl_easy_cleanup);
    if (!easy) return std::nullopt;
    CURL* e = easy.get();

    HeaderList headers = RequestHeaders();
    if (!headers) return std::nullopt;
    HeaderList connectTo(nullptr, curl_slist_free_all);
    Reception reception{maxBodyBytes, {}};

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
               curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, kConnectSeconds) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, kSilentSeconds) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE,
                                static_cast<curl_off_t>(maxBodyBytes)) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Receive) == CURLE_OK &&
               curl_easy_setopt(e, CURLOPT_WRITEDATA, &reception) == CURLE_OK &&
               AddHostRedirection(e, url, connectTo);
    if (!set) return std::nullopt;

    // A body cut short of its Content-Length ends as CURLE_PARTIAL_FILE here.
    if (curl_easy_perform(e) != CURLE_OK) return std::nullopt;
    long status = 0;
    if (curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return std::nullopt;
    if (status < 200 || status > 299) return std::nullopt;
    return std::move(reception.body);
}

}  // namespace update
