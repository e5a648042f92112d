// SPDX-License-Identifier: BSD-3-Clause
// Streams decode to exactly the WAV file the native `zemtool decode` writes:
// every version and level the encoder makes, the bundled files, the inputs
// that once exposed faults (damaged, cut and hostile ones among them), read
// from bytes and from a file in pieces.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import { test } from 'node:test';

import { open } from '../zem.js';
import { fileReader } from '../node.js';
import { album, makeWave, nativeDecode, repro, root, run, tempFolder } from './support.js';

const encoded = [
    { level: 1000, channels: 1, bits: 8 },
    { level: 2000, channels: 2, bits: 16 },
    { level: 3000, channels: 2, bits: 24 },
    { level: 4000, channels: 1, bits: 16 },
    { level: 5000, channels: 2, bits: 16 },
];

const shared = ['refill-3940.zem', 'tiny-frames-5000.zem', 'tag-damaged-byte.zem', 'older-final-frame-history.zem',
                'trailer-without-bytes.qrb', 'bad-trailer-length.zem', 'header-byte8.zem', 'header-byte71.zem',
                'huge-frame-count.zem', 'tag-before-id3v1.zem'].map((name) => join(repro, name));

async function ours(path, fromFile) {
    try {
        const decoder = await open(fromFile ? fileReader(path) : readFileSync(path));
        try {
            return Buffer.from(decoder.wav());
        } finally {
            decoder.close();
        }
    } catch (error) {
        assert.equal(error.name, 'ZemError', `${basename(path)}: ${error.stack}`);
        return null;
    }
}

test('every stream decodes to the bytes zemtool decode writes', async (t) => {
    const folder = tempFolder(t);
    const streams = [join(album, 'Tallowmere.zem'), join(root, 'samples/sample.zem'), join(root, 'samples/sample.qrb'), ...shared];
    for (const { level, channels, bits } of encoded) {
        const wave = join(folder, `${level}-${channels}-${bits}.wav`);
        writeFileSync(wave, makeWave({ channels, bits, blocks: 30000 }));
        const stream = wave.replace(/\.wav$/, '.zem');
        run('encode', '--level', String(level), '--frame-blocks', '8192', wave, stream);
        streams.push(stream);
    }
    // A frame whose check fails: its blocks are fill in both.
    const damaged = readFileSync(streams.at(-4));
    damaged[Math.floor(damaged.length * 0.6)] ^= 0x40;
    streams.push(join(folder, 'damaged.zem'));
    writeFileSync(streams.at(-1), damaged);

    for (const [index, path] of streams.entries()) {
        const expected = nativeDecode(path, folder);
        const got = await ours(path, index % 2 === 1);
        assert.equal(got === null, expected === null, `${basename(path)} opens in one and not the other`);
        if (expected)
            assert.ok(got.equals(expected), `${basename(path)}: ${got.length} bytes against ${expected.length}`);
    }
});

test('damage is reported by chunk, cut files end, nothing hangs', async () => {
    const bytes = readFileSync(join(album, 'Tallowmere.zem'));
    const cut = await open(bytes.subarray(0, 400000));
    let reads = 0, last = null;
    for (let chunk; (chunk = cut.read(65536)); ++reads)
        last = chunk;
    assert.ok(reads < 40);
    assert.equal(last.error?.code, -9);
    assert.equal(cut.tell(), cut.info.totalBlocks);

    const flipped = Buffer.from(bytes);
    flipped[700000] ^= 1;
    const decoder = await open(flipped);
    const marks = [];
    for (let chunk; (chunk = decoder.read(100000));)
        if (chunk.damaged)
            marks.push([chunk.start, chunk.start + chunk.blocks, chunk.error.code]);
    assert.equal(marks.length, 1);
    const { first, end } = decoder.frame(marks[0][0]);
    assert.deepEqual(marks, [[first, end, -8]]);

    await assert.rejects(open(new Uint8Array(5000).fill(7)), { name: 'ZemError', code: -5 });
    await assert.rejects(open(new Uint8Array(0)), { name: 'ZemError' });
});

test('seeks land exactly, in the image and in a track', async () => {
    const path = join(album, 'Tallowmere.zem');
    const whole = Buffer.from((await open(readFileSync(path))).wav()).subarray(44);
    const decoder = await open(fileReader(path));
    const { totalBlocks } = decoder.info;
    const frame = decoder.frame(100000);
    for (const block of [0, 1, frame.first - 1, frame.first, frame.end - 1, 300007, totalBlocks - 3, totalBlocks]) {
        decoder.seek(block);
        const chunk = decoder.read(5000) ?? { start: totalBlocks, bytes: new Uint8Array(0) };
        assert.equal(chunk.start, block);
        assert.ok(Buffer.from(chunk.bytes).equals(whole.subarray(block * 4, block * 4 + chunk.bytes.length)), `block ${block}`);
    }
    assert.throws(() => decoder.seek(totalBlocks + 1), { name: 'ZemError', code: -2 });
    assert.equal(decoder.tell(), totalBlocks);
    decoder.close();
    assert.throws(() => decoder.read(1), { name: 'ZemError' });
});

test('samples in every layout', async (t) => {
    const folder = tempFolder(t);
    for (const { channels, bits } of [{ channels: 1, bits: 8 }, { channels: 2, bits: 24 }]) {
        const wave = makeWave({ channels, bits, blocks: 1000 });
        writeFileSync(join(folder, 'in.wav'), wave);
        run('encode', join(folder, 'in.wav'), join(folder, 'in.zem'));
        const chunk = (await open(readFileSync(join(folder, 'in.zem')))).read(1000);
        const ints = chunk.interleaved(), planar = chunk.planar();
        const at = 44 + 999 * channels * (bits / 8);  // the last block's first sample
        const expected = bits === 8 ? wave[at] - 128 : wave.readIntLE(at, 3);
        assert.equal(ints[999 * channels], expected);
        assert.equal(planar.length, channels);
        assert.equal(planar[0][999], expected / 2 ** (bits - 1));
    }
});
