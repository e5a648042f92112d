/*
 * libzem: decoding ZEM streams and ZLK image-link files from C and C++.
 *
 * A decoder is opened on a ZEM stream (the whole stream) or on a ZLK link
 * file (just the track it names, inside its image), told apart by the file's
 * content. It hands out interleaved little-endian PCM, the bytes
 * of a WAV file's data chunk, block by block; a block is one sample of every
 * channel (block_align bytes). Together with zem_get_wav_header() and
 * zem_get_wav_trailer() a caller rebuilds the exact WAV file that
 * `zemtool decode` writes: header, every block from 0 to total_blocks, trailer.
 *
 *     int error;
 *     zem_decoder* d = zem_open("album.zem", &error);
 *     if (!d) { fprintf(stderr, "%s\n", zem_error_text(error)); return 1; }
 *     zem_stream_info info;
 *     zem_get_info(d, &info);
 *     char* pcm = malloc(4096 * info.block_align);
 *     long n;
 *     while ((n = zem_read(d, pcm, 4096)) != 0)
 *         if (n > 0) fwrite(pcm, info.block_align, (size_t)n, stdout);
 *     zem_close(d);
 *
 * Threads: a decoder is used by one thread at a time (calls on one decoder
 * must not overlap). Different decoders, also on the same file, may be used
 * from different threads at once. zem_error_text() and zem_version() may be
 * called from any thread at any time.
 *
 * Text (paths, tag names and values) is UTF-8. Every function accepts NULL
 * pointers and answers them with ZEM_ERROR_INVALID_ARGUMENT (or NULL).
 * Paths: on Windows a path must be valid UTF-8 (convert the wide names of
 * wmain() or GetCommandLineW() with WideCharToMultiByte(CP_UTF8, ...); the
 * ANSI argv of main() is not UTF-8); elsewhere a path is the bytes the system
 * takes, UTF-8 or not, and is passed through unchanged.
 */
#ifndef ZEM_ZEM_H
#define ZEM_ZEM_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(ZEM_STATIC)
#  ifdef ZEM_BUILDING_LIBRARY
#    define ZEM_API __declspec(dllexport)
#  else
#    define ZEM_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__) && defined(ZEM_BUILDING_LIBRARY)
#  define ZEM_API __attribute__((visibility("default")))
#else
#  define ZEM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes: 0 for success, negative for failures. The numbers never change. */
#define ZEM_OK                      0
#define ZEM_ERROR_FAILED           (-1)  /* unspecified failure */
#define ZEM_ERROR_INVALID_ARGUMENT (-2)  /* a NULL or out-of-range argument */
#define ZEM_ERROR_NO_MEMORY        (-3)  /* memory could not be had */
#define ZEM_ERROR_CANNOT_OPEN      (-4)  /* the file is missing or cannot be read */
#define ZEM_ERROR_BAD_INPUT        (-5)  /* not a ZEM stream, a damaged link file, or a link whose image does not open */
#define ZEM_ERROR_UNSUPPORTED      (-6)  /* a stream of a version or layout this library does not decode */
#define ZEM_ERROR_READ_FAILED      (-7)  /* reading the file failed */
#define ZEM_ERROR_BAD_FRAME        (-8)  /* a frame failed its check: its blocks are skipped */
#define ZEM_ERROR_TRUNCATED        (-9)  /* the file ends before the stream does (a cut file) */
#define ZEM_ERROR_PATH_REFUSED     (-10) /* a link file or cue sheet names a network or device path (\\host\..., \\.\, \\?\) */

/* Flags of zem_open_ex(). */
#define ZEM_OPEN_ALLOW_REMOTE_PATHS 0x1u  /* let link files name UNC and device paths */

typedef struct zem_decoder zem_decoder;

typedef struct zem_stream_info {
    unsigned version;            /* stream version, e.g. 3990 */
    unsigned compression_level;  /* 1000, 2000, 3000, 4000 or 5000 */
    unsigned sample_rate;        /* Hz */
    unsigned channels;
    unsigned bits_per_sample;    /* 8, 16 or 24 (8-bit samples are unsigned, as in WAV) */
    unsigned block_align;        /* bytes per block, all channels */
    uint64_t total_blocks;       /* of the stream, or of the link's track */
} zem_stream_info;

