// The loaded tune's names: the file Save writes, and the title an export
// gives it. A tune typed in or opened from the clipboard or a link has the
// desktop edition's title for an untitled tune. An example, once changed, is
// no longer the example: its names say so ("ode-to-joy-changed.dat", "Ode to
// Joy (changed)") until undo brings it back as it came.
export const stemOf = (name) => name.replace(/\.[^.]*$/, '') || name;

// page: the kit, its strings and shareText().
export function tuneNames(page) {
  const { kit } = page;
  const { text } = page.memory;
  let fileName = 'korvel.dat';
  let title = null;
  let example = null; // the example's share text, while the names are an example's
  const changedExample = () => example !== null && page.shareText() !== example;
  return {
    fileName: () => (changedExample() ? `${stemOf(fileName)}-changed.dat` : fileName),
    title() {
      const named = title ?? text(kit._korvel_untitledTuneTitle());
      return changedExample() ? `${named} (changed)` : named;
    },
    name(file, tuneTitle = null) {
      fileName = file;
      title = tuneTitle;
      example = null;
    },
    nameExample(file, tuneTitle) {
      this.name(file, tuneTitle);
      example = page.shareText();
    },
  };
}
