/* SPDX-License-Identifier: BSD-3-Clause */
/*
 * The C API as a C program uses it, written from the header alone: encoding
 * PCM with its WAV header and trailer and decoding it back byte for byte (from
 * a file, from memory, through seekable and front-to-back callbacks), the
 * stored MD5, 64-bit ranges, tags edited and saved, cue sheets against the
 * links `zemtool links` writes, and bad arguments.
 *
 * zem_api_c_test WORK_FOLDER [ZEMTOOL]
 */
#ifndef _WIN32
#define _POSIX_C_SOURCE 200809L
#endif
#include <zem/zem.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <direct.h>
#define MAKE_FOLDER(path) _mkdir(path)
#else
#include <sys/stat.h>
#define MAKE_FOLDER(path) mkdir(path, 0777)
#endif

static int failures;

#define CHECK(cond)                                                       \
    do {                                                                  \
        if (!(cond)) {                                                    \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                   \
        }                                                                 \
    } while (0)

enum { kRate = 44100, kChannels = 2, kAlign = 4, kBlocks = 100000 };

static char work[1024];
static unsigned char* pcm; /* kBlocks blocks of 16-bit stereo */
static const unsigned char kHeader[] = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
    0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O',
    'd', 'a', 't', 'a', 0x80, 0x1A, 0x06, 0}; /* data: 100000 x 4 bytes */
static const char kTrailer[] = "trailing bytes";

static const char* In(const char* name) {
    static char paths[4][2048];
    static int next;
    char* path = paths[next++ % 4];
    snprintf(path, sizeof paths[0], "%s/%s", work, name);
    return path;
}

static unsigned char* Slurp(const char* path, long* size) {
    FILE* f = fopen(path, "rb");
    unsigned char* bytes;
    *size = -1;
    if (!f)
        return NULL;
    fseek(f, 0, SEEK_END);
    *size = ftell(f);
    fseek(f, 0, SEEK_SET);
    bytes = malloc((size_t)*size + 1);
    if (fread(bytes, 1, (size_t)*size, f) != (size_t)*size)
        *size = -1;
    fclose(f);
    return bytes;
}

static void Spit(const char* path, const void* bytes, size_t size) {
    FILE* f = fopen(path, "wb");
    CHECK(f && fwrite(bytes, 1, size, f) == size);
    if (f)
        fclose(f);
}

/* Paths as the library gives them use the system's separator. */
static int SamePath(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (*a != *b && !((*a == '/' || *a == '\\') && (*b == '/' || *b == '\\')))
            return 0;
    }
    return *a == *b;
}

static int Exists(const char* path) {
    FILE* f = fopen(path, "rb");
    if (f)
        fclose(f);
    return f != NULL;
}

/* Music enough to code: two tones and a little noise, of a fixed seed. */
static void MakePcm(void) {
    unsigned seed = 12345;
    long i;
    pcm = malloc((size_t)kBlocks * kAlign);
    for (i = 0; i < kBlocks; ++i) {
        int left, right;
        seed = seed * 1103515245u + 12345u;
        left = (int)((i * 37) % 2000) - 1000 + (int)((seed >> 16) % 64);
        right = (int)((i * 53) % 3000) - 1500 - (int)((seed >> 20) % 32);
        pcm[i * 4 + 0] = (unsigned char)(left & 0xFF);
        pcm[i * 4 + 1] = (unsigned char)((left >> 8) & 0xFF);
        pcm[i * 4 + 2] = (unsigned char)(right & 0xFF);
        pcm[i * 4 + 3] = (unsigned char)((right >> 8) & 0xFF);
    }
}

static zem_encoder_settings Settings(void) {
    zem_encoder_settings s;
    s.sample_rate = kRate;
    s.channels = kChannels;
    s.bits_per_sample = 16;
    s.compression_level = 2000;
    s.threads = 0;
    s.verify = 1;
    return s;
}

/* Encodes the PCM in uneven pieces; with the header and trailer when `parts`. */
static int Encode(const char* path, int parts) {
    zem_encoder_settings s = Settings();
    int error = 0;
    long done = 0, piece = 777;
    zem_encoder* e = zem_encoder_open(path, &s, &error);
    CHECK(e != NULL && error == ZEM_OK);
    if (!e)
        return error;
    if (parts) {
        CHECK(zem_encoder_set_wav_header(e, kHeader, sizeof kHeader) == ZEM_OK);
        CHECK(zem_encoder_set_wav_trailer(e, kTrailer, sizeof kTrailer - 1) == ZEM_OK);
    }
    while (done < kBlocks) {
        long n = kBlocks - done < piece ? kBlocks - done : piece;
        CHECK(zem_encoder_write(e, pcm + done * kAlign, n) == n);
        done += n;
        piece = piece * 3 % 20011 + 1;
    }
    return zem_encoder_finish(e);
}

