/* SPDX-License-Identifier: BSD-3-Clause */
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

/*
 * The first bytes of a stream ("QRB ", then its version as 16 bits, little
 * endian), possibly behind an ID3v2 block or other bytes, and the header line
 * a link file starts with (the library finds it anywhere in the first
 * kilobyte of a ".zlk" file). For type finders and file dialogs; zem_open()
 * tells the two apart itself.
 */
#define ZEM_STREAM_MAGIC "QRB "
#define ZEM_LINK_HEADER "[Quillon Image Link File]"

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

/* ------------------------------------------------------------------------
 * Since 1.1: reading from anything, the stored MD5, 64-bit ranges.
 * ------------------------------------------------------------------------ */

/* Writing a file failed (the disk is full, the folder is read-only, ...); nothing was changed or left behind
   unless the function says otherwise. */
#define ZEM_ERROR_WRITE_FAILED     (-11)

/*
 * A source of bytes a caller provides. `read` fills up to `bytes` bytes and
 * returns how many it gave: 0 only at the end, negative on failure (the
 * library may call it again after a failure, for a later part). `seek` moves
 * to `offset` bytes from the start and returns 0 on success; NULL means the
 * source cannot seek (a pipe, a socket, a push pad). `size` returns the total
 * bytes, or a negative number when unknown; it may be NULL. `user` is handed
 * to every call unchanged. The library calls these only from inside its own
 * functions on the decoder, on the thread that called them.
 */
typedef struct zem_io {
    long (*read)(void* user, void* buffer, long bytes);
    int (*seek)(void* user, int64_t offset);
    int64_t (*size)(void* user);
} zem_io;

/*
 * Opens the ZEM stream (not a link file) that `io` delivers. The decoder
 * copies *io, keeps `user` and calls the functions until zem_close(); `user`
 * must stay valid until then.
 *
 * A source with `seek` is read where the decoder needs it, as a file is: the
 * stream starts at offset 0, and its length is `size`, or, when that is NULL
 * or unknown, what one pass of reading finds. A source without `seek` is read
 * once, front to back, from where it stands, as zem_read() needs its bytes:
 * the first blocks come out as soon as their frame has arrived, and the
 * library keeps only a few hundred KiB of what it read. zem_seek() on such a
 * decoder answers ZEM_ERROR_UNSUPPORTED and changes nothing. What lies behind
 * the audio is not there yet when reading begins: the tag is not read
 * (zem_get_tag() gives NULL), and zem_get_wav_trailer() gives the trailer's
 * size at once but its bytes (and the MD5 check its verdict) only once
 * zem_read() has reached the end; before, copying it answers
 * ZEM_ERROR_UNSUPPORTED. Streams of versions before 3980, which do not record
 * where their last frame ends, are read whole first (up to the source's end,
 * kept in memory), and then behave as a file does, tag and all.
 * zem_get_frame(), zem_tell() and everything else work as for a file.
 *
 * Streams of 2 GiB and more are refused (ZEM_ERROR_UNSUPPORTED), as for files.
 * Returns the decoder, or NULL with *error set (error may be NULL):
 * ZEM_ERROR_INVALID_ARGUMENT for a NULL io or io->read, ZEM_ERROR_READ_FAILED
 * when `read` fails while the stream is opened, ZEM_ERROR_BAD_INPUT for bytes
 * that hold no stream, ZEM_ERROR_UNSUPPORTED as for zem_open().
 */
ZEM_API zem_decoder* zem_open_io(const zem_io* io, void* user, int* error);

/*
 * Opens the ZEM stream held in `data` (`size` bytes). Nothing is copied: the
 * bytes must stay valid and unchanged until zem_close(). Errors as for
 * zem_open_io(); a NULL data is ZEM_ERROR_INVALID_ARGUMENT.
 */
ZEM_API zem_decoder* zem_open_memory(const void* data, size_t size, int* error);

/*
 * Copies the MD5 digest the stream stores (of the whole WAV file it was made
 * from: header, data and trailer) into md5. For a link file or a range it is
 * the image's digest. Returns ZEM_OK, ZEM_ERROR_UNSUPPORTED when the stream
 * stores none (versions before 3980), or ZEM_ERROR_INVALID_ARGUMENT.
 */
ZEM_API int zem_get_md5(const zem_decoder* d, unsigned char md5[16]);

/*
 * As zem_open_range(), with 64-bit block numbers: a negative start is the
 * stream's beginning, a negative finish its end, and both are clamped to the
 * stream, so numbers beyond any stream's length stand for its end.
 */
ZEM_API zem_decoder* zem_open_range64(const char* image_path_utf8, int64_t start_block, int64_t finish_block,
                                      int* error);

/* ------------------------------------------------------------------------
 * Since 1.1: tags of a stream or a link file, read and written.
 * ------------------------------------------------------------------------ */

typedef struct zem_tag zem_tag;

/*
 * Reads the tag at the end of the file at path_utf8 (a stream, a link file,
 * or any file): its ZEM tag, or, when it has none, its ID3v1 record's fields.
 * A file without a tag gives an empty tag. Nothing is written until
 * zem_tag_save(). Returns the tag, or NULL with *error set (error may be
 * NULL): ZEM_ERROR_INVALID_ARGUMENT for a NULL or empty path,
 * ZEM_ERROR_CANNOT_OPEN when the file cannot be read, ZEM_ERROR_NO_MEMORY.
 * A zem_tag is used by one thread at a time; different tags may be used at
 * once (not two on the same file while one saves).
 */
