// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/database_fetch.h"

#ifdef ZEM_HAVE_CURL
#include <curl/curl.h>
#endif

namespace ripcheck {

const char kDefaultDatabaseBase[] = "http://www.accuraterip.com";

#ifdef ZEM_HAVE_CURL
namespace {

constexpr size_t kMaxBody = 1024 * 1024;

size_t Collect(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::vector<uint8_t>*>(user);
    const size_t bytes = size * count;
    if (body->size() + bytes > kMaxBody)
        return 0;  // libcurl then fails the transfer
    body->insert(body->end(), data, data + bytes);
    return bytes;
}

}  // namespace

FetchResult FetchUrl(const std::string& url, long timeoutSeconds) {
    FetchResult result;
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK) {
        result.problem = "the HTTP client cannot start";
        return result;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.problem = "the HTTP client cannot start";
        return result;
    }
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "zemtool-ripcheck");
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK) {
        result.problem = *error ? error : curl_easy_strerror(code);
        result.body.clear();
    } else if (status == 404) {
        result.outcome = FetchResult::Outcome::NotFound;
        result.problem = "the database does not know this disc";
    } else if (status != 200) {
        result.problem = "the server answered with status " + std::to_string(status);
    } else {
        result.outcome = FetchResult::Outcome::Answered;
    }
    return result;
}
#else
FetchResult FetchUrl(const std::string&, long) {
    FetchResult result;
    result.outcome = FetchResult::Outcome::Unavailable;
    result.problem = "--lookup is not available in this build (it has no HTTP client)";
    return result;
}
#endif

}  // namespace ripcheck
