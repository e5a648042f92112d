// SPDX-License-Identifier: BSD-3-Clause
// Cue sheets and link files read from bytes, through the C API's own readers.
import { loadModule } from './module.js';
import { ZemError, errorText, withScratch } from './decoder.js';

const utf8 = new TextDecoder();

function cString(memory, pointer) {
    const bytes = new Uint8Array(memory.buffer, pointer);
    return utf8.decode(bytes.subarray(0, bytes.indexOf(0)));
}

function asBytes(input) {
    if (typeof input === 'string')
        return new TextEncoder().encode(input);
    if (input instanceof ArrayBuffer)
        return new Uint8Array(input);
    if (ArrayBuffer.isView(input))
        return new Uint8Array(input.buffer, input.byteOffset, input.byteLength);
    throw new TypeError('zem: expected text or bytes');
}

async function bytesOf(input) {
    input = await input;
    if (typeof Blob !== 'undefined' && input instanceof Blob)
        return new Uint8Array(await input.arrayBuffer());
    return asBytes(input);
}

// The tracks of a cue sheet, as `zemtool links` makes their link files:
// {image, tracks: [{number, title, performer, start, finish}]}, blocks
// counted at `sampleRate` (finish null for the last track: the image's end).
export async function parseCue(input, { sampleRate = 44100 } = {}) {
    const wasm = await loadModule();
    const e = wasm.exports;
    const bytes = await bytesOf(input);
    return withScratch(wasm, bytes.length + 40, (pointer) => {
        new Uint8Array(wasm.memory.buffer, pointer, bytes.length).set(bytes);
        const errorPointer = pointer + bytes.length + (8 - (bytes.length % 8)) % 8;
        const cue = e.zem_cue_parse(pointer, bytes.length, sampleRate, errorPointer);
        if (!cue) {
            const code = new DataView(wasm.memory.buffer).getInt32(errorPointer, true);
            throw new ZemError(code, `zem: ${errorText(wasm, code)}`);
        }
        try {
            const tracks = [];
            const count = e.zem_cue_track_count(cue);
            withScratch(wasm, 32, (track) => {
                for (let index = 0; index < count; ++index) {
                    e.zem_cue_get_track(cue, index, track);
                    const view = new DataView(wasm.memory.buffer, track, 32);
                    const finish = Number(view.getBigInt64(24, true));
                    tracks.push({
                        number: view.getInt32(0, true),
                        title: cString(wasm.memory, view.getUint32(4, true)),
                        performer: cString(wasm.memory, view.getUint32(8, true)),
                        start: Number(view.getBigInt64(16, true)),
                        finish: finish < 0 ? null : finish,
                    });
                }
            });
            return { image: cString(wasm.memory, e.zem_cue_image(cue)), tracks };
        } finally {
            e.zem_cue_close(cue);
        }
    });
}

// The keys of a link file: {image, start, finish} (finish -1: the image's end), or null.
export async function parseLink(input) {
    const wasm = await loadModule();
    const bytes = (await bytesOf(input)).subarray(0, 1023);
    return withScratch(wasm, 1024 + 4096 + 16, (pointer) => {
        const memory = new Uint8Array(wasm.memory.buffer);
        memory.set(bytes, pointer);
        memory[pointer + bytes.length] = 0;
        const numbers = pointer + 1024, image = numbers + 16;
        if (!wasm.exports.zem_web_parse_link(pointer, image, 4096, numbers, numbers + 8))
            return null;
        const [start, finish] = new Float64Array(wasm.memory.buffer, numbers, 2);
        return { image: cString(wasm.memory, image), start, finish };
    });
}