/* Reads every block of d from `from` on and compares with the PCM from stream block `first`. */
static void ExpectBlocks(zem_decoder* d, long first, long count) {
    unsigned char* out = malloc((size_t)count * kAlign + kAlign);
    long got = 0, n;
    while ((n = zem_read(d, out + got * kAlign, count - got + 1)) > 0)
        got += n;
    CHECK(n == 0 && got == count);
    CHECK(got == count && memcmp(out, pcm + first * kAlign, (size_t)count * kAlign) == 0);
    free(out);
}

static void ExpectWavParts(zem_decoder* d, const void* header, long headerSize, const void* trailer, long trailerSize) {
    unsigned char buffer[256];
    CHECK(zem_get_wav_header(d, buffer, sizeof buffer) == headerSize);
    CHECK(memcmp(buffer, header, (size_t)headerSize) == 0);
    CHECK(zem_get_wav_trailer(d, buffer, sizeof buffer) == trailerSize);
    CHECK(trailerSize == 0 || memcmp(buffer, trailer, (size_t)trailerSize) == 0);
}

static void TestEncoder(void) {
    static const unsigned char kPlain[44] = {
        'R', 'I', 'F', 'F', 0xA4, 0x1A, 0x06, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
        0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 0x80, 0x1A, 0x06, 0};
    int error = 0;
    zem_decoder* d;
    zem_stream_info info;
    CHECK(Encode(In("image.zem"), 1) == ZEM_OK);
    d = zem_open(In("image.zem"), &error);
    CHECK(d != NULL);
    if (!d)
        return;
    CHECK(zem_get_info(d, &info) == ZEM_OK && info.version == 3990 && info.total_blocks == kBlocks &&
          info.sample_rate == kRate && info.channels == 2 && info.bits_per_sample == 16 && info.block_align == 4);
    ExpectWavParts(d, kHeader, sizeof kHeader, kTrailer, sizeof kTrailer - 1);
    ExpectBlocks(d, 0, kBlocks);
    {
        zem_stream_facts facts;
        zem_stream_cut cut;
        CHECK(zem_get_facts(d, &facts) == ZEM_OK && facts.range_blocks == kBlocks && facts.fill_byte == 0);
        CHECK(zem_get_cut(d, &cut) == ZEM_OK && cut.cut_frame == -1);
        CHECK(zem_header_problem(In("image.zem"), NULL, 0) == 0);
        CHECK(zem_header_problem_memory(kHeader, sizeof kHeader, NULL, 0) > 0); /* a WAV file is no stream */
    }
    zem_close(d);

    /* Without parts the header is the plain one for the PCM. */
    CHECK(Encode(In("plain.zem"), 0) == ZEM_OK);
    d = zem_open(In("plain.zem"), &error);
    CHECK(d != NULL);
    if (d) {
        ExpectWavParts(d, kPlain, sizeof kPlain, NULL, 0);
        zem_close(d);
    }
    CHECK(!Exists(In("plain.zem.pcm.partial")) && !Exists(In("plain.zem.partial")));
}

