/* SPDX-License-Identifier: BSD-3-Clause */
#include "gst/zem_dec.h"

#include "gst/zem_tags.h"
#include "gst/zem_typefind.h"

GST_DEBUG_CATEGORY_STATIC(zem_dec_debug);
#define GST_CAT_DEFAULT zem_dec_debug

/* Blocks per output buffer: the element's memory stays this small whatever the stream. */
enum { kChunkBlocks = 4096 };

static GstStaticPadTemplate sink_template = GST_STATIC_PAD_TEMPLATE(
    "sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS(ZEM_STREAM_CAPS "; " ZEM_LINK_CAPS));

static GstStaticPadTemplate src_template = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_SOMETIMES,
    GST_STATIC_CAPS("audio/x-raw, format = (string) { U8, S16LE, S24LE }, rate = (int) [ 1, MAX ], "
                    "channels = (int) [ 1, 2 ], layout = (string) interleaved"));

G_DEFINE_TYPE(GstZemDec, gst_zem_dec, GST_TYPE_ELEMENT)

static void zem_dec_loop(gpointer user_data);
static gboolean src_event(GstPad* pad, GstObject* parent, GstEvent* event);
static gboolean src_query(GstPad* pad, GstObject* parent, GstQuery* query);

static GstClockTime block_time(const GstZemDec* self, guint64 block) {
    return gst_util_uint64_scale_int(block, GST_SECOND, (gint)self->info.sample_rate);
}

/* Zero for signed samples, the midpoint for WAV's unsigned 8-bit ones. */
static guint8 silence_byte(const GstZemDec* self) { return self->info.bits_per_sample == 8 ? 0x80 : 0x00; }

static const char* raw_format(unsigned bits) {
    switch (bits) {
    case 8: return "U8";
    case 16: return "S16LE";
    case 24: return "S24LE";
    default: return NULL;
    }
}

/* The task runs on the sink pad, except in push mode: there upstream's
 * thread holds the sink pad's stream lock while it hands a buffer over. */
static GstPad* task_pad(const GstZemDec* self) {
    return self->source == ZEM_DEC_PUSHED ? self->srcpad : self->sinkpad;
}

/* Upstream's location, or NULL when it does not tell (appsrc, some pipes). */
static gchar* upstream_uri(GstZemDec* self) {
    GstQuery* query = gst_query_new_uri();
    gchar* uri = NULL;
    if (gst_pad_peer_query(self->sinkpad, query))
        gst_query_parse_uri(query, &uri);
    gst_query_unref(query);
    return uri;
}

/* Whether the type finder upstream took the file for a link file: it
 * answers a caps query with the type it found, other sources with ANY. */
static gboolean upstream_is_link(GstZemDec* self) {
    GstCaps* caps = gst_pad_get_current_caps(self->sinkpad);
    if (!caps)
        caps = gst_pad_peer_query_caps(self->sinkpad, NULL);
    const gboolean link = !gst_caps_is_any(caps) && !gst_caps_is_empty(caps) &&
                          gst_structure_has_name(gst_caps_get_structure(caps, 0), "application/x-zem-link");
    gst_caps_unref(caps);
    return link;
}

/* `name` is the file's name (or the stream's location) for people, NULL
 * for a stream without one: its bytes need not be UTF-8, the text of a
 * message must, and so must libzem's detail, which quotes paths. */
static void post_open_error(GstZemDec* self, const gchar* name, int error, const char* detail) {
    gchar* valid = g_utf8_make_valid(detail, -1);
    gchar* quoted = name ? g_strdup_printf("\"%s\"", name) : NULL;
    const char* why = *valid ? valid : zem_error_text(error);
    const char* subject = quoted ? quoted : "The stream";
    const char* object = quoted ? quoted : "the stream";
    const char* call = self->source == ZEM_DEC_BY_PATH ? "zem_open_ex" : "zem_open_io";
    switch (error) {
    case ZEM_ERROR_CANNOT_OPEN:
    case ZEM_ERROR_READ_FAILED:
        GST_ELEMENT_ERROR(self, RESOURCE, OPEN_READ, ("Cannot read %s: %s.", object, why), ("%s: %d", call, error));
        break;
    case ZEM_ERROR_PATH_REFUSED:
        GST_ELEMENT_ERROR(self, RESOURCE, NOT_AUTHORIZED,
                          ("%s is not opened: %s.", subject, why),
                          ("%s: %d", call, error));
        break;
    case ZEM_ERROR_UNSUPPORTED:
        GST_ELEMENT_ERROR(self, STREAM, CODEC_NOT_FOUND, ("%s is a ZEM stream of a version not decoded: %s.", subject, why),
                          ("%s: %d", call, error));
        break;
    default:
        if (upstream_is_link(self))
            GST_ELEMENT_ERROR(self, STREAM, WRONG_TYPE, ("%s is a ZLK link file that does not open: %s.", subject, why),
                              ("%s: %d", call, error));
        else
            GST_ELEMENT_ERROR(self, STREAM, WRONG_TYPE,
                              ("%s does not open as a ZEM stream or a ZLK link file: %s.", subject, why),
                              ("%s: %d", call, error));
        break;
    }
    g_free(quoted);
    g_free(valid);
}

