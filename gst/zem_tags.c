/* SPDX-License-Identifier: BSD-3-Clause */
#include "gst/zem_tags.h"

#include <stdlib.h>

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

GstTagList* zem_tags_from_decoder(const zem_decoder* decoder) {
    GstTagList* tags = gst_tag_list_new(GST_TAG_AUDIO_CODEC, "ZEM", GST_TAG_CONTAINER_FORMAT, "ZEM", NULL);
    add_text(tags, decoder, "Title", GST_TAG_TITLE);
    add_text(tags, decoder, "Artist", GST_TAG_ARTIST);
    add_text(tags, decoder, "Album", GST_TAG_ALBUM);
    add_text(tags, decoder, "Genre", GST_TAG_GENRE);
    add_text(tags, decoder, "Comment", GST_TAG_COMMENT);
    add_track(tags, decoder);
    add_date(tags, decoder);
    gst_tag_list_set_scope(tags, GST_TAG_SCOPE_GLOBAL);
    return tags;
}
