// SPDX-License-Identifier: BSD-3-Clause
// Node only: a file read in pieces through its descriptor, as a reader for open().
import { closeSync, fstatSync, openSync, readSync } from 'node:fs';

export function fileReader(path) {
    const fd = openSync(path, 'r');
    return {
        size: fstatSync(fd).size,
        read(offset, length) {
            const bytes = new Uint8Array(length);
            return bytes.subarray(0, readSync(fd, bytes, 0, length, offset));
        },
        close() { closeSync(fd); },
    };
}