ZEM_API zem_tag* zem_tag_open(const char* path_utf8, int* error);

/* The number of items, or a negative error (NULL t). */
ZEM_API int zem_tag_count(const zem_tag* t);

/*
 * The UTF-8 name of item `index` (0 to count - 1), in stored order (a new item
 * comes last), or NULL for a bad index or NULL t. The text stays valid until
 * the next zem_tag_set(), zem_tag_set_binary(), zem_tag_save() or zem_tag_close().
 */
ZEM_API const char* zem_tag_name(const zem_tag* t, int index);

/*
 * The UTF-8 text of the item called `name` (compared without regard to ASCII
 * case), or NULL when there is none, when it holds binary data, or for NULL
 * arguments. Valid as long as zem_tag_name()'s texts.
 */
ZEM_API const char* zem_tag_get(const zem_tag* t, const char* name);

/*
 * The value of the item called `name` as stored (text items too, as their
 * bytes without a terminator): returns its size in bytes and copies it into
 * buffer when size is at least that (buffer may be NULL with size 0 to ask);
 * ZEM_ERROR_INVALID_ARGUMENT when there is no such item or for NULL t or name.
 */
ZEM_API long zem_tag_get_binary(const zem_tag* t, const char* name, void* buffer, size_t size);

/*
 * Sets the item `name` to the UTF-8 text value_utf8 (replacing any value, in
 * its place), or removes it when value_utf8 is NULL or empty (removing a
 * missing item is no error). Names are printable ASCII (0x20 to 0x7E)
 * without '='. Only the tag in memory changes. Returns ZEM_OK,
 * ZEM_ERROR_INVALID_ARGUMENT (NULL t or name, a bad name, malformed UTF-8),
 * or ZEM_ERROR_FAILED when the tag is full (256 items) or the item read-only.
 */
ZEM_API int zem_tag_set(zem_tag* t, const char* name, const char* value_utf8);

/* As zem_tag_set(), with a binary value of `size` bytes (size 0 removes; data may be NULL only then). */
ZEM_API int zem_tag_set_binary(zem_tag* t, const char* name, const void* data, size_t size);

/*
 * Writes the tag into its file, whole or not at all, as `zemtool tag` does:
 * the file's audio (for a stream, everything up to the end of its frames and
 * WAV trailer) is never touched; an ID3v1 record at the end stays there,
 * behind the ZEM tag, with the edited fields; a file whose tags cannot be
 * rewritten without loss (a damaged ZEM tag, a tag reaching into the audio,
 * several stacked tags, items the library would drop) is refused and left as
 * it is. A tag without items removes the ZEM tag. Returns ZEM_OK;
 * ZEM_ERROR_CANNOT_OPEN when the file is missing, read-only or in use;
 * ZEM_ERROR_BAD_INPUT for tags that cannot be rewritten safely;
 * ZEM_ERROR_WRITE_FAILED when writing failed (the old bytes were put back);
 * ZEM_ERROR_FAILED when even that failed, or the tag grew too large.
 * Afterwards t holds what the file holds.
 */
ZEM_API int zem_tag_save(zem_tag* t);

/* Frees the tag (unsaved changes are dropped); NULL is ignored. */
ZEM_API void zem_tag_close(zem_tag* t);

/* ------------------------------------------------------------------------
 * Since 1.1: cue sheets and link files.
 * ------------------------------------------------------------------------ */

typedef struct zem_cue zem_cue;

typedef struct zem_cue_track {
    int number;                 /* 1, 2, ... */
    const char* title;          /* UTF-8 (never NULL), valid until zem_cue_close() */
    const char* performer;      /* the performer in force for the track */
    int64_t start_block;        /* as the track's link file holds it */
    int64_t finish_block;       /* exclusive; negative: to the image's end */
} zem_cue_track;

/*
 * Reads a cue sheet: path_utf8 names a cue sheet, or a ZEM stream carrying
 * one in its tag (the field "Cuesheet", as `zemtool tag --set-cuesheet`
 * stores it; its FILE line then stands for that stream). The sheet is read as
 * Tessarine and `zemtool links` read it, and the image's sample rate turns
 * its times into blocks (44100 when the image does not open). Returns the
 * sheet, or NULL with *error set (error may be NULL): ZEM_ERROR_INVALID_ARGUMENT
 * for a NULL or empty path, ZEM_ERROR_CANNOT_OPEN when the file cannot be
 * read, ZEM_ERROR_BAD_INPUT for a sheet without TRACK 01 AUDIO or a stream
 * without a sheet. One thread at a time per zem_cue.
 */
ZEM_API zem_cue* zem_cue_open(const char* path_utf8, int* error);

