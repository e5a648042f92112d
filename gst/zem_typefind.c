#include "gst/zem_typefind.h"

#include <string.h>

/* A stream begins with this magic, possibly behind an ID3v2 block and the
 * zero bytes that pad it. The library looks further (up to a megabyte of
 * junk); a type finder only peeks at the front and takes what it sees there. */
static const char kStreamMagic[4] = {'Q', 'R', 'B', ' '};
/* The link reader wants this line, exactly so, somewhere in the text. */
static const char kLinkHeader[] = "[Quillon Image Link File]";

enum { kId3HeaderBytes = 10, kZeroSearchBytes = 4096, kLinkSearchBytes = 1024 };

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

static void stream_type_find(GstTypeFind* tf, gpointer user_data) {
    guint64 offset = stream_search_start(tf);
    /* Skip the padding zeros in small steps: peeking may fail near the end. */
    for (guint64 skipped = 0; skipped < kZeroSearchBytes; ++skipped) {
        const guint8* byte = gst_type_find_peek(tf, offset, 1);
        if (!byte || *byte != 0)
            break;
        ++offset;
    }
    const guint8* magic = gst_type_find_peek(tf, offset, sizeof(kStreamMagic));
    if (magic && memcmp(magic, kStreamMagic, sizeof(kStreamMagic)) == 0)
        gst_type_find_suggest_empty_simple(tf, GST_TYPE_FIND_MAXIMUM, ZEM_STREAM_CAPS);
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
