// SPDX-License-Identifier: BSD-3-Clause
// Plays the planar chunks the worker sends through a MessagePort, in order,
// and tells the worker how far it got. Chunks of an older generation (before
// a seek or a new track) are dropped. Every chunk that arrives is also added
// to a CRC-32 of its samples as 16- or 24-bit little-endian PCM, per
// generation and track, so a test can check what reached the audio thread.
const CRC_TABLE = new Int32Array(256).map((_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k)
        c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c;
});

function crcAdd(crc, channels, bytesPerSample) {
    const scale = 2 ** (8 * bytesPerSample - 1);
    const blocks = channels[0].length;
    crc = ~crc;
    for (let i = 0; i < blocks; ++i) {
        for (const channel of channels) {
            let value = Math.round(channel[i] * scale);
            for (let b = 0; b < bytesPerSample; ++b, value >>= 8)
                crc = CRC_TABLE[(crc ^ value) & 0xff] ^ (crc >>> 8);
        }
    }
    return ~crc >>> 0;
}

class ZemPlayerProcessor extends AudioWorkletProcessor {
    constructor() {
        super();
        this.queue = [];
        this.generation = -1;
        this.hashes = new Map();
        this.played = 0;
        this.feed = null;
        this.port.onmessage = ({ data, ports }) => {
            if (data.type === 'connect') {
                this.feed = ports[0];
                this.feed.onmessage = ({ data: message }) => this.receive(message);
            } else if (data.type === 'hashes') {
                this.port.postMessage({ type: 'hashes', hashes: [...this.hashes.values()] });
            }
        };
    }

    receive(message) {
        if (message.type === 'generation') {
            this.generation = message.generation;
            this.queue.length = 0;
            this.paused = message.paused;
            return;
        }
        if (message.type === 'pause') {
            this.paused = message.paused;
            return;
        }
        if (message.generation !== this.generation)
            return;
        if (message.type === 'chunk') {
            const key = `${message.generation}/${message.track}`;
            const entry = this.hashes.get(key) ?? { generation: message.generation, track: message.track,
                                                     from: message.start, blocks: 0, crc: 0 };
            entry.crc = crcAdd(entry.crc, message.channels, message.bytesPerSample);
            entry.blocks += message.channels[0].length;
            this.hashes.set(key, entry);
            message.offset = 0;
        }
        this.queue.push(message);
    }

    process(inputs, outputs) {
        const output = outputs[0];
        let done = 0;
        const frames = output[0].length;
        while (!this.paused && done < frames && this.queue.length) {
            const head = this.queue[0];
            if (head.type === 'end') {
                this.queue.shift();
                this.feed?.postMessage({ type: 'ended', generation: head.generation });
                continue;
            }
            const count = Math.min(frames - done, head.channels[0].length - head.offset);
            for (let c = 0; c < output.length; ++c) {
                const source = head.channels[Math.min(c, head.channels.length - 1)];
                output[c].set(source.subarray(head.offset, head.offset + count), done);
            }
            head.offset += count;
            done += count;
            if (head.offset === head.channels[0].length)
                this.queue.shift();
            this.reportAt = { track: head.track, block: head.start + head.offset };
        }
        this.played += done;
        // About twenty times a second: where playing stands, and how much the queue holds.
        if (done && this.played >= 2048) {
            this.played = 0;
            const queued = this.queue.reduce((sum, m) => sum + (m.channels ? m.channels[0].length - m.offset : 0), 0);
            this.feed?.postMessage({ type: 'position', generation: this.generation, ...this.reportAt, queued });
        }
        return true;
    }
}

registerProcessor('zem-player', ZemPlayerProcessor);
