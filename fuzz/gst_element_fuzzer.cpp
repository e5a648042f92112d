// SPDX-License-Identifier: BSD-3-Clause
// The GStreamer element zemdec behind appsrc, driven by random seeks, queries
// and state changes: `appsrc ! zemdec ! fakesink`, in push or pull mode. The
// input's front is the file (a stream, or a link text naming a fixed image
// beside it); the rest is the script. Either the appsrc answers the location
// query with the file's URI, as filesrc would, and zemdec reads the file by
// its path; or it answers none and hands out the file's bytes, which zemdec
// then reads from its sink pad.
//
// Besides the sanitizers' findings, a GLib or GStreamer CRITICAL and data that
// flows before its segment ("Got data flow before segment event") abort the
// run; a seek that blocks or a pipeline that never ends shows as a timeout.
// Non-flushing seeks are sent only while the pipeline plays: in PAUSED every
// such seek waits for the preroll it blocks, in any GStreamer element.
#include "gst/zem_dec.h"
#include "gst/zem_typefind.h"
#include "tests/support/wave_fixture.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// GStreamer keeps caches and registries for the life of the process.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

constexpr uint64_t kMaxBlocks = 1 << 18;

std::string g_folder;       // where the inputs are written

void OnLog(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    const bool critical = (level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR)) != 0;
    if (critical || std::strstr(message, "before segment")) {
        std::fprintf(stderr, "%s: %s\n", domain ? domain : "", message);
        std::abort();
    }
}

gboolean RegisterZem(GstPlugin* plugin) {
    return zem_typefind_register(plugin) &&
           gst_element_register(plugin, "zemdec", GST_RANK_PRIMARY, GST_TYPE_ZEM_DEC);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// The appsrc answers the location query, so zemdec opens the file itself.
GstPadProbeReturn AnswerUri(GstPad*, GstPadProbeInfo* info, gpointer uri) {
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_URI) return GST_PAD_PROBE_OK;
    gst_query_set_uri(query, static_cast<const gchar*>(uri));
    return GST_PAD_PROBE_HANDLED;
}

// The file's bytes for an appsrc that does not name the file: from where the
// last seek-data put it (random access), or on from the last chunk (a stream).
struct Feed {
    std::string bytes;
    size_t offset = 0;
};

void NeedData(GstAppSrc* source, guint length, gpointer user) {
    auto* feed = static_cast<Feed*>(user);
    if (feed->offset >= feed->bytes.size()) {
        gst_app_src_end_of_stream(source);
        return;
    }
    const size_t count = std::min<size_t>(std::max<guint>(length, 1), feed->bytes.size() - feed->offset);
    gst_app_src_push_buffer(source, gst_buffer_new_memdup(feed->bytes.data() + feed->offset, count));
    feed->offset += count;
}

gboolean SeekData(GstAppSrc*, guint64 offset, gpointer user) {
    auto* feed = static_cast<Feed*>(user);
    if (offset > feed->bytes.size()) return FALSE;
    feed->offset = static_cast<size_t>(offset);
    return TRUE;
}

const gint64 kEdges[] = {0, 1, -1, G_MAXINT64, G_MININT64, G_MAXINT64 - 1, G_MININT64 + 1, GST_SECOND / 100,
                         -(gint64)GST_SECOND / 100, 44100, 700, 699};

gint64 Value(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return in.PickValueInArray(kEdges);
    return in.ConsumeIntegralInRange<gint64>(-(gint64)GST_SECOND, 2 * (gint64)GST_SECOND);
}

void Seek(GstElement* pipeline, FuzzedDataProvider& in, bool playing) {
    const double rates[] = {1.0, 2.0, 0.5, -1.0, -0.5};  // a seek event at rate 0 cannot be made
    const GstFormat formats[] = {GST_FORMAT_TIME, GST_FORMAT_DEFAULT, GST_FORMAT_BYTES, GST_FORMAT_BUFFERS,
                                 GST_FORMAT_PERCENT, GST_FORMAT_UNDEFINED};
    const GstSeekType types[] = {GST_SEEK_TYPE_NONE, GST_SEEK_TYPE_SET, GST_SEEK_TYPE_END};
    const double rate = in.PickValueInArray(rates);
    const GstFormat format = in.PickValueInArray(formats);
    int flags = in.ConsumeIntegral<uint8_t>() &
                (GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE | GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SEGMENT);
    if (!playing) flags |= GST_SEEK_FLAG_FLUSH;
    const GstSeekType startType = in.PickValueInArray(types);
    const gint64 start = Value(in);
    const GstSeekType stopType = in.PickValueInArray(types);
    const gint64 stop = Value(in);
    gst_element_seek(pipeline, rate, format, static_cast<GstSeekFlags>(flags), startType, start, stopType, stop);
}

void Query(GstElement* pipeline, FuzzedDataProvider& in) {
    const GstFormat formats[] = {GST_FORMAT_TIME, GST_FORMAT_DEFAULT, GST_FORMAT_BYTES};
    const GstFormat format = in.PickValueInArray(formats);
    gint64 value = 0;
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0: gst_element_query_position(pipeline, format, &value); break;
    case 1: gst_element_query_duration(pipeline, format, &value); break;
    default: {
        GstQuery* query = gst_query_new_seeking(format);
        gst_element_query(pipeline, query);
        gst_query_unref(query);
    }
    }
}

