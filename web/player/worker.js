// SPDX-License-Identifier: BSD-3-Clause
// The player's decoding side: reads the dropped files (in slices, through
// FileReaderSync), makes the track list, and feeds the audio worklet a little
// ahead of what it plays, from one track into the next of the same image with
// no gap. The page only shows and asks.
import { open, openLink, openRange, parseCue, parseLink } from '../zem.js';

const CHUNK_BLOCKS = 4096;
let lookaheadSeconds = 2;
let tracks = [];
let feed = null;           // the port to the worklet
let generation = 0;
let playing = null;        // {index, decoder, generation}
let inFlight = 0;          // blocks sent to the worklet and not yet played
let paused = false;
let feeding = false;

const baseName = (name) => name.split(/[\\/]/).pop().toLowerCase();

async function makeTracks(files) {
    const byName = new Map(files.map((file) => [file.name.toLowerCase(), file]));
    const resolve = (name) => byName.get(baseName(name)) ?? null;
    const used = new Set();
    const made = [], errors = [];
    const describe = async (file, decoder, fields) => {
        const { info, tags } = decoder;
        decoder.close();
        return { file, start: info.firstBlock, finish: info.firstBlock + info.totalBlocks, rate: info.sampleRate,
                 channels: info.channels, bits: info.bitsPerSample, blocks: info.totalBlocks,
                 artist: tags.Artist ?? '', album: tags.Album ?? '', title: tags.Title ?? file.name,
                 number: Number.parseInt(tags.Track ?? '', 10) || made.length + 1, ...fields };
    };
    for (const file of files.filter((f) => /\.cue$/i.test(f.name))) {
        try {
            const bytes = new Uint8Array(await file.arrayBuffer());
            let sheet = await parseCue(bytes);
            const image = resolve(sheet.image);
            if (!image)
                throw new Error(`${file.name} names the image "${sheet.image}": open it together with the sheet`);
            used.add(image);
            const whole = await open(image);
            const { sampleRate, totalBlocks } = whole.info;
            const tags = whole.tags;
            whole.close();
            if (sampleRate !== 44100)
                sheet = await parseCue(bytes, { sampleRate });
            for (const track of sheet.tracks) {
                const finish = track.finish ?? totalBlocks;
                const decoder = await openRange(image, track.start, finish);
                made.push(await describe(image, decoder, { number: track.number, title: track.title,
                                                           artist: track.performer || tags.Artist || '' }));
            }
        } catch (error) {
            errors.push(`${file.name}: ${error.message}`);
        }
    }
    for (const file of files.filter((f) => /\.zlk$/i.test(f.name))) {
        try {
            const bytes = new Uint8Array(await file.arrayBuffer());
            const link = await parseLink(bytes);
            const image = link && resolve(link.image);
            if (image)
                used.add(image);
            const decoder = await openLink(bytes, resolve);
            made.push(await describe(image, decoder, {}));
        } catch (error) {
            errors.push(`${file.name}: ${error.message}`);
        }
    }
    for (const file of files.filter((f) => /\.(zem|qrb)$/i.test(f.name) && !used.has(f))) {
        try {
            made.push(await describe(file, await open(file), {}));
        } catch (error) {
            errors.push(`${file.name}: ${error.message}`);
        }
    }
    return { made, errors };
}

function summary(track, index) {
    const { file, ...rest } = track;
    return { ...rest, index, image: file.name };
}

async function openTrack(index) {
    const track = tracks[index];
    return openRange(track.file, track.start, track.finish,
                     { Title: track.title, Artist: track.artist, Album: track.album });
}

async function play(index, block) {
    playing?.decoder.close();
    playing = null;
    generation += 1;
    inFlight = 0;
    const decoder = await openTrack(index);
    decoder.seek(block);
    playing = { index, decoder, generation };
    feed.postMessage({ type: 'generation', generation, paused });
    pump();
}

// Sends chunks while the worklet holds less than the look-ahead; runs again
// when it reports progress.
async function pump() {
    if (feeding || !playing)
        return;
    feeding = true;
    try {
        while (playing && inFlight < lookaheadSeconds * tracks[playing.index].rate) {
            const current = playing;
            const chunk = current.decoder.read(CHUNK_BLOCKS);
            if (!chunk) {
                const next = tracks[current.index + 1];
                const track = tracks[current.index];
                current.decoder.close();
                if (next && next.file === track.file && next.start === track.finish) {
                    // The next track of the same image follows without a gap.
                    const decoder = await openTrack(current.index + 1);
                    if (playing !== current) {  // a seek or another track came meanwhile
                        decoder.close();
                        continue;
                    }
                    playing = { index: current.index + 1, decoder, generation: current.generation };
                } else {
                    feed.postMessage({ type: 'end', generation: current.generation });
                    playing = null;
                }
                continue;
            }
            if (chunk.damaged)
                postMessage({ type: 'damage', track: current.index, start: chunk.start, blocks: chunk.blocks,
                              reason: chunk.error.message });
            const channels = chunk.planar();
            feed.postMessage({ type: 'chunk', generation: current.generation, track: current.index, start: chunk.start,
                               bytesPerSample: chunk.info.bitsPerSample === 24 ? 3 : 2, channels },
                             channels.map((channel) => channel.buffer));
            inFlight += chunk.blocks;
        }
    } catch (error) {
        postMessage({ type: 'error', message: error.message });
    } finally {
        feeding = false;
    }
}

function fromWorklet({ data }) {
    if (data.generation !== generation)
        return;
    if (data.type === 'position') {
        inFlight = data.queued;
        postMessage({ type: 'position', track: data.track, block: data.block });
        pump();
    } else if (data.type === 'ended') {
        postMessage({ type: 'ended' });
    }
}

async function save(index) {
    const track = tracks[index];
    const decoder = await openTrack(index);
    const parts = [...decoder.wavParts()];
    decoder.close();
    const name = `${String(track.number).padStart(2, '0')} - ${track.title}.wav`.replace(/[\\/:*?"<>|]/g, '_');
    postMessage({ type: 'wav', index, name, blob: new Blob(parts, { type: 'audio/wav' }) });
}

onmessage = async ({ data, ports }) => {
    try {
        if (data.type === 'connect') {
            feed = ports[0];
            feed.onmessage = fromWorklet;
            lookaheadSeconds = data.lookaheadSeconds ?? lookaheadSeconds;
        } else if (data.type === 'files') {
            const { made, errors } = await makeTracks(data.files);
            playing?.decoder.close();
            playing = null;
            tracks = made;
            postMessage({ type: 'tracks', tracks: made.map(summary), errors });
        } else if (data.type === 'play') {
            paused = false;
            await play(data.track, data.block ?? 0);
        } else if (data.type === 'pause') {
            paused = data.paused;
            feed.postMessage({ type: 'pause', paused });
        } else if (data.type === 'save') {
            await save(data.track);
        }
    } catch (error) {
        postMessage({ type: 'error', message: error.message });
    }
};
