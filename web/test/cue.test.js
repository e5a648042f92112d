// SPDX-License-Identifier: BSD-3-Clause
// Cue sheets give the tracks `zemtool links` writes link files for, and a
// link file's track decodes as `zemtool decode` decodes it.
import assert from 'node:assert/strict';
import { copyFileSync, readdirSync, readFileSync, symlinkSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';

import { open, openLink, parseCue, parseLink } from '../zem.js';
import { fileReader } from '../node.js';
import { album, corpus, nativeDecode, run, tempFolder } from './support.js';

// The links `zemtool links` writes beside a copy of `sheet`, in track order.
function nativeLinks(sheet, folder) {
    copyFileSync(sheet, join(folder, 'sheet.cue'));
    try {
        run('links', join(folder, 'sheet.cue'));
    } catch {
        return [];
    }
    return readdirSync(folder).filter((name) => name.endsWith('.zlk')).map((name) => readFileSync(join(folder, name)));
}

test('cue sheets give the tracks zemtool links writes', async (t) => {
    const sheets = [join(album, 'Tallowmere.cue'), ...readdirSync(join(corpus, 'cues')).filter((name) => name.endsWith('.cue')).slice(0, 12)
        .map((name) => join(corpus, 'cues', name))];
    for (const sheet of sheets) {
        const folder = tempFolder(t);
        const links = nativeLinks(sheet, folder);
        let parsed;
        try {
            parsed = await parseCue(readFileSync(sheet));
        } catch (error) {
            assert.equal(links.length, 0, `${sheet}: ${error.message}`);
            continue;
        }
        const expected = [];
        for (const link of links) {
            const keys = await parseLink(link);
            expected.push({ start: keys.start, finish: keys.finish < 0 ? null : keys.finish, image: keys.image });
        }
        const got = parsed.tracks.map(({ start, finish }) => ({ start, finish, image: parsed.image }));
        const key = (track) => `${track.start}/${track.finish}`;
        assert.deepEqual(new Set(got.map(key)), new Set(expected.map(key)), sheet);
    }
});

test('the album: tracks, titles, performers; a link plays its track', async (t) => {
    const cue = await parseCue(readFileSync(join(album, 'Tallowmere.cue'), 'latin1'));
    assert.deepEqual(cue.tracks.map(({ number, title, performer, start, finish }) => [number, title, performer, start, finish]), [
        [1, 'Wrenfall', 'Corvane', 0, 188160],
        [2, 'Saltglass', 'Corvane', 188160, 374556],
        [3, 'Lanternfield', 'Ilse Marrow', 374556, null],
    ]);
    assert.equal(cue.image, 'Tallowmere.zem');
    assert.equal((await parseCue('TITLE "x"\n', { sampleRate: 48000 }).catch((error) => error)).code, -5);

    const folder = tempFolder(t);
    symlinkSync(join(album, 'Tallowmere.zem'), join(folder, 'Tallowmere.zem'));
    copyFileSync(join(album, 'Tallowmere.cue'), join(folder, 'Tallowmere.cue'));
    run('links', join(folder, 'Tallowmere.cue'));
    const link = join(folder, 'Corvane - Tallowmere - 02 - Saltglass.zlk');
    const asked = [];
    const decoder = await openLink(readFileSync(link), (name) => (asked.push(name), fileReader(join(folder, name))));
    assert.deepEqual(asked, ['Tallowmere.zem']);
    assert.deepEqual(decoder.tags, { Track: '02', Artist: 'Corvane', Title: 'Saltglass', Album: 'Tallowmere' });
    assert.equal(decoder.info.firstBlock, 188160);
    assert.ok(Buffer.from(decoder.wav()).equals(nativeDecode(link, folder)));
    await assert.rejects(openLink(readFileSync(link), () => null), { code: -5 });
    await assert.rejects(openLink(new Uint8Array(100), () => null), { code: -5 });

    const image = await open(readFileSync(join(album, 'Tallowmere.zem')));
    assert.deepEqual(image.tags, { Artist: 'Corvane', Album: 'Tallowmere' });
});
