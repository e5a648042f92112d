/* SPDX-License-Identifier: BSD-3-Clause */
#include "gst/zem_tags.h"

#include <gst/tag/tag.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

/* The front cover as other APEv2 writers store it: a file name, a zero byte,
 * the image. Larger pictures are left out rather than carried through every
 * pipeline's tag events. */
#define COVER_ITEM "Cover Art (Front)"
#define MAX_COVER_BYTES (16 * 1024 * 1024)

static void add_text(GstTagList* tags, const zem_decoder* decoder, const char* field, const char* tag) {
    const char* value = zem_get_tag(decoder, field);
    if (value && *value && g_utf8_validate(value, -1, NULL))
        gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, tag, value, NULL);
}

/* "7" or "7/12"; anything not starting with a positive number is left out. */
static void add_track(GstTagList* tags, const zem_decoder* decoder) {
    const char* value = zem_get_tag(decoder, "Track");
    if (!value)
        return;
    char* end = NULL;
    unsigned long number = strtoul(value, &end, 10);
    if (end == value || number == 0 || number > G_MAXUINT)
        return;
    gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, GST_TAG_TRACK_NUMBER, (guint)number, NULL);
    if (*end == '/') {
        const char* count_text = end + 1;
        unsigned long count = strtoul(count_text, &end, 10);
        if (end != count_text && count > 0 && count <= G_MAXUINT)
            gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, GST_TAG_TRACK_COUNT, (guint)count, NULL);
    }
}

static void add_date(GstTagList* tags, const zem_decoder* decoder) {
    const char* value = zem_get_tag(decoder, "Year");
    if (!value || !*value)
        return;
    GstDateTime* date = gst_date_time_new_from_iso8601_string(value);
    if (!date)
        return;
    gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, GST_TAG_DATE_TIME, date, NULL);
    gst_date_time_unref(date);
}

/* "-6.54 dB" (the unit optional, in any case) or "0.988553": the number,
 * or FALSE for anything else. */
static gboolean parse_gain(const char* text, gboolean gain, double* value) {
    if (!text || !*text)
        return FALSE;
    char* end = NULL;
    *value = g_ascii_strtod(text, &end);
    if (end == text || !isfinite(*value))
        return FALSE;
    while (*end == ' ')
        ++end;
    if (gain && g_ascii_strncasecmp(end, "dB", 2) == 0)
        end += 2;
    while (*end == ' ')
        ++end;
    return *end == '\0' && (gain || *value >= 0);
}

static void add_gain(GstTagList* tags, const zem_decoder* decoder, const char* field, const char* tag, gboolean gain) {
    double value = 0;
    if (parse_gain(zem_get_tag(decoder, field), gain, &value))
        gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, tag, value, NULL);
}

static gboolean is_picture(const guint8* bytes, size_t size) {
    static const guint8 jpeg[] = {0xFF, 0xD8, 0xFF};
    static const guint8 png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return (size >= sizeof jpeg && memcmp(bytes, jpeg, sizeof jpeg) == 0) ||
           (size >= sizeof png && memcmp(bytes, png, sizeof png) == 0);
}

/* The front cover of the file's own tag, as an image sample whose caps name
 * its type (image/jpeg, image/png). */
static void add_cover(GstTagList* tags, const char* path) {
    if (!path)
        return;
    zem_tag* tag = zem_tag_open(path, NULL);
    if (!tag)
        return;
    const long size = zem_tag_get_binary(tag, COVER_ITEM, NULL, 0);
    guint8* value = size > 0 && size <= MAX_COVER_BYTES ? g_malloc((gsize)size) : NULL;
    if (value && zem_tag_get_binary(tag, COVER_ITEM, value, (size_t)size) == size) {
        const guint8* zero = memchr(value, 0, (size_t)size);
        const guint8* image = zero ? zero + 1 : NULL;
        const size_t image_size = image ? (size_t)size - (size_t)(image - value) : 0;
        GstSample* sample = image && is_picture(image, image_size)
                                ? gst_tag_image_data_to_image_sample(image, (guint)image_size,
                                                                     GST_TAG_IMAGE_TYPE_FRONT_COVER)
                                : NULL;
        if (sample) {
            gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, GST_TAG_IMAGE, sample, NULL);
            gst_sample_unref(sample);
        }
    }
    g_free(value);
    zem_tag_close(tag);
}

GstTagList* zem_tags_from_decoder(const zem_decoder* decoder, const char* path) {
    GstTagList* tags = gst_tag_list_new(GST_TAG_AUDIO_CODEC, "ZEM", GST_TAG_CONTAINER_FORMAT, "ZEM", NULL);
    add_text(tags, decoder, "Title", GST_TAG_TITLE);
    add_text(tags, decoder, "Artist", GST_TAG_ARTIST);
    add_text(tags, decoder, "Album", GST_TAG_ALBUM);
    add_text(tags, decoder, "Genre", GST_TAG_GENRE);
    add_text(tags, decoder, "Comment", GST_TAG_COMMENT);
    add_track(tags, decoder);
    add_date(tags, decoder);
    add_gain(tags, decoder, "REPLAYGAIN_TRACK_GAIN", GST_TAG_TRACK_GAIN, TRUE);
    add_gain(tags, decoder, "REPLAYGAIN_TRACK_PEAK", GST_TAG_TRACK_PEAK, FALSE);
    add_gain(tags, decoder, "REPLAYGAIN_ALBUM_GAIN", GST_TAG_ALBUM_GAIN, TRUE);
    add_gain(tags, decoder, "REPLAYGAIN_ALBUM_PEAK", GST_TAG_ALBUM_PEAK, FALSE);
    add_cover(tags, path);
    gst_tag_list_set_scope(tags, GST_TAG_SCOPE_GLOBAL);
    return tags;
}
