// SPDX-License-Identifier: BSD-3-Clause
// The source filter in real filter graphs: AddSourceFilter on streams of every
// sample format and on a link file, connected to the tests' own sink that
// records every sample; seeks; a damaged frame; and RenderFile on a link file
// through the system's audio renderer up to EC_COMPLETE. Every decoded byte is
// compared with what `zemtool decode` writes. Runs with the filter registered.
#include "tests/zemsource/graph/sample_sink.h"

#include "container/info_id.h"
#include "decode/decoder_factory.h"
#include "tests/support/wave_fixture.h"
#include "tools/zemtool/zemtool.h"
#include "zemsource/events.h"

#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace zem;

using namespace testing_support;
using namespace zemsource_tests;

namespace {

const CLSID kZemSource = {0x3928fa40, 0x0cab, 0x4c6b, {0xb5, 0x9b, 0x69, 0x87, 0x80, 0xe6, 0x81, 0x54}};
constexpr DWORD kWait = 20000;

template <class T>
struct Ref {
    T* p = nullptr;
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
    void** Void() { return reinterpret_cast<void**>(&p); }
};

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComScope() { CoUninitialize(); }
};

// Block n starts at floor(n * 10^7 / rate), worked out here on its own.
REFERENCE_TIME TimeOf(uint64_t block, uint32_t rate) {
    return static_cast<REFERENCE_TIME>(static_cast<unsigned __int128>(block) * 10000000u / rate);
}

// The data chunk of a wave file.
Bytes WaveData(const Bytes& wave) {
    size_t at = 12;
    while (at + 8 <= wave.size()) {
        const uint32_t size = wave[at + 4] | wave[at + 5] << 8 | wave[at + 6] << 16 | uint32_t(wave[at + 7]) << 24;
        if (std::memcmp(&wave[at], "data", 4) == 0) return Bytes(wave.begin() + at + 8, wave.begin() + at + 8 + size);
        at += 8 + size + (size & 1);
    }
    ADD_FAILURE() << "no data chunk";
    return Bytes();
}

// The PCM that `zemtool decode` writes for `path`, and its exit code.
Bytes ToolPcm(const TempDir& dir, const std::string& path, int expectedExit = ZEMTOOL_OK) {
    std::ostringstream out, err;
    const std::string target = Utf8(dir.File("tool.wav"));
    EXPECT_EQ(expectedExit, RunZemtool({"decode", "-q", path, target}, out, err)) << err.str();
    return WaveData(ReadFileBytes(dir.File("tool.wav")));
}

struct Format {
    const char* name;
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
    uint32_t blocks;
};

// A stream of `format` in frames of `blocksPerFrame` blocks.
std::string WriteStream(const TempDir& dir, const std::string& name, const Format& format, int32_t blocksPerFrame) {
    WaveShape shape;
    shape.channels = format.channels;
    shape.bitsPerSample = format.bits;
    shape.sampleRate = format.rate;
    shape.blocks = format.blocks;
    shape.seed = format.rate + format.bits;
    WriteFileBytes(dir.File(name), EncodeWaveBytes(BuildWave(shape), 2000, blocksPerFrame));
    return Utf8(dir.File(name));
}

std::string WriteLink(const TempDir& dir, const std::string& name, const std::string& image, int64_t start,
                      int64_t finish) {
    const std::string text = "[Quillon Image Link File]\r\nImage File=" + image + "\r\nStart Block=" +
                             std::to_string(start) + "\r\nFinish Block=" + std::to_string(finish) +
                             "\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n";
    WriteFileBytes(dir.File(name), BytesOf(text));
    return Utf8(dir.File(name));
}

IPin* FirstPin(IBaseFilter* filter) {
    Ref<IEnumPins> pins;
    IPin* pin = nullptr;
    if (FAILED(filter->EnumPins(&pins)) || pins->Next(1, &pin, nullptr) != S_OK) return nullptr;
    return pin;
}