/* A local file is opened by its path, as libzem opens it for any program (a
 * link file needs its folder to find its image); any other stream is read
 * from the sink pad. FALSE (error posted) for a link file that is no local
 * file. */
static gboolean choose_source(GstZemDec* self, GstPadMode mode) {
    g_free(self->uri);
    self->uri = upstream_uri(self);
    g_free(self->path);
    self->path = NULL;
    if (self->uri && gst_uri_has_protocol(self->uri, "file"))
        self->path = g_filename_from_uri(self->uri, NULL, NULL);
    if (self->path) {
        self->source = ZEM_DEC_BY_PATH;
        return TRUE;
    }
    self->source = mode == GST_PAD_MODE_PULL ? ZEM_DEC_PULLED : ZEM_DEC_PUSHED;
    GST_DEBUG_OBJECT(self, "reading the stream from upstream in %s mode", gst_pad_mode_get_name(mode));
    if (upstream_is_link(self)) {
        GST_ELEMENT_ERROR(self, STREAM, WRONG_TYPE,
                          ("ZLK link files play from local files only (they name their image beside them), not from "
                           "\"%s\".", self->uri ? self->uri : "a stream"),
                          ("upstream is no file:// location"));
        return FALSE;
    }
    return TRUE;
}

/* Opens the decoder on the first call; FALSE (error posted) when it does not open. */
static gboolean ensure_open(GstZemDec* self) {
    if (self->decoder || self->failed)
        return self->decoder != NULL;
    self->failed = TRUE;
    int error = ZEM_OK;
    char detail[1024] = "";
    zem_decoder* decoder = NULL;
    gchar* name = NULL;
    if (self->source == ZEM_DEC_BY_PATH) {
        /* The path's bytes as they are: libzem takes names that are not UTF-8 too. */
        decoder = zem_open_ex(self->path, 0, &error, detail, sizeof detail);
        name = g_filename_display_name(self->path);
    } else {
        decoder = self->source == ZEM_DEC_PULLED ? zem_input_open_pull(&self->input, &error)
                                                  : zem_input_open_push(&self->input, &error);
        name = g_strdup(self->uri);
        if (!decoder && zem_input_is_flushing(&self->input)) {
            /* Stopped while reading (a flush, a state change): no failure of the stream's. */
            GST_DEBUG_OBJECT(self, "opening stopped by a flush");
            g_free(name);
            self->failed = FALSE;
            return FALSE;
        }
    }
    zem_stream_info info;
    if (!decoder) {
        post_open_error(self, name, error, detail);
    } else if (zem_get_info(decoder, &info) != ZEM_OK || !raw_format(info.bits_per_sample) || info.channels < 1 ||
               info.channels > 2 || info.sample_rate < 1 || info.sample_rate > G_MAXINT) {
        GST_ELEMENT_ERROR(self, STREAM, FORMAT, ("%s%s%s holds a sample layout this decoder does not output.",
                                                 name ? "\"" : "", name ? name : "The stream", name ? "\"" : ""),
                          ("%u bits, %u channels, %u Hz", info.bits_per_sample, info.channels, info.sample_rate));
        zem_close(decoder);
        decoder = NULL;
    }
    g_free(name);
    if (!decoder) {
        zem_input_refuse(&self->input);
        return FALSE;
    }

    GST_OBJECT_LOCK(self);
    self->decoder = decoder;
    self->info = info;
    self->have_info = TRUE;
    self->position = 0;
    GST_OBJECT_UNLOCK(self);
    self->failed = FALSE;
    self->end_block = info.total_blocks;
    gst_segment_init(&self->segment, GST_FORMAT_TIME);
    self->segment.duration = block_time(self, info.total_blocks);
    self->segment.stop = self->segment.duration;
    return TRUE;
}

