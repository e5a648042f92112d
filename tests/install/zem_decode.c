/* SPDX-License-Identifier: BSD-3-Clause */
/* A program outside the project that uses the installed libzem: decodes a
 * stream or a link file's track to a wave file, as `zemtool decode` does. */
#include <zem/zem.h>

#include <stdio.h>
#include <stdlib.h>

static int fail(const char* what, long error) {
    fprintf(stderr, "zem_decode: %s: %s\n", what, zem_error_text((int)error));
    return 1;
}

/* Writes the header or trailer that `part` gives. */
static int copy_part(zem_decoder* d, long (*part)(const zem_decoder*, void*, size_t), FILE* out) {
    long size = part(d, NULL, 0);
    char* bytes = size > 0 ? malloc((size_t)size) : NULL;
    int ok = size == 0 || (bytes && part(d, bytes, (size_t)size) == size &&
                           fwrite(bytes, 1, (size_t)size, out) == (size_t)size);
    free(bytes);
    return ok;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: zem_decode IN OUT.wav\n");
        return 2;
    }
    int error;
    zem_decoder* d = zem_open(argv[1], &error);
    if (!d)
        return fail(argv[1], error);
    zem_stream_info info;
    zem_get_info(d, &info);
    FILE* out = fopen(argv[2], "wb");
    char* pcm = malloc(4096 * (size_t)info.block_align);
    long n = 0;
    int ok = out && pcm && copy_part(d, zem_get_wav_header, out);
    while (ok && (n = zem_read(d, pcm, 4096)) > 0)
        ok = fwrite(pcm, info.block_align, (size_t)n, out) == (size_t)n;
    ok = ok && n == 0 && copy_part(d, zem_get_wav_trailer, out);
    free(pcm);
    if (out && fclose(out) != 0)
        ok = 0;
    zem_close(d);
    if (!ok)
        return fail(argv[1], n < 0 ? n : ZEM_ERROR_FAILED);
    printf("%s %s: %llu blocks\n", zem_version(), argv[1], (unsigned long long)info.total_blocks);
    return 0;
}