// A graph of the filter on one file and the recording sink.
class SinkGraph {
public:
    explicit SinkGraph(const std::string& path) {
        HRESULT status = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                          m_graph.Void());
        if (FAILED(status)) {
            ADD_FAILURE() << "no filter graph: " << std::hex << status;
            return;
        }
        m_graph->QueryInterface(IID_IMediaControl, m_control.Void());
        m_graph->QueryInterface(IID_IMediaEventEx, m_events.Void());
        status = m_graph->AddSourceFilter(WideFromUtf8(path).c_str(), L"source", &m_source);
        if (FAILED(status)) {
            ADD_FAILURE() << "AddSourceFilter: " << std::hex << status;
            return;
        }
        CLSID id{};
        m_source->GetClassID(&id);
        EXPECT_TRUE(id == kZemSource) << "AddSourceFilter chose another filter for " << path;
        m_sink.p = NewSampleSink();
        m_graph->AddFilter(m_sink.p, L"sink");
        m_out.p = FirstPin(m_source.p);
        status = m_graph->ConnectDirect(m_out.p, SinkPin(m_sink.p), nullptr);
        EXPECT_EQ(S_OK, status) << std::hex << status;
        m_out->QueryInterface(IID_IMediaSeeking, m_seeking.Void());
        m_ready = SUCCEEDED(status) && m_seeking.p;
    }
    ~SinkGraph() {
        if (m_control.p) m_control->Stop();
    }

    bool Ready() const { return m_ready; }
    IMediaSeeking* Seeking() const { return m_seeking.p; }

    // Runs from the current position to the end and stops again.
    Recording Play() {
        TakeRecording(m_sink.p);
        EXPECT_TRUE(SUCCEEDED(m_control->Run()));
        EXPECT_TRUE(WaitEndOfStream(m_sink.p, kWait)) << "no end of stream";
        m_control->Stop();
        return TakeRecording(m_sink.p);
    }

    // Pauses the graph and waits until the sink has everything up to the end.
    Recording PauseToEnd() {
        TakeRecording(m_sink.p);
        EXPECT_TRUE(SUCCEEDED(m_control->Pause()));
        EXPECT_TRUE(WaitEndOfStream(m_sink.p, kWait)) << "no end of stream";
        return TakeRecording(m_sink.p);
    }
    Recording WaitToEnd() {
        EXPECT_TRUE(WaitEndOfStream(m_sink.p, kWait)) << "no end of stream";
        return TakeRecording(m_sink.p);
    }

    // The events the graph queued for the application.
    std::vector<std::array<LONG_PTR, 3>> Events() {
        std::vector<std::array<LONG_PTR, 3>> events;
        long code = 0;
        LONG_PTR first = 0, second = 0;
        while (m_events->GetEvent(&code, &first, &second, 0) == S_OK) {
            events.push_back({code, first, second});
            m_events->FreeEventParams(code, first, second);
        }
        return events;
    }

private:
    ComScope m_com;
    Ref<IGraphBuilder> m_graph;
    Ref<IMediaControl> m_control;
    Ref<IMediaEventEx> m_events;
    Ref<IBaseFilter> m_source;
    Ref<IBaseFilter> m_sink;
    Ref<IPin> m_out;
    Ref<IMediaSeeking> m_seeking;
    bool m_ready = false;
};

// Samples join without gaps from time 0 and end at the segment's length.
void ExpectContinuousTimes(const Recording& r, REFERENCE_TIME length, size_t blockAlign) {
    ASSERT_FALSE(r.samples.empty());
    REFERENCE_TIME expected = 0;
    for (const RecordedSample& s : r.samples) {
        ASSERT_TRUE(s.hasTime);
        EXPECT_EQ(expected, s.start);
        EXPECT_LT(s.start, s.stop);
        EXPECT_EQ(0u, s.length % blockAlign);
        expected = s.stop;
    }
    EXPECT_EQ(length, expected);
    EXPECT_TRUE(r.samples.front().discontinuity);
    EXPECT_EQ(1, r.endsOfStream);
}