/* Made before it is added: in push mode the task that opens the stream runs on it. */
static void make_src_pad(GstZemDec* self) {
    if (self->srcpad)
        return;
    self->srcpad = gst_object_ref_sink(gst_pad_new_from_static_template(&src_template, "src"));
    gst_pad_set_event_function(self->srcpad, src_event);
    gst_pad_set_query_function(self->srcpad, src_query);
    gst_pad_use_fixed_caps(self->srcpad);
}

static void drop_src_pad(GstZemDec* self) {
    if (!self->srcpad)
        return;
    gst_pad_set_active(self->srcpad, FALSE);
    if (GST_OBJECT_PARENT(self->srcpad) == GST_OBJECT(self))
        gst_element_remove_pad(GST_ELEMENT(self), self->srcpad);
    gst_clear_object(&self->srcpad);
}

/* The source pad appears once the stream is open and its caps are set, so
 * that decodebin, told by pad-added in this thread, links it before any data
 * flows. */
static void add_src_pad(GstZemDec* self) {
    make_src_pad(self);
    gst_pad_set_active(self->srcpad, TRUE);

    gchar* stream_id = gst_pad_create_stream_id(self->srcpad, GST_ELEMENT(self), NULL);
    GstEvent* event = gst_event_new_stream_start(stream_id);
    g_free(stream_id);
    gst_event_set_group_id(event, gst_util_group_id_next());
    gst_pad_push_event(self->srcpad, event);

    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, raw_format(self->info.bits_per_sample),
                                        "rate", G_TYPE_INT, (gint)self->info.sample_rate, "channels", G_TYPE_INT,
                                        (gint)self->info.channels, "layout", G_TYPE_STRING, "interleaved", NULL);
    if (self->info.channels == 2)
        gst_caps_set_simple(caps, "channel-mask", GST_TYPE_BITMASK, (guint64)0x3, NULL);
    gst_pad_push_event(self->srcpad, gst_event_new_caps(caps));
    gst_caps_unref(caps);

    gst_element_add_pad(GST_ELEMENT(self), self->srcpad);
    gst_element_no_more_pads(GST_ELEMENT(self));
}

static void push_segment(GstZemDec* self) {
    GstEvent* event = gst_event_new_segment(&self->segment);
    if (self->seek_seqnum)
        gst_event_set_seqnum(event, self->seek_seqnum);
    gst_pad_push_event(self->srcpad, event);
}

static void push_tags(GstZemDec* self) {
    gst_pad_push_event(self->srcpad, gst_event_new_tag(zem_tags_from_decoder(self->decoder, self->path)));
}

static void push_end(GstZemDec* self) {
    if (!self->srcpad)
        return;
    GstEvent* event = gst_event_new_eos();
    if (self->seek_seqnum)
        gst_event_set_seqnum(event, self->seek_seqnum);
    gst_pad_push_event(self->srcpad, event);
}

/* At the segment's end: segment-done after a segment seek, EOS otherwise. */
static void finish_segment(GstZemDec* self) {
    gst_pad_pause_task(task_pad(self));
    if (!(self->segment.flags & GST_SEGMENT_FLAG_SEGMENT)) {
        push_end(self);
        return;
    }
    const gint64 stop = (gint64)block_time(self, self->end_block);
    GstMessage* message = gst_message_new_segment_done(GST_OBJECT(self), GST_FORMAT_TIME, stop);
    GstEvent* event = gst_event_new_segment_done(GST_FORMAT_TIME, stop);
    if (self->seek_seqnum) {
        gst_message_set_seqnum(message, self->seek_seqnum);
        gst_event_set_seqnum(event, self->seek_seqnum);
    }
    gst_element_post_message(GST_ELEMENT(self), message);
    gst_pad_push_event(self->srcpad, event);
}

static void stop_on_flow(GstZemDec* self, GstFlowReturn ret) {
    GST_DEBUG_OBJECT(self, "pausing: %s", gst_flow_get_name(ret));
    gst_pad_pause_task(task_pad(self));
    if (ret == GST_FLOW_EOS) {
        push_end(self);
    } else if (ret == GST_FLOW_NOT_LINKED || ret < GST_FLOW_EOS) {
        GST_ELEMENT_FLOW_ERROR(self, ret);
        push_end(self);
    }
}

/* Stamps `count` blocks from `first` on and sends them downstream. */
static GstFlowReturn push_blocks(GstZemDec* self, GstBuffer* buffer, guint64 first, guint64 count) {
    GST_BUFFER_PTS(buffer) = block_time(self, first);
    GST_BUFFER_DURATION(buffer) = block_time(self, first + count) - GST_BUFFER_PTS(buffer);
    GST_BUFFER_OFFSET(buffer) = first;
    GST_BUFFER_OFFSET_END(buffer) = first + count;
    if (self->discont) {
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DISCONT);
        self->discont = FALSE;
    }
    GST_OBJECT_LOCK(self);
    self->position = first + count;
    GST_OBJECT_UNLOCK(self);
    self->segment.position = block_time(self, first + count);
    return gst_pad_push(self->srcpad, buffer);
}

