// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/ripcheck/disc_ids.h"

#ifdef ZEM_HAVE_DISCID
#include <discid/discid.h>
#endif

#include <cstdio>
#include <cstdlib>

namespace ripcheck {
namespace {

// Table-of-contents addresses count the two-second lead-in that sector 0 follows.
constexpr uint32_t kLeadInSectors = 150;
constexpr uint32_t kSectorsPerSecond = 75;

uint32_t DigitSum(uint32_t value) {
    uint32_t sum = 0;
    for (; value > 0; value /= 10)
        sum += value % 10;
    return sum;
}

}  // namespace

std::string Hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

uint32_t CddbId(const DiscToc& toc) {
    if (toc.trackStarts.empty())
        return 0;
    uint32_t digits = 0;
    for (uint32_t start : toc.trackStarts)
        digits += DigitSum((start + kLeadInSectors) / kSectorsPerSecond);
    const uint32_t seconds = (toc.leadout + kLeadInSectors) / kSectorsPerSecond -
                             (toc.trackStarts.front() + kLeadInSectors) / kSectorsPerSecond;
    return (digits % 255) << 24 | (seconds & 0xFFFFu) << 8 | (static_cast<uint32_t>(toc.trackStarts.size()) & 0xFFu);
}

AccurateRipIds AccurateRipIdsOf(const DiscToc& toc) {
    AccurateRipIds ids;
    ids.tracks = static_cast<uint32_t>(toc.trackStarts.size());
    uint32_t number = 1;
    for (uint32_t start : toc.trackStarts) {
        ids.id1 += start;
        // A start of 0 would weigh nothing, so it counts as 1.
        ids.id2 += (start > 0 ? start : 1) * number;
        ++number;
    }
    ids.id1 += toc.leadout;
    ids.id2 += (toc.leadout > 0 ? toc.leadout : 1) * number;
    ids.cddb = CddbId(toc);
    return ids;
}

std::string AccurateRipName(const AccurateRipIds& ids) {
    char count[16];
    std::snprintf(count, sizeof count, "%03u", static_cast<unsigned>(ids.tracks));
    return std::string(count) + "-" + Hex8(ids.id1) + "-" + Hex8(ids.id2) + "-" + Hex8(ids.cddb);
}

#ifdef ZEM_HAVE_DISCID
namespace {

// libdiscid's disc from the table of contents, or nullptr when it refuses it.
DiscId* PutToc(const DiscToc& toc) {
    if (toc.trackStarts.empty() || toc.trackStarts.size() > 99)
        return nullptr;
    int offsets[100] = {};
    offsets[0] = static_cast<int>(toc.leadout + kLeadInSectors);
    for (size_t i = 0; i < toc.trackStarts.size(); ++i)
        offsets[i + 1] = static_cast<int>(toc.trackStarts[i] + kLeadInSectors);
    DiscId* disc = discid_new();
    if (disc && !discid_put(disc, 1, static_cast<int>(toc.trackStarts.size()), offsets)) {
        discid_free(disc);
        return nullptr;
    }
    return disc;
}

}  // namespace

bool HaveMusicBrainzIds() { return true; }

std::string MusicBrainzId(const DiscToc& toc) {
    DiscId* disc = PutToc(toc);
    if (!disc)
        return {};
    std::string id = discid_get_id(disc);
    discid_free(disc);
    return id;
}

uint32_t LibraryCddbId(const DiscToc& toc) {
    DiscId* disc = PutToc(toc);
    if (!disc)
        return 0;
    const uint32_t id = static_cast<uint32_t>(std::strtoul(discid_get_freedb_id(disc), nullptr, 16));
    discid_free(disc);
    return id;
}
#else
bool HaveMusicBrainzIds() { return false; }
std::string MusicBrainzId(const DiscToc&) { return {}; }
uint32_t LibraryCddbId(const DiscToc&) { return 0; }
#endif

}  // namespace ripcheck
