// The web edition as an installed app in headless Chromium: the first visit
// keeps every file of the site, fetching none twice; with the server gone the
// page loads, plays a tune from the audio worklet and opens a share link in a
// new tab; a new version, found on the next visit with the server back, is
// offered in every open tab and replaces the cache once the visitor takes it.
// Usage: node offlineTest.mjs SITE_DIR
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { launch, openPage, serve } from './harness.mjs';

// The site in a folder of the server, as it may be put anywhere.
const folder = 'korvel/';
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'korvel-offline-test-'));
const [served, nextServed] = [path.join(scratch, 'served'), path.join(scratch, 'next')];
const [site, next] = [path.join(served, folder), path.join(nextServed, folder)];
fs.cpSync(path.resolve(process.argv[2]), site, { recursive: true });
const siteFiles = fs
  .readdirSync(site, { recursive: true })
  .filter((name) => fs.statSync(path.join(site, name)).isFile() && name !== 'serviceWorker.js')
  .sort();

// The next version: another cache name, and the page says which it is.
const version = fs.readFileSync(path.join(site, 'serviceWorker.js'), 'utf8').match(/korvel-simulator-([^$`]+)\$/)[1];
fs.cpSync(site, next, { recursive: true });
for (const [file, from, to] of [
  ['serviceWorker.js', `korvel-simulator-${version}`, `korvel-simulator-${version}-next`],
  ['index.html', /Version ([^<]+)/, 'Version $1-next'],
]) {
  const changed = path.join(next, file);
  fs.writeFileSync(changed, fs.readFileSync(changed, 'utf8').replace(from, to));
}

let web, chromium, page;
const pages = [];
const requested = new Map(); // path -> times the server was asked for it
before(async () => {
  web = await serve(served);
  web.server.on('request', ({ url }) => {
    const file = new URL(url, web.origin).pathname.replace(/\/$/, '/index.html');
    requested.set(file, (requested.get(file) ?? 0) + 1);
  });
  chromium = await launch();
});
after(async () => {
  for (const each of pages) assert.deepEqual(each.errors, [], 'console errors');
  await chromium?.close();
  web?.server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

async function open(fragment = '') {
  const opened = await openPage(chromium.browser, web.origin, folder + fragment);
  pages.push(opened);
  return opened;
}

// Each cache of the origin with the files it holds, named as in the site.
const cachesOf = (tab) =>
  tab.evaluate(async () => {
    const found = {};
    for (const name of await caches.keys()) {
      const requests = await (await caches.open(name)).keys();
      found[name] = requests.map((r) => r.url.slice(new URL('.', location).href.length)).sort();
    }
    return found;
  });
const cacheName = (v) => `korvel-simulator-${v} ${web.origin}/${folder}`;
const status = (tab) => tab.$eval('#status', (p) => p.textContent);

test('installed on the first visit, the page loads and plays with the server gone', async () => {
  page = await open();
  // The board says it is loading only until the keys answer.
  assert.deepEqual(
    await page.$eval('#fit', (fit) => [fit.getAttribute('aria-busy'), !!fit.querySelector('#loading')]),
    [null, false],
  );
  await page.waitForFunction(() => navigator.serviceWorker.controller?.state === 'activated');
  assert.deepEqual(await cachesOf(page), { [cacheName(version)]: siteFiles });
  // The offline copy took what the page had fetched rather than fetching it again.
  assert.deepEqual(
    [...requested].filter(([, times]) => times > 1),
    [],
    'files fetched twice',
  );
  // What the browser needs to offer it for a home screen or a desktop.
  const devTools = await page.createCDPSession();
  assert.deepEqual((await devTools.send('Page.getAppManifest')).errors, []);
  assert.deepEqual((await devTools.send('Page.getInstallabilityErrors')).installabilityErrors, []);

  await web.stop();
  await page.reload();
  await page.waitForSelector('html[data-ready]');
  await page.click('#fileMenu');
  await page.click('#examples');
  await page.click('#exampleItems [data-file="ode-to-joy.dat"]');

  // The audio worklet plays the tune; its steps go on.
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.korvel.soundRunning());
  const count = 22050;
  await page.evaluate((n) => window.korvel.recordSound(n), count);
  await page.keyboard.press(' ');
  const first = await status(page);
  assert.match(first, /^Playing {2}step /);
  await page.waitForFunction((s) => document.getElementById('status').textContent !== s, {}, first);
  let samples = [];
  for (let i = 0; i < 40 && samples.length < count; ++i) {
    await new Promise((r) => setTimeout(r, 100));
    samples = await page.evaluate(async () => Array.from((await window.korvel.soundReport()).samples));
  }
  assert.equal(samples.length, count);
  assert.ok(new Set(samples).size > 1, 'the tune sounds');
  await page.keyboard.press('Escape');

  // A share link opened in a new tab, offline too.
  const link = await page.evaluate(() => window.korvel.shareText());
  const linked = await open(`#${link}`);
  assert.equal(await linked.$eval('#note', (p) => p.textContent), 'Tune loaded from the link: press RUN to play.');
  await linked.close();
});

test('a new version, found on the next visit with the server back, is offered and replaces the cache on reload', async () => {
  web.site = nextServed;
  await web.start();
  const visit = await open();
  const offered = () => document.getElementById('update').textContent.startsWith('A new version is ready');
  await visit.waitForFunction(offered);
  await visit.addScriptTag({ path: createRequire(import.meta.url).resolve('axe-core/axe.min.js') });
  assert.deepEqual(await visit.evaluate(async () => (await axe.run('header')).violations.map((v) => v.id)), []);
  // The new version waits beside the one in use.
  assert.deepEqual(await cachesOf(visit), {
    [cacheName(version)]: siteFiles,
    [cacheName(`${version}-next`)]: siteFiles,
  });

  await Promise.all([visit.waitForNavigation(), visit.click('#update button')]);
  await visit.waitForSelector('html[data-ready]');
  assert.deepEqual(await cachesOf(visit), { [cacheName(`${version}-next`)]: siteFiles });
  assert.match(await visit.$eval('#aboutBox p', (p) => p.textContent), /-next/);
  assert.equal(await visit.$eval('#update', (p) => p.textContent), '');
  // The tab still on the old version is told too.
  await page.waitForFunction(offered);
});