/* Silence for the blocks [first, until) that a failed frame left out, in chunks. */
static GstFlowReturn push_silence(GstZemDec* self, guint64 first, guint64 until) {
    GstFlowReturn ret = GST_FLOW_OK;
    while (first < until && ret == GST_FLOW_OK) {
        const guint64 count = MIN(until - first, (guint64)kChunkBlocks);
        const gsize bytes = (gsize)count * self->info.block_align;
        GstBuffer* buffer = gst_buffer_new_allocate(NULL, bytes, NULL);
        gst_buffer_memset(buffer, 0, silence_byte(self), bytes);
        ret = push_blocks(self, buffer, first, count);
        first += count;
    }
    return ret;
}

/* A run of failed reads followed by good blocks: one warning, and silence of its length. */
static GstFlowReturn push_damage(GstZemDec* self) {
    const guint64 from = self->damage.from, blocks = self->damage.blocks;
    const GstClockTime at = block_time(self, from);
    const GstClockTime length = block_time(self, from + blocks) - at;
    if (self->damage.reads == 1)
        GST_ELEMENT_WARNING(self, STREAM, DECODE,
                            ("Damaged frame at %" GST_TIME_FORMAT " (block %" G_GUINT64_FORMAT "): %" G_GUINT64_FORMAT
                             " blocks (%" GST_TIME_FORMAT ") played as silence.",
                             GST_TIME_ARGS(at), from, blocks, GST_TIME_ARGS(length)),
                            ("zem_read: %ld (%s)", self->damage.error, zem_error_text((int)self->damage.error)));
    else
        GST_ELEMENT_WARNING(self, STREAM, DECODE,
                            ("%u damaged frames from %" GST_TIME_FORMAT " (block %" G_GUINT64_FORMAT "): %" G_GUINT64_FORMAT
                             " blocks (%" GST_TIME_FORMAT ") played as silence.",
                             self->damage.reads, GST_TIME_ARGS(at), from, blocks, GST_TIME_ARGS(length)),
                            ("zem_read: %ld (%s)", self->damage.error, zem_error_text((int)self->damage.error)));
    self->damage.blocks = 0;
    return push_silence(self, from, from + blocks);
}

/* The file ends before the stream does: playback ends at the cut, with
 * one warning in libzem's words (where the file ends, what the stream needs). */
static void end_at_cut(GstZemDec* self, guint64 at) {
    char detail[512];
    if (zem_get_error_detail(self->decoder, detail, sizeof detail) <= 0)
        g_strlcpy(detail, zem_error_text(ZEM_ERROR_TRUNCATED), sizeof detail);
    gchar* valid = g_utf8_make_valid(detail, -1);
    const GstClockTime when = block_time(self, at);
    GST_ELEMENT_WARNING(self, STREAM, DECODE,
                        ("The %s is cut short: %s. Playback ends at %" GST_TIME_FORMAT " (block %" G_GUINT64_FORMAT
                         ") of %" GST_TIME_FORMAT ".",
                         self->source == ZEM_DEC_BY_PATH ? "file" : "stream", valid, GST_TIME_ARGS(when), at,
                         GST_TIME_ARGS(block_time(self, self->end_block))),
                        ("zem_read: %d (%s)", ZEM_ERROR_TRUNCATED, zem_error_text(ZEM_ERROR_TRUNCATED)));
    g_free(valid);
    finish_segment(self);
}

/* The silence of a pending run of damaged frames, then the segment's end. */
static void finish_after_damage(GstZemDec* self) {
    const GstFlowReturn ret = self->damage.blocks ? push_damage(self) : GST_FLOW_OK;
    if (ret == GST_FLOW_OK)
        finish_segment(self);
    else
        stop_on_flow(self, ret);
}

