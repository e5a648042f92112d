// SPDX-License-Identifier: BSD-3-Clause
/* A decoder's tag fields as a GStreamer tag list. */
#ifndef GST_ZEM_TAGS_H
#define GST_ZEM_TAGS_H

#include <gst/gst.h>
#include <zem/zem.h>

G_BEGIN_DECLS

/* Title, artist, album, track number (and count, from "3/12"), genre, date
 * (from the year or an ISO 8601 date) and comment, plus the codec's name;
 * the ReplayGain fields as track and album gain and peak; the front cover of
 * the tag of the file at `path` (NULL: none) as an image. */
GstTagList* zem_tags_from_decoder(const zem_decoder* decoder, const char* path);

G_END_DECLS

#endif
