// Shell folder services: special folders, the shell's own form of a folder
// path, the folder browser, and the attribute tests.
#pragma once

#include <windows.h>

#include "core/code_page.h"

// The file-system path of the special folder csidl into out (at least
// MAX_PATH bytes). False, with out empty, when the folder has no file-system
// path here, its path does not fit in MAX_PATH bytes, or the code page
// cannot spell it.
bool SpecialFolderPath(HWND owner, int csidl, char *out);

// The path of the item the desktop folder parses from path, as the shell
// reports it, into out (at least MAX_PATH bytes and at least size bytes).
// size bounds the conversion of path (at most 260 UTF-16 units with the
// terminator are converted). False, with out empty, when the path does not
// convert whole, does not parse, has no file-system path, or does not fit
// in size bytes or in MAX_PATH bytes, or the code page cannot spell it. A
// path that cannot be given whole counts as no path, never as a cut one.
bool CanonicalPath(const char *path, char *out, unsigned size);

// Shows the shell's folder browser (file-system folders only, new style),
// starting at the desktop with initialPath selected. True when the user
// picked an item with a file-system path of less than MAX_PATH bytes, now in
// out (at least MAX_PATH bytes); out is untouched when the user cancels.
bool ChooseFolder(HWND owner, UINT flags, const char *title, char *out, const char *initialPath);

// The browser's callback: selects the initial path (data, UTF-16) when the browser
// opens, and enables OK only while the selection has a file-system path.
int CALLBACK FolderBrowserCallback(HWND window, UINT message, LPARAM parameter, LPARAM data);

// True when the attributes of path can be read: files and folders alike.
bool PathExists(const char *path);
// True when path exists and is a directory.
bool IsDirectory(const char *path);

// Names outside the code page. The shell holds every path in UTF-16; a
// code-page call gives a look-alike for what the code page lacks (é as e,
// the yen sign U+00A5 as the backslash byte), which names another file or
// none. So the code-page operations above give only what the code page
// spells whole, and the operations below give the UTF-16 path itself (out
// holds MAX_PATH units).
bool SpecialFolderPathWide(HWND owner, int csidl, WCHAR *out);
bool CanonicalPathWide(const WCHAR *path, WCHAR *out);
bool ChooseFolderWide(HWND owner, UINT flags, const char *title, WCHAR *out,
                      const char *initialPath);
bool PathExistsWide(const WCHAR *path);
// True only when the system says that path names nothing (no such file, or
// no such folder on its way); false when it exists or when the system cannot
// tell (a share that does not answer, a drive without its medium, no access).
bool PathMissingWide(const WCHAR *path);
bool IsDirectoryWide(const WCHAR *path);