const Format kFormats[] = {
    {"u8-mono", 1, 8, 8000, 3000},       {"u8-stereo", 2, 8, 11025, 3000}, {"s16-mono", 1, 16, 22050, 5000},
    {"s16-stereo", 2, 16, 44100, 9000}, {"s24-mono", 1, 24, 32000, 4000}, {"s24-stereo", 2, 24, 48000, 7000},
};

TEST(ZemSourceGraph, EveryFormatPlaysWhatZemtoolDecodes) {
    TempDir dir;
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.name);
        const std::string path = WriteStream(dir, std::string(format.name) + ".zem", format, 2048);
        SinkGraph graph(path);
        ASSERT_TRUE(graph.Ready());
        const Recording r = graph.Play();
        EXPECT_EQ(ToolPcm(dir, path), r.bytes);
        ExpectContinuousTimes(r, TimeOf(format.blocks, format.rate), format.channels * format.bits / 8u);
        ASSERT_EQ(1u, r.segmentStarts.size());
        EXPECT_EQ(0, r.segmentStarts[0]);
    }
}

TEST(ZemSourceGraph, ALinkFilePlaysExactlyItsTrack) {
    TempDir dir;
    const Format format = kFormats[3];
    // Names beyond ASCII: the file name goes from wide text to libzem's UTF-8 and back.
    const std::string image = WriteStream(dir, "Bild \xC3\x9F.qrb", format, 2048);
    const std::string link = WriteLink(dir, "Spur \xC3\xBC \xE2\x99\xAB.zlk", "Bild \xC3\x9F.qrb", 1234, 7001);
    SinkGraph graph(link);
    ASSERT_TRUE(graph.Ready());
    const Recording r = graph.Play();
    const Bytes whole = ToolPcm(dir, image);
    EXPECT_EQ(Bytes(whole.begin() + 1234 * 4, whole.begin() + 7001 * 4), r.bytes);
    EXPECT_EQ(ToolPcm(dir, link), r.bytes);
    ExpectContinuousTimes(r, TimeOf(7001 - 1234, format.rate), 4);
    LONGLONG duration = 0;
    EXPECT_EQ(S_OK, graph.Seeking()->GetDuration(&duration));
    EXPECT_EQ(TimeOf(7001 - 1234, format.rate), duration);
}

TEST(ZemSourceGraph, ALinkThatDoesNotOpenIsRefusedByLoad) {
    struct Case {
        const char* image;
        HRESULT expected;
    };
    // A network path is refused before anything is opened, so no host is asked.
    const Case cases[] = {{"missing.zem", VFW_E_UNSUPPORTED_STREAM},
                          {"\\\\host\\share\\x.zem", E_ACCESSDENIED},
                          {"//host/share/x.zem", E_ACCESSDENIED}};
    ComScope com;
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        const std::string link = WriteLink(dir, "lost.zlk", c.image, 0, -1);
        Ref<IGraphBuilder> graph;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         graph.Void()));
        Ref<IBaseFilter> source;
        EXPECT_EQ(c.expected, graph->AddSourceFilter(WideFromUtf8(link).c_str(), L"source", &source));
        EXPECT_EQ(nullptr, source.p);
    }
}