static void zem_dec_loop(gpointer user_data) {
    GstZemDec* self = GST_ZEM_DEC(user_data);
    if (!ensure_open(self)) {
        gst_pad_pause_task(task_pad(self));
        return;
    }
    if (self->need_start) {
        add_src_pad(self);
        self->need_start = FALSE;
    }
    if (self->need_segment) {
        push_segment(self);
        self->need_segment = FALSE;
    }
    if (self->tags_pending) {
        push_tags(self);
        self->tags_pending = FALSE;
    }

    GST_OBJECT_LOCK(self);
    const guint64 first = self->position;
    GST_OBJECT_UNLOCK(self);
    /* Inside a run of failed reads the decoder stands past the blocks not yet pushed. */
    const guint64 at = first + self->damage.blocks;
    if (at >= self->end_block) {
        /* A run of damaged frames up to the end plays as silence, as zemtool decodes it. */
        finish_after_damage(self);
        return;
    }
    const long want = (long)MIN(self->end_block - at, (guint64)kChunkBlocks);
    GstBuffer* buffer = gst_buffer_new_allocate(NULL, (gsize)want * self->info.block_align, NULL);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    const long got = zem_read(self->decoder, map.data, want);
    gst_buffer_unmap(buffer, &map);

    GstFlowReturn ret = GST_FLOW_OK;
    if (got > 0 && got <= want) {
        gst_buffer_set_size(buffer, (gssize)got * self->info.block_align);
        if (self->damage.blocks)
            ret = push_damage(self);
        if (ret == GST_FLOW_OK)
            ret = push_blocks(self, buffer, at, (guint64)got);
        else
            gst_buffer_unref(buffer);
    } else {
        gst_buffer_unref(buffer);
        if (got < 0 && self->source != ZEM_DEC_BY_PATH && zem_input_is_flushing(&self->input)) {
            /* A read that a flush or a state change cut off: no damage of the stream's. */
            gst_pad_pause_task(task_pad(self));
            return;
        }
        if (got == ZEM_ERROR_TRUNCATED) {
            /* Damaged frames before the cut are damage; the cut ends the stream. */
            ret = self->damage.blocks ? push_damage(self) : GST_FLOW_OK;
            if (ret == GST_FLOW_OK)
                end_at_cut(self, at);
            else
                stop_on_flow(self, ret);
            return;
        }
        const int64_t after = got < 0 ? zem_tell(self->decoder) : -1;
        if (got == 0 || after < 0 || (guint64)after <= at) {
            /* Nothing more comes (zem_read skips what fails, so this is the end). */
            if (got != 0)
                GST_ELEMENT_WARNING(self, STREAM, DECODE,
                                    ("Decoding stops at block %" G_GUINT64_FORMAT ": %s.", at, zem_error_text((int)got)),
                                    ("zem_read: %ld without moving on", got));
            finish_after_damage(self);
            return;
        }
        if (!self->damage.blocks) {
            self->damage.from = first;
            self->damage.reads = 0;
            self->damage.error = got;
        }
        ++self->damage.reads;
        self->damage.blocks = MIN((guint64)after, self->end_block) - first;
    }
    if (ret != GST_FLOW_OK)
        stop_on_flow(self, ret);
}

static gint64 saturating_add(gint64 a, gint64 b) {
    if (b > 0 && a > G_MAXINT64 - b)
        return G_MAXINT64;
    if (b < 0 && a < G_MININT64 - b)
        return G_MININT64;
    return a + b;
}

/* A block as a value of the seek's format (TIME or DEFAULT). */
static gint64 format_value(const GstZemDec* self, GstFormat format, guint64 block) {
    const guint64 value = format == GST_FORMAT_TIME ? block_time(self, block) : block;
    return (gint64)MIN(value, (guint64)G_MAXINT64);
}

/* One end of a seek as a block in [0, total]. `current` stands for NONE;
 * SET and END values are clamped to the stream, so "back 10 s" near the
 * start goes to the start. A SET stop below 0 (-1 by custom) means the end. */
static guint64 seek_block(const GstZemDec* self, GstFormat format, GstSeekType type, gint64 value, gboolean is_stop,
                          guint64 current) {
    const guint64 total = self->info.total_blocks;
    gint64 wanted;
    switch (type) {
    case GST_SEEK_TYPE_SET:
        if (is_stop && value < 0)
            return total;
        wanted = value;
        break;
    case GST_SEEK_TYPE_END: wanted = saturating_add(format_value(self, format, total), value); break;
    default: return current;
    }
    if (wanted <= 0)
        return 0;
    guint64 block = (guint64)wanted;
    if (format == GST_FORMAT_TIME)
        block = is_stop ? gst_util_uint64_scale_int_ceil(block, (gint)self->info.sample_rate, GST_SECOND)
                        : gst_util_uint64_scale_int(block, (gint)self->info.sample_rate, GST_SECOND);
    return MIN(block, total);
}

/* Everything a seek asks is worked out and checked before anything is
 * flushed: a seek that is refused leaves the stream exactly as it was. */