/*
 * Reads a cue sheet held in memory (`size` bytes, the contents of a cue
 * sheet file) the way zem_cue_open() reads a file. There is
 * no folder and no image to open: times turn into blocks at sample_rate (0
 * for 44100, the rate of a CD), zem_cue_image() gives the FILE line's name as
 * written, and zem_cue_write_links() with a NULL folder writes into the
 * current folder. Returns the sheet, or NULL with *error set (error may be
 * NULL): ZEM_ERROR_INVALID_ARGUMENT for NULL text, ZEM_ERROR_BAD_INPUT for a
 * sheet without TRACK 01 AUDIO or one beyond a megabyte.
 */
ZEM_API zem_cue* zem_cue_parse(const char* text, size_t size, unsigned sample_rate, int* error);

/*
 * The image the links name, as a UTF-8 path resolved against the sheet's
 * folder (the file a link in that folder opens), or NULL for NULL c. Valid
 * until zem_cue_close().
 */
ZEM_API const char* zem_cue_image(const zem_cue* c);

/* The number of audio tracks (1 or more), or a negative error. */
ZEM_API int zem_cue_track_count(const zem_cue* c);

/* Fills *track with track `index` (0 to count - 1). Returns ZEM_OK or ZEM_ERROR_INVALID_ARGUMENT. */
ZEM_API int zem_cue_get_track(const zem_cue* c, int index, zem_cue_track* track);

/*
 * Writes one link file per track, exactly the files `zemtool links` writes:
 * named by template_utf8 (NULL: "ARTIST - ALBUM - TRACK# - TITLE"; the words
 * ARTIST, ALBUM, TRACK# and TITLE are replaced) into folder_utf8 (NULL: the
 * sheet's folder, or the stream's). Links written beside the sheet (folder
 * NULL) name the image as the sheet does; in any other folder they name it by
 * its full path, so that they play from there. An
 * existing file of the same name is replaced. Returns the number of files
 * written (two tracks of the same name count once), or a negative error:
 * ZEM_ERROR_INVALID_ARGUMENT (NULL c, malformed UTF-8),
 * ZEM_ERROR_WRITE_FAILED when a link could not be created (or its name is
 * too long): the others are written all the same.
 */
ZEM_API int zem_cue_write_links(const zem_cue* c, const char* template_utf8, const char* folder_utf8);

/* Frees the sheet; NULL is ignored. */
ZEM_API void zem_cue_close(zem_cue* c);

/* ------------------------------------------------------------------------
 * Since 1.1: encoding.
 * ------------------------------------------------------------------------ */

typedef struct zem_encoder zem_encoder;

typedef struct zem_encoder_settings {
    unsigned sample_rate, channels, bits_per_sample;  /* 1 or 2 channels of 8, 16 or 24 bits */
    unsigned compression_level;   /* 1000, 2000, 3000, 4000 or 5000 */
    unsigned threads;             /* 0: every core */
    int verify;                   /* non-zero: every frame decoded again and compared */
} zem_encoder_settings;

/*
 * Starts a version 3990 stream to be written at path_utf8. Nothing appears
 * under that name before zem_encoder_finish(): the PCM is kept in a
 * temporary file beside it ("NAME.pcm.partial") until then. Returns the
 * encoder, or NULL with *error set (error may be NULL):
 * ZEM_ERROR_INVALID_ARGUMENT for NULL arguments, an empty path, a zero rate or
 * a level out of range; ZEM_ERROR_UNSUPPORTED for channels or sample sizes
 * the encoder does not take; ZEM_ERROR_WRITE_FAILED when the temporary file
 * cannot be created. An encoder is used by one thread at a time; it runs
 * settings.threads threads of its own inside zem_encoder_finish().
 */
ZEM_API zem_encoder* zem_encoder_open(const char* path_utf8, const zem_encoder_settings* s, int* error);

/*
 * The WAV file's bytes in front of the PCM (up to and including the data
 * chunk's size) and behind it, to be stored as they are, so that the stream
 * decodes back to that exact file (zem_get_wav_header() and
 * zem_get_wav_trailer() give them back). The header must be a PCM WAV header
 * of the encoder's settings, set before the first zem_encoder_write(); its
 * data size must match the PCM written (or be 0 or 0xFFFFFFFF, with no
 * trailer), which zem_encoder_finish() checks. Without a header the encoder
 * writes the 44-byte one for the PCM; without a trailer there is none. The
 * bytes are copied. Returns ZEM_OK, ZEM_ERROR_INVALID_ARGUMENT (NULL e, NULL
 * data with a size, a header set after PCM), or ZEM_ERROR_BAD_INPUT (not such
 * a header, or one of other settings).
 */
ZEM_API int zem_encoder_set_wav_header(zem_encoder* e, const void* header, size_t size);
ZEM_API int zem_encoder_set_wav_trailer(zem_encoder* e, const void* trailer, size_t size);

/*
 * Adds `blocks` blocks of interleaved PCM (the bytes of a WAV file's data
 * chunk: blocks x channels x bits_per_sample / 8 bytes). Returns `blocks`, or
 * a negative error: ZEM_ERROR_INVALID_ARGUMENT (NULL e, NULL pcm with blocks,
 * negative blocks), ZEM_ERROR_UNSUPPORTED when the PCM would outgrow 2 GiB,
 * ZEM_ERROR_WRITE_FAILED. After an error the encoder can only be aborted.
 */
