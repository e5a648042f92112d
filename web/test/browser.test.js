// SPDX-License-Identifier: BSD-3-Clause
// The player in headless Chromium (Debian's, driven by playwright-core): the
// bundled album's image and sheet opened through the file input, the track
// list, the samples of track 2 that reach the audio worklet against `zemtool
// decode`'s PCM of that track (from its start, then from a seek), and the
// saved WAV file byte for byte; then the page again with no network. A
// screenshot goes to $SCREENSHOT.
import assert from 'node:assert/strict';
import { copyFileSync, mkdtempSync, readFileSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { crc32 } from 'node:zlib';

import { chromium } from 'playwright-core';

import { serve } from './serve.js';
import { album, nativeDecode, run, tempFolder } from './support.js';

const flags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync',
               '--autoplay-policy=no-user-gesture-required'];

test('the player plays, seeks and saves track 2 of the album exactly', async (t) => {
    const folder = tempFolder(t);
    symlinkSync(join(album, 'Tallowmere.zem'), join(folder, 'Tallowmere.zem'));
    copyFileSync(join(album, 'Tallowmere.cue'), join(folder, 'Tallowmere.cue'));
    run('links', join(folder, 'Tallowmere.cue'));
    const wav = nativeDecode(join(folder, 'Corvane - Tallowmere - 02 - Saltglass.zlk'), folder);
    const pcm = wav.subarray(44);

    const server = await serve();
    t.after(() => server.close());
    const context = await chromium.launchPersistentContext(mkdtempSync(join(tmpdir(), 'zem-chromium-')), {
        executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: flags,
        acceptDownloads: true, viewport: { width: 1000, height: 760 } });
    t.after(() => context.close());
    const page = context.pages()[0] ?? await context.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    await page.goto(`http://127.0.0.1:${server.address().port}/player/?lookahead=30`);

    await page.setInputFiles('#files', [join(album, 'Tallowmere.zem'), join(album, 'Tallowmere.cue')]);
    await page.waitForFunction(() => document.querySelectorAll('#tracks tbody tr').length === 3);
    const rows = await page.$$eval('#tracks tbody tr', (all) => all.map((row) => [...row.cells].map((cell) => cell.textContent)));
    assert.deepEqual(rows, [['1', 'Wrenfall', 'Corvane', 'Tallowmere', '0:04.267'],
                            ['2', 'Saltglass', 'Corvane', 'Tallowmere', '0:04.227'],
                            ['3', 'Lanternfield', 'Ilse Marrow', 'Tallowmere', '0:03.507']]);

    // What reached the worklet for track 2 (index 1) in the newest generation, once it is all there.
    const reached = async (from) => {
        for (let tries = 0; tries < 600; ++tries) {
            const found = await page.evaluate(async ([from, blocks]) => {
                const hashes = await window.zemPlayer.hashes();
                const newest = Math.max(...hashes.map((h) => h.generation));
                return hashes.find((h) => h.generation === newest && h.track === 1 && h.from === from && h.blocks === blocks);
            }, [from, pcm.length / 4 - from]);
            if (found)
                return found;
            await page.waitForTimeout(100);
        }
        assert.fail(`the samples of track 2 from block ${from} never all reached the worklet`);
    };

    await page.click('#tracks tbody tr:nth-child(2) button');
    assert.equal((await reached(0)).crc, crc32(pcm));

    const target = 100003;
    await page.$eval('#seek', (seek, block) => { seek.value = block; seek.dispatchEvent(new Event('change')); }, target);
    assert.equal((await reached(target)).crc, crc32(pcm.subarray(target * 4)));

    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    assert.equal(download.suggestedFilename(), '02 - Saltglass.wav');
    assert.ok(readFileSync(await download.path()).equals(wav));

    await page.click('#play');  // pause, for a still picture
    if (process.env.SCREENSHOT)
        await page.screenshot({ path: process.env.SCREENSHOT });

    // Once loaded, the page opens and reads the album with no network at all.
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 });
    server.close();
    server.closeAllConnections();
    await context.setOffline(true);
    await page.reload();
    await page.setInputFiles('#files', [join(album, 'Tallowmere.zem'), join(album, 'Tallowmere.cue')]);
    await page.waitForFunction(() => document.querySelectorAll('#tracks tbody tr').length === 3);
    assert.deepEqual(problems, []);
});