TEST(ZemSourceGraph, SeeksStartAtTheBlockTheyName) {
    TempDir dir;
    const Format format = kFormats[5];  // 7000 blocks at 48000 Hz: frames 0, 2048, 4096, 6144
    const std::string path = WriteStream(dir, "seek.zem", format, 2048);
    const Bytes pcm = ToolPcm(dir, path);
    SinkGraph graph(path);
    ASSERT_TRUE(graph.Ready());
    IMediaSeeking* seeking = graph.Seeking();
    LONGLONG duration = 0;
    EXPECT_EQ(S_OK, seeking->GetDuration(&duration));
    EXPECT_EQ(TimeOf(7000, 48000), duration);
    EXPECT_EQ(1458333, duration);  // 7000 / 48000 s, rounded down

    const struct {
        const char* name;
        const GUID& format;
        LONGLONG position;
        uint64_t block;
    } seeks[] = {
        {"inside the last frame", TIME_FORMAT_MEDIA_TIME, TimeOf(6900, 48000) + 1, 6900},
        {"a frame boundary", TIME_FORMAT_MEDIA_TIME, TimeOf(4096, 48000), 4096},
        {"the last block", TIME_FORMAT_MEDIA_TIME, TimeOf(7000, 48000) - 1, 6999},
        {"a frame boundary in samples", TIME_FORMAT_SAMPLE, 2048, 2048},
        {"inside a frame in samples", TIME_FORMAT_SAMPLE, 3001, 3001},
        {"the start", TIME_FORMAT_MEDIA_TIME, 0, 0},
    };
    for (const auto& seek : seeks) {
        SCOPED_TRACE(seek.name);
        ASSERT_EQ(S_OK, seeking->SetTimeFormat(&seek.format));
        LONGLONG position = seek.position;
        ASSERT_EQ(S_OK, seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                              AM_SEEKING_NoPositioning));
        LONGLONG current = -1, total = -1;
        EXPECT_EQ(S_OK, seeking->GetCurrentPosition(&current));
        EXPECT_EQ(S_OK, seeking->GetDuration(&total));
        EXPECT_EQ(seek.format == TIME_FORMAT_SAMPLE ? LONGLONG(seek.block) : TimeOf(seek.block, 48000), current);
        EXPECT_EQ(seek.format == TIME_FORMAT_SAMPLE ? 7000 : duration, total);
        const Recording r = graph.Play();
        EXPECT_EQ(Bytes(pcm.begin() + seek.block * 6, pcm.end()), r.bytes);
        ExpectContinuousTimes(r, TimeOf(7000, 48000) - TimeOf(seek.block, 48000), 6);
        ASSERT_EQ(1u, r.segmentStarts.size());
        EXPECT_EQ(TimeOf(seek.block, 48000), r.segmentStarts[0]);
    }
    // Moves by the extremes of the range stop at the file's ends; conversions hold there.
    ASSERT_EQ(S_OK, seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME));
    const struct {
        LONGLONG by;
        LONGLONG at;
    } moves[] = {{LLONG_MAX, duration}, {LLONG_MAX, duration}, {LLONG_MIN, 0}, {LLONG_MIN, 0}};
    for (const auto& move : moves) {
        LONGLONG by = move.by, current = -1;
        EXPECT_EQ(S_OK, seeking->SetPositions(&by, AM_SEEKING_RelativePositioning, nullptr, AM_SEEKING_NoPositioning));
        EXPECT_EQ(S_OK, seeking->GetCurrentPosition(&current));
        EXPECT_EQ(move.at, current) << move.by;
    }
    LONGLONG converted = 0;
    EXPECT_EQ(S_OK, seeking->ConvertTimeFormat(&converted, &TIME_FORMAT_MEDIA_TIME, LLONG_MAX, &TIME_FORMAT_SAMPLE));
    EXPECT_EQ(LLONG_MAX, converted);

    // A stop position ends the segment early.
    ASSERT_EQ(S_OK, seeking->SetTimeFormat(&TIME_FORMAT_SAMPLE));
    LONGLONG start = 100, stop = 2100;
    ASSERT_EQ(S_OK, seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop,
                                          AM_SEEKING_AbsolutePositioning));
    EXPECT_EQ(Bytes(pcm.begin() + 100 * 6, pcm.begin() + 2100 * 6), graph.Play().bytes);

    // While paused, a seek flushes downstream and streams the new segment.
    EXPECT_EQ(Bytes(pcm.begin() + 100 * 6, pcm.begin() + 2100 * 6), graph.PauseToEnd().bytes);
    start = 4096;
    stop = 7000;
    ASSERT_EQ(S_OK, seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop,
                                          AM_SEEKING_AbsolutePositioning));
    const Recording r = graph.WaitToEnd();
    EXPECT_EQ(1, r.flushes);
    EXPECT_EQ(std::vector<REFERENCE_TIME>{TimeOf(4096, 48000)}, r.segmentStarts);
    EXPECT_EQ(Bytes(pcm.begin() + 4096 * 6, pcm.end()), r.bytes);
    ExpectContinuousTimes(r, TimeOf(7000, 48000) - TimeOf(4096, 48000), 6);
}

