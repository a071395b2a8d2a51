// ESLint for the project's JavaScript, run from the repository's top
// (scripts/js-style): correctness only, the recommended rules; the layout is
// Prettier's. Each file with the globals of where it runs.
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    files: ['host/web/**/*.js'],
    languageOptions: { globals: globals.browser },
  },
  {
    files: ['host/web/tuneWorker.js'],
    languageOptions: { globals: globals.worker },
  },
  {
    files: ['host/web/soundWorklet.js', 'host/web/listenWorklet.js'],
    languageOptions: {
      globals: { AudioWorkletProcessor: 'readonly', registerProcessor: 'readonly', sampleRate: 'readonly' },
    },
  },
  // The build's own Node.js script, which writes the page's modules as one.
  {
    files: ['host/web/**/*.mjs'],
    languageOptions: { globals: globals.node },
  },
  // Node.js scripts that drive the page: what they hand it runs there, with
  // axe-core's axe once the accessibility checks have put it in.
  {
    files: ['tests/web/**/*.mjs', 'bench/**/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser, axe: 'readonly' } },
  },
  {
    // An empty catch says the failure changes nothing: the browser refused storage, say.
    rules: { 'no-empty': ['error', { allowEmptyCatch: true }] },
  },
  { ignores: ['tests/web/node_modules/', 'build/'] },
];