ZEM_API long zem_encoder_write(zem_encoder* e, const void* pcm, long blocks);

/*
 * Encodes everything written and puts the stream in place under its name
 * (replacing a file there) only when it is complete; then frees e. Returns
 * ZEM_OK, or an error with nothing left behind: ZEM_ERROR_INVALID_ARGUMENT
 * (NULL e), ZEM_ERROR_BAD_INPUT (a header whose data size does not match),
 * ZEM_ERROR_BAD_FRAME (verify found a frame that does not decode back),
 * ZEM_ERROR_WRITE_FAILED, ZEM_ERROR_NO_MEMORY.
 */
ZEM_API int zem_encoder_finish(zem_encoder* e);

/* Stops, removes the temporary file and frees e: nothing is left behind. NULL is ignored. */
ZEM_API void zem_encoder_abort(zem_encoder* e);

/* ------------------------------------------------------------------------
 * Since 1.1: checking the stored MD5 while reading.
 * ------------------------------------------------------------------------ */

/* The WAV file read does not match the MD5 digest the stream stores. */
#define ZEM_ERROR_BAD_MD5          (-12)

/*
 * Asks d to check the stream's stored MD5 digest (zem_get_md5()) as it is
 * read; a decoder not asked computes no digest. Call it before the first
 * zem_read(). From then on the WAV header, every block zem_read() delivers and
 * the WAV trailer are hashed, and the zem_read() that reaches the end of the
 * stream returns ZEM_ERROR_BAD_MD5 instead of 0 when they differ from the
 * digest (zem_get_error_detail() says so; the next call returns 0). The
 * check is dropped, and nothing more reported, by zem_seek() and by a failed
 * zem_read() (that failure was the report). The digest is computed on the
 * thread that reads, at some cost: MD5 runs at a few hundred MB/s.
 * Returns ZEM_OK; ZEM_ERROR_UNSUPPORTED when there is nothing to check: a
 * stream that stores no digest (before version 3980, or all zero bytes), a
 * link file or a range (the digest is the whole image's); or
 * ZEM_ERROR_INVALID_ARGUMENT for a NULL d or one that has read past block 0.
 */
ZEM_API int zem_check_md5(zem_decoder* d);

/* ------------------------------------------------------------------------
 * Since 1.1: where a stream's parts lie, link files read alone, the names
 * of a cue sheet's links.
 * ------------------------------------------------------------------------ */

typedef struct zem_stream_layout {
    uint64_t stream_start;   /* the stream's first byte, behind any bytes in front of it (an ID3v2 block) */
    uint64_t frames_start;   /* the first frame's first byte (the description, seek table and WAV header lie before) */
    uint64_t audio_end;      /* where the tags at the end begin (the file's size when it has none) */
    uint64_t trailer_bytes;  /* the stored WAV trailer's size; it ends at audio_end */
    uint64_t blocks;         /* the stream's total blocks */
} zem_stream_layout;

/*
 * Where the parts of a stream opened whole (zem_open() of a stream,
 * zem_open_io(), zem_open_memory()) lie in its file, so that a program can
 * read a large trailer from the file itself, or tell a tag edit (which moves
 * only audio_end's tags) from a change of the audio. Fills *layout and
 * returns ZEM_OK; ZEM_ERROR_UNSUPPORTED for a link file or a range (their
 * parts are the image's), ZEM_ERROR_BAD_INPUT when the file is too short to
 * hold the parts its description announces, ZEM_ERROR_INVALID_ARGUMENT for a
 * NULL argument. Any thread, as zem_get_info().
 */
ZEM_API int zem_get_layout(const zem_decoder* d, zem_stream_layout* layout);

/*
 * Reads the link file at link_path_utf8 without opening its image: the image
 * path resolved against the link file's folder, as UTF-8 for the system
 * (with '/' on Linux; a network or device path stays as written, so that a
 * caller can refuse it), copied NUL-terminated into buffer when size is
 * larger than its length (buffer may be NULL with size 0 to ask for the
 * length), and the blocks into *start_block and *finish_block (either may be
 * NULL; a negative finish is the image's end). Returns the path's length in
 * bytes, or a negative error: ZEM_ERROR_INVALID_ARGUMENT (NULL or empty
 * path), ZEM_ERROR_CANNOT_OPEN, ZEM_ERROR_BAD_INPUT (not a link file, or one
 * lacking a key). Any thread.
 */
ZEM_API long zem_link_read(const char* link_path_utf8, char* buffer, size_t size, int64_t* start_block,
                           int64_t* finish_block);

/*
 * The file name (without a folder) that zem_cue_write_links() gives the link
 * of track `index` with template_utf8 (NULL: the default), copied
 * NUL-terminated into buffer when size is larger than its length (buffer may
 * be NULL with size 0). Returns the name's length in bytes; or, for a track
 * whose link cannot be written (its name is too long for the system),
 * ZEM_ERROR_BAD_INPUT with the reason ("track 03: ...") copied into buffer
 * the same way; or ZEM_ERROR_INVALID_ARGUMENT (NULL c, index out of range,
 * malformed UTF-8). One thread at a time per zem_cue.
 */
ZEM_API long zem_cue_link_name(const zem_cue* c, int index, const char* template_utf8, char* buffer, size_t size);

