" Loads editors/vim the way a user's runtimepath does and checks the file-type detection, the
" syntax groups at the places that places.json chooses in sample.vm, the keyword lists
" against the library's keyword table, and the compiler file's :make and errorformat.
" Run by run_vim_test.sh: vim -Es -u NONE -i NONE -N -S vim_test.vim, with $VORNMAC_EDITORS
" the editors folder, $VORNMAC_KEYWORDS the keyword table's source, $VORNMAC_SCRATCH an
" empty folder, and the failures written to $VORNMAC_SCRATCH/failures.

let s:editors = $VORNMAC_EDITORS
let s:tests = s:editors . '/tests'
let s:scratch = $VORNMAC_SCRATCH
execute 'set runtimepath^=' . fnameescape(s:editors . '/vim')
filetype plugin on
syntax on

function s:Group(line, column) abort
  return synIDattr(synID(a:line, a:column, 1), 'name')
endfunction

function s:TestDetection() abort
  execute 'edit ' . fnameescape(s:tests . '/sample.vm')
  call assert_equal('vornmac', &filetype, 'a .vm program')
  call assert_equal('/*%s*/', &commentstring)
  call writefile(['%let x = 1;'], s:scratch . '/source.mac')
  execute 'edit ' . fnameescape(s:scratch . '/source.mac')
  call assert_equal('vornmac', &filetype, 'a .mac source')
  execute 'edit ' . fnameescape(s:scratch . '/new.mac')
  call assert_equal('vornmac', &filetype, 'a new .mac file')
  " A macro library: the magic bytes 68 E8 D9 FE, then binary data.
  call writefile(0z68E8D9FE10000000000000001000000000, s:scratch . '/library.mac')
  execute 'edit ' . fnameescape(s:scratch . '/library.mac')
  call assert_notequal('vornmac', &filetype, 'a macro library file')
endfunction

function s:TestSamplePlaces() abort
  execute 'edit ' . fnameescape(s:tests . '/sample.vm')
  for place in json_decode(join(readfile(s:tests . '/places.json'), "\n"))
    let text = getline(place.line)
    let at = -1
    for n in range(get(place, 'nth', 1))
      let at = n > 0 && at < 0 ? -1 : stridx(text, place.text, at + 1)
    endfor
    if at < 0
      call assert_report('line ' . place.line . ' holds ' . place.text . ' '
            \ . get(place, 'nth', 1) . ' time(s)')
      continue
    endif
    for i in range(get(place, 'chars', strchars(place.text)))
      let column = at + byteidx(place.text, i) + 1
      call assert_equal(place.vim, s:Group(place.line, column),
            \ 'line ' . place.line . ' column ' . column . ' of ' . string(place.text))
    endfor
  endfor
endfunction

" The table's rows as its source writes them: {"name", statement flag, handler}.
function s:KeywordTable() abort
  let source = join(readfile($VORNMAC_KEYWORDS), "\n")
  let body = matchstr(source, 'table = {{\zs\_.\{-}\ze}};')
  let rows = []
  call substitute(body, '{"\([^"]\+\)", \(true\|false\),',
        \ '\=add(rows, [submatch(1), submatch(2) ==# "true"])', 'g')
  let header = join(readfile(fnamemodify($VORNMAC_KEYWORDS, ':r') . '.hpp'), "\n")
  call assert_equal(str2nr(matchstr(header, 'keyword_count = \zs\d\+')), len(rows),
        \ 'every row of the table was read')
  return rows
endfunction

" A list that the syntax file assigns (let s:NAME = [...], over continued lines).
function s:SyntaxList(name) abort
  let source = join(readfile(s:editors . '/vim/syntax/vornmac.vim'), "\n")
  let source = substitute(source, '\n\s*\\', '', 'g')
  return eval(matchstr(source, 'let s:' . a:name . ' = \zs\[[^]]*\]'))
endfunction

