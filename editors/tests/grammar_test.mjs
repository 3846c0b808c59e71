// Tokenizes with the VS Code extension's TextMate grammar through the engine VS Code uses
// (vscode-textmate on the Oniguruma regular expressions), and checks the extension's problem
// matcher against lines in the format of `vornmac check`.
// Run: node editors/tests/grammar_test.mjs (after npm ci in editors/vscode).
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const extension = path.join(here, '..', 'vscode');
const require = createRequire(path.join(extension, 'package.json'));
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const readJson = (file) => JSON.parse(readFileSync(file, 'utf8'));

const sourceFile = (name) => readFileSync(path.join(here, '..', '..', 'src', 'stmt', name), 'utf8');

// The library's keyword table as its source writes it: {"name", statement flag, handler}.
function keywordTable() {
  const source = sourceFile('keyword_table.cpp');
  const body = /table = \{\{([\s\S]*?)\}\};/.exec(source);
  assert.ok(body, 'keyword_table.cpp holds the table');
  const table = [...body[1].matchAll(/\{"([^"]+)", (true|false),/g)].map((m) => ({
    name: m[1],
    statement: m[2] === 'true',
  }));
  const count = /keyword_count = (\d+);/.exec(sourceFile('keyword_table.hpp'));
  assert.equal(table.length, Number(count[1]), 'every row of the table was read');
  return table;
}

const manifest = readJson(path.join(extension, 'package.json'));
const grammarFile = path.join(extension, manifest.contributes.grammars[0].path);
const grammarJson = readJson(grammarFile);

const wasm = readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
const registry = new textmate.Registry({
  onigLib: Promise.resolve({
    createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
    createOnigString: (text) => new oniguruma.OnigString(text),
  }),
  loadGrammar: async (scopeName) =>
    scopeName === grammarJson.scopeName
      ? textmate.parseRawGrammar(readFileSync(grammarFile, 'utf8'), grammarFile)
      : null,
});
const grammar = await registry.loadGrammar(grammarJson.scopeName);

// The innermost scope of every character, line by line (the state runs on across lines).
function innermostScopes(text) {
  let state = textmate.INITIAL;
  return text.split('\n').map((line) => {
    const result = grammar.tokenizeLine(line, state);
    state = result.ruleStack;
    const scopes = [];
    for (const token of result.tokens)
      for (let at = token.startIndex; at < Math.min(token.endIndex, line.length); ++at)
        scopes[at] = token.scopes[token.scopes.length - 1];
    return scopes;
  });
}

// The names that a grammar rule's (?i:(a|b|...)) group lists.
function namesOfRule(rule) {
  const group = /\(\?i:\(([^()]*)\)\)/.exec(grammarJson.repository[rule].match);
  assert.ok(group, `rule ${rule} lists its names in a (?i:(...)) group`);
  return group[1].split('|');
}

test('the grammar marks exactly the keyword table names, as statement or function by flag', () => {
  const table = keywordTable();
  const expected = (statement) =>
    [...new Set(table.filter((k) => k.statement === statement).map((k) => k.name))].sort();
  // %* is the comment statement: its rule marks the *.
  assert.equal(grammarJson.repository['comment-statement'].begin, '(%)(\\*)');
  assert.deepEqual([...namesOfRule('statement-keyword'), '*'].sort(), expected(true));
  assert.deepEqual(namesOfRule('function-keyword').sort(), expected(false));

  const names = new Set(table.map((k) => k.name));
  for (const { name, statement } of table) {
    const scope = statement ? 'keyword.control.statement.vornmac'
                            : 'support.function.builtin.vornmac';
    if (name === '*') {
      assert.equal(innermostScopes('%*(x);')[0][1], scope);
      continue;
    }
    for (const written of [name, name.toUpperCase(), name[0].toUpperCase() + name.slice(1)]) {
      // Directly before a parenthesis, and ended by a period, which it takes along.
      const [line] = innermostScopes(`%${written}(x) %${written}.y`);
      const second = written.length + 5;
      for (const at of [1, written.length, second + 1, second + written.length])
        assert.equal(line[at], scope, `%${written} at ${at}`);
      assert.equal(line[second + written.length + 1], 'punctuation.terminator.name.vornmac');
      assert.equal(line[second + written.length + 2], 'source.vornmac');
    }
    // A name character after it makes another name: a macro call.
    for (const suffix of ['x', '_', '1', '\u00e9'])
      if (!names.has(name + suffix))
        assert.equal(innermostScopes(`%${name}${suffix}`)[0][1],
                     'entity.name.function.macro.vornmac', `%${name}${suffix}`);
  }
});

test('the sample program is marked as chosen places expect', () => {
  const lines = readFileSync(path.join(here, 'sample.vm'), 'utf8').split('\n');
  const scopes = innermostScopes(lines.join('\n'));
  for (const place of readJson(path.join(here, 'places.json'))) {
    const text = lines[place.line - 1];
    let at = -1;
    for (let n = 0; n < (place.nth ?? 1) && (n === 0 || at >= 0); ++n)
      at = text.indexOf(place.text, at + 1);
    assert.ok(at >= 0, `line ${place.line} holds ${place.text} ${place.nth ?? 1} time(s)`);
    const count = place.chars ?? place.text.length;
    for (let i = 0; i < count; ++i)
      assert.equal(scopes[place.line - 1][at + i], place.tm,
                   `line ${place.line} column ${at + i + 1} of ${JSON.stringify(place.text)}`);
  }
});

test('the problem matcher reads every line of vornmac check and nothing else', () => {
  const [matcher] = manifest.contributes.problemMatchers;
  assert.equal(matcher.name, 'vornmac');
  const { pattern } = matcher;
  const regexp = new RegExp(pattern.regexp);
  for (const expected of readJson(path.join(here, 'checker_lines.json'))) {
    const match = regexp.exec(expected.output);
    if (expected.file === null) {
      assert.equal(match, null, expected.output);
      continue;
    }
    assert.ok(match, expected.output);
    assert.deepEqual(
      {
        file: match[pattern.file],
        line: Number(match[pattern.line]),
        column: Number(match[pattern.column]),
        severity: match[pattern.severity],
        message: match[pattern.message],
        name: match[pattern.code] ?? null,
      },
      {
        file: expected.file,
        line: expected.line,
        column: expected.column,
        severity: expected.severity,
        message: expected.message,
        name: expected.name,
      });
  }
});

test('the extension ties .vm and .mac to the grammar and the comment delimiters', () => {
  const [language] = manifest.contributes.languages;
  assert.deepEqual(language.extensions, ['.vm', '.mac']);
  const [contributed] = manifest.contributes.grammars;
  assert.equal(contributed.language, language.id);
  assert.equal(contributed.scopeName, grammarJson.scopeName);
  const configuration = readJson(path.join(extension, language.configuration));
  assert.deepEqual(configuration.comments.blockComment, ['/*', '*/']);
});
