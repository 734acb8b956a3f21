#!/usr/bin/env bash
# check_allocators.sh NM ARCHIVE_OR_OBJECT...: the program's own code takes
# heap memory only through malloc, calloc, realloc and free, the calls that
# linkto_leakcount.exe counts. Any other allocator it calls (a string
# duplicate, operator new, an aligned or wide variant) would escape the count.
set -u
nm=$1
shift
undefined=$("$nm" -u "$@" | awk 'NF >= 2 {print $2}' | sed 's/^_\{1,2\}imp_\{1,2\}//; s/@.*//' |
  sort -u) || exit 1
grep -qx '_\{0,1\}malloc' <<<"$undefined" || { echo "FAIL: no call to malloc found"; exit 1; }
bad=$(grep -E '^_{0,1}(_?strdup|_?wcsdup|_mbsdup|_strndup|strndup|_aligned_.*|_malloca|_expand|_recalloc|_Zn[wa].*|_Zd[la].*|_tempnam|_fullpath|_getcwd|getcwd|_wgetcwd)$' <<<"$undefined")
if [ -n "$bad" ]; then
  echo "FAIL: allocators that the heap count does not see:"
  echo "$bad"
  exit 1
fi
echo "heap calls: $(grep -xE '_{0,1}(malloc|calloc|realloc|free)' <<<"$undefined" | tr '\n' ' ')"