void Drain(GstElement* pipeline) {
    GstBus* bus = gst_element_get_bus(pipeline);
    while (GstMessage* message = gst_bus_pop(bus)) gst_message_unref(message);
    gst_object_unref(bus);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    g_folder = std::string(g_get_tmp_dir()) + "/zem-gst-fuzz-" + std::to_string(getpid());
    g_mkdir_with_parents(g_folder.c_str(), 0700);
    if (!g_getenv("GST_REGISTRY"))
        g_setenv("GST_REGISTRY", (g_folder + "/registry.bin").c_str(), TRUE);
    gst_init(argc, argv);
    g_log_set_default_handler(OnLog, nullptr);
    g_log_set_handler("GStreamer", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), OnLog, nullptr);
    g_log_set_handler("GLib", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), OnLog, nullptr);
    g_log_set_handler("GLib-GObject", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), OnLog, nullptr);
    if (!gst_plugin_register_static(GST_VERSION_MAJOR, GST_VERSION_MINOR, "zem", "ZEM for the fuzzer", RegisterZem,
                                    "0", "BSD", "zem", "zemtools", "https://zemtools.invalid"))
        std::abort();
    // The links' image: 20000 blocks of music in frames of 4096, so a link's track spans several buffers.
    testing_support::WaveShape shape;
    shape.blocks = 20000;
    const testing_support::Bytes image =
        testing_support::EncodeWaveBytes(testing_support::BuildWave(shape), 2000, 4096);
    if (image.empty()) std::abort();
    WriteFile(g_folder + "/image.zem", std::string(image.begin(), image.end()));
    return 0;
}

// The input: the file, the script, and the file's length in the last four bytes (little-endian).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > (1u << 20)) return -1;
    const size_t body = size - 4;
    const uint32_t declared = data[body] | data[body + 1] << 8 | data[body + 2] << 16 | uint32_t(data[body + 3]) << 24;
    const size_t fileLength = declared < body ? declared : body;
    std::string bytes(reinterpret_cast<const char*>(data), fileLength);
    FuzzedDataProvider actions(data + fileLength, body - fileLength);
    const char* const extensions[] = {".zem", ".qrb", ".zlk"};
    const char* extension = actions.PickValueInArray(extensions);
    const bool pull = actions.ConsumeBool();
    const bool byPath = actions.ConsumeBool();
    const int steps = actions.ConsumeIntegralInRange(1, 32);
    if (std::strcmp(extension, ".zlk") == 0 && bytes.find("Image File=") == std::string::npos)
        bytes = "[Quillon Image Link File]\r\nImage File=image.zem\r\n" + bytes;
    const std::string path = g_folder + "/input" + extension;
    WriteFile(path, bytes);
    // Decoding costs time in proportion to the blocks a header claims, and a
    // seek into a long frame decodes its front: past this an input only costs time.
    if (zem_decoder* decoder = zem_open(path.c_str(), nullptr)) {
        zem_stream_info info{};
        zem_get_info(decoder, &info);
        zem_close(decoder);
        if (info.total_blocks > kMaxBlocks) return -1;
    }
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);

    GstElement* pipeline = gst_parse_launch("appsrc name=src ! zemdec ! fakesink name=sink sync=false", nullptr);
    if (!pipeline) std::abort();
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(source, "stream-type", pull ? GST_APP_STREAM_TYPE_RANDOM_ACCESS : GST_APP_STREAM_TYPE_STREAM,
                 "size", static_cast<gint64>(bytes.size()), nullptr);
    Feed feed{bytes};
    if (byPath) {
        GstPad* pad = gst_element_get_static_pad(source, "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_QUERY_UPSTREAM, AnswerUri, uri, nullptr);
        gst_object_unref(pad);
    } else {
        GstAppSrcCallbacks callbacks{};
        callbacks.need_data = NeedData;
        callbacks.seek_data = SeekData;
        gst_app_src_set_callbacks(GST_APP_SRC(source), &callbacks, &feed, nullptr);
    }
    gst_object_unref(source);

    const GstState states[] = {GST_STATE_NULL, GST_STATE_READY, GST_STATE_PAUSED, GST_STATE_PLAYING};
    GstState target = GST_STATE_NULL;
    for (int step = 0; step < steps && actions.remaining_bytes() > 0; ++step) {
        switch (actions.ConsumeIntegralInRange(0, 4)) {
        case 0:
            target = actions.PickValueInArray(states);
            gst_element_set_state(pipeline, target);
            break;
        case 1: {
            GstState current = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
            gst_element_get_state(pipeline, &current, &pending, 20 * GST_MSECOND);
            Seek(pipeline, actions, current == GST_STATE_PLAYING && pending == GST_STATE_VOID_PENDING &&
                                        target == GST_STATE_PLAYING);
            break;
        }
        case 2: Query(pipeline, actions); break;
        case 3: gst_element_get_state(pipeline, nullptr, nullptr, actions.ConsumeIntegralInRange(0, 20) * GST_MSECOND); break;
        default: Drain(pipeline); break;
        }
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    g_free(uri);
    return 0;
}
