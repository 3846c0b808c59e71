" Comments in vornmac programs are /* ... */ (and the statement %* ... ;).
if exists('b:did_ftplugin')
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=/*%s*/ comments=s1:/*,mb:*,ex:*/
let b:undo_ftplugin = 'setlocal commentstring< comments<'
