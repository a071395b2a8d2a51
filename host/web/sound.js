// The kit's sound. The kit, its sound queue included, runs on the page's main
// thread. The audio worklet (soundWorklet.js) asks for samples when its store
// runs low; the answer is pulled from the queue here and posted to it. A
// melody note's end is answered inside that pull, so the next note follows
// with no break, and a cut (a key let go, STOP) drops what the worklet holds
// at once.
import { sound as kitSound } from './boundary.js';

// The most the queue gives at once (webKit.cpp); the worklet asks again for the rest.
const { sampleRate, largestPull } = kitSound;
// While the worklet does not play, the queue is pulled this often (ms), and
// no more than this is caught up after a sleep.
const silentTick = 25;
const longestSilentCatchUp = 5 * sampleRate;

// page: the kit, act() (the sound follows every call) and note().
export function setUpSound(page) {
  const { kit, act } = page;
  let sound = null; // {context, node, reports} once the worklet runs; {} while it cannot
  let workletIdle = true;
  const soundRuns = () => sound?.context?.state === 'running';

  // Posts samples to the worklet: after a cut (dropping what it holds), when it
  // has gone idle and the kit sounds again, or when it asks for more.
  function postSamples(count, flush) {
    if (kit._korvel_soundIdle()) {
      if (flush || !workletIdle) sound.node.port.postMessage({ samples: null, flush });
      workletIdle = true;
      return;
    }
    const at = kit._korvel_pull(count);
    const samples = kit.HEAPU8.slice(at, at + count);
    sound.node.port.postMessage({ samples, flush }, [samples.buffer]);
    workletIdle = false;
  }

  function feedSound() {
    const cut = !!kit._korvel_takeCut();
    if (!soundRuns()) keepTimeSilently();
    else if (cut || workletIdle) postSamples(largestPull, cut);
  }
  page.afterEachCall(feedSound);

  // While the worklet does not play (no sound here, not started yet, or the
  // browser suspended it) a timer pulls the queue at the rate it would, so a
  // tune steps on in time, silently. A sleeping tab skips what it slept through.
  let silentTimer = 0;
  let pulledUpTo = 0; // performance.now() of the samples pulled so far

  function keepTimeSilently() {
    if (soundRuns() || kit._korvel_soundIdle()) {
      clearInterval(silentTimer);
      silentTimer = 0;
    } else if (!silentTimer) {
      pulledUpTo = performance.now();
      silentTimer = setInterval(() => act(pullSilently), silentTick);
    }
  }

  function pullSilently() {
    if (soundRuns()) return;
    const now = performance.now();
    let due = Math.floor(((now - pulledUpTo) * sampleRate) / 1000);
    if (due > longestSilentCatchUp) {
      due = longestSilentCatchUp;
      pulledUpTo = now - (due * 1000) / sampleRate;
    }
    pulledUpTo += (due * 1000) / sampleRate;
    for (let count; due > 0; due -= count) {
      count = Math.min(due, largestPull);
      kit._korvel_pull(count);
    }
  }

  function noSound(reason) {
    page.note(`No sound: ${reason} Tunes still play, silently.`, { lasting: true });
  }

  // The worklet is fed while its context runs; what it held from before a
  // suspension is stale by then.
  function followSoundState() {
    const runs = soundRuns();
    if (runs && !sound.fed) act(() => postSamples(largestPull, true));
    else if (!runs) keepTimeSilently();
    sound.fed = runs;
  }

  // Browsers let a page sound only after a user's gesture: the first key starts
  // it, and a key resumes it after the browser suspended it.
  async function startSound() {
    if (sound) {
      if (sound.context && !soundRuns()) sound.context.resume().catch(() => {});
      return;
    }
    sound = {};
    let context;
    try {
      context = new AudioContext({ sampleRate, latencyHint: 'interactive' });
      // Browsers offer audio worklets only to https:// pages and localhost.
      if (!context.audioWorklet) {
        context.close();
        return noSound('browsers allow it only on pages served over https:// or from localhost.');
      }
      await context.audioWorklet.addModule('soundWorklet.js');
      const node = new AudioWorkletNode(context, 'kit-sound', {
        numberOfInputs: 0,
        outputChannelCount: [1],
      });
      node.connect(context.destination);
      node.port.onmessage = ({ data }) => {
        if (data.want && soundRuns()) act(() => postSamples(Math.min(data.want, largestPull), false));
        if (data.report) sound.reports.shift()?.(data.report);
      };
      Object.assign(sound, { context, node, reports: [] });
      context.onstatechange = followSoundState;
      followSoundState();
      if (!soundRuns()) await context.resume();
    } catch {
      context?.close();
      sound = {};
      noSound('the browser could not start its sound output.');
    }
  }

  return {
    startSound,
    // For tests and measurements: the next count samples the worklet plays
    // from the next cut on, with the count of breaks.
    soundHooks: {
      recordSound(count) {
        sound.node.port.postMessage({ record: count });
      },
      soundReport() {
        return new Promise((resolve) => {
          sound.reports.push(resolve);
          sound.node.port.postMessage({ report: true });
        });
      },
      soundRunning: soundRuns,
      suspendSound: () => sound.context.suspend(),
    },
  };
}
