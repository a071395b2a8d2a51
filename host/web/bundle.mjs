// Writes the page's modules as one module, so that a visitor's browser asks
// for one file rather than a score, each found only once the one importing it
// has come: on a slow line every such round trip delays the first key. Each
// module becomes a function scope that returns what it exports; an import of
// it, a destructuring of that. The modules are written in the forms this
// knows: `import { a, b as c } from './m.js';`, and `export` before a
// top-level function or const. Any other import (the kit's own loader) is
// left as it is.
// The comments, there for the reader of the sources, are left out, which
// takes a quarter off what the visitor fetches; with no JavaScript parser
// (acorn, which emscripten brings) to find them, they stay.
// Usage: node bundle.mjs OUTPUT.js ENTRY.js FOLDER... (where the modules are)
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

const [output, entry, ...folders] = process.argv.slice(2);
const sourceOf = (file) => {
  const found = folders.map((folder) => path.join(folder, file)).find((name) => fs.existsSync(name));
  if (!found) throw new Error(`${file}: not in ${folders.join(', ')}`);
  return fs.readFileSync(found, 'utf8');
};
const localImport = /^import\s*\{([^}]*)\}\s*from\s*'\.\/([\w.]+\.js)';\n/gm;
const exported = /^export\s+((?:async\s+)?function\*?|const|let|class)\s+([\w$]+)/gm;
const scopeName = (file) => `module_${path.basename(file, '.js').replace(/\W/g, '_')}`;

const written = new Map(); // file -> its function scope, once written
const visiting = new Set();

// The module's source with its local imports as destructurings of the
// modules they name, each of those written first.
function linked(file) {
  if (visiting.has(file)) throw new Error(`${file} imports itself, by way of others`);
  visiting.add(file);
  const source = sourceOf(file);
  const body = source.replace(localImport, (_, names, from) => {
    include(from);
    const bindings = names
      .split(',')
      .map((name) => name.trim())
      .filter(Boolean)
      .map((name) => name.replace(/\s+as\s+/, ': '));
    return `const { ${bindings.join(', ')} } = ${scopeName(from)};\n`;
  });
  visiting.delete(file);
  return body;
}

function include(file) {
  if (written.has(file)) return;
  const body = linked(file);
  const names = [...body.matchAll(exported)].map((match) => match[2]);
  const scope = body.replace(exported, '$1 $2');
  written.set(
    file,
    `// ---- ${file} ----\nconst ${scopeName(file)} = (() => {\n${scope}\nreturn { ${names.join(', ')} };\n})();\n`,
  );
}

const main = linked(entry);
// The entry's other imports (the kit's loader) stay at the top, as a module's must.
const outerImports = [];
const entryBody = main.replace(/^import\s[^;]*;\n/gm, (line) => {
  outerImports.push(line);
  return '';
});
const bundle = outerImports.join('') + [...written.values()].join('\n') + `// ---- ${entry} ----\n${entryBody}`;

function withoutComments(source) {
  let acorn;
  try {
    acorn = createRequire(import.meta.url)('acorn');
  } catch {
    console.log('bundle.mjs: no acorn to find the comments with; they stay');
    return source;
  }
  const comments = [];
  acorn.parse(source, {
    ecmaVersion: 'latest',
    sourceType: 'module',
    allowAwaitOutsideFunction: true,
    onComment: (block, text, start, end) => comments.push([start, end]),
  });
  let kept = '';
  let from = 0;
  for (const [start, end] of comments) {
    kept += source.slice(from, start);
    from = end;
  }
  return kept + source.slice(from);
}

fs.writeFileSync(
  output,
  `// Written by the build (bundle.mjs) from the page's modules in host/web. Do not edit.\n` + withoutComments(bundle),
);
