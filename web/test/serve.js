// SPDX-License-Identifier: BSD-3-Clause
// A static file server for the web/ folder on the loopback interface, for the
// browser test and for trying the player: `node test/serve.js [PORT]`.
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const folder = resolve(fileURLToPath(new URL('..', import.meta.url)));
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
                '.wasm': 'application/wasm', '.json': 'application/json', '.png': 'image/png' };

export function serve(port = 0) {
    const server = createServer((request, response) => {
        let path = normalize(join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname)));
        if (!path.startsWith(folder + sep))
            return response.writeHead(403).end();
        try {
            if (statSync(path).isDirectory())
                path = join(path, 'index.html');
            const size = statSync(path).size;
            response.writeHead(200, { 'Content-Type': types[extname(path)] ?? 'application/octet-stream', 'Content-Length': size });
            createReadStream(path).pipe(response);
        } catch {
            response.writeHead(404).end();
        }
    });
    return new Promise((done) => server.listen(port, '127.0.0.1', () => done(server)));
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
    const server = await serve(Number(process.argv[2] ?? 8080));
    console.log(`http://127.0.0.1:${server.address().port}/player/`);
}
