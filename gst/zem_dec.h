// SPDX-License-Identifier: BSD-3-Clause
/* zemdec: decodes a ZEM stream or a ZLK link's track through libzem: a local
 * file by its path, any other stream from the bytes upstream delivers. */
#ifndef GST_ZEM_DEC_H
#define GST_ZEM_DEC_H

#include <gst/gst.h>
#include <zem/zem.h>

#include "gst/zem_input.h"

G_BEGIN_DECLS

#define GST_TYPE_ZEM_DEC (gst_zem_dec_get_type())
G_DECLARE_FINAL_TYPE(GstZemDec, gst_zem_dec, GST, ZEM_DEC, GstElement)

/* Where the decoder's bytes come from, chosen as the sink pad activates. */
typedef enum {
    ZEM_DEC_BY_PATH,   /* a local file, opened by libzem itself; the task runs on the sink pad */
    ZEM_DEC_PULLED,    /* ranges pulled from upstream; the task runs on the sink pad */
    ZEM_DEC_PUSHED,    /* upstream's pushes, queued; the task runs on the source pad */
} ZemDecSource;

struct _GstZemDec {
    GstElement parent;
    GstPad* sinkpad;
    GstPad* srcpad;          /* ours; added by the task once the stream is open */
    ZemDecSource source;
    ZemInput input;

    /* Touched by the streaming task, or by a seek with the task paused. */
    zem_decoder* decoder;
    gchar* path;             /* the file the decoder reads, for its tag's binary items; NULL for a stream */
    gchar* uri;              /* upstream's location, NULL when it does not tell */
    gboolean failed;         /* opening failed: the task only ends */
    gboolean need_start;     /* stream-start, caps and tags still to send */
    gboolean need_segment;
    gboolean tags_pending;
    gboolean discont;
    guint32 seek_seqnum;     /* of the last seek, 0 before any */
    GstSegment segment;      /* TIME */
    guint64 end_block;       /* where this segment stops */
    /* Reads that failed in a row from `from` on, not yet reported: their
     * blocks become silence with one warning once a read succeeds, or end
     * the stream when the run reaches the segment's end (a cut file). */
    struct {
        guint64 from;
        guint64 blocks;
        guint reads;
        long error;
    } damage;

    /* Set once the stream is open, read by queries from any thread (object lock). */
    zem_stream_info info;
    gboolean have_info;
    guint64 position;        /* next block to push */
};

G_END_DECLS

#endif
