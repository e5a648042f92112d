// SPDX-License-Identifier: BSD-3-Clause
// A decoder over one stream or one track of an image, on top of the C API.
import { loadModule } from './module.js';
import { register, sourceSize, toSource, unregister } from './sources.js';

export const BAD_FRAME = -8;
export const TRUNCATED = -9;

export class ZemError extends Error {
    constructor(code, text) {
        super(text);
        this.name = 'ZemError';
        this.code = code;
    }
}

const utf8 = new TextDecoder();

function cString(memory, pointer) {
    if (!pointer)
        return null;
    const bytes = new Uint8Array(memory.buffer, pointer);
    return utf8.decode(bytes.subarray(0, bytes.indexOf(0)));
}

export function errorText(wasm, code) {
    return cString(wasm.memory, wasm.exports.zem_error_text(code));
}

// Calls `body(pointer)` with `bytes` bytes of the module's memory, freed after.
export function withScratch(wasm, bytes, body) {
    const pointer = wasm.exports.malloc(bytes);
    if (!pointer)
        throw new ZemError(-3, 'zem: out of memory');
    try {
        return body(pointer);
    } finally {
        wasm.exports.free(pointer);
    }
}

function readTags(wasm, id) {
    const tags = {};
    withScratch(wasm, 4, (lengthPointer) => {
        const pointer = wasm.exports.zem_web_tags(id, sourceSize(id), lengthPointer);
        const length = new DataView(wasm.memory.buffer).getInt32(lengthPointer, true);
        const parts = utf8.decode(new Uint8Array(wasm.memory.buffer, pointer, length)).split('\0');
        wasm.exports.free(pointer);
        for (let i = 0; i + 1 < parts.length; i += 2)
            tags[parts[i]] = parts[i + 1];
    });
    return tags;
}

// The tag items of any file (a stream, a link file) as {name: text}.
export async function readTagsOf(input) {
    const wasm = await loadModule();
    const id = register(await toSource(input));
    try {
        return readTags(wasm, id);
    } finally {
        unregister(id);
    }
}

// Opens a decoder on `input`: `range` {start, finish} for a track of an image
// (blocks as a link file holds them, finish -1 for the end), `tags` to show
// instead of the image's own.
export async function openDecoder(input, { range = null, tags = null } = {}) {
    const wasm = await loadModule();
    const id = register(await toSource(input));
    const handle = withScratch(wasm, 4, (error) => {
        const size = sourceSize(id);
        const opened = range
            ? wasm.exports.zem_web_open_range(id, size, range.start, range.finish, error)
            : wasm.exports.zem_web_open(id, size, error);
        if (!opened) {
            const code = new DataView(wasm.memory.buffer).getInt32(error, true);
            unregister(id);
            throw new ZemError(code, `zem: ${errorText(wasm, code)}`);
        }
        return opened;
    });
    return new Decoder(wasm, handle, id, tags ?? readTags(wasm, id));
}

export class Decoder {
    constructor(wasm, handle, id, tags) {
        this.wasm = wasm;
        this.handle = handle;
        this.source = id;
        this.tags = Object.freeze(tags);
        const e = wasm.exports;
        const fields = withScratch(wasm, 40, (pointer) => {
            e.zem_get_info(handle, pointer);
            const values = Array.from(new Uint32Array(wasm.memory.buffer, pointer, 6));
            e.zem_web_blocks(handle, -1, pointer);
            return [...values, ...new Float64Array(wasm.memory.buffer, pointer, 3)];
        });
        const [version, compressionLevel, sampleRate, channels, bitsPerSample, blockAlign, totalBlocks, firstBlock, streamBlocks] = fields;
        this.info = Object.freeze({ version, compressionLevel, sampleRate, channels, bitsPerSample, blockAlign,
                                    totalBlocks, firstBlock, streamBlocks, seconds: totalBlocks / sampleRate });
        this.buffer = 0;
        this.bufferBlocks = 0;
    }

