// Stands in for the shell's folder window: the tests make it the command of
// the "open" verb for folders. Started as
//   open_logger.exe LOG FOLDER
// it appends one line to LOG: its own creation time (100 ns units, as hex),
// how many of the paths listed in LOG.expect (one per line) exist at that
// moment and how many are listed, and FOLDER as it was passed:
//   <time>\t<existing>/<listed>\t<folder>\r\n
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string &path) {
  std::vector<std::string> lines;
  FILE *file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return lines;
  }
  std::string line;
  for (int c = fgetc(file); c != EOF; c = fgetc(file)) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) {
    lines.push_back(line);
  }
  fclose(file);
  return lines;
}

// Appends text with one write, retrying while another logger holds the file.
bool AppendLine(const std::string &path, const std::string &text) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const BOOL ok =
          WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(file);
      return ok != FALSE && written == text.size();
    }
    Sleep(10);
  }
  return false;
}

// Texts in code page 932, as the tests write and read them, whatever the
// system code page this logger runs on.
std::string CodePage932(const wchar_t *text) {
  char bytes[2048] = {};
  WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
  return bytes;
}

std::wstring Wide932(const std::string &text) {
  wchar_t wide[1024] = {};
  MultiByteToWideChar(932, 0, text.c_str(), -1, wide, 1023);
  return wide;
}

} // namespace

int main() {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 3) {
    return 2;
  }
  const std::string log = CodePage932(argv[1]);
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const std::vector<std::string> expected = ReadLines(log + ".expect");
  size_t existing = 0;
  for (const std::string &path : expected) {
    if (GetFileAttributesW(Wide932(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
      ++existing;
    }
  }
  char head[64];
  snprintf(head, sizeof head, "%08lx%08lx\t%u/%u\t", created.dwHighDateTime, created.dwLowDateTime,
           static_cast<unsigned>(existing), static_cast<unsigned>(expected.size()));
  return AppendLine(log, head + CodePage932(argv[2]) + "\r\n") ? 0 : 1;
}