TEST(ZemSourceGraph, ADamagedFramePlaysAsSilenceOfItsLength) {
    TempDir dir;
    const Format format = kFormats[3];  // 9000 blocks of 16-bit stereo: frames of 2048
    const std::string path = WriteStream(dir, "clean.zem", format, 2048);
    const Bytes clean = ToolPcm(dir, path);
    Bytes file = ReadFileBytes(dir.File("clean.zem"));
    {
        auto decoder = OpenDecoder(ToWide(dir.File("clean.zem")).c_str(), nullptr);
        ASSERT_TRUE(decoder);
        file[static_cast<size_t>(decoder->GetInfo(SeekByte, 1) + decoder->GetInfo(FrameBytes, 1) / 2)] ^= 0x5A;
    }
    WriteFileBytes(dir.File("damaged.zem"), file);
    const std::string damaged = Utf8(dir.File("damaged.zem"));

    SinkGraph graph(damaged);
    ASSERT_TRUE(graph.Ready());
    const Recording r = graph.Play();
    ASSERT_EQ(clean.size(), r.bytes.size());
    ExpectContinuousTimes(r, TimeOf(9000, 44100), 4);
    Bytes expected = clean;
    std::fill(expected.begin() + 2048 * 4, expected.begin() + 4096 * 4, 0);
    EXPECT_EQ(expected, r.bytes);
    EXPECT_EQ(ToolPcm(dir, damaged, ZEMTOOL_FAILED), r.bytes);
    bool reported = false;
    for (const auto& event : graph.Events()) {
        if (event[0] != EC_ZEM_DAMAGED_FRAME) continue;
        EXPECT_FALSE(reported);
        reported = true;
        EXPECT_EQ(2048, event[1]);
        EXPECT_EQ(2048, event[2]);
    }
    EXPECT_TRUE(reported) << "no EC_ZEM_DAMAGED_FRAME";
}

std::string GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return Utf8FromWide(text);
}

std::string FilterName(IBaseFilter* filter) {
    FILTER_INFO info{};
    filter->QueryFilterInfo(&info);
    if (info.pGraph) info.pGraph->Release();
    CLSID id{};
    filter->GetClassID(&id);
    return Utf8FromWide(info.achName) + " " + GuidText(id);
}

