// SPDX-License-Identifier: BSD-3-Clause
// A stream or a link's image that is a FIFO is refused at once: the factory
// only reads, and a pipe can neither be read back and forth nor counted on to end.
#include "decode/decoder_factory.h"

#include "container/codec_error.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>

using namespace zem;

using namespace testing_support;

namespace {

TEST(FactoryFifo, StreamAndLinkedImageThatAreFifosAreBadInput) {
    TempDir dir;
    ASSERT_EQ(0, mkfifo(dir.File("pipe.zem").c_str(), 0600));
    WriteFileBytes(dir.File("t.zlk"), BytesOf("[Quillon Image Link File]\r\nImage File=pipe.zem\r\n"
                                              "Start Block=0\r\nFinish Block=-1\r\n"));
    for (const char* name : {"pipe.zem", "t.zlk"}) {
        int error = 0;
        EXPECT_EQ(nullptr, OpenDecoder(dir.WideFile(name).c_str(), &error)) << name;
        EXPECT_EQ(CODEC_BAD_INPUT, error) << name;
    }
}

}  // namespace
#endif