static gboolean handle_seek(GstZemDec* self, GstEvent* event) {
    gdouble rate;
    GstFormat format;
    GstSeekFlags flags;
    GstSeekType start_type, stop_type;
    gint64 start, stop;
    gst_event_parse_seek(event, &rate, &format, &flags, &start_type, &start, &stop_type, &stop);
    GST_OBJECT_LOCK(self);
    const gboolean known = self->have_info;
    const guint64 position = self->position;
    GST_OBJECT_UNLOCK(self);
    if (self->source == ZEM_DEC_PUSHED) {
        GST_DEBUG_OBJECT(self, "refusing a seek: upstream pushes the stream front to back");
        return FALSE;
    }
    if (!known || rate <= 0.0 || (format != GST_FORMAT_TIME && format != GST_FORMAT_DEFAULT)) {
        GST_DEBUG_OBJECT(self, "refusing a seek at rate %f in %s", rate, gst_format_get_name(format));
        return FALSE;
    }
    const guint64 first = seek_block(self, format, start_type, start, FALSE, position);
    const guint64 until = seek_block(self, format, stop_type, stop, TRUE, self->info.total_blocks);
    if (until < first) {
        GST_DEBUG_OBJECT(self, "refusing a seek whose stop (block %" G_GUINT64_FORMAT ") precedes its start (%"
                         G_GUINT64_FORMAT ")", until, first);
        return FALSE;
    }

    const guint32 seqnum = gst_event_get_seqnum(event);
    const gboolean flush = (flags & GST_SEEK_FLAG_FLUSH) != 0;
    if (flush) {
        GstEvent* flush_start = gst_event_new_flush_start();
        gst_event_set_seqnum(flush_start, seqnum);
        gst_pad_push_event(self->srcpad, flush_start);
    } else {
        gst_pad_pause_task(task_pad(self));
    }

    GST_PAD_STREAM_LOCK(task_pad(self));
    /* Only the number is checked, and it lies within the stream. */
    zem_seek(self->decoder, first);
    GST_OBJECT_LOCK(self);
    self->position = first;
    GST_OBJECT_UNLOCK(self);
    self->end_block = until;
    self->damage.blocks = 0;
    gst_segment_init(&self->segment, GST_FORMAT_TIME);
    self->segment.rate = rate;
    self->segment.duration = block_time(self, self->info.total_blocks);
    self->segment.start = block_time(self, first);
    self->segment.time = self->segment.start;
    self->segment.position = self->segment.start;
    self->segment.stop = block_time(self, until);
    if (flags & GST_SEEK_FLAG_SEGMENT)
        self->segment.flags |= GST_SEGMENT_FLAG_SEGMENT;
    self->seek_seqnum = seqnum;
    self->need_segment = TRUE;
    self->discont = TRUE;
    GST_DEBUG_OBJECT(self, "seek to block %" G_GUINT64_FORMAT " up to %" G_GUINT64_FORMAT, first, until);
    if (flush) {
        GstEvent* flush_stop = gst_event_new_flush_stop(TRUE);
        gst_event_set_seqnum(flush_stop, seqnum);
        gst_pad_push_event(self->srcpad, flush_stop);
    }
    if (flags & GST_SEEK_FLAG_SEGMENT) {
        GstMessage* message = gst_message_new_segment_start(GST_OBJECT(self), GST_FORMAT_TIME,
                                                            (gint64)self->segment.start);
        gst_message_set_seqnum(message, seqnum);
        gst_element_post_message(GST_ELEMENT(self), message);
    }
    gst_pad_start_task(task_pad(self), zem_dec_loop, self, NULL);
    GST_PAD_STREAM_UNLOCK(task_pad(self));
    return TRUE;
}

static gboolean src_event(GstPad* pad, GstObject* parent, GstEvent* event) {
    GstZemDec* self = GST_ZEM_DEC(parent);
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEEK) {
        gboolean ok = handle_seek(self, event);
        gst_event_unref(event);
        return ok;
    }
    return gst_pad_event_default(pad, parent, event);
}

