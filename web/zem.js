// SPDX-License-Identifier: BSD-3-Clause
// ZEM streams, image links and cue sheets in the browser and in Node, decoded
// by libzem built as WebAssembly. See README.md in this folder.
import { openDecoder, readTagsOf, ZemError } from './src/decoder.js';
import { parseCue, parseLink } from './src/cue.js';
import { loadModule } from './src/module.js';

export { Decoder, Chunk, ZemError, BAD_FRAME, TRUNCATED } from './src/decoder.js';
export { parseCue, parseLink, readTagsOf, loadModule };

// A decoder on a whole stream: bytes (Uint8Array, ArrayBuffer), a Blob (read
// in slices inside a worker, whole elsewhere), a reader {size, read(offset,
// length)}, or a promise of one.
export function open(input) {
    return openDecoder(input);
}

// A decoder on the blocks from `start` up to `finish` (-1: the end) of a
// stream, as a link file naming them opens it; `tags` stand in for the
// stream's own.
export function openRange(input, start, finish = -1, tags = null) {
    return openDecoder(input, { range: { start, finish }, tags });
}

// A decoder on the track a link file names: `linkBytes` are the link file's,
// `resolveImage(name)` gives the image it names (as written in the link) in
// any form open() takes. The decoder's tags are the link file's own.
export async function openLink(linkBytes, resolveImage) {
    const link = await parseLink(linkBytes);
    if (!link)
        throw new ZemError(-5, 'zem: not a link file, or one lacking a key (Image File, Start Block, Finish Block)');
    const image = await resolveImage(link.image);
    if (image == null)
        throw new ZemError(-5, `zem: the image "${link.image}" named by the link file is missing`);
    const tags = await readTagsOf(linkBytes);
    return openDecoder(image, { range: { start: link.start, finish: link.finish }, tags });
}