/*
 * As zem_cue_open(), with flags: ZEM_OPEN_ALLOW_REMOTE_PATHS lets the sheet's
 * FILE line name a network or device path, which is otherwise warned about
 * (zem_cue_warning()) and not looked at. Unknown bits give
 * ZEM_ERROR_INVALID_ARGUMENT.
 */
ZEM_API zem_cue* zem_cue_open_ex(const char* path_utf8, unsigned flags, int* error);

/*
 * Warning `index` (from 0) about the links the sheet makes with
 * template_utf8 (NULL: the default): an image that is missing or no stream,
 * a track that would be empty, a path refused, ... (the links are written all
 * the same; a caller may refuse instead). One line of English, copied
 * NUL-terminated into buffer when size is larger than its length (buffer may
 * be NULL with size 0). Returns its length, or ZEM_ERROR_INVALID_ARGUMENT
 * past the last warning (so a loop from 0 ends there), for NULL c or
 * malformed UTF-8.
 */
ZEM_API long zem_cue_warning(const zem_cue* c, const char* template_utf8, int index, char* buffer, size_t size);

/*
 * Told of each link file as zem_cue_write_links_ex() goes: its path (UTF-8),
 * and for a file that could not be written, why (one line), with
 * cannot_create non-zero when the name was fine but the system refused to
 * create the file; failure is NULL for a file written. The texts are valid
 * during the call only.
 */
typedef void (*zem_cue_report)(void* user, const char* path_utf8, const char* failure_utf8, int cannot_create);

/*
 * As zem_cue_write_links(), telling `report` (may be NULL) of every file
 * written, once and in the order first written, then of every failure.
 */
ZEM_API int zem_cue_write_links_ex(const zem_cue* c, const char* template_utf8, const char* folder_utf8,
                                   zem_cue_report report, void* user);

/* ------------------------------------------------------------------------
 * Since 1.1: the ID3v1 record at the end of a file, read and saved on its own.
 * ------------------------------------------------------------------------ */

/* What zem_tag_found() reports the file's end to hold. */
#define ZEM_TAG_HAS_ZEM   0x1  /* a ZEM tag */
#define ZEM_TAG_HAS_ID3V1 0x2  /* an ID3v1 record (behind the ZEM tag when both are there) */

/* zem_tag_open_ex(): the fields of the file's ID3v1 record rather than its ZEM tag. */
#define ZEM_TAG_OPEN_ID3V1 0x1u

/*
 * As zem_tag_open(), with flags. ZEM_TAG_OPEN_ID3V1 gives the seven fields
 * of the ID3v1 record at the file's end (Title, Artist, Album, Year, Comment,
 * Track, Genre, those that are not empty), also when a ZEM tag lies in front
 * of it, so that a program can show both; a file without a record that
 * zem_tag_found() reports gives an empty tag. Such a tag is changed and
 * saved as any other: zem_tag_save() applies the changes to both tags, as
 * it does for zem_tag_open()'s, and then t holds the record's fields again.
 * Unknown bits give ZEM_ERROR_INVALID_ARGUMENT; other errors as for
 * zem_tag_open().
 */
ZEM_API zem_tag* zem_tag_open_ex(const char* path_utf8, unsigned flags, int* error);

/*
 * The tags the file held when t was opened or last saved, read as
 * zem_tag_save() reads them: ZEM_TAG_HAS_ZEM and ZEM_TAG_HAS_ID3V1 or'ed
 * together; 0 for a file without tags, and also for one whose tags cannot be
 * rewritten safely (zem_tag_save() refuses it; t then holds what a player
 * reads). ZEM_ERROR_INVALID_ARGUMENT for a NULL t. Threads as zem_tag_count().
 */
ZEM_API int zem_tag_found(const zem_tag* t);

/* zem_tag_save_ex(): how a tag that is not a ZEM tag in front of an ID3v1 record is saved. */
#define ZEM_TAG_SAVE_ID3V1    0x1u  /* as an ID3v1 record alone */
#define ZEM_TAG_SAVE_ZEM_ONLY 0x2u  /* as a ZEM tag alone, also in place of a record the file ends in */

/*
 * As zem_tag_save(), with flags that choose what a file holds afterwards
 * when it does not end in a ZEM tag followed by an ID3v1 record (such a
 * pair is always kept, both edited). 0 is zem_tag_save(): a ZEM tag, with a
 * record the file ended in kept behind it. ZEM_TAG_SAVE_ID3V1 writes an
 * ID3v1 record alone, in place of a ZEM tag the file ended in: only the
 * fields a record holds (Title, Artist, Album, Year, Comment, Track, Genre),
 * cut to its sizes, survive. ZEM_TAG_SAVE_ZEM_ONLY writes a ZEM tag alone,
 * with a lone record's fields but not the record. Both bits together, or
 * unknown ones, give ZEM_ERROR_INVALID_ARGUMENT; other results as for
 * zem_tag_save().
 */
ZEM_API int zem_tag_save_ex(zem_tag* t, unsigned flags);

/* ------------------------------------------------------------------------
 * Since 1.1: tag edits that say why they fail, checked before they are
 * written; the text of a cue sheet.
 * ------------------------------------------------------------------------ */

