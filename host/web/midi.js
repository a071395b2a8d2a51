// A MIDI keyboard plays the kit's organ and records in the tune editor,
// through the browser's Web MIDI. The browser is asked for it (without system
// exclusive) only once the visitor turns Input > MIDI Keyboard Input on; on a
// later visit it opens again without asking only where the visitor left it
// on and the browser says the permission stands. The kit's module decides
// everything (midiExports.cpp): which port to open or close as ports come
// and go, the visitor's choice kept by name, the status line's text, and what
// each message plays and records. This module only hands it the browser's
// events, each message at once, and does what it answers.
import { exchange } from './boundary.js';
import { keepSetting, setting } from './settings.js';

const $ = (id) => document.getElementById(id);
const onSetting = 'korvel.midiInput';
const portSetting = 'korvel.midiPort';
const caption = 'MIDI Keyboard Input';

// Why there is no MIDI input, in a visitor's words; error as requestMIDIAccess rejected.
export function midiTrouble(error) {
  if (!navigator.requestMIDIAccess)
    return isSecureContext
      ? 'This browser has no MIDI input: play the kit from a MIDI keyboard in a browser that has.'
      : 'The browser lets a page use MIDI keyboards only when it is served over https:// or from localhost.';
  switch (error?.name) {
    case 'NotAllowedError':
    case 'SecurityError':
      return "The browser did not allow this page to use MIDI keyboards: allow it in the site's settings and try again.";
  }
  return `The browser could not open its MIDI input (${error?.name || 'no reason given'}).`;
}

// page: the kit, its strings and input, act(), startSound(), note() and tell().
export function setUpMidi(page) {
  const { kit, act } = page;
  const { text, withString, putInput, encoder } = page.memory;
  const toggle = $('midiInput');
  const menu = toggle.parentElement;
  let access = null; // the browser's MIDI access while on
  let asked = null; // the request on its way, until the browser answers
  let port = null; // the input port open
  let shownMessage = '';

  // The ports connected now, their names as a list in the kit's input.
  function listPorts() {
    const names = [...access.inputs.values()].filter((p) => p.state === 'connected').map((p) => p.name ?? '');
    putInput(encoder.encode(names.map((name) => name + exchange.listItemEnd).join('')));
    follow(() => kit._korvel_midiPorts());
  }

  // A call into the kit's MIDI, then what it answered: what the menu and the
  // status line show, and the port to close and to open (last, as a port
  // that will not open answers again).
  function follow(call) {
    const answer = JSON.parse(act(() => text(call())));
    if (answer.chosen) keepSetting(portSetting, answer.chosen);
    $('midiStatus').textContent = answer.status;
    showPorts(answer);
    if (answer.close) closePort();
    if (answer.open) openPort(answer.open);
  }

  // A port that will not open stays chosen, tried again when the ports change.
  function openPort(name) {
    const failed = (error) => {
      page.note(`Could not open the MIDI port ${name} (${error?.name || 'no reason given'}).`, { lasting: true });
      follow(() => kit._korvel_midiOpenFailed());
    };
    const found = [...access.inputs.values()].find((p) => p.state === 'connected' && p.name === name);
    if (!found) return failed(null);
    port = found;
    port.onmidimessage = deliver;
    port.open().catch((error) => {
      if (port !== found) return;
      closePort();
      failed(error);
    });
  }

  function closePort() {
    if (!port) return;
    port.onmidimessage = null;
    port.close().catch(() => {});
    port = null;
  }

  function deliver({ data, timeStamp }) {
    page.startSound();
    putInput(data);
    const message = act(() => text(kit._korvel_midiReceive(timeStamp)));
    if (message && message !== shownMessage) page.note(message);
    shownMessage = message;
  }

  // The menu: the ports under the switch, the chosen one checked, or a word
  // that none is connected.
  function showPorts({ ports, chosen }) {
    for (const item of menu.querySelectorAll('.midiPort')) item.remove();
    toggle.setAttribute('aria-checked', String(!!(access || asked)));
    if (!access) return;
    const separator = Object.assign(document.createElement('div'), { className: 'midiPort' });
    separator.setAttribute('role', 'separator');
    const items = ports.map((name) => {
      const item = Object.assign(document.createElement('button'), { className: 'midiPort', tabIndex: -1 });
      item.setAttribute('role', 'menuitemradio');
      item.setAttribute('aria-checked', String(name === chosen));
      item.textContent = name;
      item.addEventListener('click', () =>
        withString(name, (pointer) => follow(() => kit._korvel_midiChoose(pointer))),
      );
      return item;
    });
    if (!items.length) {
      const none = Object.assign(document.createElement('button'), { className: 'midiPort', tabIndex: -1 });
      none.setAttribute('role', 'menuitem');
      none.setAttribute('aria-disabled', 'true');
      none.textContent = 'No MIDI keyboard connected';
      items.push(none);
    }
    menu.append(separator, ...items);
  }

  async function turnOn() {
    const own = (asked = {});
    showPorts({});
    const refused = (error) => {
      asked = null;
      showPorts({});
      page.tell(caption, midiTrouble(error));
    };
    if (!navigator.requestMIDIAccess) return refused(null);
    let granted;
    try {
      granted = await navigator.requestMIDIAccess({ sysex: false });
    } catch (error) {
      if (asked === own) refused(error);
      return;
    }
    if (asked !== own) return; // turned off while the browser asked
    asked = null;
    access = granted;
    keepSetting(onSetting, 'on');
    follow(() => kit._korvel_midiInput(1));
    access.onstatechange = listPorts;
    listPorts();
  }

  function turnOff() {
    asked = null;
    if (access) access.onstatechange = null;
    closePort();
    access = null;
    keepSetting(onSetting, '');
    follow(() => kit._korvel_midiInput(0));
  }

  toggle.addEventListener('click', () => {
    page.startSound();
    if (access || asked) turnOff();
    else turnOn();
  });

  // Where the visitor left it on and the browser will not ask again. The
  // browser lets the page sound only after a click or a key, which a MIDI
  // message is not: the first one anywhere on the page starts the sound.
  function reopen({ state }) {
    if (state !== 'granted' || access || asked) return;
    for (const type of ['pointerdown', 'keydown'])
      addEventListener(type, page.startSound, { once: true, capture: true });
    turnOn();
  }

  withString(setting(portSetting), (remembered) => kit._korvel_midiStart(remembered));
  if (setting(onSetting) && navigator.requestMIDIAccess && navigator.permissions)
    navigator.permissions
      .query({ name: 'midi', sysex: false })
      .then(reopen)
      .catch(() => {});
}
