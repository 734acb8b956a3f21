// Heap accounting of linkto_leakcount.exe. The program's own code (its entry,
// linkto_win and linkto_portable) is linked from copies whose calls to
// malloc, calloc, realloc and free (its only heap calls: check_allocators.sh
// keeps it so) are renamed to the counting calls below, and whose WinMain is
// renamed to linkto_counted_WinMain. The runtime's own blocks are not seen.
// Every counted block is kept in a table of live blocks and fenced by guard
// bytes on both sides. When the program's WinMain returns, one line goes to
// the debugger and, when the environment variable LINKTO_HEAP_REPORT names a
// file, is appended to that file:
//
//   heap: allocated N live M overruns K untracked U
//
// live counts blocks not freed, overruns blocks whose guard bytes were
// overwritten (found when freed, or still live at the end), untracked blocks
// that did not fit the table. A line for each of the first live blocks
// follows, with its size and the address of the code that took it (for
// addr2line):
//
//   heap: live block of S bytes taken at 0xADDRESS
//
// The program runs on one thread; so does the accounting. The report uses
// only system calls, never the heap.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
int WINAPI linkto_counted_WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                                  int showCommand);

void *linkto_counted_malloc(size_t size);
void *linkto_counted_calloc(size_t count, size_t size);
void *linkto_counted_realloc(void *block, size_t size);
void linkto_counted_free(void *block);
}

namespace {

// A counted block: a header that keeps the alignment of the runtime's
// blocks, the caller's bytes, then the tail guard.
struct Header {
  uint64_t size;
  uint64_t caller; // return address of the heap call
  unsigned char guard[16];
};
static_assert(sizeof(Header) == 32, "the header keeps 16-byte alignment");
const unsigned char kGuardByte = 0xA5;
const size_t kTailBytes = 8;

const size_t kTableSize = 16384;
void *g_live[kTableSize]; // user pointers of the counted live blocks
size_t g_liveCount = 0;
unsigned long g_allocated = 0;
unsigned long g_overruns = 0;
unsigned long g_untracked = 0;

Header *HeaderOf(void *block) {
  return reinterpret_cast<Header *>(static_cast<unsigned char *>(block) - sizeof(Header));
}

bool GuardsIntact(void *block) {
  const Header *header = HeaderOf(block);
  const unsigned char *tail = static_cast<unsigned char *>(block) + header->size;
  for (size_t i = 0; i < sizeof header->guard; ++i) {
    if (header->guard[i] != kGuardByte) {
      return false;
    }
  }
  for (size_t i = 0; i < kTailBytes; ++i) {
    if (tail[i] != kGuardByte) {
      return false;
    }
  }
  return true;
}

// Index of block in the live table, or kTableSize.
size_t FindLive(void *block) {
  for (size_t i = 0; i < g_liveCount; ++i) {
    if (g_live[i] == block) {
      return i;
    }
  }
  return kTableSize;
}

// A fenced block of size bytes from the runtime, or null.
void *CountedAlloc(size_t size, bool zero, void *caller) {
  if (size > SIZE_MAX - sizeof(Header) - kTailBytes) {
    return nullptr;
  }
  unsigned char *raw = static_cast<unsigned char *>(malloc(sizeof(Header) + size + kTailBytes));
  if (raw == nullptr) {
    return nullptr;
  }
  Header *header = reinterpret_cast<Header *>(raw);
  header->size = size;
  header->caller = reinterpret_cast<uintptr_t>(caller);
  memset(header->guard, kGuardByte, sizeof header->guard);
  unsigned char *block = raw + sizeof(Header);
  if (zero) {
    memset(block, 0, size);
  }
  memset(block + size, kGuardByte, kTailBytes);
  ++g_allocated;
  if (g_liveCount < kTableSize) {
    g_live[g_liveCount++] = block;
    return block;
  }
  // No room to remember it: handed out unfenced, and reported.
  ++g_untracked;
  memmove(raw, block, size);
  return raw;
}

// Frees a counted block and returns true; false for any other block.
bool CountedFree(void *block) {
  const size_t at = FindLive(block);
  if (at == kTableSize) {
    return false;
  }
  g_live[at] = g_live[--g_liveCount];
  if (!GuardsIntact(block)) {
    ++g_overruns;
  }
  free(HeaderOf(block));
  return true;
}

// Sends one report line to the debugger and, when open, to the file.
void Emit(HANDLE file, const char *line, int length) {
  OutputDebugStringA(line);
  DWORD written = 0;
  if (file != INVALID_HANDLE_VALUE && length > 0) {
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  }
}

void Report() {
  unsigned long overruns = g_overruns;
  for (size_t i = 0; i < g_liveCount; ++i) {
    overruns += GuardsIntact(g_live[i]) ? 0 : 1;
  }
  HANDLE file = INVALID_HANDLE_VALUE;
  char path[MAX_PATH + 1] = {};
  const DWORD pathLength = GetEnvironmentVariableA("LINKTO_HEAP_REPORT", path, MAX_PATH);
  if (pathLength > 0 && pathLength < MAX_PATH) {
    file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  char line[160];
  Emit(file, line,
       snprintf(line, sizeof line, "heap: allocated %lu live %lu overruns %lu untracked %lu\r\n",
                g_allocated, static_cast<unsigned long>(g_liveCount), overruns, g_untracked));
  for (size_t i = 0; i < 16 && i < g_liveCount; ++i) {
    const Header *header = HeaderOf(g_live[i]);
    Emit(file, line,
         snprintf(line, sizeof line, "heap: live block of %lu bytes taken at 0x%08lx%08lx\r\n",
                  static_cast<unsigned long>(header->size),
                  static_cast<unsigned long>(header->caller >> 32),
                  static_cast<unsigned long>(header->caller & 0xFFFFFFFFu)));
  }
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
  }
}

} // namespace

void *linkto_counted_malloc(size_t size) {
  return CountedAlloc(size, false, __builtin_return_address(0));
}

void *linkto_counted_calloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) {
    return nullptr;
  }
  return CountedAlloc(count * size, true, __builtin_return_address(0));
}

void linkto_counted_free(void *block) {
  if (block != nullptr && !CountedFree(block)) {
    free(block); // not taken by the program's code: pass it on
  }
}

void *linkto_counted_realloc(void *block, size_t size) {
  if (block == nullptr) {
    return CountedAlloc(size, false, __builtin_return_address(0));
  }
  if (FindLive(block) == kTableSize) {
    return realloc(block, size);
  }
  if (size == 0) {
    CountedFree(block);
    return nullptr;
  }
  void *moved = CountedAlloc(size, false, __builtin_return_address(0));
  if (moved == nullptr) {
    return nullptr;
  }
  const uint64_t old = HeaderOf(block)->size;
  memcpy(moved, block, old < size ? static_cast<size_t>(old) : size);
  CountedFree(block);
  return moved;
}

// The process entry: the program's own WinMain, then the report.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  const int exitCode = linkto_counted_WinMain(instance, previous, commandLine, showCommand);
  Report();
  return exitCode;
}
