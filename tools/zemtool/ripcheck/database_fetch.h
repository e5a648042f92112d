// SPDX-License-Identifier: BSD-3-Clause
// Asking the AccurateRip database over HTTP (with libcurl, where the build has it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ripcheck {

// The database's public address; tests and mirrors give their own.
extern const char kDefaultDatabaseBase[];

struct FetchResult {
    enum class Outcome { Answered, NotFound, Failed, Unavailable } outcome = Outcome::Failed;
    std::vector<uint8_t> body;
    std::string problem;  // for NotFound, Failed and Unavailable
};

// GETs `url`, giving up after `timeoutSeconds` in all (connecting included).
// Unavailable when this build has no HTTP client. Answers of more than a
// megabyte are refused: no disc's file comes near it.
FetchResult FetchUrl(const std::string& url, long timeoutSeconds);

}  // namespace ripcheck
