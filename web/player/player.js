// SPDX-License-Identifier: BSD-3-Clause
// The page: files in, track list, transport, damage marks and saving. The
// worker decodes and feeds the audio worklet; this thread only shows and asks.
const $ = (id) => document.getElementById(id);
const worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
// Kept for use with no network once loaded (browsers allow it on https and localhost only).
if ('serviceWorker' in navigator)
    navigator.serviceWorker.register(new URL('./offline.js', import.meta.url)).catch(() => {});
const lookaheadSeconds = Number(new URLSearchParams(location.search).get('lookahead')) || 2;

let tracks = [];
let current = -1;        // the track shown in the transport
let position = 0;        // its block
let playing = false;
let audio = null;        // {context, node}
let dragging = false;
const damage = new Map(); // track -> [{start, blocks}]
const waiting = new Map(); // replies the page waits for, by type

function clock(blocks, rate) {
    const ms = Math.round((blocks / rate) * 1000);
    const m = Math.floor(ms / 60000), s = Math.floor(ms / 1000) % 60;
    return `${m}:${String(s).padStart(2, '0')}.${String(ms % 1000).padStart(3, '0')}`;
}

function status(text) { $('status').textContent = text; }

async function ensureAudio(rate) {
    if (audio && audio.context.sampleRate === rate) {
        await audio.context.resume();
        return;
    }
    await audio?.context.close();
    const context = new AudioContext({ sampleRate: rate, latencyHint: 'playback' });
    await context.audioWorklet.addModule(new URL('./worklet.js', import.meta.url));
    const node = new AudioWorkletNode(context, 'zem-player', { numberOfInputs: 0, outputChannelCount: [2] });
    node.connect(context.destination);
    const channel = new MessageChannel();
    node.port.postMessage({ type: 'connect' }, [channel.port1]);
    worker.postMessage({ type: 'connect', lookaheadSeconds }, [channel.port2]);
    node.port.onmessage = ({ data }) => waiting.get(data.type)?.(data);
    audio = { context, node };
    await context.resume();
}

function showTrack(index) {
    current = index;
    const track = tracks[index];
    $('now').textContent = track ? `${track.number}. ${track.title} — ${track.artist}` : 'Nothing playing';
    $('seek').max = track ? track.blocks : 0;
    $('length').textContent = track ? clock(track.blocks, track.rate) : '0:00.000';
    for (const row of $('tracks').tBodies[0].rows)
        row.setAttribute('aria-current', String(Number(row.dataset.index) === index));
    for (const id of ['seek', 'play', 'save'])
        $(id).disabled = !track;
    $('previous').disabled = !track || index === 0;
    $('next').disabled = !track || index === tracks.length - 1;
    showPosition(0);
    showDamage();
}

function showPosition(block) {
    position = block;
    const track = tracks[current];
    if (!dragging)
        $('seek').value = block;
    $('seek').setAttribute('aria-valuetext', track ? `${clock(block, track.rate)} of ${clock(track.blocks, track.rate)}` : '');
    $('elapsed').textContent = track ? clock(block, track.rate) : '0:00.000';
}

function showDamage() {
    const track = tracks[current];
    const marks = damage.get(current) ?? [];
    $('marks').replaceChildren(...marks.map(({ start, blocks }) => {
        const mark = document.createElement('span');
        mark.style.left = `${(100 * start) / track.blocks}%`;
        mark.style.width = `${(100 * blocks) / track.blocks}%`;
        return mark;
    }));
    $('damage').textContent = marks.length
        ? `${marks.length} damaged frame${marks.length > 1 ? 's' : ''} in this track play as silence (marked red).` : '';
}

function setPlaying(on) {
    playing = on;
    $('play').textContent = on ? '▮▮' : '▶';
    $('play').setAttribute('aria-label', on ? 'Pause' : 'Play');
}

async function play(index, block = 0) {
    const track = tracks[index];
    if (!track)
        return;
    await ensureAudio(track.rate);
    if (index !== current)
        showTrack(index);
    showPosition(block);
    setPlaying(true);
    worker.postMessage({ type: 'play', track: index, block });
}

