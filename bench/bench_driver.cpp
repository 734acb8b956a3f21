// Benchmarks of LinkTo, measured side by side in one run and printed as one
// table. Started (console) as
//   bench_driver.exe [/runs:N] LINKTO BARE FLOOR [LABEL=FILE ...]
// LINKTO is linkto.exe, BARE is bare_shortcut.exe and FLOOR floor_shortcut.exe
// of the same build, each FILE one whose size the table lists under LABEL
// (the release executables). It measures:
//   - start to exit of "LINKTO <file> /sendto /open:0" against BARE saving the
//     same link into the same folder, and against "FLOOR <file> /sendto
//     /open:0", which makes the same platform calls with the same DLLs;
//   - one run with 200 targets and 3 destination folders (600 links) against
//     BARE saving the same 600 links in one loop;
//   - SplitCommandLine on a 32 KiB command line, both modes, against
//     CommandLineToArgvW on the same text widened, in this process;
//   - the peak working set of the child processes of the first two, sampled
//     in runs of their own (at most 5) so that sampling does not slow the
//     timed runs.
// Every figure is the median of N runs (default 15) with the least and the
// greatest. Files go to a scratch folder under %TEMP% and to the user's Send
// To folder; every link is deleted after its run and the scratch folder at the
// end. Exit code 0, or 1 when a run did not write what it should have.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/split.h"

namespace {

const int kTargets = 200;
const int kFolders = 3;
const size_t kCommandLineBytes = 32 * 1024;

struct Sample {
  double median;
  double least;
  double greatest;
};

Sample Summarise(std::vector<double> values) {
  Sample s = {0, 0, 0};
  if (values.empty()) {
    return s;
  }
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  s.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.least = values.front();
  s.greatest = values.back();
  return s;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static LARGE_INTEGER frequency = {};
  if (frequency.QuadPart == 0) {
    QueryPerformanceFrequency(&frequency);
  }
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct ChildRun {
  bool ok;
  DWORD exitCode;
  double milliseconds;
  double peakKiB;
};

// Starts commandLine and waits for it to end. Timed runs only wait. Sampling
// runs read the child's memory counters every millisecond while it runs
// and keep the greatest peak working set seen: Wine reads the counters of a
// live process only, and reports zeros once it has ended, even while its
// handle is open.
ChildRun RunChild(const std::string &commandLine, const std::string &directory, bool sample) {
  ChildRun run = {false, 0, 0, 0};
  std::vector<char> text(commandLine.begin(), commandLine.end());
  text.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                      &startup, &info)) {
    return run;
  }
  DWORD waited = WAIT_TIMEOUT;
  if (sample) {
    for (int tick = 0; tick < 120000 && waited == WAIT_TIMEOUT; ++tick) {
      PROCESS_MEMORY_COUNTERS counters;
      ZeroMemory(&counters, sizeof counters);
      counters.cb = sizeof counters;
      if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
        const double kib = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
        run.peakKiB = kib > run.peakKiB ? kib : run.peakKiB;
      }
      waited = WaitForSingleObject(info.hProcess, 1);
    }
  } else {
    waited = WaitForSingleObject(info.hProcess, 120000);
  }
  QueryPerformanceCounter(&end);
  run.ok = waited == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &run.exitCode) != FALSE;
  run.milliseconds = Seconds(start, end) * 1000.0;
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(info.hProcess, 1);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return run;
}

std::string Quoted(const std::string &text) {
  return "\"" + text + "\"";
}

bool WriteSmallFile(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, "bench\r\n", 7, &written, nullptr);
  CloseHandle(file);
  return ok != FALSE && written == 7;
}

// Deletes the files directly inside folder; returns how many there were.
int EmptyFolder(const std::string &folder) {
  int count = 0;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    return 0;
  }
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileA((folder + "\\" + found.cFileName).c_str());
      ++count;
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return count;
}

bool DeleteIfPresent(const std::string &path) {
  return DeleteFileA(path.c_str()) != FALSE;
}