/*
 * Opens a stream or a link file (its track only), told apart by content: a
 * link file starts with its header line "[Quillon Image Link File]", a stream
 * with "QRB " and its version, possibly behind an ID3v2 block or other bytes.
 * The extension is only a hint (".zlk" lets the link header lie anywhere in
 * the file's first kilobyte, as link files have always been read), so a
 * stream named "x.bin" or a link named "x.txt" opens. A link file's image
 * name is taken from the link file's folder when relative; a network or
 * device path there (\\host\share\..., \\.\..., \\?\..., also written
 * with '/') is refused with ZEM_ERROR_PATH_REFUSED, since opening it would
 * reach out to a host the file chose (see ZEM_OPEN_ALLOW_REMOTE_PATHS).
 * Returns the decoder, or NULL with *error set (error may be NULL):
 * ZEM_ERROR_INVALID_ARGUMENT for a NULL or empty path (on Windows also one
 * that is not UTF-8), ZEM_ERROR_CANNOT_OPEN when the file itself cannot be
 * read, ZEM_ERROR_BAD_INPUT for a file that holds neither a stream nor a
 * link file, a link file lacking one of its keys or naming an image that
 * does not open, ZEM_ERROR_UNSUPPORTED for a stream version that no decoder
 * takes. Nothing is decoded yet; the first zem_read() starts at block 0.
 * A file cut short opens: its frames up to the cut read, the rest give
 * ZEM_ERROR_TRUNCATED.
 */
ZEM_API zem_decoder* zem_open(const char* path_utf8, int* error);

/*
 * As zem_open(), with flags (ZEM_OPEN_*, 0 for none; unknown bits give
 * ZEM_ERROR_INVALID_ARGUMENT), and on failure a one-line English detail that
 * a caller can show (the missing image's path, why a path was refused, that
 * a path is not UTF-8, ...) copied NUL-terminated into detail (cut to
 * detail_size bytes, at a character boundary; detail may be NULL with
 * detail_size 0). On success detail is set to "".
 */
ZEM_API zem_decoder* zem_open_ex(const char* path_utf8, unsigned flags, int* error, char* detail,
                                 size_t detail_size);

/*
 * Opens the stream at image_path_utf8 (any extension) limited to the blocks
 * from start_block up to, not including, finish_block, exactly as a link file
 * naming that image and those blocks opens it: a negative start is the
 * stream's beginning, a negative finish its end, and both are clamped to the
 * stream. As for such a link, the WAV header is then the 44-byte header for
 * the range, with no trailer, unless the range is the whole stream (the
 * stream's own header and trailer then); the tag is the image's. Errors as
 * for zem_open().
 */
ZEM_API zem_decoder* zem_open_range(const char* image_path_utf8, int32_t start_block, int32_t finish_block,
                                    int* error);

/* Fills *info. Returns ZEM_OK or ZEM_ERROR_INVALID_ARGUMENT. */
ZEM_API int zem_get_info(const zem_decoder* d, zem_stream_info* info);

/*
 * Decodes up to max_blocks blocks into pcm (room for max_blocks x block_align
 * bytes) and returns how many it wrote: possibly fewer than asked (a call
 * never reads past the end of the frame it starts in), 0 at the end of the
 * stream or track, or a negative error.
 *
 * A frame that fails its check gives ZEM_ERROR_BAD_FRAME; its blocks from the
 * current position to the frame's end are skipped (nothing of them is
 * delivered, pcm holds nothing meaningful) and the next zem_read() goes on
 * with the first block of the next frame. Other errors (ZEM_ERROR_READ_FAILED,
 * ZEM_ERROR_NO_MEMORY, ZEM_ERROR_UNSUPPORTED, ...) skip the same way, so a
 * loop that reads until 0 always ends. A frame whose bytes the file does not
 * hold (a cut file) gives ZEM_ERROR_TRUNCATED: the stream ends there, so every
 * block from the current position to the end is skipped and the next
 * zem_read() returns 0 (a seek back to an earlier block reads on from there).
 * zem_tell() says where reading stands; after an error the difference to the
 * position before the call is the number of blocks skipped. (`zemtool
 * decode` writes such blocks as silence.) zem_get_error_detail() tells more
 * about the failure.
 */