static void TestEncoderRefusals(void) {
    zem_encoder_settings s = Settings();
    static const struct {
        unsigned channels, bits, level, rate;
        int error;
    } bad[] = {{3, 16, 2000, kRate, ZEM_ERROR_UNSUPPORTED}, {2, 12, 2000, kRate, ZEM_ERROR_UNSUPPORTED},
               {2, 16, 1500, kRate, ZEM_ERROR_INVALID_ARGUMENT}, {2, 16, 6000, kRate, ZEM_ERROR_INVALID_ARGUMENT},
               {2, 16, 2000, 0, ZEM_ERROR_INVALID_ARGUMENT}, {0, 16, 2000, kRate, ZEM_ERROR_INVALID_ARGUMENT}};
    size_t i;
    int error = 0;
    zem_encoder* e;
    for (i = 0; i < sizeof bad / sizeof bad[0]; ++i) {
        zem_encoder_settings t = s;
        t.channels = bad[i].channels;
        t.bits_per_sample = bad[i].bits;
        t.compression_level = bad[i].level;
        t.sample_rate = bad[i].rate;
        CHECK(zem_encoder_open(In("refused.zem"), &t, &error) == NULL && error == bad[i].error);
    }
    CHECK(zem_encoder_open(NULL, &s, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_encoder_open(In("refused.zem"), NULL, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_encoder_write(NULL, pcm, 1) == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_encoder_finish(NULL) == ZEM_ERROR_INVALID_ARGUMENT);
    zem_encoder_abort(NULL);

    /* Aborted: nothing under the name, no temporary file. */
    remove(In("aborted.zem"));
    e = zem_encoder_open(In("aborted.zem"), &s, &error);
    CHECK(e != NULL);
#ifndef _WIN32
    CHECK(Exists(In("aborted.zem.pcm.partial"))); /* Windows holds it unshared: it does not open */
#endif
    CHECK(zem_encoder_write(e, pcm, 1000) == 1000);
    CHECK(zem_encoder_write(e, NULL, 5) == ZEM_ERROR_INVALID_ARGUMENT && zem_encoder_write(e, pcm, -1) < 0);
    CHECK(zem_encoder_set_wav_header(e, kHeader, sizeof kHeader) == ZEM_ERROR_INVALID_ARGUMENT);  /* after PCM */
    zem_encoder_abort(e);
    CHECK(!Exists(In("aborted.zem")) && !Exists(In("aborted.zem.pcm.partial")));

    /* A header of other settings, and one whose data size is not what was written. */
    e = zem_encoder_open(In("aborted.zem"), &s, &error);
    s.channels = 1;
    CHECK(zem_encoder_set_wav_header(e, "RIFF", 4) == ZEM_ERROR_BAD_INPUT);
    CHECK(zem_encoder_set_wav_header(e, kHeader, sizeof kHeader) == ZEM_OK);
    CHECK(zem_encoder_write(e, pcm, 1000) == 1000);
    CHECK(zem_encoder_finish(e) == ZEM_ERROR_BAD_INPUT);
    CHECK(!Exists(In("aborted.zem")) && !Exists(In("aborted.zem.pcm.partial")));
}

/* Callbacks over a FILE*, and a pipe-like source that gives odd little pieces and cannot seek. */
struct Source {
    FILE* file;
    long piece;
    int failAfter; /* reads before one fails; negative: never */
};

static long SourceRead(void* user, void* buffer, long bytes) {
    struct Source* s = user;
    if (s->failAfter == 0)
        return -1;
    if (s->failAfter > 0)
        --s->failAfter;
    if (s->piece > 0 && bytes > s->piece)
        bytes = s->piece;
    s->piece = s->piece > 0 ? s->piece % 997 + 1 : 0;
    return (long)fread(buffer, 1, (size_t)bytes, s->file);
}

static int SourceSeek(void* user, int64_t offset) { return fseek(((struct Source*)user)->file, (long)offset, SEEK_SET); }

static long NoWrite(void* user, const void* data, long bytes) {
    (void)user, (void)data, (void)bytes;
    return -1;
}

static int NoSeek(void* user, int64_t offset) {
    (void)user, (void)offset;
    return -1;
}

/* zem_encode_wav() reads from a source that seeks and says why it refuses one. */
static void TestEncodeWav(struct Source* source, const zem_io* seekable, const zem_io* forward) {
    const zem_output nowhere = {NoWrite, NoSeek};
    zem_encode_options options;
    char detail[64];
    memset(&options, 0, sizeof options);
    options.compression_level = 2000;
    rewind(source->file);
    source->failAfter = -1;
    CHECK(zem_encode_wav(seekable, source, &nowhere, NULL, &options, detail, sizeof detail) == ZEM_ERROR_BAD_INPUT &&
          strcmp(detail, "not a RIFF/WAVE file") == 0);
    CHECK(zem_encode_wav(forward, source, &nowhere, NULL, &options, NULL, 0) == ZEM_ERROR_INVALID_ARGUMENT);
}

static void TestSources(void) {
    long size = 0;
    unsigned char* bytes = Slurp(In("image.zem"), &size);
    const zem_io seekable = {SourceRead, SourceSeek, NULL};
    const zem_io forward = {SourceRead, NULL, NULL};
    struct Source source;
    zem_decoder* d;
    int error = 0;
    unsigned char md5[16], fileMd5[16];

    d = zem_open(In("image.zem"), &error);
    CHECK(zem_get_md5(d, fileMd5) == ZEM_OK);
    zem_close(d);

    d = zem_open_memory(bytes, (size_t)size, &error);
    CHECK(d != NULL);
    CHECK(zem_get_md5(d, md5) == ZEM_OK && memcmp(md5, fileMd5, 16) == 0);
    ExpectWavParts(d, kHeader, sizeof kHeader, kTrailer, sizeof kTrailer - 1);
    CHECK(zem_seek(d, 60000) == ZEM_OK);
    ExpectBlocks(d, 60000, kBlocks - 60000);
    zem_close(d);

    source.file = fopen(In("image.zem"), "rb");
    source.piece = 0;
    source.failAfter = -1;
    d = zem_open_io(&seekable, &source, &error);
    CHECK(d != NULL);
    CHECK(zem_seek(d, 12345) == ZEM_OK);
    ExpectBlocks(d, 12345, kBlocks - 12345);
    zem_close(d);

    /* Front to back as the bytes arrive: the trailer behind the frames is
       there once reading has got to it, and the MD5 check takes it then. */
    rewind(source.file);
    source.piece = 1;
    d = zem_open_io(&forward, &source, &error);
    CHECK(d != NULL);
    CHECK(zem_check_md5(d) == ZEM_OK);
    CHECK(zem_seek(d, 10) == ZEM_ERROR_UNSUPPORTED && zem_tell(d) == 0);
    {
        unsigned char trailer[64];
        CHECK(zem_get_wav_trailer(d, NULL, 0) == (long)sizeof kTrailer - 1);
        CHECK(zem_get_wav_trailer(d, trailer, sizeof trailer) == ZEM_ERROR_UNSUPPORTED);
        ExpectBlocks(d, 0, kBlocks);
        CHECK(zem_get_wav_trailer(d, trailer, sizeof trailer) == (long)sizeof kTrailer - 1);
        CHECK(memcmp(trailer, kTrailer, sizeof kTrailer - 1) == 0);
    }
    CHECK(zem_seek(d, 0) == ZEM_ERROR_UNSUPPORTED && zem_tell(d) == kBlocks);
    zem_close(d);

    /* A source that fails inside the header does not open; one that fails
       later opens, and reading reports the failure and still comes to an end. */
    rewind(source.file);
    source.piece = 16;
    source.failAfter = 1;
    CHECK(zem_open_io(&forward, &source, &error) == NULL && error == ZEM_ERROR_READ_FAILED);
    rewind(source.file);
    source.piece = 65536;
    source.failAfter = 4;
    d = zem_open_io(&forward, &source, &error);
    CHECK(d != NULL);
    {
        unsigned char* out = malloc((size_t)kBlocks * kAlign);
        long n, failed = 0, calls = 0;
        while ((n = zem_read(d, out, kBlocks)) != 0 && ++calls < 1000)
            failed += n < 0;
        CHECK(n == 0 && failed > 0 && zem_tell(d) == kBlocks);
        free(out);
    }
    zem_close(d);
    TestEncodeWav(&source, &seekable, &forward);
    fclose(source.file);

    CHECK(zem_open_memory(bytes, 100, &error) == NULL && error == ZEM_ERROR_BAD_INPUT);
    CHECK(zem_open_memory(NULL, 0, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_open_io(NULL, NULL, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_get_md5(NULL, md5) == ZEM_ERROR_INVALID_ARGUMENT);
    free(bytes);
}

static void TestRange64(void) {
    static const struct {
        int64_t start, finish;
        long first, count;
    } ranges[] = {{44100, 88200, 44100, 44100}, {-1, -1, 0, kBlocks}, {90000, INT64_C(0x7FFFFFFFFFFFFFFF), 90000, 10000},
                  {INT64_C(0x100000000), -1, kBlocks, 0}, {-5, 3000000000LL, 0, kBlocks}};
    size_t i;
    int error = 0;
    for (i = 0; i < sizeof ranges / sizeof ranges[0]; ++i) {
        zem_decoder* d = zem_open_range64(In("image.zem"), ranges[i].start, ranges[i].finish, &error);
        zem_stream_info info;
        CHECK(d != NULL);
        if (!d)
            continue;
        CHECK(zem_get_info(d, &info) == ZEM_OK && info.total_blocks == (uint64_t)ranges[i].count);
        ExpectBlocks(d, ranges[i].first, ranges[i].count);
        zem_close(d);
    }
    CHECK(zem_open_range64(In("missing.zem"), 0, 10, &error) == NULL && error == ZEM_ERROR_CANNOT_OPEN);
}

static void TestTags(void) {
    static const unsigned char kCover[] = {0x89, 'P', 'N', 'G', 0, 1, 2, 0};
    const char* title = "Saltglass \xF0\x9F\x8E\xB5";
    unsigned char buffer[16];
    long size = 0, before = 0;
    unsigned char* bytes;
    zem_decoder* d;
    int error = 0;
    zem_tag* t = zem_tag_open(In("image.zem"), &error);
    CHECK(t != NULL && zem_tag_count(t) == 0);
    CHECK(zem_tag_set(t, "Title", title) == ZEM_OK && zem_tag_set(t, "Artist", "Corvane") == ZEM_OK);
    CHECK(zem_tag_set_binary(t, "Cover Art (Front)", kCover, sizeof kCover) == ZEM_OK);
    CHECK(zem_tag_set(t, "Bad=Name", "x") == ZEM_ERROR_INVALID_ARGUMENT && zem_tag_set(t, "Bad", "\xC0\x80") < 0);
    CHECK(zem_tag_set(t, "Nothing", NULL) == ZEM_OK && zem_tag_count(t) == 3);
    CHECK(zem_tag_save(t) == ZEM_OK);
    zem_tag_close(t);

    t = zem_tag_open(In("image.zem"), &error);
    CHECK(zem_tag_count(t) == 3 && zem_tag_name(t, 3) == NULL && zem_tag_name(t, -1) == NULL);
    CHECK(zem_tag_name(t, 0) && zem_tag_name(t, 1) && zem_tag_name(t, 2)); /* stored smallest first */
    CHECK(zem_tag_get(t, "TITLE") && strcmp(zem_tag_get(t, "TITLE"), title) == 0);
    CHECK(zem_tag_get(t, "Cover Art (Front)") == NULL);
    CHECK(zem_tag_get_binary(t, "Cover Art (Front)", NULL, 0) == (long)sizeof kCover);
    CHECK(zem_tag_get_binary(t, "Cover Art (Front)", buffer, sizeof buffer) == (long)sizeof kCover &&
          memcmp(buffer, kCover, sizeof kCover) == 0);
    CHECK(zem_tag_set(t, "Artist", NULL) == ZEM_OK && zem_tag_save(t) == ZEM_OK && zem_tag_count(t) == 2);
    zem_tag_close(t);

    d = zem_open(In("image.zem"), &error);
    CHECK(zem_get_tag(d, "Title") && strcmp(zem_get_tag(d, "Title"), title) == 0 && !zem_get_tag(d, "Artist"));
    ExpectBlocks(d, 0, kBlocks); /* the audio is untouched */
    zem_close(d);

    /* An ID3v1 record stays behind the ZEM tag, with the edited fields. */
    bytes = Slurp(In("plain.zem"), &before);
    bytes = realloc(bytes, (size_t)before + 128);
    memset(bytes + before, 0, 128);
    memcpy(bytes + before, "TAGOld title", 12);
    Spit(In("id3.zem"), bytes, (size_t)before + 128);
    free(bytes);
    t = zem_tag_open(In("id3.zem"), &error);
    CHECK(t && zem_tag_get(t, "Title") && strcmp(zem_tag_get(t, "Title"), "Old title") == 0);
    CHECK(zem_tag_set(t, "Title", "New title") == ZEM_OK && zem_tag_set(t, "Mood", "calm") == ZEM_OK);
    CHECK(zem_tag_save(t) == ZEM_OK);
    zem_tag_close(t);
    bytes = Slurp(In("id3.zem"), &size);
    CHECK(size > before + 128 && memcmp(bytes + size - 128, "TAGNew title", 12) == 0);
    free(bytes);
    t = zem_tag_open(In("id3.zem"), &error);
    CHECK(t && zem_tag_get(t, "Mood") && strcmp(zem_tag_get(t, "Mood"), "calm") == 0);
    CHECK(zem_tag_found(t) == (ZEM_TAG_HAS_ZEM | ZEM_TAG_HAS_ID3V1));
    zem_tag_close(t);
    /* The record behind the ZEM tag read on its own (Title, Track 0, Genre 0 = Blues); none gives no fields. */
    t = zem_tag_open_ex(In("id3.zem"), ZEM_TAG_OPEN_ID3V1, &error);
    CHECK(t && zem_tag_count(t) == 3 && strcmp(zem_tag_name(t, 0), "Title") == 0 && !zem_tag_get(t, "Mood"));
    CHECK(zem_tag_get(t, "Title") && strcmp(zem_tag_get(t, "Title"), "New title") == 0);
    zem_tag_close(t);
    t = zem_tag_open_ex(In("image.zem"), ZEM_TAG_OPEN_ID3V1, &error);
    CHECK(t && zem_tag_count(t) == 0 && zem_tag_found(t) == ZEM_TAG_HAS_ZEM);
    zem_tag_close(t);
    CHECK(zem_tag_open_ex(In("image.zem"), 0x2u, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);

    /* A lone record becomes a ZEM tag alone, and that a record alone again (keeping what a record holds). */
    bytes = Slurp(In("plain.zem"), &before);
    bytes = realloc(bytes, (size_t)before + 128);
    memset(bytes + before, 0, 128);
    memcpy(bytes + before, "TAGOld title", 12);
    Spit(In("lone.zem"), bytes, (size_t)before + 128);
    free(bytes);
    t = zem_tag_open(In("lone.zem"), &error);
    CHECK(t && zem_tag_found(t) == ZEM_TAG_HAS_ID3V1 && zem_tag_set(t, "Mood", "calm") == ZEM_OK);
    CHECK(zem_tag_save_ex(t, ZEM_TAG_SAVE_ID3V1 | ZEM_TAG_SAVE_ZEM_ONLY) == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_tag_save_ex(t, 0x4u) == ZEM_ERROR_INVALID_ARGUMENT && zem_tag_save_ex(NULL, 0) < 0);
    CHECK(zem_tag_save_ex(t, ZEM_TAG_SAVE_ZEM_ONLY) == ZEM_OK && zem_tag_found(t) == ZEM_TAG_HAS_ZEM);
    CHECK(zem_tag_get(t, "Mood") && zem_tag_get(t, "Title") && strcmp(zem_tag_get(t, "Title"), "Old title") == 0);
    CHECK(zem_tag_save_ex(t, ZEM_TAG_SAVE_ID3V1) == ZEM_OK && zem_tag_found(t) == ZEM_TAG_HAS_ID3V1);
    CHECK(zem_tag_get(t, "Title") && !zem_tag_get(t, "Mood"));
    zem_tag_close(t);
    bytes = Slurp(In("lone.zem"), &size);
    CHECK(size == before + 128 && memcmp(bytes + before, "TAGOld title", 12) == 0);
    free(bytes);

    /* A field the record behind the ZEM tag holds goes from both; a check before the save writes nothing. */
    {
        char detail[64];
        const char* missing = "there is no field 'Nothing'";
        t = zem_tag_open(In("id3.zem"), &error);
        CHECK(t && zem_tag_remove(t, "Nothing") == ZEM_ERROR_INVALID_ARGUMENT);
        CHECK(zem_tag_get_error_detail(t, detail, sizeof detail) == (long)strlen(missing) && strcmp(detail, missing) == 0);
        CHECK(zem_tag_remove(t, "Mood") == ZEM_OK && zem_tag_check_save(t, 0) == ZEM_OK);
        CHECK(zem_tag_clear(t) == ZEM_OK && zem_tag_count(t) == 0 && zem_tag_save(t) == ZEM_OK);
        CHECK(zem_tag_found(t) == 0);
        zem_tag_close(t);
        bytes = Slurp(In("id3.zem"), &size);
        CHECK(size == before);
        free(bytes);
    }

    /* A ZEM tag whose footer counts an item more than it holds is refused, and the file left alone. */
    bytes = Slurp(In("image.zem"), &size);
    bytes[size - 32 + 16] += 1;
    Spit(In("damaged.zem"), bytes, (size_t)size);
    t = zem_tag_open(In("damaged.zem"), &error);
    CHECK(t != NULL && zem_tag_set(t, "Title", "x") == ZEM_OK && zem_tag_save(t) == ZEM_ERROR_BAD_INPUT);
    zem_tag_close(t);
    {
        long now = 0;
        unsigned char* after = Slurp(In("damaged.zem"), &now);
        CHECK(now == size && memcmp(after, bytes, (size_t)size) == 0);
        free(after);
    }
    free(bytes);

    CHECK(zem_tag_open(In("missing.zem"), &error) == NULL && error == ZEM_ERROR_CANNOT_OPEN);
    CHECK(zem_tag_open(NULL, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_tag_count(NULL) < 0 && zem_tag_name(NULL, 0) == NULL && zem_tag_get(NULL, "Title") == NULL);
    CHECK(zem_tag_set(NULL, "Title", "x") < 0 && zem_tag_save(NULL) < 0 && zem_tag_get_binary(NULL, "x", NULL, 0) < 0);
    CHECK(zem_tag_found(NULL) == ZEM_ERROR_INVALID_ARGUMENT && zem_tag_open_ex(NULL, 0, &error) == NULL);
    CHECK(zem_tag_remove(NULL, "Title") < 0 && zem_tag_clear(NULL) < 0 && zem_tag_check_save(NULL, 0) < 0);
    CHECK(zem_tag_get_error_detail(NULL, NULL, 0) < 0);
    zem_tag_close(NULL);
}

static const char kSheet[] = "PERFORMER \"Corvane\"\r\nTITLE \"Tallowmere\"\r\nFILE \"image.zem\" WAVE\r\n"
                             "  TRACK 01 AUDIO\r\n    TITLE \"Brine\"\r\n    INDEX 01 00:00:00\r\n"
                             "  TRACK 02 AUDIO\r\n    TITLE \"Saltglass\"\r\n    PERFORMER \"Quell\"\r\n"
                             "    INDEX 01 00:01:00\r\n  TRACK 03 AUDIO\r\n    TITLE \"Ebb\"\r\n"
                             "    INDEX 01 00:02:01\r\n";
/* The reader takes the first PERFORMER at or after a track's line, as Tessarine always has: track 1 gets track 2's. */
static const char* const kLinkNames[] = {"Quell - Tallowmere - 01 - Brine.zlk",
                                         "Quell - Tallowmere - 02 - Saltglass.zlk",
                                         "Quell - Tallowmere - 03 - Ebb.zlk"};

static void ExpectTracks(zem_cue* c) {
    static const struct {
        int number;
        const char *title, *performer;
        int64_t start, finish;
    } expected[] = {{1, "Brine", "Quell", 0, 44100}, {2, "Saltglass", "Quell", 44100, 88788}, {3, "Ebb", "Quell", 88788, -1}};
    zem_cue_track track;
    const char* album = NULL;
    char name[16];
    int i;
    CHECK(zem_cue_track_count(c) == 3);
    for (i = 0; i < 3; ++i) {
        CHECK(zem_cue_get_track(c, i, &track) == ZEM_OK);
        CHECK(track.number == expected[i].number && strcmp(track.title, expected[i].title) == 0 &&
              strcmp(track.performer, expected[i].performer) == 0 && track.start_block == expected[i].start &&
              track.finish_block == expected[i].finish);
    }
    CHECK(zem_cue_get_track(c, 3, &track) == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(SamePath(zem_cue_image(c), In("image.zem")));
    CHECK(zem_cue_get_album(c, &album, NULL) == ZEM_OK && strcmp(album, "Tallowmere") == 0);
    CHECK(zem_template_name("TITLE", NULL, NULL, NULL, "Brine", name, sizeof name) == 5 && strcmp(name, "Brine") == 0);
}

/* Counts the files written; a failure counts 100. */
static void CountReport(void* user, const char* path, const char* failure, int cannot_create) {
    *(int*)user += path && strstr(path, "elsewhere") && !failure && !cannot_create ? 1 : 100;
}

static void TestCue(const char* zemtool) {
    int reported;
    unsigned char* ours[3];
    long sizes[3];
    int error = 0, i;
    zem_cue* c;
    zem_tag* t;
    Spit(In("album.cue"), kSheet, sizeof kSheet - 1);
    c = zem_cue_open(In("album.cue"), &error);
    CHECK(c != NULL);
    if (!c)
        return;
    ExpectTracks(c);
    {
        char text[sizeof kSheet];
        CHECK(zem_cue_read_text(In("album.cue"), text, sizeof text) == (long)sizeof kSheet - 1 && strcmp(text, kSheet) == 0);
        CHECK(zem_cue_read_text(In("missing.cue"), NULL, 0) == ZEM_ERROR_CANNOT_OPEN);
        CHECK(zem_cue_read_text(NULL, NULL, 0) == ZEM_ERROR_INVALID_ARGUMENT);
    }
    {
        char name[64];
        CHECK(zem_cue_link_name(c, 1, NULL, NULL, 0) == (long)strlen(kLinkNames[1]));
        CHECK(zem_cue_link_name(c, 1, NULL, name, sizeof name) == (long)strlen(kLinkNames[1]) &&
              strcmp(name, kLinkNames[1]) == 0);
        CHECK(zem_cue_link_name(c, 2, "TRACK# TITLE", name, sizeof name) == 10 && strcmp(name, "03 Ebb.zlk") == 0);
        CHECK(zem_cue_link_name(c, 3, NULL, name, sizeof name) == ZEM_ERROR_INVALID_ARGUMENT);
        CHECK(zem_cue_link_name(c, 0, "\xFF", name, sizeof name) == ZEM_ERROR_INVALID_ARGUMENT);
        /* The image is there and the sheet is whole: nothing to warn about. */
        CHECK(zem_cue_warning(c, NULL, 0, name, sizeof name) == ZEM_ERROR_INVALID_ARGUMENT);
        CHECK(zem_cue_open_ex(In("album.cue"), 0x80u, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    }
    CHECK(zem_cue_write_links(c, NULL, NULL) == 3);
    for (i = 0; i < 3; ++i) {
        ours[i] = Slurp(In(kLinkNames[i]), &sizes[i]);
        CHECK(sizes[i] > 0);
        remove(In(kLinkNames[i]));
    }
    if (zemtool) {
        char command[4096];
        snprintf(command, sizeof command, "\"%s\" links \"%s\" >%s", zemtool, In("album.cue"), In("links.out"));
        CHECK(system(command) == 0);
        for (i = 0; i < 3; ++i) {
            long size = 0;
            unsigned char* theirs = Slurp(In(kLinkNames[i]), &size);
            CHECK(size == sizes[i] && theirs && memcmp(theirs, ours[i], (size_t)size) == 0);
            free(theirs);
        }
    }
    for (i = 0; i < 3; ++i)
        free(ours[i]);

    /* Elsewhere, links name the image by its full path and play their tracks. */
    MAKE_FOLDER(In("elsewhere"));
    reported = 0;
    CHECK(zem_cue_write_links_ex(c, "TRACK#", In("elsewhere"), CountReport, &reported) == 3);
    CHECK(reported == 3);
    {
        zem_decoder* d = zem_open(In("elsewhere/02.zlk"), &error);
        CHECK(d != NULL && zem_get_tag(d, "Title") && strcmp(zem_get_tag(d, "Title"), "Saltglass") == 0);
        if (d)
            ExpectBlocks(d, 44100, 88788 - 44100);
        zem_close(d);
    }
    zem_cue_close(c);

    /* The same sheet carried in the image's tag. */
    t = zem_tag_open(In("image.zem"), &error);
    CHECK(zem_tag_set(t, "Cuesheet", kSheet) == ZEM_OK && zem_tag_save(t) == ZEM_OK);
    zem_tag_close(t);
    c = zem_cue_open(In("image.zem"), &error);
    CHECK(c != NULL);
    if (c)
        ExpectTracks(c);
    zem_cue_close(c);

    CHECK(zem_cue_open(In("plain.zem"), &error) == NULL && error == ZEM_ERROR_BAD_INPUT);
    CHECK(zem_cue_open(In("missing.cue"), &error) == NULL && error == ZEM_ERROR_CANNOT_OPEN);
    CHECK(zem_cue_open(NULL, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
    CHECK(zem_cue_track_count(NULL) < 0 && zem_cue_image(NULL) == NULL && zem_cue_write_links(NULL, NULL, NULL) < 0);
    zem_cue_close(NULL);

    /* The sheet from memory: no folder, the image named as written, the blocks at the caller's rate. */
    {
        static const struct {
            unsigned rate;
            int64_t second, third;
        } rates[] = {{0, 44100, 88788}, {44100, 44100, 88788}, {48000, 48000, 96640}};
        zem_cue_track track;
        int minutes, seconds, frames;
        for (i = 0; i < 3; ++i) {
            c = zem_cue_parse(kSheet, sizeof kSheet - 1, rates[i].rate, &error);
            CHECK(c != NULL && zem_cue_track_count(c) == 3 && strcmp(zem_cue_image(c), "image.zem") == 0);
            if (!c)
                continue;
            CHECK(zem_cue_get_track(c, 1, &track) == ZEM_OK && strcmp(track.title, "Saltglass") == 0 &&
                  track.start_block == rates[i].second && track.finish_block == rates[i].third);
            CHECK(zem_cue_get_track(c, 2, &track) == ZEM_OK && track.start_block == rates[i].third &&
                  track.finish_block == -1);
            CHECK(zem_cue_track_time(c, 2, &minutes, &seconds, &frames) == ZEM_OK && minutes == 0 && seconds == 2 &&
                  frames == 1);
            zem_cue_close(c);
        }
    }
    CHECK(zem_cue_parse(kSheet, 40, 0, &error) == NULL && error == ZEM_ERROR_BAD_INPUT);
    CHECK(zem_cue_parse(NULL, 0, 0, &error) == NULL && error == ZEM_ERROR_INVALID_ARGUMENT);
}

#ifndef _WIN32
/* No 260-character limit where the system has none: a link to an image 300 bytes deep. */
static void TestLongPaths(void) {
    char folder[2048], image[2100], link[2100], text[2400];
    const char* segment = "a-folder-name-of-fifty-characters-to-go-deep-enough";
    long size = 0;
    unsigned char* bytes = Slurp(In("plain.zem"), &size);
    int i, error = 0;
    zem_decoder* d;
    snprintf(folder, sizeof folder, "%s", work);
    for (i = 0; i < 6; ++i) {
        strcat(folder, "/");
        strcat(folder, segment);
        MAKE_FOLDER(folder);
    }
    snprintf(image, sizeof image, "%s/image.zem", folder);
    CHECK(strlen(image) > 300);
    Spit(image, bytes, (size_t)size);
    /* The link names the image beside it; joined, the path is over 300 bytes long. */
    snprintf(text, sizeof text, "[Quillon Image Link File]\r\nImage File=image.zem\r\nStart Block=1000\r\nFinish Block=2000\r\n");
    snprintf(link, sizeof link, "%s/track.zlk", folder);
    Spit(link, text, strlen(text));
    d = zem_open(link, &error);
    CHECK(d != NULL);
    if (d)
        ExpectBlocks(d, 1000, 1000);
    zem_close(d);
    free(bytes);
}
#endif

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: zem_api_c_test WORK_FOLDER [ZEMTOOL]\n");
        return 2;
    }
    snprintf(work, sizeof work, "%s", argv[1]);
    MAKE_FOLDER(work);
    MakePcm();
    TestEncoder();
    TestEncoderRefusals();
    TestSources();
    TestRange64();
    TestTags();
    TestCue(argc > 2 ? argv[2] : NULL);
#ifndef _WIN32
    TestLongPaths();
#endif
    free(pcm);
    printf("%s: %d failed checks\n", argv[0], failures);
    return failures ? 1 : 0;
}
