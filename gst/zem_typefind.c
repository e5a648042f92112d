/* SPDX-License-Identifier: BSD-3-Clause */
#include "gst/zem_typefind.h"

#include <zem/zem.h>

#include <string.h>

/* A stream begins with this magic and its version, possibly behind an ID3v2
 * block and the zero bytes that pad it, or behind other bytes (the library
 * looks up to a megabyte past them). A claim rests on the start's shape, not
 * on four letters: the version and either the descriptor's own lengths
 * (3980 on) or the compression level of the older header. */
static const char kStreamMagic[4] = ZEM_STREAM_MAGIC;
/* The link reader wants this line, exactly so, somewhere in the text. */
static const char kLinkHeader[] = ZEM_LINK_HEADER;

enum {
    kId3HeaderBytes = 10,
    kZeroSearchBytes = 4096,
    kLinkSearchBytes = 1024,
    kStartBytes = 16,             /* of a stream start that tell its shape */
    kJunkSearchBytes = 64 * 1024, /* where a stream behind other bytes is looked for */
    kFirstDescriptorVersion = 3980,
};

static guint32 load_u32(const guint8* p) {
    return (guint32)p[0] | (guint32)p[1] << 8 | (guint32)p[2] << 16 | (guint32)p[3] << 24;
}

/* Whether `p` (kStartBytes long) is a stream start of a version the format has known. */
static gboolean is_stream_start(const guint8* p) {
    if (memcmp(p, kStreamMagic, sizeof(kStreamMagic)) != 0)
        return FALSE;
    const guint version = (guint)p[4] | (guint)p[5] << 8;
    if (version < 1000 || version > 9999)
        return FALSE;
    if (version >= kFirstDescriptorVersion) {
        const guint32 descriptor = load_u32(p + 8), header = load_u32(p + 12);
        return descriptor >= 52 && descriptor < 65536 && header >= 24 && header < 65536;
    }
    const guint level = (guint)p[6] | (guint)p[7] << 8;
    return level >= 1000 && level <= 5000 && level % 1000 == 0;
}

/* Where the stream proper starts: behind an ID3v2 block, if any. */
static guint64 stream_search_start(GstTypeFind* tf) {
    const guint8* id3 = gst_type_find_peek(tf, 0, kId3HeaderBytes);
    if (!id3 || memcmp(id3, "ID3", 3) != 0)
        return 0;
    guint64 length = (guint64)(id3[6] & 0x7F) << 21 | (guint64)(id3[7] & 0x7F) << 14 |
                     (guint64)(id3[8] & 0x7F) << 7 | (guint64)(id3[9] & 0x7F);
    if (id3[5] & 0x10)
        return length + 20; /* the footer repeats the header */
    return length + kId3HeaderBytes;
}

/* The largest window from `offset` on, up to `bytes`, that can be peeked. */
static const guint8* peek_window(GstTypeFind* tf, guint64 offset, guint bytes, guint* got) {
    const guint64 length = gst_type_find_get_length(tf);
    if (length > offset && length - offset < bytes)
        bytes = (guint)(length - offset);
    for (; bytes >= kStartBytes; bytes /= 4) {
        const guint8* data = gst_type_find_peek(tf, offset, bytes);
        if (data) {
            *got = bytes;
            return data;
        }
    }
    return NULL;
}

static void stream_type_find(GstTypeFind* tf, gpointer user_data) {
    guint64 offset = stream_search_start(tf);
    /* Skip the padding zeros in small steps: peeking may fail near the end. */
    for (guint64 skipped = 0; skipped < kZeroSearchBytes; ++skipped) {
        const guint8* byte = gst_type_find_peek(tf, offset, 1);
        if (!byte || *byte != 0)
            break;
        ++offset;
    }
    const guint8* start = gst_type_find_peek(tf, offset, kStartBytes);
    if (start && is_stream_start(start)) {
        gst_type_find_suggest_empty_simple(tf, GST_TYPE_FIND_MAXIMUM, ZEM_STREAM_CAPS);
        return;
    }
    /* Behind other bytes: the library finds it there too, so it is likely, not certain. */
    guint window = 0;
    const guint8* data = peek_window(tf, 0, kJunkSearchBytes, &window);
    for (guint at = 0; data && at + kStartBytes <= window; ++at) {
        if (data[at] == 'Q' && is_stream_start(data + at)) {
            gst_type_find_suggest_empty_simple(tf, GST_TYPE_FIND_LIKELY, ZEM_STREAM_CAPS);
            return;
        }
    }
}

static void link_type_find(GstTypeFind* tf, gpointer user_data) {
    const size_t key = sizeof(kLinkHeader) - 1;
    const guint64 length = gst_type_find_get_length(tf);
    const guint tries[] = {kLinkSearchBytes, 256, (guint)key};
    const guint8* text = NULL;
    guint window = 0;
    for (size_t i = 0; i < G_N_ELEMENTS(tries) && !text; ++i) {
        window = length > 0 && length < tries[i] ? (guint)length : tries[i];
        if (window >= key)
            text = gst_type_find_peek(tf, 0, window);
    }
    if (!text)
        return;
    for (guint at = 0; at + key <= window; ++at) {
        if (memcmp(text + at, kLinkHeader, key) == 0) {
            gst_type_find_suggest_empty_simple(tf, at == 0 ? GST_TYPE_FIND_MAXIMUM : GST_TYPE_FIND_LIKELY,
                                               ZEM_LINK_CAPS);
            return;
        }
    }
}

gboolean zem_typefind_register(GstPlugin* plugin) {
    GstCaps* stream_caps = gst_caps_new_empty_simple(ZEM_STREAM_CAPS);
    GstCaps* link_caps = gst_caps_new_empty_simple(ZEM_LINK_CAPS);
    gboolean ok = gst_type_find_register(plugin, "zem_stream", GST_RANK_PRIMARY, stream_type_find, "zem,qrb", stream_caps,
                                         NULL, NULL) &&
                  gst_type_find_register(plugin, "zem_link", GST_RANK_PRIMARY, link_type_find, "zlk", link_caps, NULL,
                                         NULL);
    gst_caps_unref(stream_caps);
    gst_caps_unref(link_caps);
    return ok;
}
