// Keeps the site for offline use where the browser offers service workers
// (pages served over https:// or from localhost); elsewhere the page works
// as before, from the network. A new version, fetched on the next visit or
// when the visitor comes back online or to the page, waits until the visitor
// chooses to reload: the page says so.
// shown: called once the notice has taken its room on the page.
export function setUpOffline(notice, { shown }) {
  if (!('serviceWorker' in navigator)) return;
  const workers = navigator.serviceWorker;
  let reloading = false;
  let registration = null;

  function offerNewVersion() {
    if (notice.childElementCount) return;
    const reload = document.createElement('button');
    reload.type = 'button';
    reload.textContent = 'Reload';
    reload.addEventListener('click', () => {
      reloading = true;
      // The new worker takes over first; the page reloads once it has.
      if (registration?.waiting) registration.waiting.postMessage('activate');
      else location.reload();
    });
    notice.append('A new version is ready; reload to use it. Your tune is kept.', reload);
    shown();
  }

  // A worker taking over an open page: the first one on the first visit, or
  // a new version this page or another tab asked for.
  let controlled = !!workers.controller;
  workers.addEventListener('controllerchange', () => {
    if (reloading) location.reload();
    else if (controlled) offerNewVersion();
    controlled = true;
  });

  function watch(worker) {
    worker?.addEventListener('statechange', () => {
      if (worker.state === 'installed' && workers.controller) offerNewVersion();
    });
  }

  // Once the page has loaded: the worker then keeps what the page fetched
  // rather than fetching it again, and fetches the rest meanwhile.
  const loaded =
    document.readyState === 'complete'
      ? Promise.resolve()
      : new Promise((resolve) => addEventListener('load', resolve, { once: true }));
  loaded
    .then(() => workers.register('serviceWorker.js'))
    .then((registered) => {
      registration = registered;
      if (registration.waiting && workers.controller) offerNewVersion();
      watch(registration.installing);
      registration.addEventListener('updatefound', () => watch(registration.installing));
      // An installed app is mostly brought back rather than opened anew.
      const lookForUpdate = () => registration.update().catch(() => {});
      addEventListener('online', lookForUpdate);
      document.addEventListener('visibilitychange', () => document.hidden || lookForUpdate());
    })
    // Without the worker the page still works, from the network.
    .catch(() => {});
}