// A command line of exactly `bytes` bytes: a quoted program path, then
// paths with blanks in quotes, switches, escaped quotes, doubled quotes,
// backslash runs, tabs and code page 932 text (some of whose second bytes are
// backslashes) over and over.
std::string BuildCommandLine(size_t bytes) {
  static const char *const kPieces[] = {
      "\"C:\\Program Files\\LinkTo Bench\\linkto.exe\"",
      "\"C:\\Documents and Settings\\user\\My Documents\\report 2024.txt\"",
      "/sendto",
      "C:\\Tools\\bin\\app.exe",
      "\"/path:D:\\My Links\"",
      "/ext:0",
      "a\\\\\"b c\"d",
      "\\\"quoted\\\"",
      "\"say \"\"hi\"\"\"",
      "C:\\\x95\x5C\\\x97\x5C\x92\xE8.txt", // C:\表\予定.txt
      "\"C:\\\x83\x5C\x83\x74\x83\x67 \x95\x5C\\memo.txt\"",
      "x\\\\\\y",
      "/open:0",
  };
  const size_t pieceCount = sizeof kPieces / sizeof kPieces[0];
  std::string text = kPieces[0];
  size_t i = 1;
  while (true) {
    const char *separator = i % 5 == 0 ? "\t " : " ";
    const char *piece = kPieces[1 + (i % (pieceCount - 1))];
    if (text.size() + strlen(separator) + strlen(piece) > bytes) {
      break;
    }
    text += separator;
    text += piece;
    ++i;
  }
  text.append(bytes - text.size(), 'x');
  return text;
}

struct SplitFigures {
  Sample unquoteNs;
  Sample verbatimNs;
  Sample platformNs;
  int unquoteCount;
  int verbatimCount;
  int platformCount;
};

// Nanoseconds per byte of text, each the median over batches of repeated
// calls, the three methods taking turns batch by batch.
SplitFigures MeasureSplit(int runs) {
  SplitFigures figures = {};
  const std::string text = BuildCommandLine(kCommandLineBytes);
  const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<WCHAR> wide(static_cast<size_t>(units > 0 ? units : 1));
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), units);

  const int kCalls = 40;
  std::vector<double> unquote;
  std::vector<double> verbatim;
  std::vector<double> platform;
  const double bytes = static_cast<double>(text.size());
  for (int run = -1; run < runs; ++run) { // run -1 warms up
    LARGE_INTEGER a;
    LARGE_INTEGER b;
    QueryPerformanceCounter(&a);
    for (int k = 0; k < kCalls; ++k) {
      free(SplitCommandLine(text.c_str(), true, &figures.unquoteCount));
    }
    QueryPerformanceCounter(&b);
    if (run >= 0) {
      unquote.push_back(Seconds(a, b) * 1e9 / kCalls / bytes);
    }
    QueryPerformanceCounter(&a);
    for (int k = 0; k < kCalls; ++k) {
      free(SplitCommandLine(text.c_str(), false, &figures.verbatimCount));
    }
    QueryPerformanceCounter(&b);
    if (run >= 0) {
      verbatim.push_back(Seconds(a, b) * 1e9 / kCalls / bytes);
    }
    QueryPerformanceCounter(&a);
    for (int k = 0; k < kCalls; ++k) {
      LocalFree(CommandLineToArgvW(wide.data(), &figures.platformCount));
    }
    QueryPerformanceCounter(&b);
    if (run >= 0) {
      platform.push_back(Seconds(a, b) * 1e9 / kCalls / bytes);
    }
  }
  figures.unquoteNs = Summarise(unquote);
  figures.verbatimNs = Summarise(verbatim);
  figures.platformNs = Summarise(platform);
  return figures;
}

std::string Figure(const Sample &s, int decimals) {
  char text[96];
  snprintf(text, sizeof text, "%.*f [%.*f..%.*f]", decimals, s.median, decimals, s.least, decimals,
           s.greatest);
  return text;
}

void Row(const char *what, const std::string &ours, const std::string &theirs, double ratio) {
  char ratioText[32] = "";
  if (ratio > 0) {
    snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
  }
  printf("%-40s %-30s %-30s %s\n", what, ours.c_str(), theirs.c_str(), ratioText);
}

long long FileBytes(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    return -1;
  }
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

