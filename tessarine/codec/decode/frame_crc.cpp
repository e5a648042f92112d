#include "tessarine/codec/decode/frame_crc.h"

namespace frame_crc {
namespace {

struct Table {
    uint32_t entries[256];
    Table() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            entries[i] = c;
        }
    }
};

const Table kTable;

}  // namespace

uint32_t Update(uint32_t reg, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        reg = (reg >> 8) ^ kTable.entries[(reg ^ bytes[i]) & 0xFF];
    return reg;
}

}  // namespace frame_crc
