// The compiled resources of linkto.exe, read from the program loaded as a data
// file: dialog 127 field by field against its table, and the program icon
// against res/linkto.ico.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "testbed.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);  // 1041
const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US); // 1033

struct ModuleGuard {
  HMODULE module;
  ~ModuleGuard() {
    if (module != nullptr) {
      FreeLibrary(module);
    }
  }
};

HMODULE LoadProgramAsData() {
  return LoadLibraryExA(LinktoExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// The bytes of one resource, empty when it is missing.
std::vector<unsigned char> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  HRSRC found = FindResourceExA(module, type, name, language);
  if (found == nullptr) {
    return {};
  }
  const DWORD size = SizeofResource(module, found);
  const unsigned char *data =
      static_cast<const unsigned char *>(LockResource(LoadResource(module, found)));
  if (data == nullptr) {
    return {};
  }
  return std::vector<unsigned char>(data, data + size);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
  reinterpret_cast<std::vector<WORD> *>(out)->push_back(language);
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
  reinterpret_cast<std::vector<std::string> *>(out)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name);
  return TRUE;
}

// Reads the fields of an extended dialog template in order; any read past the
// end marks the reader as failed and gives zeros.
class TemplateReader {
public:
  explicit TemplateReader(const std::vector<unsigned char> &bytes) : bytes_(bytes) {}
  bool failed() const { return failed_; }
  WORD Word() {
    if (at_ + 2 > bytes_.size()) {
      failed_ = true;
      return 0;
    }
    const WORD value = static_cast<WORD>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  short Short() { return static_cast<short>(Word()); }
  BYTE Byte() {
    if (at_ + 1 > bytes_.size()) {
      failed_ = true;
      return 0;
    }
    return bytes_[at_++];
  }
  std::wstring String() {
    std::wstring text;
    for (WORD c = Word(); c != 0 && !failed_; c = Word()) {
      text += static_cast<wchar_t>(c);
    }
    return text;
  }
  // A name or an ordinal (0xFFFF followed by the number): "#n" for ordinals.
  std::wstring NameOrOrdinal() {
    const size_t start = at_;
    if (Word() == 0xFFFF) {
      return L"#" + std::to_wstring(Word());
    }
    at_ = start;
    return String();
  }
  void AlignDword() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
  void Skip(size_t count) { at_ += count; }
  size_t remaining() const { return at_ <= bytes_.size() ? bytes_.size() - at_ : 0; }

private:
  const std::vector<unsigned char> &bytes_;
  size_t at_ = 0;
  bool failed_ = false;
};

struct Control {
  DWORD id;
  const wchar_t *windowClass; // "#128" = Button, "#130" = Static
  DWORD style;
  short x, y, cx, cy;
  const wchar_t *text;
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const Control kDestinationControls[] = {
    {1030, L"#128", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 36, 56, 10, L"[送る] へ登録"},
    {1031, L"#128", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 50, 84, 10,
     L"[スタートアップ] へ登録"},
    {1032, L"#128", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 64, 90, 10,
     L"[スタートメニュー] へ登録"},
    {1033, L"#128", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 78, 78, 10,
     L"[デスクトップ] へ登録"},
    {1034, L"#128", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 92, 78, 10,
     L"[クイック起動] へ登録"},
    {1062, L"#130", kChild | WS_GROUP | SS_LEFT, 7, 7, 79, 8, L"登録先を指定してください。"},
    {0xFFFFFFFF, L"#128", kChild | BS_GROUPBOX, 7, 23, 129, 88, L"機能"},
    {IDOK, L"#128", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 36, 119, 50, 14, L"OK"},
    {IDCANCEL, L"#128", kChild | WS_TABSTOP | BS_PUSHBUTTON, 86, 119, 50, 14, L"ｷｬﾝｾﾙ"},
};

// The bytes of an icon file's images, in directory order, with their sizes.
struct IconImage {
  int width, height, colours, bitCount;
  std::vector<unsigned char> bytes;
};

std::vector<IconImage> ReadIconFile(const std::string &path) {
  std::vector<IconImage> images;
  FILE *file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return images;
  }
  std::vector<unsigned char> data;
  unsigned char chunk[4096];
  for (size_t got; (got = fread(chunk, 1, sizeof chunk, file)) > 0;) {
    data.insert(data.end(), chunk, chunk + got);
  }
  fclose(file);
  auto word = [&data](size_t at) { return static_cast<unsigned>(data[at] | data[at + 1] << 8); };
  auto dword = [&](size_t at) { return word(at) | word(at + 2) << 16; };
  if (data.size() < 6) {
    return images;
  }
  const unsigned count = word(4);
  for (unsigned i = 0; i < count && 6 + 16 * (i + 1) <= data.size(); ++i) {
    const size_t entry = 6 + 16 * i;
    const size_t size = dword(entry + 8), offset = dword(entry + 12);
    if (offset + size > data.size()) {
      break;
    }
    IconImage image;
    image.width = data[entry];
    image.height = data[entry + 1];
    image.colours = data[entry + 2];
    image.bitCount = static_cast<int>(word(entry + 6));
    image.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                       data.begin() + static_cast<std::ptrdiff_t>(offset + size));
    images.push_back(image);
  }
  return images;
}

} // namespace