int main(int argc, char **argv) {
  int runs = 15;
  int first = 1;
  if (argc > 1 && strncmp(argv[1], "/runs:", 6) == 0) {
    runs = atoi(argv[1] + 6);
    first = 2;
  }
  if (argc - first < 3 || runs < 1) {
    fprintf(stderr, "usage: bench_driver.exe [/runs:N] LINKTO BARE FLOOR [LABEL=FILE ...]\n");
    return 2;
  }
  const std::string linkto = argv[first];
  const std::string bare = argv[first + 1];
  const std::string floorProgram = argv[first + 2];

  char temp[MAX_PATH];
  char sendTo[MAX_PATH];
  if (GetTempPathA(MAX_PATH, temp) == 0 ||
      SHGetFolderPathA(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo) != S_OK) {
    fprintf(stderr, "bench: no temporary or Send To folder\n");
    return 1;
  }
  const std::string scratch =
      std::string(temp) + "linkto-bench-" + std::to_string(GetCurrentProcessId());
  const std::string targetDir = scratch + "\\targets";
  std::vector<std::string> folders;
  bool ready =
      CreateDirectoryA(scratch.c_str(), nullptr) && CreateDirectoryA(targetDir.c_str(), nullptr);
  for (int f = 0; f < kFolders && ready; ++f) {
    folders.push_back(scratch + "\\dest" + std::to_string(f + 1));
    ready = CreateDirectoryA(folders.back().c_str(), nullptr) != FALSE;
  }
  std::vector<std::string> targets;
  for (int t = 0; t < kTargets && ready; ++t) {
    char name[32];
    snprintf(name, sizeof name, "\\bench-%03d.txt", t);
    targets.push_back(targetDir + name);
    ready = WriteSmallFile(targets.back());
  }
  bool valid = ready;
  if (!ready) {
    fprintf(stderr, "bench: cannot prepare %s\n", scratch.c_str());
  }

  const std::string oneLink = std::string(sendTo) + "\\bench-000.txt.lnk";
  const std::string linktoOne =
      Quoted(linkto) + " " + Quoted(targets.empty() ? "" : targets[0]) + " /sendto /open:0";
  const std::string bareOne =
      Quoted(bare) + " 1 " + Quoted(sendTo) + " " + Quoted(targets.empty() ? "" : targets[0]);
  const std::string floorOne =
      Quoted(floorProgram) + " " + Quoted(targets.empty() ? "" : targets[0]) + " /sendto /open:0";
  std::string linktoMany = Quoted(linkto);
  std::string bareMany = Quoted(bare) + " " + std::to_string(kFolders);
  for (const std::string &folder : folders) {
    bareMany += " " + Quoted(folder);
  }
  for (const std::string &target : targets) {
    linktoMany += " " + Quoted(target);
    bareMany += " " + Quoted(target);
  }
  for (const std::string &folder : folders) {
    linktoMany += " " + Quoted("/path:" + folder);
  }
  linktoMany += " /open:0";

  std::vector<double> linktoOneMs, bareOneMs, floorOneMs, linktoManyMs, bareManyMs;
  std::vector<double> linktoOneKiB, bareOneKiB, floorOneKiB, linktoManyKiB, bareManyKiB;
  // One run of each kind warms the caches first; then linkto.exe and the
  // reference programs take turns: timed runs, then the fewer runs that
  // sample memory.
  const int sampleRuns = runs < 5 ? runs : 5;
  for (int run = -1; run < runs + sampleRuns && valid; ++run) {
    const bool sampling = run >= runs;
    struct Job {
      const std::string *commandLine;
      std::vector<double> *ms;
      std::vector<double> *kib;
      bool many;
    };
    const Job jobs[] = {{&linktoOne, &linktoOneMs, &linktoOneKiB, false},
                        {&bareOne, &bareOneMs, &bareOneKiB, false},
                        {&floorOne, &floorOneMs, &floorOneKiB, false},
                        {&linktoMany, &linktoManyMs, &linktoManyKiB, true},
                        {&bareMany, &bareManyMs, &bareManyKiB, true}};
    for (const Job &job : jobs) {
      const ChildRun child = RunChild(*job.commandLine, scratch, sampling);
      int written = 0;
      if (job.many) {
        for (const std::string &folder : folders) {
          written += EmptyFolder(folder);
        }
      } else {
        written = DeleteIfPresent(oneLink) ? 1 : 0;
      }
      const int wanted = job.many ? kTargets * kFolders : 1;
      if (!child.ok || child.exitCode != 0 || written != wanted) {
        fprintf(stderr, "bench: %.60s... exit %lu, %d of %d links written\n",
                job.commandLine->c_str(), static_cast<unsigned long>(child.exitCode), written,
                wanted);
        valid = false;
        break;
      }
      if (sampling) {
        job.kib->push_back(child.peakKiB);
      } else if (run >= 0) {
        job.ms->push_back(child.milliseconds);
      }
    }
  }

  const SplitFigures split = MeasureSplit(runs);

  for (const std::string &target : targets) {
    DeleteFileA(target.c_str());
  }
  for (const std::string &folder : folders) {
    EmptyFolder(folder);
    RemoveDirectoryA(folder.c_str());
  }
  RemoveDirectoryA(targetDir.c_str());
  RemoveDirectoryA(scratch.c_str());
  DeleteIfPresent(oneLink);
  if (!valid) {
    return 1;
  }

  const Sample lOne = Summarise(linktoOneMs), bOne = Summarise(bareOneMs);
  const Sample fOne = Summarise(floorOneMs);
  // linkto.exe against the floor within each round, where both ran under
  // the same load.
  std::vector<double> roundRatios;
  for (size_t i = 0; i < linktoOneMs.size() && i < floorOneMs.size(); ++i) {
    roundRatios.push_back(linktoOneMs[i] / floorOneMs[i]);
  }
  const Sample fRatio = Summarise(roundRatios);
  const Sample lMany = Summarise(linktoManyMs), bMany = Summarise(bareManyMs);
  const int links = kTargets * kFolders;
  auto scaled = [](std::vector<double> values, double factor) {
    for (double &v : values) {
      v *= factor;
    }
    return Summarise(values);
  };
  // The cost of one more shortcut: the 600-link run less the median 1-link
  // run of the same program, shared out over the other 599 links.
  auto extra = [links](std::vector<double> many, double one) {
    for (double &v : many) {
      v = (v - one) / (links - 1);
    }
    return Summarise(many);
  };
  const Sample lPer = scaled(linktoManyMs, 1.0 / links), bPer = scaled(bareManyMs, 1.0 / links);
  const Sample lExtra = extra(linktoManyMs, lOne.median), bExtra = extra(bareManyMs, bOne.median);
  const Sample lOneMem = Summarise(linktoOneKiB), bOneMem = Summarise(bareOneKiB);
  const Sample fOneMem = Summarise(floorOneKiB);
  const Sample lManyMem = Summarise(linktoManyKiB), bManyMem = Summarise(bareManyKiB);

  printf("LinkTo benchmarks: median [least..greatest] of %d runs (memory: %d sampled runs);\n"
         "reference = bare_shortcut.exe, floor_shortcut.exe in the rows marked floor,\n"
         "CommandLineToArgvW in the split rows; ratio = linkto / reference\n\n",
         runs, sampleRuns);
  printf("%-40s %-30s %-30s %s\n", "measure", "linkto.exe / SplitCommandLine", "reference",
         "ratio");
  printf("%-40s %-30s %-30s %s\n", "-------", "-----------------------------",
         "------------------------------", "-----");
  Row("start to exit, 1 link (ms)", Figure(lOne, 1), Figure(bOne, 1), lOne.median / bOne.median);
  Row("start to exit, 1 link, floor (ms)", Figure(lOne, 1), Figure(fOne, 1),
      lOne.median / fOne.median);
  Row("600 links, whole run (ms)", Figure(lMany, 1), Figure(bMany, 1), lMany.median / bMany.median);
  Row("600 links, per shortcut (ms)", Figure(lPer, 3), Figure(bPer, 3), lPer.median / bPer.median);
  Row("600 links, per extra shortcut (ms)", Figure(lExtra, 3), Figure(bExtra, 3),
      lExtra.median / bExtra.median);
  Row("split 32 KiB, unquoting (ns/byte)", Figure(split.unquoteNs, 2), Figure(split.platformNs, 2),
      split.unquoteNs.median / split.platformNs.median);
  Row("split 32 KiB, verbatim (ns/byte)", Figure(split.verbatimNs, 2), Figure(split.platformNs, 2),
      split.verbatimNs.median / split.platformNs.median);
  Row("peak working set, 1 link (KiB)", Figure(lOneMem, 0), Figure(bOneMem, 0),
      bOneMem.median > 0 ? lOneMem.median / bOneMem.median : 0);
  Row("peak working set, 1 link, floor (KiB)", Figure(lOneMem, 0), Figure(fOneMem, 0),
      fOneMem.median > 0 ? lOneMem.median / fOneMem.median : 0);
  Row("peak working set, 600 links (KiB)", Figure(lManyMem, 0), Figure(bManyMem, 0),
      bManyMem.median > 0 ? lManyMem.median / bManyMem.median : 0);
  for (int i = first + 3; i < argc; ++i) {
    // LABEL=PATH: a file whose size the table lists under LABEL.
    const char *equals = strchr(argv[i], '=');
    const std::string label =
        equals != nullptr ? std::string(argv[i], static_cast<size_t>(equals - argv[i])) : "file";
    const char *path = equals != nullptr ? equals + 1 : argv[i];
    Row(("size of " + label + " (bytes)").c_str(), std::to_string(FileBytes(path)), "", 0);
  }
  printf("\nstart to exit, linkto / floor within each round: %s\n", Figure(fRatio, 3).c_str());
  printf("split tokens: %d unquoting, %d verbatim, %d CommandLineToArgvW; %zu bytes\n",
         split.unquoteCount, split.verbatimCount, split.platformCount, kCommandLineBytes);
  return 0;
}
