// What the page keeps for the next visit, in the browser's local storage. A
// browser that keeps nothing (a private window, storage turned off) throws:
// the page then starts from its defaults each time instead of failing.
export function setting(name) {
  try {
    return localStorage.getItem(name) ?? '';
  } catch {
    return '';
  }
}

export function keepSetting(name, value) {
  try {
    localStorage.setItem(name, value);
  } catch {}
}