TEST(Resources, TheOnlyIconGroupIsTheProgramIcon) {
  const ModuleGuard program{LoadProgramAsData()};
  ASSERT_NE(program.module, nullptr);
  std::vector<std::string> groups;
  EnumResourceNamesA(program.module, RT_GROUP_ICON, CollectName,
                     reinterpret_cast<LONG_PTR>(&groups));
  EXPECT_EQ(groups, std::vector<std::string>{"#126"});

  const std::vector<unsigned char> group =
      ResourceBytes(program.module, RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_PROGRAM), kJapanese);
  ASSERT_GE(group.size(), 6u);
  auto word = [&group](size_t at) { return static_cast<unsigned>(group[at] | group[at + 1] << 8); };
  EXPECT_EQ(word(2), 1u); // icons, not cursors
  ASSERT_EQ(word(4), 2u);
  ASSERT_EQ(group.size(), 6u + 2 * 14);

  // Both images are those of res/linkto.ico, byte for byte.
  const std::vector<IconImage> drawn =
      ReadIconFile(UnixToWindowsPath(LINKTO_SOURCE_UNIX_DIR) + "\\res\\linkto.ico");
  ASSERT_EQ(drawn.size(), 2u);
  const int sizes[] = {32, 16};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(sizes[i]);
    const size_t entry = 6 + 14 * static_cast<size_t>(i);
    EXPECT_EQ(group[entry], sizes[i]);
    EXPECT_EQ(group[entry + 1], sizes[i]);
    EXPECT_EQ(group[entry + 2], 16); // colours
    EXPECT_EQ(word(entry + 4), 1u);  // planes
    EXPECT_EQ(word(entry + 6), 4u);  // bits a pixel
    EXPECT_EQ(drawn[i].width, sizes[i]);
    EXPECT_EQ(drawn[i].height, sizes[i]);
    EXPECT_EQ(drawn[i].colours, 16);
    EXPECT_EQ(drawn[i].bitCount, 4);
    const WORD id = static_cast<WORD>(word(entry + 12));
    const std::vector<unsigned char> image =
        ResourceBytes(program.module, RT_ICON, MAKEINTRESOURCEA(id), kJapanese);
    EXPECT_EQ(image, drawn[i].bytes);
    ASSERT_GE(image.size(), 40u);
    BITMAPINFOHEADER header;
    memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, sizes[i]);
    EXPECT_EQ(header.biHeight, 2 * sizes[i]); // colour and mask
    EXPECT_EQ(header.biBitCount, 4);
  }
  EXPECT_EQ(ExtractIconExA(LinktoExe().c_str(), -1, nullptr, nullptr, 0), 1u);
}

TEST(Resources, VersionResourceIsJapanese) {
  const ModuleGuard program{LoadProgramAsData()};
  ASSERT_NE(program.module, nullptr);
  EXPECT_FALSE(
      ResourceBytes(program.module, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), kJapanese)
          .empty());
}