    #live() {
        if (!this.handle)
            throw new ZemError(-2, 'zem: the decoder is closed');
        return this.wasm.exports;
    }

    // The next block read() starts at.
    tell() {
        return this.#live().zem_web_tell(this.handle);
    }

    // Makes the next read() start at `block` (0 to totalBlocks).
    seek(block) {
        const code = this.#live().zem_web_seek(this.handle, block);
        if (code < 0)
            throw new ZemError(code, `zem: cannot seek to block ${block}: ${errorText(this.wasm, code)}`);
    }

    // The frame holding `block`: {first, end} in this decoder's blocks.
    frame(block) {
        return withScratch(this.wasm, 40, (pointer) => {
            this.#live().zem_web_blocks(this.handle, block, pointer);
            const [first, end] = new Float64Array(this.wasm.memory.buffer, pointer + 24, 2);
            return { first, end };
        });
    }

    // Decodes up to `maxBlocks` blocks from where reading stands. Returns a
    // Chunk, or null at the end. A frame that fails its check (or any other
    // failure to decode) gives its blocks as fill, as `zemtool decode` writes
    // them, in a chunk marked `damaged` with the reason in `error`.
    read(maxBlocks = 4096) {
        const e = this.#live();
        const { blockAlign } = this.info;
        if (maxBlocks > this.bufferBlocks) {
            if (this.buffer)
                e.free(this.buffer);
            this.buffer = e.malloc(maxBlocks * blockAlign);
            this.bufferBlocks = this.buffer ? maxBlocks : 0;
            if (!this.buffer)
                throw new ZemError(-3, 'zem: out of memory');
        }
        const start = this.tell();
        const got = e.zem_read(this.handle, this.buffer, maxBlocks);
        if (got === 0)
            return null;
        if (got > 0)
            return new Chunk(this.info, start, new Uint8Array(this.wasm.memory.buffer, this.buffer, got * blockAlign).slice(), null);
        const skipped = this.tell() - start;
        const detail = withScratch(this.wasm, 256, (pointer) => {
            e.zem_get_error_detail(this.handle, pointer, 256);
            return cString(this.wasm.memory, pointer);
        });
        const fill = new Uint8Array(skipped * blockAlign).fill(this.info.bitsPerSample === 8 ? 0x80 : 0);
        return new Chunk(this.info, start, fill, new ZemError(got, detail || errorText(this.wasm, got)));
    }

    // The bytes of the WAV file in front of the PCM and behind it.
    wavHeader() { return this.#wavPart('zem_get_wav_header'); }
    wavTrailer() { return this.#wavPart('zem_get_wav_trailer'); }

    #wavPart(name) {
        const e = this.#live();
        const size = e[name](this.handle, 0, 0);
        if (size < 0)
            throw new ZemError(size, `zem: ${errorText(this.wasm, size)}`);
        return withScratch(this.wasm, size || 1, (pointer) => {
            e[name](this.handle, pointer, size);
            return new Uint8Array(this.wasm.memory.buffer, pointer, size).slice();
        });
    }

    // The WAV file `zemtool decode` writes, in parts: header, PCM chunks
    // (damaged ones as fill), trailer. Reads from block 0 and leaves the
    // decoder at the end.
    *wavParts(chunkBlocks = 65536) {
        yield this.wavHeader();
        this.seek(0);
        for (let chunk; (chunk = this.read(chunkBlocks));)
            yield chunk.bytes;
        yield this.wavTrailer();
    }

    // The whole WAV file in one array (it is all in memory: use wavParts()
    // and a Blob for long streams).
    wav() {
        const parts = [...this.wavParts()];
        const out = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
        let at = 0;
        for (const part of parts) {
            out.set(part, at);
            at += part.length;
        }
        return out;
    }

    close() {
        if (!this.handle)
            return;
        this.wasm.exports.zem_close(this.handle);
        if (this.buffer)
            this.wasm.exports.free(this.buffer);
        unregister(this.source);
        this.handle = 0;
        this.buffer = 0;
    }
}

// Decoded blocks: `bytes` as in a WAV file's data chunk (little-endian,
// interleaved; 8-bit unsigned), from block `start` on.
export class Chunk {
    constructor(info, start, bytes, error) {
        this.info = info;
        this.start = start;
        this.bytes = bytes;
        this.blocks = bytes.length / info.blockAlign;
        this.damaged = error !== null;
        this.error = error;
    }

    // Interleaved integers: Int16Array for 8 bits (centred on 0) and 16, Int32Array for 24.
    interleaved() {
        const { bitsPerSample } = this.info;
        const b = this.bytes;
        if (bitsPerSample === 16 && b.byteOffset % 2 === 0)
            return new Int16Array(b.buffer, b.byteOffset, b.length / 2);
        if (bitsPerSample === 16)
            return new Int16Array(b.slice().buffer);
        if (bitsPerSample === 8)
            return Int16Array.from(b, (value) => value - 128);
        const out = new Int32Array(b.length / 3);
        for (let i = 0, j = 0; i < out.length; ++i, j += 3)
            out[i] = ((b[j] | (b[j + 1] << 8) | (b[j + 2] << 16)) << 8) >> 8;
        return out;
    }

    // One Float32Array per channel in [-1, 1), for Web Audio (exact: every
    // sample is a multiple of a power of two).
    planar() {
        const { channels, bitsPerSample } = this.info;
        const values = this.interleaved();
        const scale = 1 / 2 ** (bitsPerSample - 1);
        const out = Array.from({ length: channels }, () => new Float32Array(this.blocks));
        for (let i = 0; i < values.length; ++i)
            out[i % channels][(i / channels) | 0] = values[i] * scale;
        return out;
    }
}
