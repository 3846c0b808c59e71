" vornmac programs are .vm files and .mac sources. A macro library file is .mac too but binary:
" it starts with the library's four magic bytes, and is left alone.
function! s:DetectMac(file) abort
  let head = filereadable(a:file) ? readfile(a:file, 'b', 1) : []
  if empty(head) || strpart(head[0], 0, 4) !=# "\x68\xe8\xd9\xfe"
    setlocal filetype=vornmac
  endif
endfunction

" Set, not setfiletype: Vim's own rules take .mac for assembler.
autocmd BufNewFile,BufRead *.vm setlocal filetype=vornmac
autocmd BufNewFile,BufRead *.mac call s:DetectMac(expand('<afile>'))
