// SPDX-License-Identifier: BSD-3-Clause
/** Bytes, a Blob (read in slices inside a worker, whole elsewhere), or a synchronous reader. */
export type Input = Uint8Array | ArrayBuffer | Blob | Reader;

/** Random access to bytes that answers at once (a file descriptor, FileReaderSync). */
export interface Reader {
    readonly size: number;
    /** At most `length` bytes from `offset` (fewer only at the end). */
    read(offset: number, length: number): Uint8Array;
    close?(): void;
}

export interface StreamInfo {
    version: number;
    compressionLevel: number;
    sampleRate: number;
    channels: number;
    /** 8, 16 or 24; 8-bit samples are unsigned, as in WAV. */
    bitsPerSample: number;
    blockAlign: number;
    /** Of the stream, or of the link's track. */
    totalBlocks: number;
    /** The stream block that block 0 stands for (a track's start in its image). */
    firstBlock: number;
    streamBlocks: number;
    seconds: number;
}

export declare const BAD_FRAME: -8;
export declare const TRUNCATED: -9;

export declare class ZemError extends Error {
    /** The C API's result code (ZEM_ERROR_*). */
    readonly code: number;
}

/** Decoded blocks from block `start` on. */
export declare class Chunk {
    readonly start: number;
    readonly blocks: number;
    /** As in a WAV file's data chunk: little-endian, interleaved, 8-bit unsigned. */
    readonly bytes: Uint8Array;
    /** A frame that failed its check (or could not be read): its blocks are fill. */
    readonly damaged: boolean;
    readonly error: ZemError | null;
    /** Int16Array for 8 bits (centred on 0) and 16, Int32Array for 24. */
    interleaved(): Int16Array | Int32Array;
    /** One Float32Array per channel in [-1, 1), for Web Audio. */
    planar(): Float32Array[];
}

export declare class Decoder {
    readonly info: Readonly<StreamInfo>;
    /** Tag items as text (a link's own tag for a track); binary items are left out. */
    readonly tags: Readonly<Record<string, string>>;
    /** Up to `maxBlocks` blocks from where reading stands; null at the end. */
    read(maxBlocks?: number): Chunk | null;
    /** The next read() starts at `block` (0 to totalBlocks). */
    seek(block: number): void;
    tell(): number;
    /** The frame holding `block`, in this decoder's blocks. */
    frame(block: number): { first: number; end: number };
    wavHeader(): Uint8Array;
    wavTrailer(): Uint8Array;
    /** The WAV file `zemtool decode` writes, in parts; reads from block 0. */
    wavParts(chunkBlocks?: number): Generator<Uint8Array>;
    /** The same file in one array (all of it in memory). */
    wav(): Uint8Array;
    close(): void;
}

export interface CueTrack {
    number: number;
    title: string;
    performer: string;
    start: number;
    /** null for the last track: the image's end. */
    finish: number | null;
}

export declare function open(input: Input | Promise<Input>): Promise<Decoder>;
/** The blocks from `start` up to `finish` (-1: the end), as a link file naming them opens them. */
export declare function openRange(input: Input | Promise<Input>, start: number, finish?: number,
                                  tags?: Record<string, string> | null): Promise<Decoder>;
export declare function openLink(linkBytes: Uint8Array | ArrayBuffer | Promise<Uint8Array | ArrayBuffer>,
                                  resolveImage: (name: string) => Input | null | Promise<Input | null>): Promise<Decoder>;
/** The tracks as `zemtool links` makes their link files, blocks at `sampleRate` (44100 by default). */
export declare function parseCue(sheet: string | Uint8Array | ArrayBuffer | Blob,
                                 options?: { sampleRate?: number }): Promise<{ image: string; tracks: CueTrack[] }>;
export declare function parseLink(linkBytes: Uint8Array | ArrayBuffer | Blob):
    Promise<{ image: string; start: number; finish: number } | null>;
export declare function readTagsOf(input: Input): Promise<Record<string, string>>;
/** Loads the module (from `url` instead of dist/zem.wasm beside the package, on the first call). */
export declare function loadModule(url?: string | URL): Promise<unknown>;