/*
 * Removes the item `name` (compared without regard to ASCII case) from t, a
 * read-only one too, and when the file ends in a ZEM tag followed by an ID3v1
 * record, from both of them, so that it is gone whichever of the two held it.
 * Only the tag in memory changes; texts handed out end as after
 * zem_tag_set(). Returns ZEM_OK, or ZEM_ERROR_INVALID_ARGUMENT for a NULL t
 * or name and when neither tag holds such an item (t is then unchanged).
 */
ZEM_API int zem_tag_remove(zem_tag* t, const char* name);

/*
 * Removes every item of t, read-only ones too, and of an ID3v1 record behind
 * the ZEM tag; saved, the file then ends in no tag, unless items are set
 * afterwards. Only the tag in memory changes; texts handed out end as after
 * zem_tag_set(). Returns ZEM_OK, or ZEM_ERROR_INVALID_ARGUMENT for a NULL t.
 */
ZEM_API int zem_tag_clear(zem_tag* t);

/*
 * Does what zem_tag_save_ex(t, flags) does but write: the file is opened for
 * writing, its tags are read and the changes applied to them in memory. It
 * returns what that save would, short of a failing write, and changes
 * neither the file nor t: ZEM_OK; ZEM_ERROR_CANNOT_OPEN when the file is
 * missing, read-only or in use; ZEM_ERROR_BAD_INPUT for tags that cannot be
 * rewritten safely; ZEM_ERROR_FAILED for a tag grown too large;
 * ZEM_ERROR_INVALID_ARGUMENT as for zem_tag_save_ex(). A program that makes
 * several changes can so tell a file it cannot save from a change it
 * refused, before it writes anything.
 */
ZEM_API int zem_tag_check_save(zem_tag* t, unsigned flags);

/*
 * The detail of the last failure of a function on t (zem_tag_set(),
 * zem_tag_set_binary(), zem_tag_remove(), zem_tag_check_save(),
 * zem_tag_save(), zem_tag_save_ex()), one line of English: "the field 'Title'
 * is read-only", "the tag already holds 256 fields", "there is no field
 * 'Genre'", why the file's tags cannot be rewritten safely ("its ZEM tag's
 * footer is damaged", ...), "the new tag would be larger than a tag may be",
 * or, for a save whose write failed and whose old bytes could not be put
 * back (ZEM_ERROR_FAILED), which bytes are damaged ("the 160 bytes from byte
 * 90112 on are damaged"). Copied NUL-terminated into buffer (cut to size
 * bytes, at a character boundary; buffer may be NULL with size 0). Returns
 * the detail's whole length in bytes (0 when nothing has failed yet), or
 * ZEM_ERROR_INVALID_ARGUMENT.
 */
ZEM_API long zem_tag_get_error_detail(const zem_tag* t, char* buffer, size_t size);

/*
 * Reads the cue sheet file at path_utf8 as zem_cue_open() reads a sheet
 * (UTF-8 with or without its byte order mark, else text in the system's ANSI
 * code page, up to a first NUL byte) and gives its text as UTF-8, as `zemtool
 * tag --set-cuesheet` stores it in the field "Cuesheet": copied
 * NUL-terminated into buffer when size is larger than its length (buffer may
 * be NULL with size 0 to ask for the length). Nothing is parsed; hand the
 * text to zem_cue_parse() for its tracks. Returns the text's length in bytes
 * (0 for an empty file), or a negative error: ZEM_ERROR_INVALID_ARGUMENT
 * (NULL or empty path), ZEM_ERROR_CANNOT_OPEN, ZEM_ERROR_READ_FAILED,
 * ZEM_ERROR_BAD_INPUT for a file beyond a megabyte, which is no cue sheet.
 * Any thread.
 */
ZEM_API long zem_cue_read_text(const char* path_utf8, char* buffer, size_t size);

/* ------------------------------------------------------------------------
 * Since 1.2: encoding a WAV file from any source into any sink.
 * ------------------------------------------------------------------------ */

/*
 * Where an encoded stream goes. `write` takes `bytes` bytes and returns how
 * many it took: all of them, or a negative number on failure. `seek` moves to
 * `offset` bytes from the start (at most the bytes written so far) and
 * returns 0 on success. `user` is handed to every call unchanged.
 */
typedef struct zem_output {
    long (*write)(void* user, const void* data, long bytes);
    int (*seek)(void* user, int64_t offset);
} zem_output;

/* Told after every run of frames encoded: the blocks done and the blocks of the whole file. */
typedef void (*zem_encode_progress)(void* user, uint64_t blocks_done, uint64_t blocks_total);

typedef struct zem_encode_options {
    unsigned compression_level;   /* 1000, 2000, 3000, 4000 or 5000 */
    unsigned threads;             /* 0: every core; the stream is the same for any number */
    int verify;                   /* non-zero: every frame decoded again and compared */
    unsigned frame_blocks;        /* blocks per frame; 0: the encoder's default */
    zem_encode_progress progress; /* may be NULL */
    void* progress_user;          /* handed to progress */
} zem_encode_options;