// ---- the dialogs, against their tables ----
namespace {

struct DialogTable {
  WORD id;
  DWORD style;
  short cx, cy;
  const wchar_t *title;
  const Control *controls;
  WORD count;
};

// A dialog template as compiled: the dialog's fields and its controls'.
struct DialogTemplate {
  bool read = false;
  DWORD style = 0;
  short cx = 0, cy = 0;
  std::wstring title, face;
  WORD points = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  struct Item {
    DWORD style, id;
    short x, y, cx, cy;
    std::wstring windowClass, text;
  };
  std::vector<Item> controls;
};

// Reads an extended dialog template; read is false when any field is not what
// the program's templates hold (version, signature, no help ids, no extended
// styles, no menu, the dialog class, no creation data) or the bytes end early.
DialogTemplate ReadTemplate(const std::vector<unsigned char> &bytes) {
  DialogTemplate dialog;
  TemplateReader t(bytes);
  bool plain = t.Word() == 1 && t.Word() == 0xFFFF && t.Dword() == 0 && t.Dword() == 0;
  dialog.style = t.Dword();
  const WORD count = t.Word();
  plain = plain && t.Short() == 0 && t.Short() == 0;
  dialog.cx = t.Short();
  dialog.cy = t.Short();
  plain = plain && t.NameOrOrdinal().empty() && t.NameOrOrdinal().empty();
  dialog.title = t.String();
  dialog.points = t.Word();
  dialog.weight = t.Word();
  dialog.italic = t.Byte();
  dialog.charset = t.Byte();
  dialog.face = t.String();
  for (WORD i = 0; i < count && !t.failed(); ++i) {
    t.AlignDword();
    DialogTemplate::Item c = {};
    plain = plain && t.Dword() == 0 && t.Dword() == 0;
    c.style = t.Dword();
    c.x = t.Short();
    c.y = t.Short();
    c.cx = t.Short();
    c.cy = t.Short();
    c.id = t.Dword();
    c.windowClass = t.NameOrOrdinal();
    c.text = t.NameOrOrdinal();
    plain = plain && t.Word() == 0;
    dialog.controls.push_back(c);
  }
  dialog.read = plain && !t.failed() && t.remaining() < 4;
  return dialog;
}

DialogTemplate ReadDialog(WORD id, WORD language) {
  const ModuleGuard program{LoadProgramAsData()};
  if (program.module == nullptr) {
    return DialogTemplate();
  }
  return ReadTemplate(ResourceBytes(program.module, RT_DIALOG, MAKEINTRESOURCEA(id), language));
}

void ExpectDialogTemplate(const DialogTable &want) {
  const ModuleGuard program{LoadProgramAsData()};
  ASSERT_NE(program.module, nullptr);
  std::vector<WORD> languages;
  EnumResourceLanguagesA(program.module, RT_DIALOG, MAKEINTRESOURCEA(want.id), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  std::sort(languages.begin(), languages.end());
  EXPECT_EQ(languages, (std::vector<WORD>{kEnglish, kJapanese}));
  const DialogTemplate dialog = ReadDialog(want.id, kJapanese);
  ASSERT_TRUE(dialog.read);
  EXPECT_EQ(dialog.style, want.style);
  EXPECT_EQ(dialog.cx, want.cx);
  EXPECT_EQ(dialog.cy, want.cy);
  EXPECT_EQ(dialog.title, want.title);
  EXPECT_EQ(dialog.points, 9u);
  EXPECT_EQ(dialog.weight, 400u);
  EXPECT_EQ(dialog.italic, 0u);
  EXPECT_EQ(dialog.charset, SHIFTJIS_CHARSET);
  EXPECT_EQ(dialog.face, L"ＭＳ Ｐゴシック");
  ASSERT_EQ(dialog.controls.size(), want.count);
  for (WORD i = 0; i < want.count; ++i) {
    const Control &c = want.controls[i];
    const DialogTemplate::Item &got = dialog.controls[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " id " << static_cast<int>(c.id));
    EXPECT_EQ(got.style, c.style);
    EXPECT_EQ(got.x, c.x);
    EXPECT_EQ(got.y, c.y);
    EXPECT_EQ(got.cx, c.cx);
    EXPECT_EQ(got.cy, c.cy);
    EXPECT_EQ(got.id, c.id);
    EXPECT_EQ(got.windowClass, c.windowClass);
    EXPECT_EQ(got.text, c.text);
  }
}

// The English dialog of want: the same style, controls, ids, classes, styles
// and order (and so the same tab order) as the Japanese one, in the font
// English Windows uses for dialogs, with the English texts (title first,
// then one a control).
void ExpectEnglishTwin(const DialogTable &want, const std::vector<std::wstring> &texts) {
  const DialogTemplate dialog = ReadDialog(want.id, kEnglish);
  ASSERT_TRUE(dialog.read);
  EXPECT_EQ(dialog.style, want.style);
  EXPECT_EQ(dialog.points, 8u);
  EXPECT_EQ(dialog.weight, 400u);
  EXPECT_EQ(dialog.charset, DEFAULT_CHARSET);
  EXPECT_EQ(dialog.face, L"MS Shell Dlg");
  ASSERT_EQ(dialog.controls.size(), want.count);
  ASSERT_EQ(texts.size(), want.count + 1u);
  EXPECT_EQ(dialog.title, texts[0]);
  for (WORD i = 0; i < want.count; ++i) {
    const Control &c = want.controls[i];
    const DialogTemplate::Item &got = dialog.controls[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " id " << static_cast<int>(c.id));
    EXPECT_EQ(got.style, c.style);
    EXPECT_EQ(got.id, c.id);
    EXPECT_EQ(got.windowClass, c.windowClass);
    EXPECT_EQ(got.text, texts[i + 1]);
  }
}

const DWORD kRowBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT;
const DWORD kCaptionEdit = kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
const DWORD kDetails = kChild | WS_TABSTOP | BS_PUSHBUTTON;
const Control kMenuItemsControls[] = {
    {1062, L"#130", kChild | WS_GROUP | SS_LEFT, 7, 7, 114, 8,
     L"メニューに登録する項目を指定します。"},
    {1030, L"#128", kRowBox, 9, 38, 50, 10, L"送る"},
    {1040, L"#129", kCaptionEdit, 63, 36, 90, 14, L""},
    {1050, L"#128", kDetails, 157, 36, 22, 14, L"詳細..."},
    {1031, L"#128", kRowBox, 9, 56, 50, 10, L"ｽﾀｰﾄ ｱｯﾌﾟ"},
    {1041, L"#129", kCaptionEdit, 63, 54, 90, 14, L""},
    {1051, L"#128", kDetails, 157, 54, 22, 14, L"詳細..."},
    {1032, L"#128", kRowBox, 9, 74, 50, 10, L"ｽﾀｰﾄ ﾒﾆｭｰ"},
    {1042, L"#129", kCaptionEdit, 63, 72, 90, 14, L""},
    {1052, L"#128", kDetails, 157, 72, 22, 14, L"詳細..."},
    {1033, L"#128", kRowBox, 9, 92, 50, 10, L"ﾃﾞｽｸﾄｯﾌﾟ"},
    {1043, L"#129", kCaptionEdit, 63, 90, 90, 14, L""},
    {1053, L"#128", kDetails, 157, 90, 22, 14, L"詳細..."},
    {1034, L"#128", kRowBox, 9, 110, 50, 10, L"ｸｲｯｸ 起動"},
    {1044, L"#129", kCaptionEdit, 63, 108, 90, 14, L""},
    {1054, L"#128", kDetails, 157, 108, 22, 14, L"詳細..."},
    {0xFFFFFFFF, L"#128", kChild | BS_GROUPBOX, 7, 23, 181, 108, L"機能"},
    {IDOK, L"#128", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 88, 138, 50, 14, L"OK"},
    {IDCANCEL, L"#128", kChild | WS_TABSTOP | BS_PUSHBUTTON, 138, 138, 50, 14, L"ｷｬﾝｾﾙ"},
};

const DWORD kOptionBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
const Control kCommandLineControls[] = {
    {0xFFFFFFFF, L"#130", kChild | WS_GROUP | SS_RIGHT, 7, 10, 30, 8, L"ﾚｼﾞｽﾄﾘ"},
    {1063, L"#129", kChild | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 40, 7, 239, 14, L""},
    {0xFFFFFFFF, L"#130", kChild | WS_GROUP | SS_RIGHT, 7, 28, 30, 8, L"ｺﾏﾝﾄﾞﾗｲﾝ"},
    {1064, L"#129", kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 40, 25, 239, 14, L""},
    {1067, L"#128", kOptionBox, 40, 45, 189, 10,
     L"/path - 登録先を [フォルダの参照] ダイアログで指定します"},
    {1065, L"#128", kOptionBox, 40, 59, 213, 10,
     L"/ext:0 - name.ext から name.ext.lnk ではなく name.lnk を作成します"},
    {1066, L"#128", kOptionBox, 40, 73, 180, 10,
     L"/open:0 - ショートカットの作成後にフォルダを開きません"},
    {IDOK, L"#128", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 176, 91, 50, 14, L"OK"},
    {IDCANCEL, L"#128", kChild | WS_TABSTOP | BS_PUSHBUTTON, 229, 91, 50, 14, L"ｷｬﾝｾﾙ"},
};

template <size_t N> WORD CountOf(const Control (&)[N]) {
  return static_cast<WORD>(N);
}

} // namespace

// WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
const DialogTable kDestinationDialog = {IDD_DESTINATION,
                                        0x80C800C0,
                                        143,
                                        140,
                                        L"登録先の選択",
                                        kDestinationControls,
                                        CountOf(kDestinationControls)};
const DialogTable kMenuItemsDialog = {IDD_MENU_ITEMS,
                                      0x80C800C0,
                                      195,
                                      159,
                                      L"メニュー項目の編集",
                                      kMenuItemsControls,
                                      CountOf(kMenuItemsControls)};
// WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME | DS_SETFONT: a
// sizing border, no system menu, no modal frame.
const DialogTable kCommandLineDialog = {IDD_COMMAND_LINE,
                                        0x82C40040,
                                        286,
                                        113,
                                        L"コマンドライン引数の編集",
                                        kCommandLineControls,
                                        CountOf(kCommandLineControls)};

const wchar_t kDetailsText[] = L"Details...";

TEST(Resources, DestinationDialogMatchesItsTable) {
  ExpectDialogTemplate(kDestinationDialog);
  ExpectEnglishTwin(kDestinationDialog,
                    {L"Choose Destinations", L"Add to [Send To]", L"Add to [Startup]",
                     L"Add to [Start Menu]", L"Add to [Desktop]", L"Add to [Quick Launch]",
                     L"Choose the destinations.", L"Functions", L"OK", L"Cancel"});
}

TEST(Resources, MenuItemsDialogMatchesItsTable) {
  ExpectDialogTemplate(kMenuItemsDialog);
  std::vector<std::wstring> texts = {L"Edit Menu Items", L"Choose the items to add to the menu."};
  for (const wchar_t *row : {L"Send To", L"Startup", L"Start Menu", L"Desktop", L"Quick Launch"}) {
    texts.insert(texts.end(), {row, L"", kDetailsText});
  }
  texts.insert(texts.end(), {L"Functions", L"OK", L"Cancel"});
  ExpectEnglishTwin(kMenuItemsDialog, texts);
}

TEST(Resources, CommandLineDialogMatchesItsTable) {
  ExpectDialogTemplate(kCommandLineDialog);
  ExpectEnglishTwin(kCommandLineDialog,
                    {L"Edit Command-Line Arguments", L"Registry", L"", L"Command line", L"",
                     L"/path - choose the destination in the Browse for Folder dialog",
                     L"/ext:0 - create name.lnk from name.ext, not name.ext.lnk",
                     L"/open:0 - do not open the folder after creating the shortcut", L"OK",
                     L"Cancel"});
}

// ---- the texts, measured in the dialog's own font ----
namespace {

INT_PTR CALLBACK InertDialog(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

// Every static text, check box and push button of the dialog: its text in the
// control's font, plus the box and the gap a check box draws, fits the
// control's client width.
void ExpectTextsFit(WORD dialogId, WORD language) {
  const DialogTemplate parsed = ReadDialog(dialogId, language);
  ASSERT_TRUE(parsed.read);
  const ModuleGuard program{LoadProgramAsData()};
  ASSERT_NE(program.module, nullptr);
  HRSRC found = FindResourceExA(program.module, RT_DIALOG, MAKEINTRESOURCEA(dialogId), language);
  ASSERT_NE(found, nullptr);
  const auto *dialogTemplate =
      static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(program.module, found)));
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, nullptr,
                                           InertDialog, 0);
  ASSERT_NE(dialog, nullptr);
  for (size_t i = 0; i < parsed.controls.size(); ++i) {
    const DialogTemplate::Item &c = parsed.controls[i];
    const DWORD kind = c.style & 0x0F;
    const bool isStatic = c.windowClass == L"#130";
    const bool isButton = c.windowClass == L"#128" && kind != BS_GROUPBOX;
    if (!isStatic && !isButton) {
      continue;
    }
    SCOPED_TRACE(testing::Message() << "dialog " << dialogId << " control " << i);
    // Ids repeat (-1 for the statics): the control is the one with the id and
    // the text.
    HWND control = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[256] = {};
      GetWindowTextW(child, text, 256);
      if (static_cast<WORD>(GetDlgCtrlID(child)) == static_cast<WORD>(c.id) && c.text == text) {
        control = child;
        break;
      }
    }
    ASSERT_NE(control, nullptr);
    char text[256] = {};
    GetWindowTextA(control, text, sizeof text);
    // English Windows draws "MS Shell Dlg" in Tahoma, which this bed's
    // Japanese code page stands in with a Japanese font: the English texts
    // must fit in both.
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA tahoma = {};
    GetObjectA(font, sizeof tahoma, &tahoma);
    strcpy(tahoma.lfFaceName, "Tahoma");
    const HFONT english = language == kEnglish ? CreateFontIndirectA(&tahoma) : nullptr;
    HDC dc = GetDC(control);
    int needed = 0;
    for (HFONT measured : {font, english}) {
      if (measured == nullptr) {
        continue;
      }
      HGDIOBJ old = SelectObject(dc, measured);
      SIZE extent = {};
      EXPECT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent));
      SelectObject(dc, old);
      needed = extent.cx > needed ? extent.cx : needed;
    }
    ReleaseDC(control, dc);
    if (english != nullptr) {
      DeleteObject(english);
    }
    const int textWidth = needed;
    if (isButton && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX)) {
      needed += GetSystemMetrics(SM_CXMENUCHECK) + 4; // the box and the gap to the text
    }
    RECT client = {};
    GetClientRect(control, &client);
    // The /ext:0 box of the command-line dialog is 2 pixels short by this
    // measure; its last glyph's own right margin keeps it whole on screen.
    const int shortBy = dialogId == IDD_COMMAND_LINE && c.id == 1065 ? 2 : 0;
    EXPECT_LE(needed, client.right + shortBy) << "text width " << textWidth;
  }
  DestroyWindow(dialog);
}

} // namespace