function togglePlay() {
    if (current < 0)
        return play(0);
    if (!playing && !audio)
        return play(current, position);
    setPlaying(!playing);
    worker.postMessage({ type: 'pause', paused: !playing });
}

function showTracks() {
    const body = $('tracks').tBodies[0];
    body.replaceChildren(...tracks.map((track, index) => {
        const row = body.insertRow();
        row.dataset.index = index;
        const title = document.createElement('button');
        title.textContent = track.title;
        title.setAttribute('aria-label', `Play ${track.number}. ${track.title} by ${track.artist}`);
        for (const text of [track.number, null, track.artist, track.album, clock(track.blocks, track.rate)]) {
            const cell = row.insertCell();
            if (text === null)
                cell.append(title);
            else
                cell.textContent = text;
        }
        row.addEventListener('click', () => play(index));
        return row;
    }));
    showTrack(tracks.length ? 0 : -1);
}

function openFiles(files) {
    if (!files.length)
        return;
    status(`Reading ${files.length} file${files.length > 1 ? 's' : ''}…`);
    damage.clear();
    setPlaying(false);
    worker.postMessage({ type: 'files', files: [...files] });
}

function save() {
    if (current < 0)
        return;
    status('Writing the WAV file…');
    worker.postMessage({ type: 'save', track: current });
}

worker.onmessage = ({ data }) => {
    switch (data.type) {
    case 'tracks':
        tracks = data.tracks;
        showTracks();
        status([`${tracks.length} track${tracks.length === 1 ? '' : 's'}.`, ...data.errors].join(' '));
        break;
    case 'position':
        if (data.track !== current)
            showTrack(data.track);
        showPosition(data.block);
        break;
    case 'damage':
        damage.set(data.track, [...(damage.get(data.track) ?? []), data]);
        if (data.track === current)
            showDamage();
        break;
    case 'ended':
        setPlaying(false);
        break;
    case 'wav': {
        const link = document.createElement('a');
        link.href = URL.createObjectURL(data.blob);
        link.download = data.name;
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
        status(`Saved ${data.name}.`);
        break;
    }
    case 'error':
        status(data.message);
        break;
    }
};

$('files').addEventListener('change', (event) => openFiles(event.target.files));
const drop = $('drop');
drop.addEventListener('dragover', (event) => { event.preventDefault(); drop.classList.add('over'); });
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (event) => { event.preventDefault(); drop.classList.remove('over'); openFiles(event.dataTransfer.files); });
$('play').addEventListener('click', togglePlay);
$('previous').addEventListener('click', () => play(current - 1));
$('next').addEventListener('click', () => play(current + 1));
$('save').addEventListener('click', save);
$('seek').addEventListener('input', () => { dragging = true; $('elapsed').textContent = clock(Number($('seek').value), tracks[current].rate); });
$('seek').addEventListener('change', () => { dragging = false; play(current, Number($('seek').value)); });

document.addEventListener('keydown', (event) => {
    if (event.target.closest?.('input[type=range]') && event.key.startsWith('Arrow'))
        return;
    const track = tracks[current];
    const step = (seconds) => track && play(current, Math.max(0, Math.min(track.blocks - 1, position + seconds * track.rate)));
    const actions = { ' ': togglePlay, ArrowLeft: () => step(-5), ArrowRight: () => step(5), Home: () => track && play(current, 0),
                      n: () => play(current + 1), p: () => play(current - 1), s: save };
    const action = actions[event.key.length === 1 ? event.key.toLowerCase() : event.key];
    if (action && !(event.key === ' ' && event.target instanceof HTMLButtonElement)) {
        event.preventDefault();
        action();
    }
});

// For tests and the curious: the tracks, and the CRC-32 of the samples that reached the worklet.
window.zemPlayer = {
    tracks: () => tracks,
    state: () => ({ current, position, playing }),
    hashes: () => new Promise((resolve) => {
        if (!audio)
            return resolve([]);
        waiting.set('hashes', (data) => resolve(data.hashes));
        audio.node.port.postMessage({ type: 'hashes' });
    }),
};