/*
 * Encodes the WAV file that `wav` delivers from offset 0 (PCM, 1 or 2
 * channels of 8, 16 or 24 bits, below 2 GiB) into a version 3990 stream,
 * written through `out` from offset 0 on, which decodes back to that exact
 * file (zem_get_wav_header(), the blocks, zem_get_wav_trailer()). Both must
 * seek: the encoder reads parts of the audio twice (to choose a level for
 * 24-bit audio) and goes back to the stream's front at the end, so a caller
 * that has a pipe keeps it in memory. Nothing is spooled: what `out` holds is
 * complete only when ZEM_OK is returned; on failure the caller drops it. The
 * functions are called on the calling thread only; options->threads
 * threads of the library's own encode meanwhile.
 * Returns ZEM_OK, or an error with a one-line English reason copied
 * NUL-terminated into detail (cut to detail_size bytes, at a character
 * boundary; detail may be NULL with detail_size 0; "" on success):
 * ZEM_ERROR_INVALID_ARGUMENT (NULL wav, out or options, a missing read,
 * write or seek, a level or frame size out of range), ZEM_ERROR_BAD_INPUT
 * (not a WAV file the encoder takes, one that ends inside its data, a stream
 * that would outgrow 2 GiB), ZEM_ERROR_READ_FAILED, ZEM_ERROR_WRITE_FAILED,
 * ZEM_ERROR_BAD_FRAME (verify found a frame that does not decode back; the
 * reason names it), ZEM_ERROR_NO_MEMORY. Any thread.
 */
ZEM_API int zem_encode_wav(const zem_io* wav, void* wav_user, const zem_output* out, void* out_user,
                           const zem_encode_options* options, char* detail, size_t detail_size);

/* ------------------------------------------------------------------------
 * Since 1.2: a cue sheet's times and album as written, names from a template.
 * ------------------------------------------------------------------------ */

/*
 * The time of track `index`'s INDEX 01 (0 to zem_cue_track_count() - 1) as
 * the sheet writes it, MM:SS:FF: minutes, seconds and frames of 1/75 second,
 * each read as a decimal number and not checked against its range (a sheet
 * may say 03:75:00), 0:00:00 when the track has none. A program that needs
 * CD sectors, or refuses a malformed time, takes them from here rather than
 * from start_block, which is counted at the image's rate. Any pointer but c
 * may be NULL. Returns ZEM_OK, or ZEM_ERROR_INVALID_ARGUMENT for a NULL c or
 * an index out of range. One thread at a time per zem_cue.
 */
ZEM_API int zem_cue_track_time(const zem_cue* c, int index, int* minutes, int* seconds, int* frames);

/*
 * The sheet's own TITLE and PERFORMER, the album's (those in front of the
 * first track), as UTF-8 ("" when the sheet has none), valid until
 * zem_cue_close(). Either pointer may be NULL. Returns ZEM_OK, or
 * ZEM_ERROR_INVALID_ARGUMENT for a NULL c.
 */
ZEM_API int zem_cue_get_album(const zem_cue* c, const char** title, const char** performer);

/*
 * The name (without folder or extension) that template_utf8 gives a track of
 * these fields, made as zem_cue_link_name() makes a link's: the words ARTIST,
 * ALBUM, TRACK# and TITLE are replaced by artist, album, number and title
 * (NULL stands for ""), once each where they stand (a value is not searched
 * again), a name ending in ".zlk" loses it, and every separator, drive colon,
 * wildcard or control character becomes '-', so that the name stays in its
 * folder. A program names other files of a track (a converted copy) so as a
 * cue sheet names its links. Copied NUL-terminated into buffer when size is
 * larger than its length (buffer may be NULL with size 0). Returns the
 * name's length in bytes, or ZEM_ERROR_INVALID_ARGUMENT for a NULL template
 * or malformed UTF-8. Any thread.
 */
ZEM_API long zem_template_name(const char* template_utf8, const char* artist, const char* album, const char* number,
                               const char* title, char* buffer, size_t size);

/* ------------------------------------------------------------------------
 * Since 1.2: everything a stream's header says, where a cut file ends, why
 * a header is refused, and the stored MD5 checked over PCM read elsewhere.
 * ------------------------------------------------------------------------ */

/*
 * What the stream's header and file say, as `zemtool info` shows it. Numbers
 * are as the header gives them (a damaged header may give odd ones). range_*
 * describe the decoder's blocks (a link's track), wav_header_bytes and
 * wav_trailer_bytes the WAV file it writes (for a link the 44-byte header
 * and no trailer), the others the whole stream.
 */
typedef struct zem_stream_facts {
    int64_t version;
    int64_t compression_level;
    int64_t format_flags;
    int64_t sample_rate;           /* Hz */
    int64_t bits_per_sample;
    int64_t bytes_per_sample;
    int64_t channels;
    int64_t block_align;
    int64_t blocks_per_frame;
    int64_t final_frame_blocks;
    int64_t total_frames;
    int64_t wav_header_bytes;
    int64_t wav_trailer_bytes;     /* 0 when a cut file lacks them (zem_get_cut() tells what was announced) */
    int64_t wav_data_bytes;
    int64_t wav_total_bytes;
    int64_t file_bytes;
    int64_t total_blocks;
    int64_t length_ms;
    int64_t average_bitrate;       /* kbit/s, of the file */
    int64_t decompressed_bitrate;  /* kbit/s, of the PCM */
    int64_t peak_level;
    int64_t range_blocks;
    int64_t range_length_ms;
    int64_t range_average_bitrate; /* kbit/s */
    /* The byte every sample of a frame that fails its check is written as, to
       keep the blocks' length: 0, or for 8-bit samples 127 (versions from 3930
       on), 128 (3831 to 3929) or 0 (older). */
    unsigned fill_byte;
} zem_stream_facts;

