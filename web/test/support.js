// SPDX-License-Identifier: BSD-3-Clause
// What the Node tests share: the native zemtool they compare with (ZEMTOOL,
// the native preset's build by default), the bundled album, the shared
// inputs, and wave files made here.
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const album = join(root, 'samples/album');
export const repro = join(root, '../shared/repro');
export const corpus = join(root, '../shared/corpus');
export const zemtool = process.env.ZEMTOOL || join(root, 'build/native/bin/zemtool');

if (!existsSync(zemtool))
    throw new Error(`no native zemtool at ${zemtool}: build the native preset first (or set ZEMTOOL)`);
if (!existsSync(join(album, 'Tallowmere.zem')))
    throw new Error('the album image is not built: cmake --build build/native --target sample_album');

export function tempFolder(t) {
    const folder = mkdtempSync(join(tmpdir(), 'zem-web-'));
    t.after(() => rmSync(folder, { recursive: true, force: true }));
    return folder;
}

export function run(...args) {
    return execFileSync(zemtool, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
}

// What `zemtool decode` writes for `input`, or null when it writes nothing.
export function nativeDecode(input, folder) {
    const out = join(folder, `native-${Math.random().toString(36).slice(2)}.wav`);
    spawnSync(zemtool, ['decode', input, out], { stdio: 'ignore', timeout: 60000 });
    return existsSync(out) ? readFileSync(out) : null;
}

// A PCM wave file of `blocks` blocks: a few tones and some noise, the same every time.
export function makeWave({ channels, bits, blocks, rate = 44100 }) {
    const bytesPerSample = bits / 8;
    const data = Buffer.alloc(blocks * channels * bytesPerSample);
    let noise = 12345;
    const peak = 2 ** (bits - 1) - 1;
    for (let i = 0, at = 0; i < blocks; ++i) {
        for (let c = 0; c < channels; ++c, at += bytesPerSample) {
            noise = (Math.imul(noise, 1103515245) + 12345) >>> 0;
            const tone = Math.sin((2 * Math.PI * (220 + 110 * c) * i) / rate) * 0.5 + Math.sin((2 * Math.PI * 1375 * i) / rate) * 0.2;
            const value = Math.round((tone + ((noise >>> 16) / 65536 - 0.5) * 0.05) * peak);
            if (bits === 8)
                data.writeUInt8(value + 128, at);
            else if (bits === 16)
                data.writeInt16LE(value, at);
            else
                data.writeIntLE(value, at, 3);
        }
    }
    const header = Buffer.alloc(44);
    header.write('RIFF', 0);
    header.writeUInt32LE(36 + data.length, 4);
    header.write('WAVEfmt ', 8);
    header.writeUInt32LE(16, 16);
    header.writeUInt16LE(1, 20);
    header.writeUInt16LE(channels, 22);
    header.writeUInt32LE(rate, 24);
    header.writeUInt32LE(rate * channels * bytesPerSample, 28);
    header.writeUInt16LE(channels * bytesPerSample, 32);
    header.writeUInt16LE(bits, 34);
    header.write('data', 36);
    header.writeUInt32LE(data.length, 40);
    return Buffer.concat([header, data]);
}
