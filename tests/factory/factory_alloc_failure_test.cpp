// SPDX-License-Identifier: BSD-3-Clause
// Opening a link file while any one of its allocations fails: the factory
// reports the failure and nothing that was built stays allocated. This program
// replaces the global allocation functions so that a chosen allocation throws
// and the allocations still alive can be counted; outside a test they behave
// as plain malloc and free.
#include "decode/decoder_factory.h"

#include "container/codec_error.h"
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

using namespace zem;

using namespace testing_support;

namespace {

// Allocation functions cannot carry context, so the probe is the one place of
// state they share with the test. Tests run on one thread.
struct AllocationProbe {
    long failCountdown = -1;  // the allocation that finds it at 0 throws; -1: none
    bool counting = false;
    long live = 0;            // allocations minus releases while counting
};

AllocationProbe& Probe() {
    static AllocationProbe probe;
    return probe;
}

void* Allocate(std::size_t size) {
    AllocationProbe& probe = Probe();
    if (probe.failCountdown == 0) {
        probe.failCountdown = -1;
        throw std::bad_alloc();
    }
    if (probe.failCountdown > 0)
        --probe.failCountdown;
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    if (probe.counting)
        ++probe.live;
    return block;
}

void Free(void* block) {
    if (!block)
        return;
    if (Probe().counting)
        --Probe().live;
    std::free(block);
}

void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }

TEST(FactoryAllocationFailure, EveryFailedAllocationOfALinkOpenLeavesNothingBehind) {
    TempDir dir;
    WriteFileBytes(dir.File("image.zem"), BuildZemBytes(CurrentZemFixture(3990)));
    WriteFileBytes(dir.File("track.zlk"),
                   BytesOf("[Quillon Image Link File]\r\nImage File=image.zem\r\nStart Block=588\r\n"
                           "Finish Block=1176\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n"));
    const WString link = dir.WideFile("track.zlk");
    int error = -7;
    ASSERT_NE(nullptr, OpenDecoder(link.c_str(), &error));  // also fills any lazy caches first

    AllocationProbe& probe = Probe();
    bool completed = false;
    for (long failAt = 0; failAt < 100000 && !completed; ++failAt) {
        probe.live = 0;
        probe.counting = true;
        probe.failCountdown = failAt;
        error = -7;
        std::unique_ptr<CDecoder> decoder = OpenDecoder(link.c_str(), &error);
        completed = probe.failCountdown > 0;  // every allocation succeeded
        probe.failCountdown = -1;
        if (decoder)
            EXPECT_EQ(CODEC_OK, error) << failAt;
        else
            EXPECT_NE(CODEC_OK, error) << failAt;
        decoder.reset();
        probe.counting = false;
        ASSERT_EQ(0, probe.live) << "allocation " << failAt << " failed";
    }
    EXPECT_TRUE(completed);
}