/*
 * Fills *facts for the stream d reads. Returns ZEM_OK or
 * ZEM_ERROR_INVALID_ARGUMENT for a NULL argument. Threads as zem_read():
 * not while another call on d runs.
 */
ZEM_API int zem_get_facts(const zem_decoder* d, zem_stream_facts* facts);

/* Where the stream's bytes end in its file against where its header puts them. */
typedef struct zem_stream_cut {
    int64_t cut_frame;         /* the first frame the file does not hold whole; -1 when it holds all */
    int64_t file_end;          /* where the stream's bytes end (the file's size less the tags behind them) */
    int64_t needed_bytes;      /* how far the file must reach to hold the whole stream */
    int needed_exact;          /* 0: needed_bytes is a lower bound (the last frame's end is unknown) */
    int trailer_missing;       /* the header announces trailing WAV bytes the file cannot hold */
    int64_t announced_trailer; /* the trailing WAV bytes the header announces */
} zem_stream_cut;

/*
 * Fills *cut for the stream d reads (for a link file or a range, the image).
 * A file cut short opens (see zem_open()); this tells, before anything is
 * read, which frames zem_read() will answer with ZEM_ERROR_TRUNCATED.
 * Returns ZEM_OK or ZEM_ERROR_INVALID_ARGUMENT for a NULL argument. Threads
 * as zem_get_facts().
 */
ZEM_API int zem_get_cut(const zem_decoder* d, zem_stream_cut* cut);

/*
 * Why the stream header of the file at path_utf8 (read as a stream, not as a
 * link file), or of the `data_size` bytes at `data`, is refused, in a few
 * words of English ("the block alignment is 0", ...), for a caller whose
 * zem_open() failed with ZEM_ERROR_BAD_INPUT. Copied NUL-terminated into
 * buffer (cut to size bytes, at a character boundary; buffer may be NULL with
 * size 0). Returns the reason's whole length in bytes; 0 when the header is
 * accepted or the file cannot be read; ZEM_ERROR_INVALID_ARGUMENT for a NULL
 * or empty path, NULL data, or a NULL buffer with a size. Any thread.
 */
ZEM_API long zem_header_problem(const char* path_utf8, char* buffer, size_t size);
ZEM_API long zem_header_problem_memory(const void* data, size_t data_size, char* buffer, size_t size);

/*
 * The stored MD5 digest (zem_get_md5()) checked over a WAV file that is read
 * in pieces, possibly by other decoders on other threads, as zem_check_md5()
 * checks one decoder's reading: zem_digest_open() takes d's WAV header,
 * zem_digest_add() each piece of PCM in order (every block of the stream,
 * with a failed frame's fill), and zem_digest_end() adds the WAV trailer,
 * compares and frees the check.
 */
typedef struct zem_digest zem_digest;

/*
 * The check for the stream d reads; d may be closed afterwards. Returns it,
 * or NULL with *error set (error may be NULL): ZEM_ERROR_UNSUPPORTED when
 * there is nothing to check, as for zem_check_md5() (no digest stored, a link
 * file or a range); ZEM_ERROR_INVALID_ARGUMENT for a NULL d;
 * ZEM_ERROR_READ_FAILED when the WAV header or trailer cannot be read;
 * ZEM_ERROR_NO_MEMORY. One zem_digest is used by one thread at a time.
 */
ZEM_API zem_digest* zem_digest_open(const zem_decoder* d, int* error);

/* Hashes `bytes` bytes of PCM. Returns ZEM_OK, or ZEM_ERROR_INVALID_ARGUMENT for a NULL g or data with a size. */
ZEM_API int zem_digest_add(zem_digest* g, const void* data, size_t bytes);

/*
 * Hashes the WAV trailer, frees g and returns ZEM_OK when the WAV file hashed
 * matches the stored digest, ZEM_ERROR_BAD_MD5 when it does not, or
 * ZEM_ERROR_INVALID_ARGUMENT for a NULL g. To drop a check, end it and
 * ignore the result.
 */
ZEM_API int zem_digest_end(zem_digest* g);

/*
 * Whether zem_open() takes the file at path_utf8 for a link file, told as it
 * tells them apart (by the first bytes, the ".zlk" extension as a hint),
 * without reading the link's keys or its image: 1 for a link file, 0 for
 * anything else (a stream, another file); a file that cannot be read is
 * judged by its name (1 for ".zlk", as zem_open() then reports it as a link
 * file that does not open). ZEM_ERROR_INVALID_ARGUMENT for a NULL or empty
 * path (on Windows also one that is not UTF-8). Any thread.
 */
ZEM_API int zem_is_link_file(const char* path_utf8);

#ifdef __cplusplus
}
#endif

#endif /* ZEM_ZEM_H */
