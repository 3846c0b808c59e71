" Vim syntax file
" Language:	vornmac macro language (programs .vm, sources .mac)
" Marks the keywords of the library's keyword table (statements and functions), macro calls,
" &name references, comments, quoted texts and numbers.

if exists('b:current_syntax')
  finish
endif
let s:cpo_save = &cpo
set cpo&vim

" The keyword table's names: statements end at their ;, functions stand in text. The name *
" is the comment statement %*, marked below with the comments.
let s:statements = ['append', 'appendvar', 'chdir', 'convertall', 'copyvar', 'delete',
      \ 'deleteallwindow', 'deletewindow', 'dirwindow', 'display', 'do', 'doend', 'dosenv',
      \ 'dowhile', 'else', 'end', 'file', 'fileappend', 'global', 'goto', 'goto_if', 'if',
      \ 'include', 'include_if', 'input', 'let', 'local', 'macdelete', 'macinstall', 'macprint',
      \ 'macremove', 'macro', 'macro_if', 'mactable', 'makevar', 'noreversecolor', 'prevlevel',
      \ 'put', 'savevar', 'screenedit', 'screeninput', 'screenlist', 'screenput', 'setattrib',
      \ 'setbyte', 'setstring', 'setwindow', 'startup', 'symlist', 'system', 'then', 'writefile',
      \ 'xyz']
let s:functions = ['bquote', 'countchar', 'countcharvar', 'currwindow', 'dirlist', 'eval',
      \ 'findpath', 'index', 'indexvar', 'indexvarcount', 'isdir', 'isinputdbs', 'ismacrovar',
      \ 'isoutputdbs', 'isreadable', 'iswritable', 'length', 'lengthvar', 'lower',
      \ 'makekeywindow', 'makewindow', 'nrbquote', 'nrstr', 'qed', 'qedappendfile', 'qedchanged',
      \ 'qedprintfile', 'qedreadfile', 'qedwindow', 'qedwritefile', 'scan', 'scanvar', 'str',
      \ 'substr', 'unquote', 'upcase']

" A name character: a letter, a digit, _ or any character from 128 up.
let s:name_char = '\%([0-9A-Za-z_]\|[^\x01-\x7f]\)'

" Every % word not matched below calls a macro (or reads a command variable sys_c1 to sys_c5);
" the items defined later win where several start at one place.
execute 'syntax match vornmacMacroCall /%' . s:name_char . '\+\.\=/'
" % before a reference runs the reference's value as a % word.
execute 'syntax match vornmacMacroCall /%\ze&\+' . s:name_char . '/'
for [s:group, s:names] in [['vornmacStatement', s:statements], ['vornmacFunction', s:functions]]
  " Keywords match in any case; the name ends where no name character follows, and a period
  " right after it is taken along.
  execute 'syntax match ' . s:group . ' /\c%\%(' . join(s:names, '\|') . '\)' . s:name_char
        \ . '\@!\.\=/'
endfor
unlet s:group s:names

syntax match vornmacQuotedChar /%[()'"%]/

" &name, &&name, ...; a period right after the name ends it and is dropped.
execute 'syntax match vornmacReference /&\+' . s:name_char . '\+\.\=/'

" % or & before any other character calls or reads an empty name, an error (&& before white
" space gives one &).
let s:white = '\%(\_s\|[\x0b\x0c]\)'
execute 'syntax match vornmacEmptyName /%\%(' . s:white . '\|' . s:name_char . '\|[()''"%&*]\)\@!/'
execute 'syntax match vornmacEmptyName /&\+\%(' . s:white . '\|' . s:name_char . '\|&\)\@!/'

execute 'syntax match vornmacNumber /' . s:name_char . '\@<!\d\+' . s:name_char . '\@!/'

" Blanks, but no line end, may stand between the slash and the asterisk. Comments count
" inside quotes too, and do not nest.
syntax region vornmacComment start=+/[ \t\x0b\x0c]*\*+ end=+\*/+ contains=@Spell

" Inside single quotes % and & are not acted on, over any number of lines.
syntax region vornmacQuoted start=/'/ end=/'/ contains=vornmacComment

" %* skips everything up to the first ;. A quote in it still opens quoted text, which goes
" on after the ; until the quote closes: the comment statement then ends before the quote,
" and the quoted text is the comment's rest (Head) and the text after it (Tail).
syntax region vornmacCommentStatement matchgroup=vornmacStatement start=/%\*/
      \ matchgroup=NONE end=/;/ end=/'/me=s-1
      \ contains=vornmacComment,@Spell nextgroup=vornmacCommentQuoteHead
syntax region vornmacCommentQuoteHead matchgroup=vornmacQuoted start=/;\@<!'/
      \ matchgroup=NONE end=/;/me=s-1 contained contains=vornmacComment,@Spell
      \ nextgroup=vornmacCommentQuoteTail
syntax region vornmacCommentQuoteTail matchgroup=vornmacCommentQuoteHead start=/;/
      \ matchgroup=NONE end=/'/ contained contains=vornmacComment

syntax cluster vornmacText contains=vornmacMacroCall,vornmacStatement,vornmacFunction,
      \vornmacQuotedChar,vornmacReference,vornmacEmptyName,vornmacNumber,vornmacComment,
      \vornmacQuoted,vornmacCommentStatement

" Double quotes protect nothing. They mean nothing to the language either, so a stray one
" marks only the rest of its line.
syntax region vornmacDoubleQuoted start=/"/ end=/"\|$/ contains=@vornmacText

" Whether a quote is open depends on all the text before it.
syntax sync fromstart

highlight default link vornmacComment Comment
highlight default link vornmacCommentStatement Comment
highlight default link vornmacCommentQuoteHead Comment
highlight default link vornmacCommentQuoteTail String
highlight default link vornmacStatement Statement
highlight default link vornmacFunction Function
highlight default link vornmacMacroCall Macro
highlight default link vornmacQuotedChar SpecialChar
highlight default link vornmacReference Identifier
highlight default link vornmacNumber Number
highlight default link vornmacEmptyName Error
highlight default link vornmacQuoted String
highlight default link vornmacDoubleQuoted String

let b:current_syntax = 'vornmac'
let &cpo = s:cpo_save
unlet s:cpo_save
