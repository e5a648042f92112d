// SPDX-License-Identifier: BSD-3-Clause
// Loads zem.wasm once per realm (page, worker or Node) with the few imports it
// has: the byte sources (sources.js), a console for its diagnostics, and
// "not here" answers to the file calls a browser cannot serve.
import { readSource } from './sources.js';

const ENOSYS = 52;
const wasmUrl = new URL('../dist/zem.wasm', import.meta.url);
let loading = null;

async function wasmBytes(url) {
    if (url.protocol === 'file:' && typeof process === 'object' && process.versions?.node) {
        const { readFile } = await import('node:fs/promises');
        return readFile(url);
    }
    const response = await fetch(url);
    if (!response.ok)
        throw new Error(`zem: cannot load ${url} (${response.status})`);
    return response.arrayBuffer();
}

function imports(module, state) {
    const view = () => new DataView(state.memory.buffer);
    const text = [];
    const provided = {
        env: {
            zem_web_source_read: (source, offset, pointer, bytes) =>
                readSource(source, offset, new Uint8Array(state.memory.buffer, pointer, bytes)),
            emscripten_notify_memory_growth: () => {},
        },
        wasi_snapshot_preview1: {
            proc_exit: (code) => { throw new Error(`zem: the module stopped (${code})`); },
            environ_sizes_get: (count, size) => { view().setUint32(count, 0, true); view().setUint32(size, 0, true); return 0; },
            environ_get: () => 0,
            // Diagnostics on stdout and stderr go to the console, a line at a time.
            fd_write: (fd, iovs, count, written) => {
                let total = 0;
                for (let i = 0; i < count; ++i) {
                    const base = view().getUint32(iovs + 8 * i, true), length = view().getUint32(iovs + 8 * i + 4, true);
                    text.push(...new Uint8Array(state.memory.buffer, base, length));
                    total += length;
                }
                view().setUint32(written, total, true);
                for (let end = text.indexOf(10); end >= 0; end = text.indexOf(10)) {
                    console.warn(new TextDecoder().decode(new Uint8Array(text.splice(0, end + 1))).trimEnd());
                }
                return 0;
            },
        },
    };
    for (const { module: name, name: field, kind } of WebAssembly.Module.imports(module)) {
        provided[name] ??= {};
        if (kind === 'function' && !provided[name][field])
            provided[name][field] = name === 'env' ? () => -ENOSYS : () => ENOSYS;
    }
    return provided;
}

async function instantiate(url) {
    const module = await WebAssembly.compile(await wasmBytes(url));
    const state = {};
    const instance = await WebAssembly.instantiate(module, imports(module, state));
    state.memory = instance.exports.memory;
    instance.exports._initialize();
    return { exports: instance.exports, memory: state.memory };
}

// The module's exports and memory; `url` (once, before the first call) loads it from elsewhere.
export function loadModule(url = wasmUrl) {
    loading ??= instantiate(url instanceof URL ? url : new URL(url, globalThis.location?.href ?? wasmUrl));
    return loading;
}
