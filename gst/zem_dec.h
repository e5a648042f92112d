// SPDX-License-Identifier: BSD-3-Clause
/* zemdec: decodes a ZEM stream or a ZLK link's track, read by path through libzem. */
#ifndef GST_ZEM_DEC_H
#define GST_ZEM_DEC_H

#include <gst/gst.h>
#include <zem/zem.h>

G_BEGIN_DECLS

#define GST_TYPE_ZEM_DEC (gst_zem_dec_get_type())
G_DECLARE_FINAL_TYPE(GstZemDec, gst_zem_dec, GST, ZEM_DEC, GstElement)

struct _GstZemDec {
    GstElement parent;
    GstPad* sinkpad;
    GstPad* srcpad;          /* added by the task once the stream is open */

    /* Touched by the streaming task (on the sink pad), or by a seek with the task paused. */
    zem_decoder* decoder;
    gchar* path;             /* the file the decoder reads, for its tag's binary items */
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
