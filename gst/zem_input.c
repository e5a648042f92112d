/* SPDX-License-Identifier: BSD-3-Clause */
#include "gst/zem_input.h"

/* The decoder asks for a few bytes at a time at the stream's front; each
 * pull from a network source is a round trip, so ranges come this large. */
enum { kPullBytes = 64 * 1024 };
/* Upstream waits while this much is queued, so a fast source does not pile
 * the stream up in memory while downstream plays at the clock's pace. */
enum { kQueueLimit = 256 * 1024 };

void zem_input_init(ZemInput* input, GstPad* sinkpad) {
    input->sinkpad = sinkpad;
    input->offset = 0;
    input->cache = NULL;
    input->cache_offset = 0;
    g_mutex_init(&input->lock);
    g_cond_init(&input->changed);
    input->queue = gst_adapter_new();
    input->ended = FALSE;
    input->flushing = FALSE;
    input->unwanted = FALSE;
}

void zem_input_clear(ZemInput* input) {
    gst_buffer_replace(&input->cache, NULL);
    g_clear_object(&input->queue);
    g_cond_clear(&input->changed);
    g_mutex_clear(&input->lock);
}

void zem_input_reset(ZemInput* input) {
    input->offset = 0;
    gst_buffer_replace(&input->cache, NULL);
    g_mutex_lock(&input->lock);
    gst_adapter_clear(input->queue);
    input->ended = FALSE;
    input->flushing = FALSE;
    input->unwanted = FALSE;
    g_cond_broadcast(&input->changed);
    g_mutex_unlock(&input->lock);
}

/* ---- pull mode ---- */

static long pull_read(void* user, void* buffer, long bytes) {
    ZemInput* input = user;
    if (bytes <= 0)
        return 0;
    const gsize held = input->cache ? gst_buffer_get_size(input->cache) : 0;
    if (!input->cache || input->offset < input->cache_offset || input->offset >= input->cache_offset + held) {
        gst_buffer_replace(&input->cache, NULL);
        GstBuffer* range = NULL;
        const guint length = (guint)MAX(bytes, (long)kPullBytes);
        const GstFlowReturn ret = gst_pad_pull_range(input->sinkpad, input->offset, length, &range);
        if (ret == GST_FLOW_EOS)
            return 0;
        if (ret != GST_FLOW_OK)
            return -1;
        if (gst_buffer_get_size(range) == 0) {
            gst_buffer_unref(range);
            return 0;
        }
        input->cache = range;
        input->cache_offset = input->offset;
    }
    const guint64 within = input->offset - input->cache_offset;
    const gsize count = (gsize)MIN((guint64)bytes, gst_buffer_get_size(input->cache) - within);
    gst_buffer_extract(input->cache, (gsize)within, buffer, count);
    input->offset += count;
    return (long)count;
}

static int pull_seek(void* user, int64_t offset) {
    ZemInput* input = user;
    if (offset < 0)
        return -1;
    input->offset = (guint64)offset;
    return 0;
}

/* Upstream's length in bytes, negative when it does not know it. */
static int64_t pull_size(void* user) {
    ZemInput* input = user;
    gint64 length = -1;
    if (!gst_pad_peer_query_duration(input->sinkpad, GST_FORMAT_BYTES, &length))
        return -1;
    return length;
}

zem_decoder* zem_input_open_pull(ZemInput* input, int* error) {
    static const zem_io io = {pull_read, pull_seek, pull_size};
    input->offset = 0;
    gst_buffer_replace(&input->cache, NULL);
    return zem_open_io(&io, input, error);
}

/* ---- push mode ---- */

/* Blocks until upstream has put bytes or ended; a flush (a state change to
 * READY among others) answers a failure at once. */
static long push_read(void* user, void* buffer, long bytes) {
    ZemInput* input = user;
    if (bytes <= 0)
        return 0;
    g_mutex_lock(&input->lock);
    while (!input->flushing && !input->ended && gst_adapter_available(input->queue) == 0)
        g_cond_wait(&input->changed, &input->lock);
    long got = -1;
    if (!input->flushing) {
        /* Nothing queued once upstream has ended: the stream's end, 0. */
        const gsize count = MIN(gst_adapter_available(input->queue), (gsize)bytes);
        if (count > 0) {
            gst_adapter_copy(input->queue, buffer, 0, count);
            gst_adapter_flush(input->queue, count);
            g_cond_broadcast(&input->changed);
        }
        got = (long)count;
    }
    g_mutex_unlock(&input->lock);
    return got;
}

zem_decoder* zem_input_open_push(ZemInput* input, int* error) {
    static const zem_io io = {push_read, NULL, NULL};
    return zem_open_io(&io, input, error);
}

GstFlowReturn zem_input_put(ZemInput* input, GstBuffer* buffer) {
    g_mutex_lock(&input->lock);
    while (!input->flushing && !input->unwanted && gst_adapter_available(input->queue) >= kQueueLimit)
        g_cond_wait(&input->changed, &input->lock);
    GstFlowReturn ret = GST_FLOW_OK;
    if (input->flushing)
        ret = GST_FLOW_FLUSHING;
    else if (input->unwanted || input->ended)
        ret = GST_FLOW_EOS;
    if (ret == GST_FLOW_OK) {
        gst_adapter_push(input->queue, buffer);
        g_cond_broadcast(&input->changed);
    } else {
        gst_buffer_unref(buffer);
    }
    g_mutex_unlock(&input->lock);
    return ret;
}

void zem_input_end(ZemInput* input) {
    g_mutex_lock(&input->lock);
    input->ended = TRUE;
    g_cond_broadcast(&input->changed);
    g_mutex_unlock(&input->lock);
}

void zem_input_set_flushing(ZemInput* input, gboolean flushing) {
    g_mutex_lock(&input->lock);
    input->flushing = flushing;
    if (!flushing) {
        gst_adapter_clear(input->queue);
        input->ended = FALSE;
    }
    g_cond_broadcast(&input->changed);
    g_mutex_unlock(&input->lock);
}

gboolean zem_input_is_flushing(ZemInput* input) {
    g_mutex_lock(&input->lock);
    const gboolean flushing = input->flushing;
    g_mutex_unlock(&input->lock);
    return flushing;
}

/* The decoder failed to open: upstream is told to stop rather than wait on a full queue. */
void zem_input_refuse(ZemInput* input) {
    g_mutex_lock(&input->lock);
    input->unwanted = TRUE;
    gst_adapter_clear(input->queue);
    g_cond_broadcast(&input->changed);
    g_mutex_unlock(&input->lock);
}