static gboolean src_query(GstPad* pad, GstObject* parent, GstQuery* query) {
    GstZemDec* self = GST_ZEM_DEC(parent);
    GstFormat format;
    GST_OBJECT_LOCK(self);
    const gboolean known = self->have_info;
    const guint64 total = self->info.total_blocks;
    const guint64 position = self->position;
    GST_OBJECT_UNLOCK(self);

    switch (GST_QUERY_TYPE(query)) {
    case GST_QUERY_DURATION:
        gst_query_parse_duration(query, &format, NULL);
        if (!known || (format != GST_FORMAT_TIME && format != GST_FORMAT_DEFAULT))
            break;
        gst_query_set_duration(query, format, (gint64)(format == GST_FORMAT_TIME ? block_time(self, total) : total));
        return TRUE;
    case GST_QUERY_POSITION:
        gst_query_parse_position(query, &format, NULL);
        if (!known || (format != GST_FORMAT_TIME && format != GST_FORMAT_DEFAULT))
            break;
        gst_query_set_position(query, format,
                               (gint64)(format == GST_FORMAT_TIME ? block_time(self, position) : position));
        return TRUE;
    case GST_QUERY_SEEKING:
        gst_query_parse_seeking(query, &format, NULL, NULL, NULL);
        if (format != GST_FORMAT_TIME && format != GST_FORMAT_DEFAULT)
            break;
        if (!known || self->source == ZEM_DEC_PUSHED) {
            gst_query_set_seeking(query, format, FALSE, -1, -1);
            return TRUE;
        }
        gst_query_set_seeking(query, format, TRUE, 0,
                              (gint64)(format == GST_FORMAT_TIME ? block_time(self, total) : total));
        return TRUE;
    default:
        break;
    }
    return gst_pad_query_default(pad, parent, query);
}

/* A local file's data is not used: the library reads the file by its path. */
static GstFlowReturn sink_chain(GstPad* pad, GstObject* parent, GstBuffer* buffer) {
    GstZemDec* self = GST_ZEM_DEC(parent);
    if (self->source == ZEM_DEC_PUSHED)
        return zem_input_put(&self->input, buffer);
    gst_buffer_unref(buffer);
    return GST_FLOW_EOS;
}

/* Upstream's segments, caps and tags say nothing about the decoded stream.
 * In push mode EOS ends the bytes, and a flush passes through to stop and
 * restart the task (what was queued is dropped). */
static gboolean sink_event(GstPad* pad, GstObject* parent, GstEvent* event) {
    GstZemDec* self = GST_ZEM_DEC(parent);
    if (self->source == ZEM_DEC_PUSHED) {
        switch (GST_EVENT_TYPE(event)) {
        case GST_EVENT_EOS: zem_input_end(&self->input); break;
        case GST_EVENT_FLUSH_START:
            zem_input_set_flushing(&self->input, TRUE);
            if (GST_OBJECT_PARENT(self->srcpad))
                gst_pad_push_event(self->srcpad, gst_event_ref(event));
            gst_pad_pause_task(self->srcpad);
            break;
        case GST_EVENT_FLUSH_STOP:
            zem_input_set_flushing(&self->input, FALSE);
            /* The bytes after a flush are a stream from its start: a decoder
             * opened on the bytes before (a header that had come) reads them
             * no more, so the task opens the stream afresh. */
            GST_OBJECT_LOCK(self);
            zem_close(self->decoder);
            self->decoder = NULL;
            self->position = 0;
            GST_OBJECT_UNLOCK(self);
            self->failed = FALSE;
            self->damage.blocks = 0;
            self->tags_pending = TRUE;
            if (GST_OBJECT_PARENT(self->srcpad))
                gst_pad_push_event(self->srcpad, gst_event_ref(event));
            self->need_segment = TRUE;
            self->discont = TRUE;
            gst_pad_start_task(self->srcpad, zem_dec_loop, self, NULL);
            break;
        default: break;
        }
    }
    gst_event_unref(event);
    return TRUE;
}

/* Whether the element upstream already runs (decodebin's type finder, which
 * has read the stream's front), so that a pull answers now. */
static gboolean upstream_running(GstZemDec* self) {
    GstPad* peer = gst_pad_get_peer(self->sinkpad);
    GstElement* upstream = peer ? gst_pad_get_parent_element(peer) : NULL;
    gboolean running = FALSE;
    if (upstream) {
        GST_OBJECT_LOCK(upstream);
        running = GST_STATE(upstream) >= GST_STATE_PAUSED;
        GST_OBJECT_UNLOCK(upstream);
        gst_object_unref(upstream);
    }
    if (peer)
        gst_object_unref(peer);
    return running;
}

/* Pull mode when upstream offers it, so nothing is read in vain; the
 * streaming task runs on the sink pad either way. */
static gboolean sink_activate(GstPad* pad, GstObject* parent) {
    GstQuery* query = gst_query_new_scheduling();
    gboolean pull = gst_pad_peer_query(pad, query) && gst_query_has_scheduling_mode(query, GST_PAD_MODE_PULL);
    gst_query_unref(query);
    return gst_pad_activate_mode(pad, pull ? GST_PAD_MODE_PULL : GST_PAD_MODE_PUSH, TRUE);
}

