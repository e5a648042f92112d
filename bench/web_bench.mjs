// SPDX-License-Identifier: BSD-3-Clause
// Decoding speed of the WebAssembly module in Node beside the native zemtool
// on one thread, at levels 2000 and 4000, in times real time (best of three).
// A measurement to run by hand, never a test:
//
//   node bench/web_bench.mjs [ZEMTOOL]    (after the native and web presets' builds)
//
// ZEM_WASM names another build of the module (a build with -DZEM_WEB_SIMD=OFF, say).
//
// The input is the bundled album's audio five times over (one minute).
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { loadModule, open } from '../web/zem.js';

const root = resolve(fileURLToPath(new URL('..', import.meta.url)));
const zemtool = process.argv[2] ?? join(root, 'build/native/bin/zemtool');
if (process.env.ZEM_WASM)
    await loadModule(pathToFileURL(resolve(process.env.ZEM_WASM)));
const folder = mkdtempSync(join(tmpdir(), 'zem-web-bench-'));

function tool(...args) {
    const result = spawnSync(zemtool, args, { stdio: ['ignore', 'ignore', 'inherit'] });
    if (result.status !== 0)
        throw new Error(`zemtool ${args.join(' ')} failed`);
}

async function best(run) {
    let fastest = Infinity;
    for (let i = 0; i < 3; ++i) {
        const start = process.hrtime.bigint();
        await run();
        fastest = Math.min(fastest, Number(process.hrtime.bigint() - start) / 1e9);
    }
    return fastest;
}

try {
    tool('decode', join(root, 'samples/album/Tallowmere.zem'), join(folder, 'album.wav'));
    const album = readFileSync(join(folder, 'album.wav'));
    const pcm = Buffer.concat(Array(5).fill(album.subarray(44)));
    const header = Buffer.from(album.subarray(0, 44));
    header.writeUInt32LE(36 + pcm.length, 4);
    header.writeUInt32LE(pcm.length, 40);
    writeFileSync(join(folder, 'minute.wav'), Buffer.concat([header, pcm]));
    const seconds = pcm.length / (44100 * 4);

    console.log('level  audio   native, 1 thread   WebAssembly (Node)   ratio');
    for (const level of [2000, 4000]) {
        const stream = join(folder, `minute-${level}.zem`);
        tool('encode', '--level', String(level), join(folder, 'minute.wav'), stream);
        const native = await best(() => tool('decode', '--threads', '1', stream, join(folder, 'out.wav')));
        const bytes = readFileSync(stream);
        // Opening is part of the work, as the native figure's is.
        const wasm = await best(async () => {
            const decoder = await open(bytes);
            while (decoder.read(65536));
            decoder.close();
        });
        const x = (time) => `${(seconds / time).toFixed(0).padStart(5)}x`;
        console.log(`${level}   ${seconds.toFixed(0)} s   ${x(native)} (${native.toFixed(3)} s)     ${x(wasm)} (${wasm.toFixed(3)} s)    ${(native / wasm).toFixed(2)}`);
    }
} finally {
    rmSync(folder, { recursive: true, force: true });
}