function s:TestKeywords() abort
  let rows = s:KeywordTable()
  let statements = uniq(sort(map(filter(copy(rows), 'v:val[1]'), 'v:val[0]')))
  let functions = uniq(sort(map(filter(copy(rows), '!v:val[1]'), 'v:val[0]')))
  " The name * is the comment statement %*, which has its own region.
  call assert_equal(filter(copy(statements), 'v:val !=# "*"'), sort(s:SyntaxList('statements')))
  call assert_equal(functions, sort(s:SyntaxList('functions')))

  enew
  setlocal filetype=vornmac
  call setline(1, '%*(x);')
  call assert_equal(['vornmacStatement', 'vornmacCommentStatement'], [s:Group(1, 2), s:Group(1, 3)])
  let names = {}
  for [name, statement] in rows
    let names[name] = 1
  endfor
  for [name, statement] in filter(copy(rows), 'v:val[0] !=# "*"')
    let group = statement ? 'vornmacStatement' : 'vornmacFunction'
    for written in [name, toupper(name), toupper(name[0]) . name[1:]]
      " Directly before a parenthesis, and ended by a period, which it takes along.
      call setline(1, '%' . written . '(x) %' . written . '.y')
      let second = len(written) + 6
      call assert_equal(repeat([group], 5) + [''],
            \ map([1, 2, len(written) + 1, second, second + len(written) + 1,
            \      second + len(written) + 2], 's:Group(1, v:val)'), '%' . written)
    endfor
    " A name character after it makes another name: a macro call.
    for suffix in filter(['x', '_', '1', "\u00e9"], '!has_key(names, name . v:val)')
      call setline(1, '%' . name . suffix)
      call assert_equal('vornmacMacroCall', s:Group(1, 2), '%' . name . suffix)
    endfor
  endfor
  bwipeout!
endfunction

function s:TestErrorFormat() abort
  %bwipeout!
  execute 'cd ' . fnameescape(s:scratch)
  " With ! the compiler sets the global errorformat, which :cgetexpr reads.
  compiler! vornmac
  let cases = json_decode(join(readfile(s:tests . '/checker_lines.json'), "\n"))
  cgetexpr map(copy(cases), 'v:val.output')
  let found = getqflist()
  call assert_equal(len(cases), len(found))
  for i in range(min([len(cases), len(found)]))
    let expected = cases[i]
    let entry = found[i]
    if expected.file is v:null
      call assert_equal([0, expected.output], [entry.valid, entry.text])
      continue
    endif
    let text = expected.message . (expected.name is v:null ? '' : ' [' . expected.name . ']')
    call assert_equal(
          \ [1, expected.file, expected.line, expected.column, expected.severity[0], text],
          \ [entry.valid, bufname(entry.bufnr), entry.lnum, entry.col, entry.type, entry.text])
  endfor
endfunction

" :make runs vornmac check with the :make arguments before the current file. A stand-in
" vornmac on the PATH records its arguments and prints one finding.
function s:TestMake() abort
  let bin = s:scratch . '/bin'
  call mkdir(bin, 'p')
  call writefile(['#!/bin/sh', 'printf "%s\n" "$@" > "' . s:scratch . '/arguments"',
        \ 'echo "$3:8:68: error: %do without %end [unclosed-do]"', 'exit 1'], bin . '/vornmac')
  call setfperm(bin . '/vornmac', 'rwx------')
  let $PATH = bin . ':' . $PATH
  execute 'cd ' . fnameescape(s:tests)
  edit sample.vm
  compiler vornmac
  silent make --undefined
  call assert_equal(['check', '--undefined', 'sample.vm'], readfile(s:scratch . '/arguments'))
  let found = getqflist()
  call assert_equal([[bufnr('sample.vm'), 8, 68, 'e', '%do without %end [unclosed-do]']],
        \ map(found, '[v:val.bufnr, v:val.lnum, v:val.col, v:val.type, v:val.text]'))
endfunction

for s:Test in [function('s:TestDetection'), function('s:TestSamplePlaces'),
      \ function('s:TestKeywords'), function('s:TestErrorFormat'), function('s:TestMake')]
  try
    call s:Test()
  catch
    call assert_report(string(s:Test) . ': ' . v:exception . ' at ' . v:throwpoint)
  endtry
endfor

call writefile(v:errors, s:scratch . '/failures')
if empty(v:errors)
  qall!
endif
cquit!
