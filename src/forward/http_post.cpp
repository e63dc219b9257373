#include "forward/http_post.h"

#include <curl/curl.h>

#include <mutex>

namespace kelvanor {

namespace {

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* out) {
    std::string& text = *static_cast<std::string*>(out);
    const std::size_t n = size * count;
    if (text.size() < 4096) text.append(data, std::min<std::size_t>(n, 4096 - text.size()));
    return n;
}

int Progress(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(abort)->load() ? 1 : 0;
}

}  // namespace

void HttpStartUp() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpAnswer HttpPostForm(const std::string& url, const std::string& body,
                        const std::string& userAgent, std::chrono::milliseconds timeout,
                        const std::atomic<bool>& abort) {
    HttpStartUp();
    HttpAnswer answer;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        answer.error = "the HTTP client could not start";
        return answer;
    }
    char message[CURL_ERROR_SIZE] = "";
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.text);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &abort);
    const CURLcode rc = curl_easy_perform(curl);
    if (rc == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    } else {
        answer.error = message[0] != '\0' ? message : curl_easy_strerror(rc);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return answer;
}

}  // namespace kelvanor
