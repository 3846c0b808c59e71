" Vim compiler file
" Compiler:	vornmac check, which reads a program without running it and reports each finding
"		as FILE:LINE:COLUMN: error|warning: message [name]
" :make checks the current file; :make ARGS passes options (-D NAME=VALUE, --undefined,
" --home DIR) before it.

if exists('current_compiler')
  finish
endif
let current_compiler = 'vornmac'

if exists(':CompilerSet') != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

CompilerSet makeprg=vornmac\ check\ $*\ %:S
" %f followed by : takes the shortest name before :LINE:COLUMN:, so names may hold blanks
" and colons. Other lines (a file that cannot be read) stay in the list as text.
CompilerSet errorformat=%f:%l:%c:\ %trror:\ %m,%f:%l:%c:\ %tarning:\ %m

let &cpo = s:cpo_save
unlet s:cpo_save