static gboolean sink_activate_mode(GstPad* pad, GstObject* parent, GstPadMode mode, gboolean active) {
    GstZemDec* self = GST_ZEM_DEC(parent);
    if (!active) {
        zem_input_set_flushing(&self->input, TRUE);
        return gst_pad_stop_task(task_pad(self));
    }
    if (!choose_source(self, mode))
        return FALSE;
    if (self->source == ZEM_DEC_PUSHED) {
        /* The bytes come only once every element is ready: the task opens the stream. */
        zem_input_reset(&self->input);
        make_src_pad(self);
        return gst_pad_start_task(self->srcpad, zem_dec_loop, self, NULL);
    }
    /* Opening here rather than in the task makes a file that does not open
     * fail the state change: decodebin drops errors that its elements post
     * while it brings them to PAUSED, yet reports a failed state change with
     * the element's own message. Pulled bytes may not come yet: in a plain
     * pipeline elements start from the sink, and a source that fills a
     * buffer upstream (queue2) starts after us; then the task opens. */
    if (self->source == ZEM_DEC_PULLED && !upstream_running(self))
        return gst_pad_start_task(self->sinkpad, zem_dec_loop, self, NULL);
    return ensure_open(self) && gst_pad_start_task(self->sinkpad, zem_dec_loop, self, NULL);
}

static void reset(GstZemDec* self) {
    GST_OBJECT_LOCK(self);
    zem_close(self->decoder);
    self->decoder = NULL;
    self->have_info = FALSE;
    g_free(self->path);
    self->path = NULL;
    g_free(self->uri);
    self->uri = NULL;
    self->position = 0;
    GST_OBJECT_UNLOCK(self);
    zem_input_reset(&self->input);
    self->source = ZEM_DEC_BY_PATH;
    self->failed = FALSE;
    self->need_start = TRUE;
    self->need_segment = TRUE;
    self->tags_pending = TRUE;
    self->discont = TRUE;
    self->seek_seqnum = 0;
    self->end_block = 0;
    self->damage.blocks = 0;
    gst_segment_init(&self->segment, GST_FORMAT_TIME);
}

static GstStateChangeReturn change_state(GstElement* element, GstStateChange transition) {
    GstZemDec* self = GST_ZEM_DEC(element);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED)
        reset(self);
    /* A task waiting for bytes lets go before the pads deactivate: the source
     * pad's deactivation waits for the task to leave its loop. */
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY)
        zem_input_set_flushing(&self->input, TRUE);
    GstStateChangeReturn ret = GST_ELEMENT_CLASS(gst_zem_dec_parent_class)->change_state(element, transition);
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY) {
        if (self->srcpad)
            gst_pad_stop_task(self->srcpad);
        reset(self);
        drop_src_pad(self);
    }
    return ret;
}

static void finalize(GObject* object) {
    GstZemDec* self = GST_ZEM_DEC(object);
    reset(self);
    gst_clear_object(&self->srcpad);
    zem_input_clear(&self->input);
    G_OBJECT_CLASS(gst_zem_dec_parent_class)->finalize(object);
}

static void gst_zem_dec_class_init(GstZemDecClass* klass) {
    GObjectClass* object_class = G_OBJECT_CLASS(klass);
    GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
    object_class->finalize = finalize;
    element_class->change_state = change_state;
    gst_element_class_add_static_pad_template(element_class, &sink_template);
    gst_element_class_add_static_pad_template(element_class, &src_template);
    gst_element_class_set_static_metadata(
        element_class, "ZEM decoder", "Codec/Demuxer/Audio",
        "Decodes ZEM lossless streams from any source, and the tracks of ZLK link files from local files", "ZemTools");
    GST_DEBUG_CATEGORY_INIT(zem_dec_debug, "zemdec", 0, "ZEM decoder");
}

static void gst_zem_dec_init(GstZemDec* self) {
    self->sinkpad = gst_pad_new_from_static_template(&sink_template, "sink");
    gst_pad_set_activate_function(self->sinkpad, sink_activate);
    gst_pad_set_activatemode_function(self->sinkpad, sink_activate_mode);
    gst_pad_set_chain_function(self->sinkpad, sink_chain);
    gst_pad_set_event_function(self->sinkpad, sink_event);
    gst_element_add_pad(GST_ELEMENT(self), self->sinkpad);
    zem_input_init(&self->input, self->sinkpad);
    reset(self);
}
