// The tune in words: the share link that carries it, and the tune kept in the
// browser between visits in the same words.
import { keepSetting, setting } from './settings.js';

const tuneSetting = 'korvel.tune';

// page: the kit, its strings, act(), the tune's names and the messages.
export function setUpShare(page) {
  const { kit, act } = page;
  const { encoder, putInput } = page.memory;
  const shareText = () => page.memory.text(kit._korvel_shareText());
  const shareLink = () => `${location.href.split('#')[0]}#${shareText()}`;

  async function share() {
    const link = shareLink();
    try {
      await navigator.clipboard.writeText(link);
      page.note('Link copied: it opens this tune.');
    } catch {
      // The link to select and copy by hand.
      document.getElementById('linkField').value = link;
      page.showDialog('shareBox');
      document.getElementById('linkField').select();
    }
  }

  // A link's tune replaces memory, tempo and start address (the tune it
  // replaced one undo away); a fragment that is not one changes nothing. The
  // fragment then leaves the address, so a reload brings back the tune as it
  // was left rather than the link's again.
  function openLink() {
    const fragment = location.hash.slice(1);
    if (!fragment) return;
    putInput(encoder.encode(fragment));
    if (act(() => kit._korvel_applyShareText())) {
      page.tune.untitled();
      history.replaceState(null, '', location.href.split('#')[0]);
      page.note('Tune loaded from the link: press RUN to play.');
    } else {
      page.note('');
      page.tell('Open Link', 'This link does not hold a KORVEL tune. Nothing was changed.');
    }
  }

  function keepTune() {
    keepSetting(tuneSetting, shareText());
  }
  function bringBackTune() {
    const kept = setting(tuneSetting);
    if (!kept) return;
    putInput(encoder.encode(kept));
    kit._korvel_applyShareText();
  }

  return { shareText, share, openLink, keepTune, bringBackTune };
}
