import { launch, openPage, serve } from './harness.mjs';
const web = await serve('/work/wt/editorweb/build/web');
const c = await launch(['--autoplay-policy=no-user-gesture-required']);
const page = await openPage(c.browser, web.origin);
await page.click('#viewMenu'); await page.click('#editorToggle');
for (const [sel, v] of [['#startAddress','000'],['#tempo','2']]) { await page.click(sel, {clickCount:3}); await page.keyboard.type(v); await page.keyboard.press('Tab'); }
await page.click('#step0c3');
for (const k of ['c','x','z','b','/']) await page.keyboard.press(k);
const cdp = await page.createCDPSession();
await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: '/tmp/ew/dl' });
await page.click('#fileMenu'); await page.click('#save');
await new Promise(r => setTimeout(r, 500));
await page.click('#step0c0');
await page.waitForFunction(() => window.korvel.soundRunning());
await page.evaluate(() => window.korvel.recordSound(44100));
await page.keyboard.press('Enter');
console.log(await page.$eval('#status', e => e.textContent), await page.evaluate(() => document.activeElement.id));
for (let i=0;i<5;++i){ await new Promise(r => setTimeout(r, 300)); console.log(await page.evaluate(() => window.korvel.soundRunning()), await page.$eval('#status', e => e.textContent)); }
console.log(await page.$eval('#status', e => e.textContent), await page.$eval('#note', e => e.textContent));
console.log((await page.evaluate(async () => (await window.korvel.soundReport()).samples.length)));console.log(page.errors);
await c.close(); web.server.close();