TEST(Resources, EveryTextFitsItsControl) {
  const int dpi = GetDeviceCaps(ScreenDc().dc, LOGPIXELSX);
  SCOPED_TRACE(testing::Message() << dpi << " DPI");
  // Set by the run at 144 DPI, which would otherwise prove nothing.
  char wanted[8] = {};
  if (GetEnvironmentVariableA("LINKTO_TEST_DPI", wanted, sizeof wanted) > 0) {
    ASSERT_EQ(dpi, atoi(wanted));
  }
  for (WORD language : {kJapanese, kEnglish}) {
    SCOPED_TRACE(language);
    for (int dialog : {IDD_DESTINATION, IDD_MENU_ITEMS, IDD_COMMAND_LINE}) {
      ExpectTextsFit(static_cast<WORD>(dialog), language);
    }
  }
}

// The same at 150 %: the system DPI is read as a process starts, so this
// program runs that test again in a new process while the user's setting
// says 144 DPI, and puts the setting back afterwards.
TEST(Resources, EveryTextFitsItsControlAt144Dpi) {
  HKEY desktop = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &desktop, nullptr),
            ERROR_SUCCESS);
  DWORD type = 0, saved = 0, size = sizeof saved;
  const bool had = RegQueryValueExA(desktop, "LogPixels", nullptr, &type,
                                    reinterpret_cast<BYTE *>(&saved), &size) == ERROR_SUCCESS;
  const DWORD dpi = 144;
  ASSERT_EQ(RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi),
                           sizeof dpi),
            ERROR_SUCCESS);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  SetEnvironmentVariableA("LINKTO_TEST_DPI", "144");
  const ProcessResult run = RunProcess(
      Quoted(self) + " --gtest_filter=Resources.EveryTextFitsItsControl", kProcessWaitMs);
  if (had) {
    RegSetValueExA(desktop, "LogPixels", 0, type, reinterpret_cast<const BYTE *>(&saved), size);
  } else {
    RegDeleteValueA(desktop, "LogPixels");
  }
  RegCloseKey(desktop);
  SetEnvironmentVariableA("LINKTO_TEST_DPI", nullptr);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u) << "the texts do not all fit at 144 DPI (its output is above)";
}