ZEM_API long zem_read(zem_decoder* d, void* pcm, long max_blocks);

/*
 * Makes the next zem_read() start at `block` (0 to total_blocks; total_blocks
 * stands at the end). Only the number is checked here: ZEM_OK, or
 * ZEM_ERROR_INVALID_ARGUMENT beyond the end (the position is then unchanged).
 * Decoding errors of the frame sought to come from the next zem_read().
 */
ZEM_API int zem_seek(zem_decoder* d, uint64_t block);

/* The block the next zem_read() starts at (0 to total_blocks), or a negative error. */
ZEM_API int64_t zem_tell(const zem_decoder* d);

/*
 * The detail of the last failure of zem_read()/zem_seek() on d, one line of
 * English ("the file ends at byte 108931; the stream needs 152011", "frame 3
 * failed its check", ...), copied NUL-terminated into buffer (cut to size
 * bytes, at a character boundary; buffer may be NULL with size 0). Returns
 * the detail's whole length in bytes (0 when no call has failed yet), or a
 * negative error.
 */
ZEM_API long zem_get_error_detail(const zem_decoder* d, char* buffer, size_t size);

/*
 * The UTF-8 value of a tag field ("Title", "Artist", "Album", "Year",
 * "Comment", "Track", "Genre" or any other name; names compare without regard
 * to ASCII case), or NULL when the field is missing or holds binary data.
 * For a link file it is the link file's own tag (the track's fields), not the
 * image's. The text stays valid until zem_close().
 */
ZEM_API const char* zem_get_tag(const zem_decoder* d, const char* field);

/*
 * The bytes of the WAV file in front of the PCM (header chunks) and behind it
 * (whatever the source file held after its data chunk), as `zemtool decode`
 * writes them: the stored header and trailer for a stream, a 44-byte header
 * for the track's length and no trailer for a link file. Each returns the
 * part's size in bytes and copies it into buffer when size is at least that
 * (buffer may be NULL with size 0 to ask for the size), or a negative error.
 * A trailer that the header announces but the file cannot hold (a cut file)
 * is missing: its size is 0.
 */
ZEM_API long zem_get_wav_header(const zem_decoder* d, void* buffer, size_t size);
ZEM_API long zem_get_wav_trailer(const zem_decoder* d, void* buffer, size_t size);

/*
 * Where the decoder's blocks lie in the stream: *first_block is the stream
 * block that block 0 stands for (a link's track start in its image, 0 for a
 * stream) and *stream_blocks the stream's total blocks. Either pointer may be
 * NULL. Returns ZEM_OK or ZEM_ERROR_INVALID_ARGUMENT.
 */
ZEM_API int zem_get_range(const zem_decoder* d, uint64_t* first_block, uint64_t* stream_blocks);

/*
 * The frame that holds `block` (0 <= block < total_blocks), in the decoder's
 * blocks: it starts at *first and ends before *end (end - first blocks, cut to
 * the stream or track). zem_read() calls from *first deliver the frame's blocks
 * and stop at *end, so a frame can be decoded, and kept, as a unit. Either
 * pointer may be NULL. Returns ZEM_OK or
 * ZEM_ERROR_INVALID_ARGUMENT (also for a block at or beyond total_blocks).
 */
ZEM_API int zem_get_frame(const zem_decoder* d, uint64_t block, uint64_t* first, uint64_t* end);

/* A short English text for a result code ("a frame failed its check"); never NULL. */
ZEM_API const char* zem_error_text(int error);

/* The library's version, "MAJOR.MINOR.PATCH". */
ZEM_API const char* zem_version(void);

/* Closes the decoder and its files; NULL is ignored. */
ZEM_API void zem_close(zem_decoder* d);

#ifdef __cplusplus
}
#endif

#endif /* ZEM_ZEM_H */
