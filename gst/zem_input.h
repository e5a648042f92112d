// SPDX-License-Identifier: BSD-3-Clause
/* zemdec's bytes from its sink pad, for libzem's zem_open_io: pulled where
 * upstream allows it, else queued from upstream's pushes for the element's
 * own streaming task to take. */
#ifndef GST_ZEM_INPUT_H
#define GST_ZEM_INPUT_H

#include <gst/base/gstadapter.h>
#include <gst/gst.h>
#include <zem/zem.h>

G_BEGIN_DECLS

typedef struct ZemInput {
    GstPad* sinkpad;

    /* Pull mode, touched only by the thread that calls the decoder. */
    guint64 offset;          /* where the next read starts */
    GstBuffer* cache;        /* the last range pulled, from cache_offset on */
    guint64 cache_offset;

    /* Push mode: upstream's streaming thread puts, the decoder's takes. */
    GMutex lock;
    GCond changed;
    GstAdapter* queue;
    gboolean ended;          /* upstream sent EOS: reads answer 0 once the queue is empty */
    gboolean flushing;       /* reads and puts fail at once, without waiting */
    gboolean unwanted;       /* the decoder takes nothing more: puts answer EOS */
} ZemInput;

void zem_input_init(ZemInput* input, GstPad* sinkpad);
void zem_input_clear(ZemInput* input);
/* Back to the start: the queue and the cache emptied, not flushing, not ended. */
void zem_input_reset(ZemInput* input);

/* A decoder on the bytes upstream delivers, as zem_open_io() answers. */
zem_decoder* zem_input_open_pull(ZemInput* input, int* error);
zem_decoder* zem_input_open_push(ZemInput* input, int* error);

/* The sink pad's chain function in push mode: takes the buffer, waiting
 * while the queue is full. */
GstFlowReturn zem_input_put(ZemInput* input, GstBuffer* buffer);
void zem_input_end(ZemInput* input);
void zem_input_set_flushing(ZemInput* input, gboolean flushing);
gboolean zem_input_is_flushing(ZemInput* input);
void zem_input_refuse(ZemInput* input);

G_END_DECLS

#endif
