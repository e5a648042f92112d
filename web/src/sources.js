// SPDX-License-Identifier: BSD-3-Clause
// Byte sources the module reads from, by number. A source is anything with a
// `size` and `read(offset, length)` giving at most `length` bytes at `offset`
// at once (synchronously): bytes in memory, a Blob in a worker (FileReaderSync)
// or a file in Node (see node.js). Reads go through a window of a megabyte,
// so a decoder asking for a few bytes at a time costs one slice per window;
// nothing else of a Blob or file is held.
const WINDOW = 1 << 20;
const sources = new Map();
let nextId = 1;

class Windowed {
    constructor(reader) {
        this.reader = reader;
        this.size = reader.size;
        this.start = 0;
        this.bytes = new Uint8Array(0);
    }

    readInto(offset, target) {
        if (offset < this.start || offset + target.length > this.start + this.bytes.length) {
            this.start = offset;
            this.bytes = this.reader.read(offset, Math.max(target.length, WINDOW));
        }
        const from = offset - this.start;
        const part = this.bytes.subarray(from, from + target.length);
        target.set(part);
        return part.length;
    }
}

class InMemory {
    constructor(bytes) {
        this.bytes = bytes;
        this.size = bytes.length;
    }

    readInto(offset, target) {
        const part = this.bytes.subarray(offset, offset + target.length);
        target.set(part);
        return part.length;
    }
}

// A Blob read in slices; only where reading can wait for the disk (a worker).
export function blobReader(blob) {
    const reader = new FileReaderSync();
    return { size: blob.size, read: (offset, length) => new Uint8Array(reader.readAsArrayBuffer(blob.slice(offset, offset + length))) };
}

export function isReader(value) {
    return value && typeof value.size === 'number' && typeof value.read === 'function';
}

// Bytes, a Blob or a reader as a source the module can read synchronously.
// A Blob outside a worker cannot be read so: it is read whole first.
export async function toSource(input) {
    input = await input;
    if (input instanceof ArrayBuffer)
        return new InMemory(new Uint8Array(input));
    if (ArrayBuffer.isView(input))
        return new InMemory(new Uint8Array(input.buffer, input.byteOffset, input.byteLength));
    if (typeof Blob !== 'undefined' && input instanceof Blob) {
        if (typeof FileReaderSync === 'function')
            return new Windowed(blobReader(input));
        return new InMemory(new Uint8Array(await input.arrayBuffer()));
    }
    if (isReader(input))
        return new Windowed(input);
    throw new TypeError('zem: expected bytes, a Blob or a reader ({size, read(offset, length)})');
}

export function register(source) {
    const id = nextId++;
    sources.set(id, source);
    return id;
}

export function unregister(id) {
    const source = sources.get(id);
    sources.delete(id);
    source?.reader?.close?.();
}

export function sourceSize(id) {
    return sources.get(id).size;
}

// The module's read call: bytes copied into `target`, 0 at the end, -1 on failure.
export function readSource(id, offset, target) {
    const source = sources.get(id);
    if (!source || offset < 0)
        return -1;
    if (offset >= source.size)
        return 0;
    try {
        return source.readInto(offset, target.subarray(0, Math.min(target.length, source.size - offset)));
    } catch {
        return -1;
    }
}
