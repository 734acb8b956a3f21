// Where a dialog opens and how its client area answers the hit test: the
// rules without the platform, so they can be tested anywhere.
#pragma once

struct ScreenPoint {
  int x;
  int y;
};

// Left, top, right and bottom edges, as a Win32 RECT holds them.
struct ScreenRect {
  int left;
  int top;
  int right;
  int bottom;
};

// Top-left corner for a window of width x height (outer size) centred on the
// cursor: the left part gets the smaller half of an odd width. With a work
// area the window is moved inside it, right and bottom limits first and left
// and top limits last, so a window larger than the work area sits on its left
// or top edge. Without one (null) the centred position is kept. Results that
// would leave the int range are held at its ends.
ScreenPoint PlaceCentredOnCursor(int width, int height, ScreenPoint cursor,
                                 const ScreenRect *workArea);

// Hit-test codes as the system numbers them.
constexpr int kHitClient = 1;       // HTCLIENT
constexpr int kHitCaption = 2;      // HTCAPTION
constexpr int kHitLeft = 10;        // HTLEFT
constexpr int kHitRight = 11;       // HTRIGHT
constexpr int kHitTop = 12;         // HTTOP
constexpr int kHitTopLeft = 13;     // HTTOPLEFT
constexpr int kHitTopRight = 14;    // HTTOPRIGHT
constexpr int kHitBottom = 15;      // HTBOTTOM
constexpr int kHitBottomLeft = 16;  // HTBOTTOMLEFT
constexpr int kHitBottomRight = 17; // HTBOTTOMRIGHT
constexpr int kHitBorder = 18;      // HTBORDER

// One entry of a hit-test map: the code the default hit test gave, and the
// code the dialog answers instead.
struct HitTestPair {
  int from;
  int to;
};

// Looks code up in the first count pairs of map, in order. On a match sets
// *answer to the pair's answer and returns true; otherwise sets *answer to
// code and returns false. A null map or a count below 1 matches nothing.
bool MapHitTestCode(const HitTestPair *map, int count, int code, int *answer);

// The rule of the dialogs that are dragged by their client area: the client
// area answers as the caption, every other code stands.
int CaptionHitTestCode(int code);
