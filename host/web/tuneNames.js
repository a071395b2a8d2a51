// The loaded tune's names (frontend/commands/tuneName.h): the title an export
// and a save give it, the stem its exports are named after, and the file Save
// offers. A tune typed in or opened from the clipboard or a link is untitled;
// an example, once changed, is no longer the example, and its names say so
// until undo brings it back as it came.

// page: the kit, its strings and shareText().
export function tuneNames(page) {
  const { kit } = page;
  const { text, putInput, withString } = page.memory;
  const json = (pointer) => JSON.parse(text(pointer));
  let names = null; // { title, fileStem }
  let saveAs = null; // the file Save offers, while the tune is that file's
  let example = null; // the example's share text, while the names are an example's
  const changedExample = () => example !== null && page.shareText() !== example;
  const now = () => {
    names ??= json(kit._korvel_untitledTune());
    if (!changedExample()) return names;
    return withString(names.title, (title) =>
      withString(names.fileStem, (stem) => json(kit._korvel_changedExample(title, stem))),
    );
  };
  // A script's names from its first line (bytes), else its file's name, else untitled.
  function ofScript(bytes, fileName = null, offered = fileName) {
    putInput(bytes);
    names = withString(fileName ?? '', (file) => json(kit._korvel_nameOfScript(file)));
    saveAs = offered;
    example = null;
  }
  return {
    title: () => now().title,
    fileName: () => (!changedExample() && saveAs) || `${now().fileStem}.dat`,
    exportName: (extension) => `${now().fileStem}${extension}`,
    untitled() {
      names = null;
      saveAs = null;
      example = null;
    },
    ofScript,
    ofExample(bytes, fileName) {
      ofScript(bytes, fileName);
      example = page.shareText();
    },
  };
}