TEST(ZemSourceGraph, RenderFileOnALinkReachesTheAudioRendererAndCompletes) {
    ComScope com;
    TempDir dir;
    const Format format = kFormats[3];
    WriteStream(dir, "album.zem", format, 2048);
    const std::string link = WriteLink(dir, "Track 02.zlk", "album.zem", 2205, 8820);  // 0.15 s
    Ref<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     graph.Void()));
    const HRESULT rendered = graph->RenderFile(WideFromUtf8(link).c_str(), nullptr);
    ASSERT_EQ(S_OK, rendered) << std::hex << rendered;

    // The graph as built: every filter, and what the source's pin connects to with which type.
    Ref<IEnumFilters> filters;
    ASSERT_EQ(S_OK, graph->EnumFilters(&filters));
    std::vector<std::string> names;
    IBaseFilter* filter = nullptr;
    IBaseFilter* source = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        names.push_back(FilterName(filter));
        CLSID id{};
        filter->GetClassID(&id);
        if (id == kZemSource && !source)
            source = filter;
        else
            filter->Release();
    }
    ASSERT_NE(nullptr, source);
    Ref<IBaseFilter> sourceRef;
    sourceRef.p = source;
    std::printf("RenderFile(\"%s\") built a graph of %zu filters:\n", "Track 02.zlk", names.size());
    for (const std::string& name : names) std::printf("  %s\n", name.c_str());
    Ref<IPin> out, peer;
    out.p = FirstPin(source);
    ASSERT_EQ(S_OK, out->ConnectedTo(&peer));
    PIN_INFO peerInfo{};
    peer->QueryPinInfo(&peerInfo);
    CLSID rendererId{};
    peerInfo.pFilter->GetClassID(&rendererId);
    const std::string rendererName = FilterName(peerInfo.pFilter);
    peerInfo.pFilter->Release();
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(S_OK, out->ConnectionMediaType(&type));
    ASSERT_EQ(sizeof(WAVEFORMATEX), type.cbFormat);
    const WAVEFORMATEX wave = *reinterpret_cast<WAVEFORMATEX*>(type.pbFormat);
    std::printf("  Output -> %s pin \"%s\": major %s, subtype %s, format %s:\n"
                "    tag %u, %u channels, %lu Hz, %lu bytes/s, block align %u, %u bits, cbSize %u\n",
                rendererName.c_str(), Utf8FromWide(peerInfo.achName).c_str(), GuidText(type.majortype).c_str(),
                GuidText(type.subtype).c_str(), GuidText(type.formattype).c_str(), wave.wFormatTag, wave.nChannels,
                static_cast<unsigned long>(wave.nSamplesPerSec), static_cast<unsigned long>(wave.nAvgBytesPerSec),
                wave.nBlockAlign, wave.wBitsPerSample, wave.cbSize);
    CoTaskMemFree(type.pbFormat);
    EXPECT_EQ(2u, names.size());
    EXPECT_TRUE(rendererId == CLSID_DSoundRender || rendererId == CLSID_AudioRender) << rendererName;
    EXPECT_TRUE(type.majortype == MEDIATYPE_Audio && type.subtype == MEDIASUBTYPE_PCM &&
                type.formattype == FORMAT_WaveFormatEx);
    EXPECT_EQ(WAVE_FORMAT_PCM, wave.wFormatTag);
    EXPECT_EQ(2, wave.nChannels);
    EXPECT_EQ(44100u, wave.nSamplesPerSec);
    EXPECT_EQ(176400u, wave.nAvgBytesPerSec);
    EXPECT_EQ(4, wave.nBlockAlign);
    EXPECT_EQ(16, wave.wBitsPerSample);

    // Through the renderer, the graph's seeking reaches the source.
    Ref<IMediaSeeking> seeking;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaSeeking, seeking.Void()));
    LONGLONG duration = 0;
    EXPECT_EQ(S_OK, seeking->GetDuration(&duration));
    EXPECT_EQ(TimeOf(8820 - 2205, 44100), duration);

    Ref<IMediaControl> control;
    Ref<IMediaEvent> events;
    graph->QueryInterface(IID_IMediaControl, control.Void());
    graph->QueryInterface(IID_IMediaEvent, events.Void());
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    long code = 0;
    EXPECT_EQ(S_OK, events->WaitForCompletion(kWait, &code));
    EXPECT_EQ(EC_COMPLETE, code);

    // Once more from the start, with a seek while running to the last 20 ms.
    LONGLONG start = 0;
    ASSERT_EQ(S_OK, seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    start = duration - 200000;
    EXPECT_EQ(S_OK, seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    code = 0;
    EXPECT_EQ(S_OK, events->WaitForCompletion(kWait, &code));
    EXPECT_EQ(EC_COMPLETE, code);
    control->Stop();
}

}  // namespace
